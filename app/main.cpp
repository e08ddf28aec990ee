#include <cstdio>

#include "app/application.h"
#include "app/commandline.h"
#include "app/entry.h"

int main(int argc, char** argv) {
  // Read before the application object exists: --help and a wrong command
  // line need no display.
  const CommandLineOutcome outcome = ReadCommandLine(ArgumentsOf(argc, argv));
  if (outcome.exitCode) {
    std::fputs(outcome.text.toLocal8Bit().constData(), *outcome.exitCode == 0 ? stdout : stderr);
    return *outcome.exitCode;
  }
  cApplication application(argc, argv);
  return RunCubiscope(application, outcome.options);
}
