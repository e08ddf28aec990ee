#pragma once
// A top of triangles closed into a solid that a printer can take: walls from
// every edge of the top down to a flat base below it, around the outside and
// around each hole, and the base itself. Each edge then belongs to exactly
// two triangles and each vertex to one fan of them (2-manifold), which
// slicers need to tell inside from outside.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "meshes/gridtop.h"

// A top and what closes it, the base and walls not made: a writer that
// takes triangles one at a time (STL) writes the solid without holding it,
// which halves what a large one takes of memory.
struct SolidPlan {
  const TriangleMesh* top = nullptr;  // its pinched vertices split
  // The corners (triangle * 3 + slot) whose edge, from the corner's vertex
  // to the next, no other triangle has: each gets a wall.
  std::vector<std::size_t> outline;
  float baseZ = 0.0f;

  std::uint64_t TriangleCount() const {
    return 2 * std::uint64_t{top->TriangleCount()} + 2 * std::uint64_t{outline.size()};
  }
  // The places of the solid's triangles first ... first + count - 1, nine
  // floats each: the top's triangles, then the base's (the top's flat at
  // baseZ, facing down), then two for each wall, as CloseSolid orders them.
  void Places(std::uint64_t first, std::size_t count, float* places) const;
};

// Gives each fan of triangles that meets others at a vertex only (two cells
// touching at a corner across a hole) a vertex of its own at the same place,
// so that no vertex is shared by two fans, and finds the edges that need
// walls. The top's triangles must all face up (counter-clockwise seen from
// above); baseZ lies below every vertex. Throws std::bad_alloc.
SolidPlan PlanSolid(TopSurface& top, float baseZ);

// Makes the plan's solid in top: the base's vertices after the top's, with
// their colours, and the base's and the walls' triangles after the top's.
// Throws std::bad_alloc.
void CloseSolid(TopSurface& top, float baseZ);
