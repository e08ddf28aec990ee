// The point-grid text loader on a file of 1,000,000 point lines (a blank line
// after every 1,000): the parse alone in MB/s beside a memcpy of the same
// bytes, and the whole load from a file (read, parse, hand-over to a surface)
// beside reading the file alone.
#include <cstring>
#include <memory>

#include <benchmark/benchmark.h>

#include "formats/filebytes.h"
#include "formats/pointgrid.h"
#include "input/loadobject.h"
#include "inputs.h"
#include "objects/surface.h"
#include "paired.h"

namespace {

void BM_ParsePointGrid(benchmark::State& state) {
  const std::string& text = PointGridText();
  // A destination whose pages are already there, as a parse's reads are.
  std::unique_ptr<char[]> copy(new char[text.size()]);
  std::memset(copy.get(), 0, text.size());
  WarmUp([&] { ReadPointGrid(text.data(), text.size(), DecimalSeparator('.')); });
  Paired paired;
  for (auto _ : state) {
    paired.Measure([&] {
      PointGrid grid = ReadPointGrid(text.data(), text.size(), DecimalSeparator('.'));
      benchmark::DoNotOptimize(grid.points.get());
      if (grid.columns != 1000 || grid.rows != 1000)
        state.SkipWithError("wrong grid");
    });
    paired.Reference(state, "memcpy", [&] {
      std::memcpy(copy.get(), text.data(), text.size());
      benchmark::DoNotOptimize(copy.get());
      benchmark::ClobberMemory();
    });
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  paired.Report(state);
}
BENCHMARK(BM_ParsePointGrid)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadPointGridFile(benchmark::State& state) {
  const std::string& text = PointGridText();
  const TempFile file(text.data(), text.size());
  cOpenGLGraph_Surface surface;
  WarmUp([&] { LoadPointGridFile(file.Path(), DecimalSeparator('.'), surface); });
  Paired paired;
  for (auto _ : state) {
    paired.Measure([&] { LoadPointGridFile(file.Path(), DecimalSeparator('.'), surface); });
    if (surface.columns != 1000 || surface.rows != 1000)
      state.SkipWithError("wrong grid");
    paired.Reference(state, "read",
                     [&] { benchmark::DoNotOptimize(ReadFileBytes(file.Path()).size); });
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  paired.Report(state);
}
BENCHMARK(BM_LoadPointGridFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
