// A turntable of 36 frames of the 1024 x 1024 fractal terrain, drawn and
// written as PNG frames or as one animated WebP (state.range(0)), beside the
// same 36 turns drawn as single pictures in the same process, each written
// as its PNG (reference "stills"), as 36 runs of --output would draw them
// after their start-up. x_stills is the turntable's time over theirs.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "base/turntable.h"
#include "paired.h"
#include "sceneview.h"
#include "view/picturefile.h"
#include "view/turntablefile.h"

namespace {

constexpr int kFrames = 36;
constexpr int kTheta = 4500, kHeight = 5000, kZoom = 5001;  // the bars at start-up

void BM_Turntable(benchmark::State& state) {
  SceneView view(Scene::kFractalTerrain, 1024, false);
  if (!view.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  const QTemporaryDir dir;
  const QString pattern =
      dir.filePath(state.range(0) ? QStringLiteral("t.webp") : QStringLiteral("t-{frame}.png"));
  cOpenGLGraph& graph = view.graph;
  const auto drawAt = [&graph](long double turn) -> const QImage& {
    AimView(graph, turn, kHeight, kZoom);
    graph.Draw();
    return graph.Picture();
  };
  WarmUp([&] { drawAt(kTheta); });
  Paired paired;
  for (auto _ : state) {
    bool written = false;
    paired.Measure([&] { written = WriteTurntable(pattern, kFrames, kTheta, drawAt, nullptr); });
    if (!written) {
      state.SkipWithError("the turntable was not written");
      return;
    }
    paired.Reference(state, "stills", [&] {
      for (int k = 1; k <= kFrames; ++k) {
        WritePictureFile(drawAt(TurntableTurn(kTheta, k, kFrames)),
                         dir.filePath(QStringLiteral("still-%1.png").arg(k)));
      }
    });
  }
  paired.Report(state);
}
BENCHMARK(BM_Turntable)
    ->ArgName("webp")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
