#include <cstdio>

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
    return RenderPictureFiles(request, options.pictures);
  }
  cApplication application(argc, argv);
  return RunCubiscope(application, options);
}
