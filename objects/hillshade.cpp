#include "objects/hillshade.h"

#include <algorithm>
#include <cmath>

#include "base/parallelrows.h"

namespace {

struct Direction {
  double x, y, z;
};

Direction Minus(const Vec3& a, const Vec3& b, double zScale) {
  return {a.x - b.x, a.y - b.y, (a.z - b.z) * zScale};
}

}  // namespace

void HillShade(const GridRef& grid, double azimuthDegrees, double altitudeDegrees,
               std::uint8_t* out) {
  const double az = azimuthDegrees * M_PI / 180.0;
  const double alt = altitudeDegrees * M_PI / 180.0;
  // Towards the light: north is -y, east +x, up +z.
  const Direction light{std::sin(az) * std::cos(alt), -std::cos(az) * std::cos(alt), std::sin(alt)};
  const std::uint32_t columns = grid.columns;
  const std::uint32_t rows = grid.rows;
  ForEachRowBlock(rows, columns, [&](std::size_t first, std::size_t last) {
    for (std::size_t r = first; r < last; ++r) {
      for (std::uint32_t i = 0; i < columns; ++i) {
        const std::size_t k = grid.Index(static_cast<std::uint32_t>(r), i);
        // A neighbour without a value is replaced by the point itself.
        const auto at = [&](std::size_t n) { return grid.Present(n) ? n : k; };
        const std::size_t west = at(i > 0 ? k - 1 : k);
        const std::size_t east = at(i + 1 < columns ? k + 1 : k);
        const std::size_t north = at(r > 0 ? k - columns : k);
        const std::size_t south = at(r + 1 < rows ? k + columns : k);
        const Direction e = Minus(grid.points[east], grid.points[west], grid.zScale);
        const Direction s = Minus(grid.points[south], grid.points[north], grid.zScale);
        Direction n{e.y * s.z - e.z * s.y, e.z * s.x - e.x * s.z, e.x * s.y - e.y * s.x};
        if (n.z < 0)
          n = {-n.x, -n.y, -n.z};
        const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        // A point with no neighbours to tell its slope is taken as level.
        const double facing = length > 0 && std::isfinite(length)
                                  ? (n.x * light.x + n.y * light.y + n.z * light.z) / length
                                  : light.z;
        const double shade = kAmbientLight + (1.0 - kAmbientLight) * std::max(facing, 0.0);
        out[k] = static_cast<std::uint8_t>(std::lround(255.0 * std::clamp(shade, 0.0, 1.0)));
      }
    }
  });
}
