// Which level and cells of a raster held at levels a pass draws, worked out
// by hand for a 1001 x 1001 raster seen straight from above (x and y to the
// window's columns and rows, a data unit `scale` pixels) and tilted, the
// heights then moving points up the window.
#include <gtest/gtest.h>

#include "objects/levelwindow.h"

namespace {

constexpr std::uint32_t kSide = 1001;

// A 100 x 100 view: X = scale x + shiftX, Y = tiltY y + tiltZ z + shiftY,
// pixel k's centre at k + 1.
WindowMapping Mapping(float scale, float shiftX, float tiltY, float tiltZ, float shiftY) {
  WindowMapping m{};
  m.x[0] = scale;
  m.x[3] = shiftX;
  m.y[1] = tiltY;
  m.y[2] = tiltZ;
  m.y[3] = shiftY;
  m.width = 100;
  m.height = 100;
  return m;
}

TEST(NeededWindow, CoarsestLevelOfPixelCellsAndTheCellsInView) {
  const struct {
    const char* name;
    WindowMapping mapping;
    double low, high;  // the heights' bounds
    std::uint64_t maxCells;
    LevelWindow expected;
  } rows[] = {
      // A cell a pixel wide: level 0; cells -0.5 to 100.5 show, one more
      // each side, clamped at the edge.
      {"pixel cells", Mapping(1000, 0.5f, 1000, 0, 0.5f), 0, 0, UINT64_MAX, {0, 0, 0, 103, 103}},
      // A quarter of a pixel: level 2, cells 0 to 402 of the raster.
      {"quarter pixels", Mapping(250, 0.5f, 250, 0, 0.5f), 0, 0, UINT64_MAX, {2, 0, 0, 102, 102}},
      // Panned by half the raster: cells 499.5 to 600.5.
      {"panned", Mapping(1000, -499.5f, 1000, 0, 0.5f), 0, 0, UINT64_MAX, {0, 498, 0, 105, 103}},
      {"beside the view", Mapping(1000, 2000, 1000, 0, 0.5f), 0, 0, UINT64_MAX, {0, 0, 0, 0, 0}},
      // 103 x 103 cells of level 0 and 52 x 52 of level 1 are more than
      // 1000: level 2, 27 x 27.
      {"bounded", Mapping(1000, 0.5f, 1000, 0, 0.5f), 0, 0, 1000, {2, 0, 0, 27, 27}},
      // Tilted: rows 499 to 701 show at height 0 ...
      {"tilted, level",
       Mapping(1000, 0.5f, 500, 500, -249.5f),
       0,
       0,
       UINT64_MAX,
       {0, 0, 498, 103, 205}},
      // ... and rows from -501 at height 1.
      {"tilted, up to 1",
       Mapping(1000, 0.5f, 500, 500, -249.5f),
       0,
       1,
       UINT64_MAX,
       {0, 0, 0, 103, 703}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const LevelWindow w =
        NeededWindow(row.mapping, kSide, kSide, 5, 1.0, row.low, row.high, row.maxCells);
    const LevelWindow& e = row.expected;
    EXPECT_EQ(w.columns, e.columns);
    if (e.columns == 0)
      continue;
    EXPECT_EQ(w.level, e.level);
    EXPECT_EQ(w.column, e.column);
    EXPECT_EQ(w.row, e.row);
    EXPECT_EQ(w.rows, e.rows);
  }
}

TEST(AtLevel, CoversTheSameCells) {
  // Level 2's cells 1 and 2 are the raster's 4 to 11; its last cell, 250,
  // the raster's last one alone.
  const LevelWindow inner = AtLevel({2, 1, 250, 2, 1}, 0, kSide, kSide);
  EXPECT_EQ(inner.column, 4u);
  EXPECT_EQ(inner.columns, 8u);
  EXPECT_EQ(inner.row, 1000u);
  EXPECT_EQ(inner.rows, 1u);
  const LevelWindow outer = AtLevel({0, 5, 999, 10, 2}, 3, kSide, kSide);
  EXPECT_EQ(outer.column, 0u);
  EXPECT_EQ(outer.columns, 2u);
  EXPECT_EQ(outer.row, 124u);
  EXPECT_EQ(outer.rows, 2u);
}

}  // namespace
