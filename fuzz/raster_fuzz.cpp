// Measured rasters from any bytes: the first byte chooses the name the rest is
// written under (a TIFF, an SRTM tile, an ASCII grid, a mosaic) and whether the raster
// is read whole or held at levels of detail in small tiles, and the file goes
// the way a drop takes it to the raster module. Only the readers' own errors
// may come out, and a height field that loads keeps its promises: heights in
// [0, 1], the missing points at 0 (at levels: NaN), a range that holds the
// values; the levels' tiles come or fail, and the cache keeps to its bound.
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/valuehistogram.h"
#include "formats/loadfile.h"
#include "formats/measuredheights.h"
#include "formats/memorylimit.h"
#include "formats/rasterlevels.h"
#include "fuzz/fuzz_input.h"

namespace {

const char* const kNames[] = {"raster.tif", "N47E011.hgt", "grid.asc", "mosaic.vrt"};

}  // namespace

// GDAL asks for what a hostile header claims and copes when it is refused;
// the sanitizer would otherwise stop at the request itself.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}

// A mosaic's sources stay open in GDAL's pool after the mosaic closes, up to
// 100 of them. Here every input rewrites the one source under the same name,
// so the pool filled with stale openings of earlier inputs (one of 65025
// bands among them) until the target ran out of memory: keep it at its
// least. Set before the module loads GDAL, on the one thread there is.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("GDAL_MAX_DATASET_POOL_SIZE", "2", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  static QTemporaryDir dir;
  // Each input stands alone: a mosaic must not reach a source that an
  // earlier input left (which made a run hang for minutes on a huge source
  // that no single input held, and could not be repeated from the input).
  for (const char* name : kNames)
    QFile::remove(dir.filePath(QString::fromLatin1(name)));
  const QString path = dir.filePath(QString::fromLatin1(kNames[data[0] % 4]));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return 0;
    file.write(reinterpret_cast<const char*>(data) + 1, static_cast<qint64>(size - 1));
  }
  // Small enough that inputs do not spend their time filling large grids.
  const ScopedRasterPointLimit points(std::uint64_t{1} << 16);
  const ScopedMemoryLimit memory(std::uint64_t{256} << 20);
  LevelSizes small;
  small.wholeCells = data[0] & 4 ? 0 : small.wholeCells;
  small.handCells = 64;
  small.tileSide = 8;
  small.cacheBytes = 4 * 8 * 8 * sizeof(double);
  const ScopedLevelSizes levels(small);
  const auto height = [](double z) { return std::isnan(z) || (z >= 0.0 && z <= 1.0); };
  // Along the raster's edges on the ground: from 0, never shrinking, NaN
  // from a point off the ellipsoid on.
  const auto ground = [](const HeightValues& values, double columns, double rows) {
    if (!values.ground || !values.geoTransform)
      return;
    const std::array<double, 2> path[] = {values.MapPoint(0, 0), values.MapPoint(columns, 0),
                                          values.MapPoint(columns, rows)};
    double metres[3];
    values.ground->PathMetres(path, 3, metres);
    FUZZ_CHECK(std::isnan(metres[0]) || metres[0] == 0.0);
    for (int k = 1; k < 3; ++k)
      FUZZ_CHECK(std::isnan(metres[k - 1]) ? std::isnan(metres[k])
                                           : std::isnan(metres[k]) || metres[k] >= metres[k - 1]);
  };
  try {
    if (const std::optional<HeightFieldGrid> grid = ReadMeasuredFile(path); grid && grid->levels) {
      HeightLevels& tiles = *grid->levels;
      FUZZ_CHECK(grid->values.minimum <= grid->values.maximum);
      // The first tile's diagonal, as a section asks for its cells: before
      // the windows below fill the cache.
      std::vector<std::array<std::uint32_t, 2>> cells;
      for (std::uint32_t k = 0; k < std::min({tiles.Columns(), tiles.Rows(), 8u}); ++k)
        cells.push_back({k, k});
      std::vector<double> z(cells.size());
      tiles.FillCells(cells.data(), cells.size(), z.data());
      tiles.WaitForTiles();
      FUZZ_CHECK(tiles.FillCells(cells.data(), cells.size(), z.data()));
      for (const double v : z)
        FUZZ_CHECK(height(v));
      // A section keeps its tiles beyond the cache's bound until the next
      // one: none now, so that the windows below find the bound.
      tiles.FillCells(nullptr, 0, nullptr);
      // The count of every cell for percentiles: no more cells than there
      // are, each a height.
      ValueHistogram counted;
      if (tiles.Histogram(counted, [](double) { return true; })) {
        FUZZ_CHECK(counted.count <= std::uint64_t{tiles.Columns()} * tiles.Rows());
        FUZZ_CHECK(counted.count == 0 || (height(counted.minimum) && height(counted.maximum)));
      }
      // The first cells of the levels whose tiles span at most 2^20 of the
      // raster's cells, after their tiles came: four tiles, what the cache
      // holds.
      for (int level = 0; level < std::min(tiles.LevelCount(), 8); ++level) {
        const LevelWindow window{level, 0, 0, std::min(LevelCells(level, tiles.Columns()), 16u),
                                 std::min(LevelCells(level, tiles.Rows()), 16u)};
        std::vector<double> z(std::size_t{window.columns} * window.rows);
        tiles.Fill(window, z.data());
        tiles.WaitForTiles();
        FUZZ_CHECK(tiles.Fill(window, z.data()));
        for (const double v : z)
          FUZZ_CHECK(height(v));
      }
      ground(grid->values, tiles.Columns(), tiles.Rows());
      FUZZ_CHECK(tiles.CachedBytes() <= small.cacheBytes);
      const std::optional<double> first = tiles.CellHeight(0, 0);
      FUZZ_CHECK(!first || height(*first));
    } else if (grid) {
      const std::size_t n = static_cast<std::size_t>(grid->columns) * grid->rows;
      FUZZ_CHECK(n <= (std::uint64_t{1} << 16));
      const HeightValues& values = grid->values;
      FUZZ_CHECK(values.minimum <= values.maximum);
      ground(values, grid->columns, grid->rows);
      for (std::size_t k = 0; k < n; ++k) {
        const double z = grid->points[k].z;
        FUZZ_CHECK(z >= 0.0 && z <= 1.0);
        FUZZ_CHECK(!grid->present || grid->present[k] || z == 0.0);
      }
    }
  } catch (const cError&) {
  }
  return 0;
}
