// Height-field loads of 4096 x 4096 PNG files, an 8-bit RGB photograph and a
// 16-bit grey height map, each beside what it cannot do without: Qt's plain
// decode of the same file into a QImage, plus the height field of the bitmap
// path (BuildHeightField of the decoded photograph), timed together in the
// same iterations as reference "decode_field".
#include <benchmark/benchmark.h>

#include <QImage>

#include "formats/heightfield.h"
#include "formats/loadfile.h"
#include "inputs.h"
#include "paired.h"

namespace {

constexpr int kSide = 4096;

void PngHeightFieldLoad(benchmark::State& state, const std::vector<unsigned char>& bytes) {
  const TempFile file(bytes.data(), bytes.size());
  const RgbImage& photo = PhotoImage(kSide);
  WarmUp([&] { ReadHeightFieldFile(file.Path()); });
  Paired paired;
  for (auto _ : state) {
    HeightFieldGrid grid;
    paired.Measure([&] { grid = ReadHeightFieldFile(file.Path()); });
    state.PauseTiming();
    if (grid.columns != kSide || grid.rows != kSide) {
      state.SkipWithError("the load did not give the whole picture");
      return;
    }
    grid = HeightFieldGrid();
    state.ResumeTiming();
    paired.Reference(state, "decode_field", [&] {
      const QImage decoded(file.Path());
      benchmark::DoNotOptimize(decoded.constBits());
      benchmark::DoNotOptimize(BuildHeightField(photo).get());
    });
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  paired.Report(state);
}

void BM_PngHeightFieldLoad(benchmark::State& state) {
  PngHeightFieldLoad(state, PhotoPngFile(kSide));
}
BENCHMARK(BM_PngHeightFieldLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Png16HeightFieldLoad(benchmark::State& state) {
  PngHeightFieldLoad(state, HeightMapPngFile(kSide));
}
BENCHMARK(BM_Png16HeightFieldLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
