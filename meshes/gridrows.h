#pragma once
// A grid of points read a band of rows at a time, so that a raster too
// large to hold twice can become a mesh: the surface's own grid, or a
// raster's cells at full resolution, already in the mesh's coordinates.

#include <cstdint>
#include <functional>

#include "base/vec3.h"

struct GridRows {
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  // Writes rows first ... first + count - 1, row after row, into points
  // (columns * count of them) and present (as many bytes: 1 where the
  // point has a value, 0 where it has none and its place is anything).
  // Throws what reading throws (cError).
  std::function<void(std::uint32_t first, std::uint32_t count, Vec3* points, std::uint8_t* present)>
      read;
};
