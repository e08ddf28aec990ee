// Sections of the 10800 x 10800 terrain held at levels (levelfiles.h), at
// the full resolution of its cells, once the tiles they cross have been
// read: along the x plane (/0: 10800 samples of two cells each) and along
// an 8-point line across the terrain (/1: about 65000 samples of four cells
// each, a sample at every line of cells it crosses); distances in metres on
// the ground. And what the Profile window adds to a plane slider's click.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "app/profilefile.h"
#include "app/profilewindow.h"
#include "base/scopedoverride.h"
#include "input/decimalsymbol.h"
#include "input/loadobject.h"
#include "levelfiles.h"
#include "objects/sections.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "paired.h"
#include "sceneview.h"

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

// A step of the x plane's slider while its handle is held, and the redraw,
// in a view whose Profile window is open, so that the x plane's section is
// cut again at the detail drawn and its chart painted, beside the same step
// in the same scene without the window ("closed"): of the 1024 x 1024
// photograph (/0) and of the terrain held at levels (/1). At rest, the
// terrain's section would read a new column of tiles in the background.
void BM_ProfileSlider(benchmark::State& state) {
  const bool raster = state.range(0) == 1;
  const Files& files = LevelFiles();
  if (raster && files.overviews.isEmpty()) {
    state.SkipWithError("no rasters");
    return;
  }
  struct View {
    explicit View(bool raster)
        : scene(raster ? Scene::kStartUp : Scene::kHeightField, 1024, false) {}
    SceneView scene;
    int position = 0;
    // Each step a new place, with its own cells; what it leaves to be
    // painted is painted before the other view's step.
    void Step() {
      position = (position + 337) % 1001;
      scene.status->ui.TrackBarX->setValue(position);
      QCoreApplication::processEvents();
    }
  };
  View open(raster), closed(raster);
  if (!open.scene.status || !closed.scene.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  for (View* view : {&open, &closed}) {
    if (raster)
      LoadFileByContent(files.overviews, RegionalDecimalSeparator(), false,
                        view->scene.status->surface, view->scene.status->volume);
  }
  const ScopedOverride<TFormStatus*> status(FormStatus, open.scene.status.get());
  TProfileWindow profile(open.scene.graph);
  profile.Open();
  // The tiles of the sections at rest come before the handle is taken.
  if (raster)
    open.scene.status->surface.LevelsOfDetail()->WaitForTiles();
  QCoreApplication::processEvents();
  for (View* view : {&open, &closed})
    view->scene.status->ui.TrackBarX->setSliderDown(true);
  WarmUp([&] {
    open.Step();
    closed.Step();
  });
  Paired paired;
  for (auto _ : state) {
    paired.Measure([&] { open.Step(); });
    paired.Reference(state, "closed", [&] { closed.Step(); });
  }
  paired.Report(state);
}
BENCHMARK(BM_ProfileSlider)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
