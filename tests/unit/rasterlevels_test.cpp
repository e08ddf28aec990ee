// Rasters held at levels of detail, written by GDAL's own drivers in small
// tiles: each level's cells hold the mean of the raster's cells they cover
// that have a value, tiles come when asked for, the cache keeps to its
// bound, and a block that cannot be read leaves its cells at a coarser
// level, told once.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include <cmath>
#include <limits>
#include <vector>

#include <QTemporaryDir>

#include "formats/rasterlevels.h"
#include "formats/rastermodule.h"
#include "support/levelcells.h"
#include "support/rasterwriter.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kColumns = 100;
constexpr int kRows = 70;
constexpr double kNoData = -9999.0;
// The cells without a value: columns 33 to 47 of rows 16 to 31.
bool InHole(int c, int r) {
  return c >= 33 && c < 48 && r >= 16 && r < 32;
}
double Value(double c, double r) {
  return c + 1000.0 * r;
}
// Heights over the values' range, 0 (cell 0, 0) to 99 + 69000.
constexpr double kRange = 99.0 + 69000.0;

// Tiles of 16 cells, levels 0 to 3 read by tiles and level 4 (7 x 5 cells)
// at hand, as the file's 16 x 16 blocks; the pass over the file in bands of
// 16 rows, shared by two readers.
LevelSizes SmallLevels() {
  LevelSizes s;
  s.wholeCells = 0;
  s.handCells = 64;
  s.tileSide = 16;
  s.passCells = 256;
  return s;
}

struct FileCase {
  const char* name;
  bool overviews;  // with its own overviews and statistics
  bool sparse;     // the hole's blocks never written
};

class RasterLevelsTest : public testing::TestWithParam<FileCase> {
 protected:
  std::shared_ptr<HeightLevels> Load(const RasterContent& content) {
    const QString path = dir.filePath(QStringLiteral("levels.tif"));
    EXPECT_TRUE(WriteRaster(path, content));
    if (breakBlock) {
      EXPECT_TRUE(BreakBlock(path, 3, 2));
    }
    RasterLevelsRead read = ReadRasterLevels(OpenRaster(path));
    values = read.values;
    return read.levels;
  }
  static RasterContent Content(const FileCase& c) {
    RasterContent raster;
    raster.columns = kColumns;
    raster.rows = kRows;
    raster.noData = kNoData;
    raster.value = [](int c, int r, int) { return InHole(c, r) ? kNoData : Value(c, r); };
    raster.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16", "COMPRESS=DEFLATE"};
    if (c.sparse)
      raster.options.push_back("SPARSE_OK=TRUE");
    if (c.overviews) {
      raster.overviews = {2, 4, 8, 16};
      raster.statistics = true;
    }
    return raster;
  }
  QTemporaryDir dir;
  HeightValues values;
  bool breakBlock = false;
  const ScopedLevelSizes sizes{SmallLevels()};
};

// Cells of levels worked out by hand: the mean of the values a cell covers
// that are not in the hole, as a height.
TEST_P(RasterLevelsTest, CellsHoldTheMeanOfTheirValidCells) {
  const std::shared_ptr<HeightLevels> levels = Load(Content(GetParam()));
  EXPECT_EQ(values.minimum, 0.0);
  EXPECT_EQ(values.maximum, kRange);
  EXPECT_EQ(values.originalColumns, 100u);
  EXPECT_EQ(levels->LevelCount(), 5);
  const struct {
    int level;
    std::uint32_t column, row;
    double mean;  // NaN: no value
  } cells[] = {
      {0, 20, 10, Value(20, 10)},
      {0, 99, 69, Value(99, 69)},
      {0, 40, 20, kNaN},              // in the hole
      {1, 5, 3, Value(10.5, 6.5)},    // columns 10-11, rows 6-7
      {1, 16, 8, Value(32, 16.5)},    // column 33 of 32-33 in the hole
      {1, 20, 10, kNaN},              // all four in the hole
      {3, 12, 8, Value(97.5, 66.5)},  // the corner: columns 96-99, rows 64-69
      {4, 6, 4, Value(97.5, 66.5)},   // the same, at hand
      {4, 0, 0, Value(7.5, 7.5)},     // columns and rows 0-15
  };
  for (const auto& cell : cells) {
    SCOPED_TRACE(testing::Message()
                 << "level " << cell.level << " cell " << cell.column << ", " << cell.row);
    const std::vector<double> z =
        CellsAfterTiles(*levels, {cell.level, cell.column, cell.row, 1, 1});
    if (std::isnan(cell.mean)) {
      EXPECT_TRUE(std::isnan(z[0]));
    } else {
      // The file's own overviews spread their cells evenly over the raster,
      // so where its side is no multiple of theirs they are off by up to a
      // cell of theirs: 2^level rows of 1000.
      const double within =
          GetParam().overviews && cell.level > 0 ? std::ldexp(1000.0, cell.level) / kRange : 1e-9;
      EXPECT_NEAR(z[0], cell.mean / kRange, within);
    }
  }
  // The raster's own cells, whatever was drawn.
  EXPECT_DOUBLE_EQ(*levels->CellHeight(21, 11), Value(21, 11) / kRange);
  EXPECT_FALSE(levels->CellHeight(40, 20));
  EXPECT_FALSE(levels->TakeFailure());
}

// Before its tiles come, a window shows the level at hand; the tiles come by
// themselves, and are told.
TEST_P(RasterLevelsTest, TilesComeWhenAskedFor) {
  const std::shared_ptr<HeightLevels> levels = Load(Content(GetParam()));
  int told = 0;
  levels->SetArrivalNotice([&told] { ++told; });
  std::vector<double> z(16 * 16);
  // Rows and columns 16 to 31 of level 0: one tile, at hand as level 4's cell (1, 1).
  EXPECT_FALSE(levels->Fill({0, 16, 16, 16, 16}, z.data()));
  const double hand = (Value(16, 16) + Value(31, 31)) / 2 / kRange;
  const double within = GetParam().overviews ? 16000.0 / kRange : 1e-9;
  EXPECT_NEAR(z[0], hand, within);
  EXPECT_EQ(z[255], z[0]);
  levels->WaitForTiles();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(levels->Arrivals(), 1u);
  EXPECT_TRUE(levels->Fill({0, 16, 16, 16, 16}, z.data()));
  EXPECT_DOUBLE_EQ(z[0], Value(16, 16) / kRange);
}

// Percentiles of the raster's own cells, read once through the whole file,
// against the k-th smallest of the values written, k = max(1, ceil(p n /
// 100)) of the n cells outside the hole; a count stopped gives nothing.
TEST_P(RasterLevelsTest, PercentilesCountEveryValidCellOnce) {
  const std::shared_ptr<HeightLevels> levels = Load(Content(GetParam()));
  std::vector<double> written;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      if (!InHole(c, r))
        written.push_back(Value(c, r));
    }
  }
  ValueHistogram counts;
  EXPECT_FALSE(levels->Histogram(counts, [](double) { return false; }));
  ASSERT_TRUE(levels->Histogram(counts, [](double) { return true; }));
  EXPECT_EQ(counts.count, written.size());
  for (const double p : {0.0, 2.0, 50.0, 98.0, 100.0}) {
    const auto k = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::ceil(p * static_cast<double>(written.size()) / 100)));
    std::nth_element(written.begin(), written.begin() + (k - 1), written.end());
    EXPECT_NEAR(counts.Percentile(p) * kRange, written[k - 1], 1e-4 * kRange) << "p = " << p;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, RasterLevelsTest,
                         testing::Values(FileCase{"Plain", false, false},
                                         FileCase{"OwnOverviewsAndStatistics", true, false},
                                         FileCase{"Sparse", false, true}),
                         [](const testing::TestParamInfo<FileCase>& info) {
                           return info.param.name;
                         });

// The cache lets go of the tiles used longest ago beyond its bound.
TEST_F(RasterLevelsTest, CacheKeepsToItsBound) {
  LevelSizes small = SmallLevels();
  small.cacheBytes = 3 * 16 * 16 * sizeof(double);
  const ScopedLevelSizes bounded(small);
  const std::shared_ptr<HeightLevels> levels = Load(Content({"Plain", false, false}));
  // All 35 tiles of level 0: a window shown keeps all its tiles, beyond the
  // bound, so that it can be drawn whole ...
  std::vector<double> z(kColumns * kRows);
  levels->Fill({0, 0, 0, kColumns, kRows}, z.data());
  levels->WaitForTiles();
  EXPECT_EQ(levels->Arrivals(), 35u);
  EXPECT_TRUE(levels->Fill({0, 0, 0, kColumns, kRows}, z.data()));
  EXPECT_EQ(levels->CachedBytes(), kColumns * kRows * sizeof(double));
  // ... until another window is shown.
  levels->Fill({0, 0, 0, 16, 16}, z.data());
  EXPECT_LE(levels->CachedBytes(), small.cacheBytes);
  EXPECT_GT(levels->CachedBytes(), 0u);
  // A section keeps the tiles it crosses too, beyond the bound beside the
  // window shown: row 40, away from the hole, across every column.
  std::vector<std::array<std::uint32_t, 2>> row;
  for (std::uint32_t c = 0; c < kColumns; ++c)
    row.push_back({c, 40});
  std::vector<double> section(row.size());
  levels->FillCells(row.data(), row.size(), section.data());
  levels->WaitForTiles();
  ASSERT_TRUE(levels->FillCells(row.data(), row.size(), section.data()));
  for (std::uint32_t c = 0; c < kColumns; ++c)
    EXPECT_DOUBLE_EQ(section[c], Value(static_cast<int>(c), 40) / kRange) << c;
}

// A block the file cannot give: its cells stay at the level at hand, the
// window is as final as it gets, and the failure is told once. The file's
// overviews and statistics let the load pass it by.
TEST_F(RasterLevelsTest, BrokenBlockStaysCoarse) {
  breakBlock = true;
  const std::shared_ptr<HeightLevels> levels = Load(Content({"Broken", true, false}));
  // Block (3, 2): columns 48 to 63, rows 32 to 47; level 4's cell (3, 2).
  const std::vector<double> z = CellsAfterTiles(*levels, {0, 48, 32, 16, 16});
  EXPECT_NEAR(z[0], (Value(48, 32) + Value(63, 47)) / 2 / kRange, 16000.0 / kRange);
  EXPECT_EQ(z[255], z[0]);
  EXPECT_TRUE(levels->TakeFailure());
  EXPECT_FALSE(levels->TakeFailure());
  EXPECT_FALSE(levels->CellHeight(50, 40));
  // Its neighbours read as ever.
  EXPECT_DOUBLE_EQ(CellsAfterTiles(*levels, {0, 32, 32, 16, 16})[0], Value(32, 32) / kRange);
}

}  // namespace
