#pragma once
// A top of triangles closed into a solid that a printer can take: walls from
// every edge of the top down to a flat base below it, around the outside and
// around each hole, and the base itself. Each edge then belongs to exactly
// two triangles and each vertex to one fan of them (2-manifold), which
// slicers need to tell inside from outside.

#include <cstdint>
#include <vector>

#include "meshes/gridtop.h"

// Gives each fan of triangles that meets others at a vertex only (two cells
// touching at a corner across a hole) a vertex of its own at the same place,
// so that no vertex is shared by two fans. The triangles must face one way
// (counter-clockwise seen from above).
void SplitPinchedVertices(TopSurface& top);

// Closes the top (all of whose triangles face up) into a solid whose base
// lies at height baseZ, below every vertex: the base repeats the top's
// triangles, flat and facing down, and every edge of the top that only one
// triangle has gets a wall of two triangles down to the base. Splits pinched
// vertices first. Vertices keep their colours on the walls and the base.
// Throws std::bad_alloc.
void CloseSolid(TopSurface& top, float baseZ);
