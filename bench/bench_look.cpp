// What the readable pictures cost. The 1024 x 1024 height field of the
// photograph in 3-D with the light on, beside the same frame unlit (reference
// "unlit"): the shades are made once, so a lit frame only sends a colour
// with each point. And a redraw after the colour map changed or the colour
// bar was switched, beside a plain redraw of the same scene (reference
// "plain"): neither makes the shades again.
#include <benchmark/benchmark.h>

#include "objects/colourmaps.h"
#include "objects/hillshade.h"
#include "overlays/pictureoverlays.h"
#include "paired.h"
#include "sceneview.h"

namespace {

void BM_LitFrame(benchmark::State& state) {
  SceneView lit(Scene::kHeightField, 1024, false);
  SceneView unlit(Scene::kHeightField, 1024, false);
  if (!lit.status || !unlit.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  lit.status->surface.SetLight(true);
  WarmUp([&] {
    lit.graph.Draw();
    unlit.graph.Draw();
  });
  Paired paired;
  for (auto _ : state) {
    paired.Measure([&] { lit.graph.Draw(); });
    paired.Reference(state, "unlit", [&] { unlit.graph.Draw(); });
  }
  paired.Report(state);
}
BENCHMARK(BM_LitFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The mean luminance (Rec. 709 weights) of the pixels where the surface lies.
double SurfaceLuminance(const QImage& picture, const QImage& background) {
  double sum = 0;
  std::size_t count = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb p = picture.pixel(x, y);
      if (p == background.pixel(x, y))
        continue;
      sum += 0.2126 * qRed(p) + 0.7152 * qGreen(p) + 0.0722 * qBlue(p);
      ++count;
    }
  }
  return count ? sum / count / 255.0 : 0.0;
}

// A 1024² fractal terrain in the terrain map, lit from the north-west or from
// all sides (state.range(0)), beside the same frame unlit; counters: the lit
// picture's mean luminance over the surface as a share of the unlit one's.
void BM_LitTerrain(benchmark::State& state) {
  SceneView lit(Scene::kFractalTerrain, 1024, false);
  SceneView unlit(Scene::kFractalTerrain, 1024, false);
  SceneView empty(Scene::kStartUp, 0, false);
  if (!lit.status || !unlit.status || !empty.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  LightSource source;
  source.allSides = state.range(0) != 0;
  lit.status->surface.SetLight(true, source);
  for (SceneView* view : {&lit, &unlit})
    view->status->surface.SetColourMap(ColourMapKind::kTerrain);
  WarmUp([&] {
    lit.graph.Draw();
    unlit.graph.Draw();
    empty.graph.Draw();
  });
  const QImage background = empty.graph.Picture();
  state.counters["luminance_ratio"] = SurfaceLuminance(lit.graph.Picture(), background) /
                                      SurfaceLuminance(unlit.graph.Picture(), background);
  Paired paired;
  for (auto _ : state) {
    paired.Measure([&] { lit.graph.Draw(); });
    paired.Reference(state, "unlit", [&] { unlit.graph.Draw(); });
  }
  paired.Report(state);
}
BENCHMARK(BM_LitTerrain)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 1024² fractal terrain's full picture drawn smooth at N x N samples
// (state.range(0)) beside the same picture plain.
void BM_SmoothEdges(benchmark::State& state) {
  SceneView smooth(Scene::kFractalTerrain, 1024, false);
  SceneView plain(Scene::kFractalTerrain, 1024, false);
  if (!smooth.status || !plain.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  smooth.graph.supersample = static_cast<int>(state.range(0));
  for (SceneView* view : {&smooth, &plain})
    view->status->surface.SetColourMap(ColourMapKind::kTerrain);
  WarmUp([&] {
    smooth.graph.Draw();
    plain.graph.Draw();
  });
  Paired paired;
  for (auto _ : state) {
    paired.Measure([&] { smooth.graph.Draw(); });
    paired.Reference(state, "plain", [&] { plain.graph.Draw(); });
  }
  paired.Report(state);
}
BENCHMARK(BM_SmoothEdges)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

// A change of what the picture shows, then the redraw, with the light on.
void BM_LookChange(benchmark::State& state, bool bar) {
  SceneView view(Scene::kHeightField, 1024, false);
  if (!view.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  cOpenGLGraph_Surface& surface = view.status->surface;
  cPictureOverlays overlays(view.graph);
  overlays.surface = &surface;
  surface.SetLight(true);
  WarmUp([&] { view.graph.Draw(); });
  Paired paired;
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    paired.Measure([&] {
      if (bar)
        overlays.colourBar = flip;
      else
        surface.SetColourMap(flip ? ColourMapKind::kViridis : ColourMapKind::kTerrain);
      view.graph.Draw();
    });
    paired.Reference(state, "plain", [&] { view.graph.Draw(); });
  }
  paired.Report(state);
}
BENCHMARK_CAPTURE(BM_LookChange, Map, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LookChange, Bar, true)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
