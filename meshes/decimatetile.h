#pragma once
// One tile of a grid's top simplified to an error bound, and the tile size
// DecimatedTop works in. A tile is small enough to be checked at every one of
// its points, and the simplifier's cost grows faster than its triangles.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/vec3.h"
#include "meshes/gridrows.h"
#include "meshes/gridtop.h"

// Cells along each side of DecimatedTop's tiles: 65 536 cells a tile, a
// simplification of some tens of milliseconds, a band of tiles of 25 bytes a
// point of a row times 257 rows. Tiles of 128 cells were no faster and kept
// half as many triangles again along their borders.
constexpr std::uint32_t kDecimateTileCells = 256;

struct SimplifiedTile {
  // Indices of the tile's points, row * columns + column.
  std::vector<std::uint32_t> triangles;
  // The simplifier's target for the next tile of a surface like this one:
  // the bound in the units of the points, scaled by how far the simplifier's
  // estimate fell short of it here.
  double nextTarget;
};

// The top of a tile of columns x rows points, as AppendBandTriangles makes
// it, simplified so that each point of it lies within maxError, vertically,
// of the triangles as their float positions draw them (the bound up to the
// rounding of the points to float), with the tile's border and the edges of
// its holes kept. The simplifier's target starts at firstTarget (maxError
// for the first tile of a surface). Where no simplification holds, the full
// triangles. Throws std::bad_alloc.
SimplifiedTile SimplifyTile(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
                            std::uint32_t rows, double maxError, double firstTarget);

// DecimatedTop in tiles of tileCells x tileCells cells (at least 1).
std::optional<TopSurface> DecimatedTop(const GridRows& grid, double maxError,
                                       const std::function<bool(double done)>& going,
                                       std::uint32_t tileCells);
