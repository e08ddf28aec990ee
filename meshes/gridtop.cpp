#include "meshes/gridtop.h"

#include <utility>

namespace {

// Twice the area of triangle a, b, c seen from above, positive when it runs
// counter-clockwise.
double AreaSeenFromAbove(const Vec3& a, const Vec3& b, const Vec3& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool Has(const std::uint8_t* present, std::size_t k) {
  return present[k] != 0;
}

// Calls take(a, b, c) for each drawn triangle of the band in the order the
// surface draws its points.
template <typename Take>
void ForEachDrawnTriangle(const std::uint8_t* present, std::uint32_t columns, std::uint32_t rows,
                          Take take) {
  for (std::uint32_t s = 0; s + 1 < rows; ++s) {
    for (std::uint32_t i = 0; i + 1 < columns; ++i) {
      const std::size_t lower = std::size_t{s} * columns + i;
      const std::size_t upper = lower + columns;
      const bool shared = Has(present, upper) && Has(present, lower + 1);
      if (shared && Has(present, lower))
        take(lower, upper, lower + 1);
      if (shared && Has(present, upper + 1))
        take(lower + 1, upper, upper + 1);
    }
  }
}

}  // namespace

void AppendBandTriangles(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
                         std::uint32_t rows, std::vector<std::uint32_t>& triangles) {
  ForEachDrawnTriangle(present, columns, rows, [&](std::size_t a, std::size_t b, std::size_t c) {
    if (AreaSeenFromAbove(points[a], points[b], points[c]) < 0.0)
      std::swap(b, c);
    triangles.insert(triangles.end(), {static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                                       static_cast<std::uint32_t>(c)});
  });
}

int BandFacing(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
               std::uint32_t rows) {
  bool up = false, down = false;
  ForEachDrawnTriangle(present, columns, rows, [&](std::size_t a, std::size_t b, std::size_t c) {
    const double area = AreaSeenFromAbove(points[a], points[b], points[c]);
    up = up || area > 0.0;
    down = down || area < 0.0;
  });
  return up && down ? 2 : up ? 1 : down ? -1 : 0;
}
