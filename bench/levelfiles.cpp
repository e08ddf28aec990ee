#include "levelfiles.h"

#include <cmath>
#include <vector>

#include <QTemporaryDir>

#include "support/rasterwriter.h"

namespace {

bool Small() {
  return qEnvironmentVariableIsSet("CUBISCOPE_BENCH_SMALL");
}

double Terrain(int c, int r, double scale) {
  return 1200.0 + 800.0 * std::sin(c * scale / 300.0) * std::cos(r * scale / 470.0) +
         0.25 * ((c * 7 + r * 13) % 5);
}

}  // namespace

int TerrainSide() {
  return Small() ? 2160 : 10800;
}
int SparseSide() {
  return Small() ? 12000 : 60000;
}

// Written once per process.
const Files& LevelFiles() {
  static QTemporaryDir dir;
  static const Files files = [] {
    Files f;
    const int side = TerrainSide();
    const double scale = 4096.0 / side;
    RasterContent terrain;
    terrain.columns = terrain.rows = side;
    terrain.value = [scale](int c, int r, int) { return Terrain(c, r, scale); };
    terrain.geoTransform = {{500000, 30, 0, 4100000, 0, -30}};
    terrain.srs = "EPSG:32633";
    terrain.options = {"TILED=YES", "COMPRESS=DEFLATE", "PREDICTOR=3", "BIGTIFF=IF_SAFER"};
    f.plain = dir.filePath(QStringLiteral("plain.tif"));
    if (!WriteRaster(f.plain, terrain))
      return Files();
    terrain.overviews = {2, 4, 8, 16, 32};
    terrain.statistics = true;
    f.overviews = dir.filePath(QStringLiteral("overviews.tif"));
    if (!WriteRaster(f.overviews, terrain))
      return Files();
    const std::vector<double> average = ReadRasterBand(f.plain, 1024, 1024);
    if (average.empty())
      return Files();
    RasterContent small;
    small.columns = small.rows = 1024;
    small.value = [&average](int c, int r, int) { return average[std::size_t(r) * 1024 + c]; };
    small.geoTransform = terrain.geoTransform;
    small.options = {"TILED=YES", "COMPRESS=DEFLATE", "PREDICTOR=3"};
    f.average = dir.filePath(QStringLiteral("average1024.tif"));
    if (!WriteRaster(f.average, small))
      return Files();
    const int s = SparseSide();
    f.sparse = dir.filePath(QStringLiteral("sparse.tif"));
    const std::vector<RasterPatch> patches = {
        {0, 0, 512, 512}, {s / 2, s / 3, 1024, 768}, {s - 512, s - 512, 512, 512}};
    if (!WriteSparseRaster(f.sparse, s, s, patches,
                           [](int c, int r) { return Terrain(c, r, 1.0); }))
      return Files();
    return f;
  }();
  return files;
}
