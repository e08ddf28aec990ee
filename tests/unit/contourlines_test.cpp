// Contour lines traced by GDAL's generator in the raster module and laid
// onto the surface's triangles, against lines worked out by hand: a tilted
// plane, whose lines are straight, and a cone, whose lines are circles.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "base/errors.h"
#include "formats/rastermodule.h"
#include "objects/contourlines.h"

namespace {

struct Grid {
  std::uint32_t columns, rows;
  std::vector<Vec3> points;
  std::vector<std::uint8_t> present;

  GridRef Ref() const {
    GridRef ref;
    ref.points = points.data();
    ref.columns = columns;
    ref.rows = rows;
    ref.present = present.empty() ? nullptr : present.data();
    return ref;
  }
};

// Point (column c, row r) at x = c, y = r (a point grid's own units).
Grid Plane(std::uint32_t columns, std::uint32_t rows, double (*z)(double c, double r)) {
  Grid g{columns, rows, {}, {}};
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c)
      g.points.push_back({double(c), double(r), z(c, r)});
  }
  return g;
}

// 256 x 256 points over the unit square, z = max(0, 1 - 2 d) with d the
// distance from the middle: the line at v is the circle of radius
// (1 - v) / 2.
Grid Cone() {
  Grid g{256, 256, {}, {}};
  for (int r = 0; r < 256; ++r) {
    for (int c = 0; c < 256; ++c) {
      const double x = c / 255.0, y = r / 255.0;
      const double d = std::hypot(x - 0.5, y - 0.5);
      g.points.push_back({x, y, std::max(0.0, 1.0 - 2.0 * d)});
    }
  }
  return g;
}

HeightValues Source(HeightValues::Source source, double low = 0, double high = 1) {
  HeightValues v;
  v.source = source;
  v.minimum = low;
  v.maximum = high;
  return v;
}

std::vector<Vec3> Vertices(const ContourLines& lines, const ContourLine& line) {
  std::vector<Vec3> out;
  for (std::uint32_t j = 0; j < line.count; ++j) {
    const float* p = &lines.points[3 * std::size_t{line.first + j}];
    out.push_back({p[0], p[1], p[2]});
  }
  return out;
}

bool Closed(const std::vector<Vec3>& v) {
  return std::hypot(v.front().x - v.back().x, v.front().y - v.back().y) < 1e-5;
}

TEST(ContourLines, OfATiltedPlaneRunStraightAcrossTheTrianglesAndStopAtTheEdge) {
  // v = 3 r + c + 0.3 on 3 x 3 points: the line at 2 crosses column 0 at
  // row 1.7 / 3, the cell's diagonal c + r = 1 at c = 0.65, column 1 at row
  // 0.7 / 3, and row 0 at column 1.7, where the grid ends. As heights of a
  // raster of values 100 to 300 (z = (v - 100) / 200), a step of 40 in
  // values draws the same plane's lines at 120, 160, ... 280.
  const Grid plane = Plane(3, 3, [](double c, double r) { return 3 * r + c + 0.3; });
  const Grid raster = Plane(3, 3, [](double c, double r) { return (3 * r + c) / 8; });
  const struct {
    const char* name;
    const Grid& grid;
    HeightValues values;
    double step;
    std::set<std::int64_t> levels;
  } rows[] = {
      {"point grid", plane, Source(HeightValues::Source::kPointGrid, 0.3, 8.3), 2.0, {1, 2, 3, 4}},
      {"raster", raster, Source(HeightValues::Source::kMeasured, 100, 300), 40.0, {3, 4, 5, 6, 7}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto lines = MakeContours(row.grid.Ref(), row.values, row.step, ContourGenerator());
    ASSERT_TRUE(lines);
    std::set<std::int64_t> levels;
    for (const ContourLine& line : lines->lines)
      levels.insert(line.k);
    EXPECT_EQ(levels, row.levels);
  }
  const auto lines =
      MakeContours(plane.Ref(), Source(HeightValues::Source::kPointGrid), 2.0, ContourGenerator());
  const std::vector<Vec3> expected = {
      {0, 1.7 / 3, 2}, {0.65, 0.35, 2}, {1, 0.7 / 3, 2}, {1.7, 0, 2}};
  for (const ContourLine& line : lines->lines) {
    if (line.k != 1)
      continue;
    std::vector<Vec3> v = Vertices(*lines, line);
    if (v.front().x > v.back().x)
      std::reverse(v.begin(), v.end());
    ASSERT_EQ(v.size(), expected.size());
    for (std::size_t j = 0; j < v.size(); ++j) {
      EXPECT_NEAR(v[j].x, expected[j].x, 1e-6) << j;
      EXPECT_NEAR(v[j].y, expected[j].y, 1e-6) << j;
      EXPECT_NEAR(v[j].z, expected[j].z, 1e-6) << j;
    }
  }
}

// The cone's lines at v = 0.05 ... 0.95 (none at 0, where the cone's foot
// is level; its tip, 0.9945, stays below 1), each a closed circle of radius
// (1 - v) / 2 on the drawn surface. Points 100 ... 120 missing leave
// triangles from 99 to 121 undrawn: the circles of 0.70 ... 0.90 (radius
// 38.25 ... 12.75 points around 127.5, between the hole's nearest corner at
// 10.6 and its farthest at 40.3) become one open line each that ends on the
// hole's edge.
TEST(ContourLines, OfAConeAreItsCirclesAndStopAtHoles) {
  for (const bool hole : {false, true}) {
    SCOPED_TRACE(hole ? "with a hole" : "whole");
    Grid cone = Cone();
    if (hole) {
      cone.present.assign(256 * 256, 1);
      for (int r = 100; r <= 120; ++r) {
        for (int c = 100; c <= 120; ++c)
          cone.present[r * 256 + c] = 0;
      }
    }
    const auto lines =
        MakeContours(cone.Ref(), Source(HeightValues::Source::kPicture), 0.05, ContourGenerator());
    ASSERT_TRUE(lines);
    std::multiset<std::int64_t> closed, open;
    for (const ContourLine& line : lines->lines) {
      const std::vector<Vec3> v = Vertices(*lines, line);
      (Closed(v) ? closed : open).insert(line.k);
      const double radius = (1.0 - line.k * 0.05) / 2.0;
      for (const Vec3& p : v) {
        EXPECT_NEAR(std::hypot(p.x - 0.5, p.y - 0.5), radius, 2e-3) << line.k;
        // On the triangles, which cut under the cone between its points.
        EXPECT_NEAR(p.z, line.k * 0.05, 1e-3) << line.k;
        const double c = p.x * 255, r = p.y * 255;
        EXPECT_FALSE(hole && c > 99 + 1e-4 && c < 121 - 1e-4 && r > 99 + 1e-4 && r < 121 - 1e-4)
            << "a vertex in the hole at " << c << ", " << r;
      }
    }
    std::multiset<std::int64_t> all, cut;
    for (std::int64_t k = 1; k <= 19; ++k)
      (hole && k >= 14 && k <= 18 ? cut : all).insert(k);
    EXPECT_EQ(closed, all);
    EXPECT_EQ(open, cut);
  }
}

TEST(ContourLines, TooManyLevelsAreRefusedAndAStopLeavesNothing) {
  const Grid cone = Cone();
  const HeightValues values = Source(HeightValues::Source::kPicture);
  // 0.9945 / 0.0009: 1105 levels above 0, and 0 itself.
  EXPECT_EQ(ContourLevelCount(0.0, 0.9945, 0.0009), 1106);
  EXPECT_EQ(ContourLevelCount(-1.0, 1.0, 0.5), 5);
  EXPECT_EQ(ContourLevelCount(0.1, 0.2, 0.5), 0);
  EXPECT_THROW(MakeContours(cone.Ref(), values, 0.0009, ContourGenerator()), cError);
  int told = 0;
  const auto stopped =
      MakeContours(cone.Ref(), values, 0.05, ContourGenerator(), [&told](double part) {
        ++told;
        return part < 10.0 / 256;
      });
  EXPECT_FALSE(stopped);
  EXPECT_EQ(told, 10);
}

}  // namespace
