// Sections of the 10800 x 10800 terrain held at levels (levelfiles.h), at
// the full resolution of its cells, once the tiles they cross have been
// read: along the x plane (/0: 10800 samples of two cells each) and along
// an 8-point line across the terrain (/1: about 65000 samples of four cells
// each, a sample at every line of cells it crosses); distances in metres on
// the ground.
#include <benchmark/benchmark.h>

#include "app/profilefile.h"
#include "input/decimalsymbol.h"
#include "input/loadobject.h"
#include "levelfiles.h"
#include "objects/sections.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

// The Status window's eight points at start-up, spread across the terrain.
constexpr Vec3 kLine[8] = {{0.05, 0.1, 0}, {0.9, 0.2, 0},  {0.3, 0.45, 0}, {0.95, 0.6, 0},
                           {0.1, 0.9, 0},  {0.5, 0.95, 0}, {0.7, 0.05, 0}, {0.2, 0.3, 0}};

void BM_Section(benchmark::State& state) {
  const Files& files = LevelFiles();
  if (files.overviews.isEmpty()) {
    state.SkipWithError("no rasters");
    return;
  }
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid volume;
  LoadFileByContent(files.overviews, RegionalDecimalSeparator(), false, surface, volume);
  const bool line = state.range(0) == 1;
  // Planes beside the data cut nothing.
  const SectionPlaces places =
      line ? SectionPlaces{-1, -1, kLine, 8} : SectionPlaces{0.37, -1, nullptr, 0};
  Sections sections = FinalSections(surface, places);
  if (!sections.final) {
    state.SkipWithError("the tiles did not come");
    return;
  }
  std::size_t samples = 0;
  for (auto _ : state) {
    sections = CutSections(surface, places);
    samples = sections.xPlane.samples.size() + sections.line.samples.size();
    benchmark::DoNotOptimize(sections);
  }
  state.counters["samples"] = static_cast<double>(samples);
}
BENCHMARK(BM_Section)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
