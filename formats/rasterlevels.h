#pragma once
// Measured rasters too large to draw whole, held at levels of detail
// (base/heightlevels.h): the coarse levels at hand from the load on, the
// finer ones read tile by tile as the picture asks for them, each reading
// thread with its own opening of the file, and kept in a cache of bounded
// size that lets go of the tiles used longest ago.

#include <cstdint>
#include <memory>

#include "base/heightlevels.h"
#include "base/heightvalues.h"
#include "base/scopedoverride.h"
#include "formats/rasterfile.h"

// How a raster is split into levels and tiles.
struct LevelSizes {
  // A raster of more cells than this is held at levels; one of at most this
  // many is read whole, as a grid.
  std::uint64_t wholeCells = std::uint64_t{1} << 22;
  // The finest level held at hand has at most this many cells: enough for a
  // large window's first picture of the whole raster.
  std::uint64_t handCells = std::uint64_t{1} << 20;
  // The side of a tile in cells of its level.
  std::uint32_t tileSide = 256;
  // The cells a reader of the pass over a file without overviews reads at
  // once (some blocks' worth); two readers share the pass.
  std::uint64_t passCells = std::uint64_t{1} << 20;
  // The most bytes the cache of tiles holds (0: an eighth of the machine's
  // memory, at most 1 GiB).
  std::uint64_t cacheBytes = 0;
};

// The cache's bound in bytes as it applies now. Never throws.
std::uint64_t TileCacheBytes();

// Other sizes while it lives, for tests and benchmarks of small rasters held
// at levels. Not for use from several threads at once.
class ScopedLevelSizes : ScopedOverride<LevelSizes> {
 public:
  explicit ScopedLevelSizes(const LevelSizes& sizes);
};

// Whether a raster of this header is held at levels rather than read whole.
bool HoldsAtLevels(const RasterHeader& header);

// What a load of a raster held at levels gives: the levels and what their
// heights stand for.
struct RasterLevelsRead {
  std::shared_ptr<HeightLevels> levels;
  HeightValues values;
};

// Reads what a raster held at levels needs before it can be shown: its
// header, the exact range of its values and the levels at hand. The range
// comes from the file's exact statistics and the levels from its overviews
// where it has both; otherwise one pass over the file finds the range and
// averages the levels, skipping what the file says it does not store. The
// load's progress is reported and a cancel stops it (formats/loadprogress.h).
// Throws cInvalidGraphic for a raster without cells; cInvalidOp for one a
// single cell wide or high; cReadError when the file fails to give its
// samples; cOutOfMemory when the levels at hand do not fit; cError when no
// cell has a value; cAbort when cancelled.
RasterLevelsRead ReadRasterLevels(std::unique_ptr<RasterFile> raster);

// What the user is told when a tile failed to read, in the program's
// language.
QString TileFailureNotice();
