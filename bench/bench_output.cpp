// The whole `cubiscope --output` run as a process, for the start-up scene and
// for the 1024 x 1024 height field of the generated photograph, beside the
// same frame drawn in this already running program (reference "frame": the
// same scene at the same size, its files loaded once before timing).
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>

#include "app/renderfile.h"
#include "inputs.h"
#include "paired.h"

namespace {

void BM_OutputProcess(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));  // 0: the start-up scene
  std::unique_ptr<TempFile> data;
  PictureRequest request;
  if (side > 0) {
    const auto& bytes = PhotoBitmapFile(side);
    data = std::make_unique<TempFile>(bytes.data(), bytes.size());
    request.dataFile = data->Path();
  }
  const QTemporaryDir dir;
  const QString output = dir.filePath(QStringLiteral("picture.png"));
  QStringList arguments{QStringLiteral("--output"), output};
  if (data)
    arguments << data->Path();
  cPictureScene scene(request);
  scene.Draw();
  Paired paired;
  for (auto _ : state) {
    bool ok = false;
    paired.Measure([&] {
      QProcess program;
      program.start(QStringLiteral(CUBISCOPE_PROGRAM), arguments);
      ok = program.waitForFinished(-1) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == 0;
    });
    if (!ok) {
      state.SkipWithError("cubiscope --output failed");
      return;
    }
    paired.Reference(state, "frame", [&] { benchmark::DoNotOptimize(scene.Draw().constBits()); });
  }
  paired.Report(state);
}
BENCHMARK(BM_OutputProcess)
    ->ArgName("side")
    ->Arg(0)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
