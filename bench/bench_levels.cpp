// Measured rasters held at levels of detail, beside the same data averaged to
// 1024 x 1024 cells (read whole, as any raster of that size):
// - BM_LevelsOutput: the whole `cubiscope --output` process of a terrain of
//   10800 x 10800 float32 cells with its own overviews and statistics
//   (/Overviews), of the same without them (/Plain, beside GDAL's own
//   averaged read to 1024 x 1024 in this process: "gdal_average"), and of a
//   sparse 60000 x 60000 raster (/Sparse), each beside the process of the
//   1024 x 1024 file ("avg1024"); peak resident memory of both processes.
// - BM_LevelsZoom: in a view, from a zoom and pan to a new place of the
//   terrain, where a cell spans about a pixel, to its final picture; beside
//   the frame at rest there ("rest") and the 1024 x 1024 file's frame at
//   rest in the start-up view ("rest1024").
// - BM_LevelsOverHttp: the first picture of the terrain with overviews, as
//   BM_LevelsOutput takes it, with the file read from a web server on this
//   machine, beside the same process of the local file ("local"); what the
//   server sent for it.
// Under the test programs (CUBISCOPE_BENCH_SMALL) the rasters are a fifth as
// wide, so that the smoke test stays short.
#include <benchmark/benchmark.h>

#include <cmath>
#include <exception>
#include <memory>
#include <vector>

#include <gdal.h>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "input/decimalsymbol.h"
#include "input/loadobject.h"
#include "levelfiles.h"
#include "paired.h"
#include "peak_memory.h"
#include "scene/finaldetail.h"
#include "sceneview.h"
#include "support/rangeserver.h"

namespace {

struct Run {
  bool ok = false;
  double peakMiB = 0.0;
};

// The program's --output of data, and the peak resident memory of its
// process, measured by this program run as an intermediary (peak_memory.h).
Run RunOutput(const QString& data, const QString& picture) {
  QProcess intermediary;
  intermediary.start(QStringLiteral("/proc/self/exe"),
                     {QString::fromLatin1(kPeakOfProcess), QStringLiteral(CUBISCOPE_PROGRAM),
                      QStringLiteral("--output"), picture, data});
  if (!intermediary.waitForFinished(-1) || intermediary.exitCode() != 0)
    return {};
  const QStringList answer = QString::fromLatin1(intermediary.readAllStandardOutput()).split(' ');
  if (answer.size() != 2)
    return {};
  return {answer[0].toInt() == 0, answer[1].toDouble() / 1024.0};
}

// GDAL's averaged read of the whole band into 1024 x 1024 cells, as
// gdal_translate -outsize 1024 1024 -r average reads it.
bool GdalAverage(const QString& path, std::vector<float>& out) {
  GDALDatasetH file = GDALOpen(path.toUtf8().constData(), GA_ReadOnly);
  if (!file)
    return false;
  GDALRasterIOExtraArg extra;
  INIT_RASTERIO_EXTRA_ARG(extra);
  extra.eResampleAlg = GRIORA_Average;
  const bool ok = GDALRasterIOEx(GDALGetRasterBand(file, 1), GF_Read, 0, 0,
                                 GDALGetRasterXSize(file), GDALGetRasterYSize(file), out.data(),
                                 1024, 1024, GDT_Float32, 0, 0, &extra) == CE_None;
  GDALClose(file);
  return ok;
}

enum Kind { kOverviews, kPlain, kSparse };

void BM_LevelsOutput(benchmark::State& state) {
  const Files& files = LevelFiles();
  if (files.sparse.isEmpty()) {
    state.SkipWithError("no rasters");
    return;
  }
  const auto kind = static_cast<Kind>(state.range(0));
  const QString& data = kind == kOverviews ? files.overviews
                        : kind == kPlain   ? files.plain
                                           : files.sparse;
  const QTemporaryDir dir;
  const QString picture = dir.filePath(QStringLiteral("picture.png"));
  std::vector<float> average(1024 * 1024);
  Paired paired;
  double peak = 0.0, referencePeak = 0.0;
  for (auto _ : state) {
    Run run, reference;
    paired.Measure([&] { run = RunOutput(data, picture); });
    paired.Reference(state, "avg1024", [&] { reference = RunOutput(files.average, picture); });
    bool ok = run.ok && reference.ok;
    if (kind == kPlain)
      paired.Reference(state, "gdal_average", [&] { ok = GdalAverage(data, average) && ok; });
    if (!ok) {
      state.SkipWithError("cubiscope --output failed");
      return;
    }
    peak += run.peakMiB;
    referencePeak += reference.peakMiB;
  }
  paired.Report(state);
  const double n = static_cast<double>(state.iterations());
  if (n > 0) {
    state.counters["peak_MiB"] = peak / n;
    state.counters["avg1024_peak_MiB"] = referencePeak / n;
    state.counters["x_peak"] = peak / referencePeak;
  }
}
BENCHMARK(BM_LevelsOutput)
    ->ArgName("kind")
    ->Arg(kOverviews)
    ->Arg(kPlain)
    ->Arg(kSparse)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_LevelsOverHttp(benchmark::State& state) {
  const Files& files = LevelFiles();
  if (files.overviews.isEmpty()) {
    state.SkipWithError("no rasters");
    return;
  }
  std::unique_ptr<RangeServer> server;
  try {
    server = std::make_unique<RangeServer>(files.overviews.toStdString());
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  const QString url = QString::fromStdString(server->Url("overviews.tif"));
  const double fileBytes = static_cast<double>(QFileInfo(files.overviews).size());
  const QTemporaryDir dir;
  const QString picture = dir.filePath(QStringLiteral("picture.png"));
  // The same picture both ways, or the times compare different work.
  {
    const QString webPicture = dir.filePath(QStringLiteral("web.png"));
    const auto bytesOf = [](const QString& path) {
      QFile file(path);
      return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    if (!RunOutput(url, webPicture).ok || !RunOutput(files.overviews, picture).ok) {
      state.SkipWithError("cubiscope --output failed");
      return;
    }
    const QByteArray web = bytesOf(webPicture);
    if (web.isEmpty() || web != bytesOf(picture)) {
      state.SkipWithError("the picture over HTTP differs from the local file's");
      return;
    }
  }
  Paired paired;
  double bytes = 0.0, requests = 0.0, peak = 0.0, localPeak = 0.0;
  bool webFirst = true;
  for (auto _ : state) {
    // Every process starts with GDAL's and the module's caches empty, so
    // each picture fetches what a user's first one would.
    server->ResetCounts();
    Run web, local;
    const auto overWeb = [&] { paired.Measure([&] { web = RunOutput(url, picture); }); };
    const auto fromDisk = [&] {
      paired.Reference(state, "local", [&] { local = RunOutput(files.overviews, picture); });
    };
    // Whichever goes first may find the file's pages fresh in the kernel's
    // cache or not: taking turns shares that out.
    if (webFirst) {
      overWeb();
      fromDisk();
    } else {
      fromDisk();
      overWeb();
    }
    webFirst = !webFirst;
    if (!web.ok || !local.ok) {
      state.SkipWithError("cubiscope --output failed");
      return;
    }
    bytes += static_cast<double>(server->BodyBytesSent());
    requests += static_cast<double>(server->Requests());
    peak += web.peakMiB;
    localPeak += local.peakMiB;
  }
  paired.Report(state);
  const double n = static_cast<double>(state.iterations());
  if (n > 0) {
    state.counters["fetched_MB"] = bytes / n / 1e6;
    state.counters["fetched_pct"] = 100.0 * bytes / n / fileBytes;
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["requests"] = requests / n;
    state.counters["peak_MiB"] = peak / n;
    state.counters["local_peak_MiB"] = localPeak / n;
  }
}
BENCHMARK(BM_LevelsOverHttp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A view of the file, aimed from the start-up direction at zoomPosition.
struct RasterView {
  RasterView(const QString& path, int zoomPosition) : view(Scene::kStartUp, 0, false) {
    if (!view.status)
      return;
    LoadFileByContent(path, RegionalDecimalSeparator(), false, view.status->surface,
                      view.status->volume);
    AimView(view.graph, 4500, 5000, zoomPosition);
  }
  void LookAt(Vec3 p) {
    Camera camera = view.graph.ViewCamera();
    camera.LookAtData(p);
    view.graph.SetCamera(camera);
  }
  void DrawFinal() {
    view.graph.Draw();
    DrawFinalDetail(view.graph, view.status->surface);
  }
  SceneView view;
};

void BM_LevelsZoom(benchmark::State& state) {
  const Files& files = LevelFiles();
  if (files.overviews.isEmpty()) {
    state.SkipWithError("no rasters");
    return;
  }
  // A cell of the raster about a pixel of the view high.
  const int zoom = static_cast<int>(kViewHeight / 2.0 / TerrainSide() / 0.0002);
  RasterView big(files.overviews, zoom);
  RasterView small(files.average, 5001);
  if (!big.view.status || !small.view.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  small.DrawFinal();
  // Places a step apart across the terrain, so that each needs tiles of its
  // own.
  int place = 0;
  Paired paired;
  for (auto _ : state) {
    ++place;
    const Vec3 at{0.1 + 0.8 * ((place * 7) % 11) / 10.0, 0.1 + 0.8 * ((place * 3) % 7) / 6.0, 0.5};
    paired.Measure([&] {
      big.LookAt(at);
      big.DrawFinal();
    });
    paired.Reference(state, "rest", [&] { big.view.graph.Draw(); });
    paired.Reference(state, "rest1024", [&] { small.view.graph.Draw(); });
  }
  paired.Report(state);
  if (state.counters["rest1024_ms"] > 0)
    state.counters["rest_over_1024"] = state.counters["rest_ms"] / state.counters["rest1024_ms"];
}
BENCHMARK(BM_LevelsZoom)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
