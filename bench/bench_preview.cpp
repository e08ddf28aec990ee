// Previews beside the full frames of the same scenes, and the latency a user
// feels: from a scroll bar's change to the picture on screen.
#include <cstdint>

#include <chrono>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/framecubiscope.h"
#include "paired.h"
#include "sceneview.h"

namespace {

using Detail = cOpenGLChildWindow::Detail;

void DrawIn(cOpenGLGraph& graph, Detail detail) {
  graph.detail = detail;
  graph.Draw();
  graph.detail = Detail::kFull;
}

// The preview against the full frame, each going first every other time.
void BM_Preview(benchmark::State& state, Scene scene, int side, bool allPasses) {
  SceneView view(scene, side, allPasses);
  if (!view.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  DrawIn(view.graph, Detail::kFull);
  const QImage full = view.graph.Picture();
  DrawIn(view.graph, Detail::kPreview);
  if (view.graph.Picture() == full) {
    state.SkipWithError("the preview is the full picture");
    return;
  }
  Paired paired;
  bool previewFirst = true;
  for (auto _ : state) {
    if (previewFirst)
      paired.Measure([&] { DrawIn(view.graph, Detail::kPreview); });
    paired.Reference(state, "full", [&] { DrawIn(view.graph, Detail::kFull); });
    if (!previewFirst)
      paired.Measure([&] { DrawIn(view.graph, Detail::kPreview); });
    previewFirst = !previewFirst;
  }
  paired.Report(state);
  view.graph.detail = Detail::kPreview;
  state.counters["budget_triangles"] = static_cast<double>(view.graph.PreviewTriangles());
}

BENCHMARK_CAPTURE(BM_Preview, HeightFieldAllPasses_512, Scene::kHeightField, 512, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Preview, HeightFieldAllPasses_2048, Scene::kHeightField, 2048, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Preview, HeightFieldAllPasses_4096, Scene::kHeightField, 4096, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Preview, Volume64, Scene::kVolume, 0, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The main window's frame, shown, with the Status window's objects and the
// 4096² height field of the photograph in four passes.
struct ShownFrame {
  ShownFrame() {
    frame.resize(640, 480);
    frame.show();
    if (!frame.AttachView())
      return;
    status = std::make_unique<TFormStatus>(frame.View());
    LoadScene(*status, Scene::kHeightField, 4096, true);
    frame.View().Draw();
  }
  // Sends input, then runs the event loop until the view has presented a
  // picture: what a user waits for after the input.
  template <class Input>
  void UntilPresented(const Input& input) {
    const std::uint64_t before = frame.View().FramesPresented();
    input();
    while (frame.View().FramesPresented() == before)
      QCoreApplication::processEvents();
  }

  TFrameCubiscope frame;
  std::unique_ptr<TFormStatus> status;
};

// From a change of the bottom bar to the picture presented in the window:
// while its thumb is held (a preview, once the waiting events have run), and
// for a click in its trough (the full picture at once). The frame budget is
// the program's own: the full frame of this scene is far above it.
void BM_ScrollLatency(benchmark::State& state) {
  ShownFrame shown;
  if (!shown.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  cOpenGLGraph& graph = shown.frame.View();
  QScrollBar* bar = shown.frame.ui.ScrollBarTheta;
  const auto change = [&](bool held) {
    shown.UntilPresented([&] {
      bar->setSliderDown(held);
      bar->setValue(bar->value() == 4500 ? 4600 : 4500);
    });
  };
  change(false);
  change(true);
  if (graph.PictureDetail() != Detail::kPreview) {
    state.SkipWithError("a held thumb drew no preview");
    return;
  }
  Paired paired;
  for (auto _ : state) {
    paired.Measure([&] { change(true); });
    paired.Reference(state, "full", [&] { change(false); });
  }
  bar->setSliderDown(false);
  paired.Report(state);
}

BENCHMARK(BM_ScrollLatency)->Unit(benchmark::kMillisecond)->UseRealTime();

// A pan step (Ctrl+arrow) against a turn step (arrow) of the same view, each
// until its picture is presented, right and left in turn so that the view
// stays where it is: moving the look-at point must cost no more than turning.
void BM_PanStep(benchmark::State& state) {
  ShownFrame shown;
  if (!shown.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  const Ui::TFrameCubiscope& ui = shown.frame.ui;
  const auto step = [&](QAction* action) { shown.UntilPresented([action] { action->trigger(); }); };
  Paired paired;
  bool right = true;
  for (auto _ : state) {
    paired.Measure([&] { step(right ? ui.ActionPanRight : ui.ActionPanLeft); });
    paired.Reference(state, "turn", [&] { step(right ? ui.ActionTurnRight : ui.ActionTurnLeft); });
    right = !right;
  }
  paired.Report(state);
}

BENCHMARK(BM_PanStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 16384 x 8192 PNG of 16-bit grey samples, a smooth field with some grain,
// written once a process: the kind of large height map a load takes seconds
// to decode.
QString LargePng() {
  static QTemporaryDir dir;
  static const QString path = [] {
    QImage image(16384, 8192, QImage::Format_Grayscale16);
    for (int y = 0; y < image.height(); ++y) {
      auto* row = reinterpret_cast<quint16*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        row[x] = static_cast<quint16>((x * 3 + y * 5 + ((x * y) & 255)) & 0xFFFF);
    }
    const QString file = dir.filePath(QStringLiteral("large.png"));
    image.save(file, "PNG");
    return file;
  }();
  return path;
}

// While that PNG loads in the background: from a key's turn of the old
// picture (the 4096² photograph, four passes) to its picture on screen,
// against the same turn with no load running; and how long Cancel keeps the
// windows' thread (cancel_ms).
void BM_TurnWhileLoading(benchmark::State& state) {
  ShownFrame shown;
  if (!shown.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  TFormStatus& status = *shown.status;
  const Ui::TFrameCubiscope& ui = shown.frame.ui;
  const QString png = LargePng();
  double done = 0.0;
  QObject::connect(&status, &TFormStatus::LoadRunning, [&done](double d) { done = d; });
  status.backgroundAfter = std::chrono::milliseconds(0);
  bool right = true;
  const auto turn = [&] {
    shown.UntilPresented([&] { (right ? ui.ActionTurnRight : ui.ActionTurnLeft)->trigger(); });
    right = !right;
  };
  Paired paired;
  double cancelMs = 0.0;
  int cancels = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // Into the decoding: the bytes are read.
    done = 0.0;
    status.OpenFile(png, false);
    while (status.LoadInBackground() && done < 0.1)
      QCoreApplication::processEvents();
    state.ResumeTiming();
    if (!status.LoadInBackground()) {
      state.SkipWithError("the load did not go on in the background");
      break;
    }
    paired.Measure(turn);
    state.PauseTiming();
    const auto start = std::chrono::steady_clock::now();
    status.CancelLoad();
    cancelMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ++cancels;
    state.ResumeTiming();
    paired.Reference(state, "idle", turn);
  }
  paired.Report(state);
  state.counters["cancel_ms"] = cancels ? cancelMs / cancels : 0.0;
}

BENCHMARK(BM_TurnWhileLoading)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
