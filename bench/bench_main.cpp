// Benchmarks run with the application object alive, as the program does: the
// off-screen view needs it (and a display, Xvfb is fine).
#include <benchmark/benchmark.h>

#include "app/application.h"

int main(int argc, char** argv) {
  cApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
