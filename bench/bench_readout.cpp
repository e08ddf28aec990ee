// The value under the cursor and the axes. A mouse move over the shown
// program's picture of the 4096 x 4096 photograph, sent as the window system
// sends it, until the window has painted its readout, with no redraw of the
// picture; and the 1024 x 1024 frame with the axes beside the same frame
// without (reference "plain").
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>

#include "app/windows.h"
#include "overlays/pictureoverlays.h"
#include "paired.h"
#include "sceneview.h"

namespace {

void BM_ReadoutOnMouseMove(benchmark::State& state) {
  const Windows windows = OpenWindows();
  LoadScene(*windows.status, Scene::kHeightField, 4096, false);
  cOpenGLGraph& graph = windows.root->ui.FrameCubiscope1->View();
  graph.Draw();
  QApplication::processEvents();
  const std::uint64_t frames = graph.FramesPresented();
  const QPoint spots[2] = {{300, 230}, {330, 250}};
  int k = 0;
  for (auto _ : state) {
    const QPoint spot = spots[k++ % 2];
    QMouseEvent move(QEvent::MouseMove, spot, graph.window->mapToGlobal(spot), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(graph.window, &move);
    graph.window->repaint();  // the paint the move asked for, now
  }
  if (graph.FramesPresented() != frames)
    state.SkipWithError("a mouse move redrew the picture");
  if (windows.root->overlays->ReadoutNow().isEmpty())
    state.SkipWithError("no readout over the photograph");
}
BENCHMARK(BM_ReadoutOnMouseMove)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AxesFrame(benchmark::State& state) {
  SceneView view(Scene::kHeightField, 1024, false);
  if (!view.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  cPictureOverlays overlays(view.graph);
  overlays.surface = &view.status->surface;
  WarmUp([&] { view.graph.Draw(); });
  Paired paired;
  for (auto _ : state) {
    overlays.axes = true;
    paired.Measure([&] { view.graph.Draw(); });
    overlays.axes = false;
    paired.Reference(state, "plain", [&] { view.graph.Draw(); });
  }
  paired.Report(state);
}
BENCHMARK(BM_AxesFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
