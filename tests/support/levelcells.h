#pragma once
// The heights of a window of a raster held at levels of detail, once the
// tiles that the window asked for have come: then every cell is its own
// level's (or its tile failed), which the helper checks.

#include <gtest/gtest.h>

#include <vector>

#include "base/heightlevels.h"

inline std::vector<double> CellsAfterTiles(HeightLevels& levels, const LevelWindow& window) {
  std::vector<double> z(std::size_t{window.columns} * window.rows);
  levels.Fill(window, z.data());
  levels.WaitForTiles();
  EXPECT_TRUE(levels.Fill(window, z.data()));
  return z;
}
