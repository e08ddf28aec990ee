// Measured rasters read whole as height fields: the load of a 4096 x 4096
// float32 GeoTIFF (tiled, deflate), read whole rather than at levels of
// detail, beside what it cannot do without: GDAL's plain read of band 1 into
// a float buffer plus the height field of a picture of the same size
// (reference "read_field"). Rasters at levels: bench_levels.cpp.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include <gdal.h>
#include <QTemporaryDir>

#include "formats/heightfield.h"
#include "formats/loadfile.h"
#include "formats/rasterlevels.h"
#include "inputs.h"
#include "paired.h"
#include "support/rasterwriter.h"

namespace {

constexpr int kSide = 4096;

// A terrain-like float32 field of side x side cells, in metres, tiled and
// compressed as elevation models are published; written once per process.
QString TerrainFile(int side) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("terrain%1.tif").arg(side));
  if (QFile::exists(path))
    return path;
  RasterContent raster;
  raster.type = 6;  // Float32
  raster.columns = raster.rows = side;
  const double scale = 4096.0 / side;
  raster.value = [scale](int c, int r, int) {
    return 1200.0 + 800.0 * std::sin(c * scale / 300.0) * std::cos(r * scale / 470.0) +
           0.25 * ((c * 7 + r * 13) % 5);
  };
  raster.geoTransform = {{500000, 30, 0, 4100000, 0, -30}};
  raster.options = {"TILED=YES", "COMPRESS=DEFLATE", "PREDICTOR=3"};
  if (!WriteRaster(path, raster))
    return QString();
  return path;
}

// GDAL's plain read of band 1 into a float buffer, as any program reads it.
void PlainRead(const QString& path, float* out) {
  GDALDatasetH file = GDALOpen(path.toUtf8().constData(), GA_ReadOnly);
  if (!file)
    return;
  if (GDALRasterIO(GDALGetRasterBand(file, 1), GF_Read, 0, 0, kSide, kSide, out, kSide, kSide,
                   GDT_Float32, 0, 0) != CE_None) {
    out[0] = NAN;
  }
  GDALClose(file);
}

bool WholeGrid(const HeightFieldGrid& grid) {
  return grid.columns == kSide && grid.rows == kSide;
}

void BM_RasterHeightFieldLoad(benchmark::State& state) {
  const QString path = TerrainFile(kSide);
  if (path.isEmpty()) {
    state.SkipWithError("no raster");
    return;
  }
  const RgbImage& photo = PhotoImage(kSide);
  LevelSizes whole;
  whole.wholeCells = std::uint64_t{kSide} * kSide;
  const ScopedLevelSizes readWhole(whole);
  const auto buffer = std::make_unique<float[]>(std::size_t{kSide} * kSide);
  WarmUp([&] { ReadHeightFieldFile(path); });
  Paired paired;
  for (auto _ : state) {
    HeightFieldGrid grid;
    paired.Measure([&] { grid = ReadHeightFieldFile(path); });
    state.PauseTiming();
    if (!WholeGrid(grid)) {
      state.SkipWithError("the load did not give the whole raster");
      return;
    }
    grid = HeightFieldGrid();
    state.ResumeTiming();
    paired.Reference(state, "read_field", [&] {
      PlainRead(path, buffer.get());
      benchmark::DoNotOptimize(buffer.get());
      benchmark::DoNotOptimize(BuildHeightField(photo).get());
    });
  }
  paired.Report(state);
}
BENCHMARK(BM_RasterHeightFieldLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
