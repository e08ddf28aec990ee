// Contour lines of small grids with holes, traced by the raster module and
// laid onto the triangles: every vertex lies in a drawn triangle, at that
// triangle's height, whatever the values, holes and step.
#include <cmath>
#include <vector>

#include "base/errors.h"
#include "formats/rastermodule.h"
#include "fuzz/fuzz_input.h"
#include "objects/contourlines.h"

namespace {

struct Triangle {
  Vec3 a, b, c;
};

// Whether p lies in t (in x and y, within a little) at t's height there.
bool OnTriangle(const Triangle& t, const Vec3& p) {
  const double det = (t.b.x - t.a.x) * (t.c.y - t.a.y) - (t.c.x - t.a.x) * (t.b.y - t.a.y);
  const double u = ((p.x - t.a.x) * (t.c.y - t.a.y) - (t.c.x - t.a.x) * (p.y - t.a.y)) / det;
  const double v = ((t.b.x - t.a.x) * (p.y - t.a.y) - (p.x - t.a.x) * (t.b.y - t.a.y)) / det;
  constexpr double kNear = 1e-4;
  if (u < -kNear || v < -kNear || u + v > 1 + kNear)
    return false;
  const double z = t.a.z + u * (t.b.z - t.a.z) + v * (t.c.z - t.a.z);
  return std::fabs(z - p.z) < kNear;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3)
    return 0;
  const std::uint32_t columns = 2 + data[0] % 16, rows = 2 + data[1] % 16;
  // Steps from 1/512 of the range up: at most a few hundred levels.
  const double step = (1 + data[2]) / 512.0;
  std::vector<Vec3> points(std::size_t{columns} * rows);
  std::vector<std::uint8_t> present(points.size(), 1);
  for (std::size_t k = 0; k < points.size(); ++k) {
    const std::uint8_t b = 3 + k < size ? data[3 + k] : 0;
    present[k] = b != 255;
    points[k] = {double(k % columns), double(k / columns), present[k] ? b / 254.0 : 0.0};
  }
  GridRef grid;
  grid.points = points.data();
  grid.columns = columns;
  grid.rows = rows;
  grid.present = present.data();
  HeightValues values;
  values.source = HeightValues::Source::kPicture;
  const auto lines = MakeContours(grid, values, step, ContourGenerator());
  FUZZ_CHECK(lines);
  for (const ContourLine& line : lines->lines) {
    FUZZ_CHECK(line.count >= 2);
    FUZZ_CHECK(std::size_t{line.first + line.count} * 3 <= lines->points.size());
    for (std::uint32_t j = 0; j < line.count; ++j) {
      const float* f = &lines->points[3 * std::size_t{line.first + j}];
      const Vec3 p{f[0], f[1], f[2]};
      bool on = false;
      // The cells whose triangles may hold it: it may lie on their edges.
      for (int s = int(std::floor(p.y)) - 1; s <= int(std::floor(p.y)) && !on; ++s) {
        for (int i = int(std::floor(p.x)) - 1; i <= int(std::floor(p.x)) && !on; ++i) {
          if (s < 0 || i < 0 || s + 1 >= int(rows) || i + 1 >= int(columns))
            continue;
          const std::size_t p00 = std::size_t(s) * columns + std::size_t(i), p01 = p00 + 1;
          const std::size_t p10 = p00 + columns, p11 = p10 + 1;
          if (present[p00] && present[p01] && present[p10])
            on = OnTriangle({points[p00], points[p01], points[p10]}, p);
          if (!on && present[p01] && present[p10] && present[p11])
            on = OnTriangle({points[p11], points[p10], points[p01]}, p);
        }
      }
      FUZZ_CHECK(on);
    }
  }
  return 0;
}
