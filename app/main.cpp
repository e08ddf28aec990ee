#include <cstdio>
#include <cstdlib>

#include <QGuiApplication>

#include "app/application.h"
#include "app/commandline.h"
#include "app/entry.h"
#include "app/renderfile.h"

int main(int argc, char** argv) {
  KeepGlDriverForLeakReports();
  // Read before the application object exists: --help, --version and a wrong
  // command line need no display.
  const CommandLineOutcome outcome = ReadCommandLine(ArgumentsOf(argc, argv));
  if (outcome.exitCode) {
    std::fputs(outcome.text.toLocal8Bit().constData(), *outcome.exitCode == 0 ? stdout : stderr);
    return *outcome.exitCode;
  }
  const CommandLine& options = outcome.options;
  if (!options.output.isEmpty()) {
    // Without any display the window system's platform would end the
    // program before a word is said; Qt's off-screen platform starts, and the
    // missing OpenGL context is then reported like any other failure. With a
    // display the usual platform stays, so that the picture is drawn exactly
    // as the windows draw it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    PictureRequest request = options.picture;
    request.coloursFile = options.coloursFile;
    const int status = RenderPictureFiles(request, options.pictures);
#ifndef CUBISCOPE_SANITIZE
    // Every file is written and closed, the context released. What is left
    // would cost a small picture's drawing again to tear down, for nothing
    // the system does not do at exit anyway: Qt's font database sets
    // fontconfig up only to free it (28 of the 560 million instructions of
    // --output without a file), and the GL driver unloads LLVM. The
    // sanitizer build tears down, so that its leak check sees everything.
    std::fflush(nullptr);
    std::_Exit(status);
#endif
    return status;
  }
  cApplication application(argc, argv);
  return RunCubiscope(application, options);
}
