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
  if (!options.output.isEmpty() || !options.profile.isEmpty() || !options.mesh.isEmpty()) {
    // No window is shown, so no window system is needed: Qt's platform
    // without one starts whether there is a display or not, and the picture
    // is drawn in Mesa's surfaceless EGL context, to the byte as the windows
    // draw it (and sooner than through the X server). Where EGL gives no
    // context, the platform reaches for a display as before, and without
    // one the missing context is reported like any other failure.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
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
