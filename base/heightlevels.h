#pragma once
// A raster too large to hold as one grid, held at several levels of detail:
// level 0 is the raster itself, and each level above it has a cell for every
// 2 x 2 cells of the one below (the last ones for what is left at the right
// and bottom edges), holding the mean of those that have a value. Some
// levels are always at hand; the tiles of the others are read when asked
// for, on threads of their own, and the surface draws what has come.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/valuehistogram.h"

struct LevelWindow {
  int level = 0;
  std::uint32_t column = 0;  // of the level's cells
  std::uint32_t row = 0;
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
};

class HeightLevels {
 public:
  virtual ~HeightLevels() = default;

  // The raster's own cells.
  virtual std::uint32_t Columns() const = 0;
  virtual std::uint32_t Rows() const = 0;
  // Levels 0 ... LevelCount() - 1; the last has few enough cells to draw
  // whole.
  virtual int LevelCount() const = 0;

  // Writes the heights (0 to 1, as the surface draws them; NaN where a cell
  // has no value) of the window's cells row after row into z, stride doubles
  // apart (cell k at z[k * stride]). A cell whose
  // tile has not come yet takes the height of the finest coarser level at
  // hand, and the tile is asked for: the tiles the last Fill asked for
  // replace those asked for before and not yet begun. True when every cell
  // came from its own level, or from a coarser one only because its tile
  // failed to read. Throws nothing.
  virtual bool Fill(const LevelWindow& window, double* z, std::size_t stride = 1) = 0;

  // The heights of the raster's own cells (level 0) cells[k] = {column,
  // row} into z[k] (NaN where a cell has no value), for sections through
  // them. A cell whose tile has not come takes the height of the finest
  // coarser level at hand, and its tile is asked for besides those Fill asks
  // for: the tiles the last FillCells asked for replace those it asked for
  // before and not yet begun, and Fill never drops them. True when every
  // cell came from level 0, or from a coarser one only because its tile
  // failed to read. Throws nothing.
  virtual bool FillCells(const std::array<std::uint32_t, 2>* cells, std::size_t count,
                         double* z) = 0;

  // Bounds of the heights of the raster's cells in the window (of the
  // raster's own cells, level 0): none lies below the first or above the
  // second. {1, 0} where none has a value. Throws nothing.
  virtual std::array<double, 2> HeightRange(const LevelWindow& cells) const = 0;

  // The height of the raster's cell (column, row) itself, whatever level is
  // drawn; empty where it has no value or cannot be read. May read the file.
  virtual std::optional<double> CellHeight(std::uint32_t column, std::uint32_t row) = 0;

  // Called on a reading thread whenever a tile asked for has come or failed.
  // Must not throw; set before the first Fill.
  virtual void SetArrivalNotice(std::function<void()> notice) = 0;
  // How many tiles have come or failed so far.
  virtual std::uint64_t Arrivals() const = 0;
  // Waits until no tile that was asked for is still to come.
  virtual void WaitForTiles() = 0;
  // Whether a tile has failed to read, the first time it is asked after the
  // first failure and never again: the picture keeps a coarser level where
  // such tiles lie.
  virtual bool TakeFailure() = 0;
  // The bytes the tiles read so far hold now.
  virtual std::uint64_t CachedBytes() const = 0;

  // Counts the heights of the raster's own cells (level 0) that have a value
  // into histogram, which it replaces, over heights [0, 1]; the counts are
  // kept for the next call. keepGoing(done, 0 to 1) is asked now and then;
  // false stops the count. False when stopped or when the levels cannot
  // count their cells. May read the whole file; throws std::bad_alloc.
  virtual bool Histogram(ValueHistogram& histogram, const std::function<bool(double)>& keepGoing) {
    (void)histogram;
    (void)keepGoing;
    return false;
  }
};

// Where a cell of a level lies among the raster's own cells: the middle of
// those it stands for, between 0 and count - 1 (count the raster's columns
// or rows).
inline double LevelCellCentre(int level, std::uint32_t index, std::uint32_t count) {
  const std::uint64_t first = std::uint64_t{index} << level;
  const std::uint64_t end = std::uint64_t{index + 1} << level;
  const std::uint64_t last = (end < count ? end : count) - 1;
  return (static_cast<double>(first) + static_cast<double>(last)) / 2.0;
}

// The number of cells of a level along a side of count cells.
inline std::uint32_t LevelCells(int level, std::uint32_t count) {
  return static_cast<std::uint32_t>(((std::uint64_t{count} - 1) >> level) + 1);
}
