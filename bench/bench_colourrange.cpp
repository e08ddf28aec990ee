// The colour range's percentiles of a raster held at levels of detail:
// - BM_PercentileRange/Plain10800: the 2nd and 98th percentiles of the
//   10800 x 10800 terrain without overviews (levelfiles.h), counted cold
//   (levels loaded afresh before each count, outside the timing), beside
//   "minmax": the same two-reader pass over the file taking only the least
//   and the greatest value, the floor of any count of every cell.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "formats/measuredheights.h"
#include "formats/rasterlevels.h"
#include "formats/rastermodule.h"
#include "formats/rastersweep.h"
#include "levelfiles.h"
#include "paired.h"

namespace {

// The least and greatest value of the samples it is handed.
class RangeSink final : public SampleSink {
 public:
  explicit RangeSink(const RasterHeader& header) : header(header) {}
  void Samples(const double* samples, std::size_t n) override {
    for (std::size_t k = 0; k < n; ++k) {
      if (!HoldsValue(header, samples[k]))
        continue;
      low = std::min(low, samples[k]);
      high = std::max(high, samples[k]);
    }
  }
  void Unwritten(std::uint64_t) override {}

  const RasterHeader& header;
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
};

void BM_PercentileRange(benchmark::State& state) {
  const Files& files = LevelFiles();
  if (files.plain.isEmpty()) {
    state.SkipWithError("no rasters");
    return;
  }
  Paired paired;
  for (auto _ : state) {
    state.PauseTiming();
    RasterLevelsRead read = ReadRasterLevels(OpenRaster(files.plain));
    state.ResumeTiming();
    double low = 0.0, high = 0.0;
    bool counted = false;
    paired.Measure([&] {
      ValueHistogram counts;
      counted = read.levels->Histogram(counts, [](double) { return true; });
      low = counts.Percentile(2.0);
      high = counts.Percentile(98.0);
    });
    bool ranged = false;
    paired.Reference(state, "minmax", [&] {
      const std::unique_ptr<RasterFile> raster = OpenRaster(files.plain);
      RangeSink mine(raster->Header()), theirs(raster->Header());
      ranged = SweepSamples(*raster, mine, theirs, {});
      benchmark::DoNotOptimize(std::min(mine.low, theirs.low));
      benchmark::DoNotOptimize(std::max(mine.high, theirs.high));
    });
    if (!counted || !ranged || !(low < high)) {
      state.SkipWithError("no percentiles");
      return;
    }
  }
  paired.Report(state);
}
BENCHMARK(BM_PercentileRange)
    ->Name("BM_PercentileRange/Plain10800")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
