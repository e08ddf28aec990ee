// One frame of the start-up scene (three grid planes) at the view size of a
// 640 x 480 main window.
#include <benchmark/benchmark.h>

#include <QWidget>

#include "scene/graph.h"

static void BM_StartupSceneFrame(benchmark::State& state) {
  QWidget panel;
  panel.resize(608, 446);
  cOpenGLGraph graph;
  if (!graph.Attach(&panel)) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  graph.Resize(0, 0, 608, 446);
  for (auto _ : state)
    graph.Draw();
}
BENCHMARK(BM_StartupSceneFrame)->Unit(benchmark::kMillisecond);
