#pragma once
// The top of a grid as the surface draws it: each cell between rows s, s + 1
// and columns i, i + 1 as triangle A = (s, i), (s + 1, i), (s, i + 1) and
// B = (s, i + 1), (s + 1, i), (s + 1, i + 1), each only where its three
// points have values.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/trianglemesh.h"
#include "base/vec3.h"
#include "meshes/gridrows.h"

// The top of the grid and where each of its vertices came from.
struct TopSurface {
  TriangleMesh mesh;  // no colours yet
  // Each vertex's point of the grid, row * columns + column.
  std::vector<std::uint64_t> source;
};

// Appends to triangles the triangles (three indices into the band, row *
// columns + column) of the cells of a band of rows points of columns each,
// ordered so that each faces up (counter-clockwise seen from above) or, where
// it has no area seen from above, as the surface draws it. present: one byte
// a point, 0 where it has none.
void AppendBandTriangles(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
                         std::uint32_t rows, std::vector<std::uint32_t>& triangles);

// Whether every drawn triangle of the band that has an area seen from above
// faces up when ordered as the surface draws it, or every one faces down: a
// grid for which this fails folds over itself somewhere and has no single
// top. Bands are checked one at a time; the caller compares their answers
// (+1 up, -1 down, 0 none with an area, 2 both).
int BandFacing(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
               std::uint32_t rows);

// The top of grid as the surface draws it, read a band of rows at a time:
// each point that a drawn triangle has becomes one vertex. going(done) is
// told the share read after each band and returns whether to go on; null:
// to the end. Empty when stopped. Throws what grid.read throws,
// std::bad_alloc.
std::optional<TopSurface> FullTop(const GridRows& grid,
                                  const std::function<bool(double done)>& going);

// Whether grid folds over itself somewhere (BandFacing of its bands
// disagree, or one of them has triangles facing both ways). Reads the whole
// grid. Throws what grid.read throws.
bool GridFolds(const GridRows& grid);

// The rows of a band that reading a grid a band at a time holds at once.
inline constexpr std::uint32_t kBandRows = 256;
