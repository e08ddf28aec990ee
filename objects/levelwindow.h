#pragma once
// Which level of a raster held at levels of detail (base/heightlevels.h) a
// pass draws, and which of its cells: the coarsest level whose cells cover
// at most a pixel of the picture, and the cells that can reach the view.

#include <cstdint>

#include "base/heightlevels.h"
#include "culling/windowmapping.h"

// The level and window of cells that a pass drawn through mapping needs of a
// raster of columns x rows cells spread over the unit square, its heights
// (between low and high, of 0 to 1) drawn scaled by zScale: the coarsest of
// levelCount levels whose
// cell spans at most one pixel along either side (level 0 where even the
// raster's own cells span more), and every cell that may show in the view,
// with a cell more on each side so that a point's neighbours are there for
// its shade. At least 2 x 2 cells; a coarser level where the window would
// hold more than maxCells cells. Empty (0 columns) when nothing can show.
LevelWindow NeededWindow(const WindowMapping& mapping, std::uint32_t columns, std::uint32_t rows,
                         int levelCount, double zScale, double low, double high,
                         std::uint64_t maxCells);

// The cells of another level that cover the same part of the raster.
LevelWindow AtLevel(const LevelWindow& window, int level, std::uint32_t columns,
                    std::uint32_t rows);

// Whether outer holds every cell of inner, both at one level.
bool Holds(const LevelWindow& outer, const LevelWindow& inner);

// Whether the pass flattens the data's x or y away (the faces across x and
// y), so that its cells look smaller than in 3-D along that side.
bool FlattensAcross(const WindowMapping& mapping);
