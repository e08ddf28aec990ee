// The whole `cubiscope --output` run as a process, of the 1024 x 1024 height
// field of the generated photograph, beside the same frame drawn in this
// already running program (reference "frame": the same scene at the same
// size, its file loaded once before timing) and beside the process that draws
// no file (reference "nothing": start-up, driver, context, the first frame of
// the start-up scene, its PNG and the exit). What the file's process spends
// beyond both is reading the file, the height field, its first frame's extra
// cost and its PNG: counter over_ms.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>

#include "app/renderfile.h"
#include "inputs.h"
#include "paired.h"

namespace {

bool RunProgram(const QStringList& arguments) {
  QProcess program;
  program.start(QStringLiteral(CUBISCOPE_PROGRAM), arguments);
  return program.waitForFinished(-1) && program.exitStatus() == QProcess::NormalExit &&
         program.exitCode() == 0;
}

void BM_OutputProcess(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const auto& bytes = PhotoBitmapFile(side);
  const TempFile data(bytes.data(), bytes.size());
  PictureRequest request;
  request.dataFile = data.Path();
  const QTemporaryDir dir;
  const QString output = dir.filePath(QStringLiteral("picture.png"));
  cPictureScene scene(request);
  scene.Draw();
  Paired paired;
  for (auto _ : state) {
    bool ok = false;
    paired.Measure([&] { ok = RunProgram({QStringLiteral("--output"), output, data.Path()}); });
    paired.Reference(state, "nothing", [&] {
      ok = RunProgram({QStringLiteral("--output"), output}) && ok;
    });
    if (!ok) {
      state.SkipWithError("cubiscope --output failed");
      return;
    }
    paired.Reference(state, "frame", [&] { benchmark::DoNotOptimize(scene.Draw().constBits()); });
  }
  paired.Report(state);
  const double n = static_cast<double>(state.iterations());
  if (n > 0) {
    state.counters["over_ms"] =
        paired.MeasuredMs() / n - state.counters["frame_ms"] - state.counters["nothing_ms"];
  }
}
BENCHMARK(BM_OutputProcess)
    ->ArgName("side")
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
