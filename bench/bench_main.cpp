// Benchmarks run with the application object alive, as the program does: the
// off-screen view needs it (and a display, Xvfb is fine). Run with
// kPeakMemoryChild, the program is the fresh process of the peak-memory
// measurement instead and creates no application object; with kPeakOfProcess
// the intermediary that measures another process's peak; with
// kWriteGridFiles it writes the inputs of the comparison with gnuplot.
#include <cstdlib>
#include <cstring>

#include <benchmark/benchmark.h>

#include "app/application.h"
#include "gridfiles.h"
#include "peak_memory.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kPeakMemoryChild) == 0)
    return RunPeakMemoryChild(argv[2]);
  if (argc > 2 && std::strcmp(argv[1], kPeakOfProcess) == 0)
    return RunPeakOf(argv + 2);
  if (argc == 4 && std::strcmp(argv[1], kWriteGridFiles) == 0)
    return WriteGridFiles(argv[2], std::atoi(argv[3]));
  cApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
