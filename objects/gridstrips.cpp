#include "objects/gridstrips.h"

#include <GL/gl.h>

#include <cstddef>

namespace {

// Whether every point of rows s and s + 1 has a value.
bool WholeStrip(const GridRef& grid, std::uint32_t s) {
  if (!grid.present)
    return true;
  const std::uint8_t* p = grid.present + grid.Index(s, 0);
  for (std::size_t k = 0; k < 2 * std::size_t{grid.columns}; ++k) {
    if (!p[k])
      return false;
  }
  return true;
}

// The triangles of strip s whose points all have values, as separate
// triangles in strip order.
void SendStripTriangles(const GridRef& grid, std::uint32_t s) {
  glBegin(GL_TRIANGLES);
  for (std::uint32_t i = 0; i + 1 < grid.columns; ++i) {
    const std::size_t lower = grid.Index(s, i);
    const std::size_t upper = lower + grid.columns;
    const bool shared = grid.Present(upper) && grid.Present(lower + 1);
    if (shared && grid.Present(lower)) {
      SendVertex(grid, lower);
      SendVertex(grid, upper);
      SendVertex(grid, lower + 1);
    }
    if (shared && grid.Present(upper + 1)) {
      SendVertex(grid, lower + 1);
      SendVertex(grid, upper);
      SendVertex(grid, upper + 1);
    }
  }
  glEnd();
}

}  // namespace

void SendStrips(const GridRef& grid, std::uint32_t first, std::uint32_t end) {
  for (std::uint32_t s = first; s < end; ++s) {
    if (!WholeStrip(grid, s)) {
      SendStripTriangles(grid, s);
      continue;
    }
    const std::size_t lower = grid.Index(s, 0);
    glBegin(GL_TRIANGLE_STRIP);
    for (std::uint32_t i = 0; i < grid.columns; ++i) {
      SendVertex(grid, lower + i);
      SendVertex(grid, lower + grid.columns + i);
    }
    glEnd();
  }
}
