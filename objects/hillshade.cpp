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

double Dot(const Direction& a, const Direction& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Towards a light at azimuth (radians clockwise from north, north being -y)
// and altitude: east is +x, up +z.
Direction Towards(double azimuth, double altitude) {
  return {std::sin(azimuth) * std::cos(altitude), -std::cos(azimuth) * std::cos(altitude),
          std::sin(altitude)};
}

constexpr double kDegree = M_PI / 180.0;

}  // namespace

std::uint8_t ShadeOf(double facing, double level) {
  constexpr double kLevel = GridRef::kLevelShade;
  const double d = std::fabs(facing - level);
  const ShadeCurve& curve = facing >= level ? kBrightening : kDarkening;
  const double part = curve.most * d / (d + curve.half);
  if (facing >= level)
    return static_cast<std::uint8_t>(kLevel + std::lround((255.0 - kLevel) * part));
  return static_cast<std::uint8_t>(kLevel - std::lround(kLevel * part));
}

void HillShade(const GridRef& grid, const LightSource& light, std::uint8_t* out) {
  const double alt = light.altitude * kDegree;
  const double az = light.azimuth * kDegree;
  const Direction single = Towards(az, alt);
  // From all sides: the lights at 225, 270, 315 and 360 degrees for the usual
  // light from 315.
  Direction sides[4];
  double sideAzimuths[4];
  for (int i = 0; i < 4; ++i) {
    sideAzimuths[i] = az + (i - 2) * 45.0 * kDegree;
    sides[i] = Towards(sideAzimuths[i], alt);
  }
  const double level = std::sin(alt);
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
        const double length = std::sqrt(Dot(n, n));
        // A point with no neighbours to tell its slope is taken as level.
        if (!(length > 0) || !std::isfinite(length)) {
          out[k] = GridRef::kLevelShade;
          continue;
        }
        n = {n.x / length, n.y / length, n.z / length};
        double facing = Dot(n, single);
        const double across = std::hypot(n.x, n.y);
        if (light.allSides && across > 0) {
          // Each light weighs the square of the sine between its azimuth and
          // the way the slope faces: the four weights add up to 2.
          const double aspect = std::atan2(n.x, -n.y);
          facing = 0.0;
          for (int j = 0; j < 4; ++j) {
            const double sine = std::sin(aspect - sideAzimuths[j]);
            facing += 0.5 * sine * sine * Dot(n, sides[j]);
          }
        }
        out[k] = ShadeOf(facing, level);
      }
    }
  });
}
