#pragma once
// The top of a grid with fewer triangles: simplified tile by tile, each
// tile's border and the edges of its holes kept as they are, so that tiles
// meet and the walls of a solid find the edges of the full grid. The grid is
// read a band of tiles at a time and never held whole.

#include <functional>
#include <optional>

#include "meshes/gridrows.h"
#include "meshes/gridtop.h"

// The top of grid (as AppendBandTriangles makes it) simplified so that no
// point of the grid that has a value lies further than maxError above or
// below the simplified top, measured vertically (which bounds the distance
// in any direction too). The simplifier's own error is an estimate: each
// tile is checked at every one of its points and simplified less until it
// holds, down to the tile as it was. going(done) as for WriteMesh; empty
// when stopped. The grid must not fold (BandFacing). Throws what grid.read
// throws, std::bad_alloc.
std::optional<TopSurface> DecimatedTop(const GridRows& grid, double maxError,
                                       const std::function<bool(double done)>& going);
