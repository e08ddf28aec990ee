// The simplified top of a grid: within its bound at every point, against a
// brute-force search over all its triangles; smaller where the surface is
// smooth; the full grid's outline kept edge for edge, so that walls fit; each
// place one vertex. Tiles of 8 cells, so that several meet in each grid.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "meshes/decimate.h"
#include "meshes/decimatetile.h"

namespace {

constexpr std::uint32_t kTile = 8;
// 5 x 4 tiles, the last ones narrower, of an odd number of cells.
constexpr std::uint32_t kColumns = 38, kRows = 28;

struct Grid {
  std::vector<Vec3> points;
  std::vector<std::uint8_t> present;
  std::uint32_t largestRead = 0;

  GridRows Rows() {
    GridRows rows;
    rows.columns = kColumns;
    rows.rows = kRows;
    rows.read = [this](std::uint32_t first, std::uint32_t count, Vec3* to, std::uint8_t* has) {
      largestRead = std::max(largestRead, count);
      for (std::size_t k = 0; k < std::size_t{count} * kColumns; ++k) {
        to[k] = points[first * kColumns + k];
        has[k] = present[first * kColumns + k];
      }
    };
    return rows;
  }
};

using Place = std::function<double(double)>;
using Height = std::function<double(double x, double y)>;
using Hole = std::function<bool(std::uint32_t c, std::uint32_t r)>;

Grid MakeGrid(const Place& x, const Place& y, const Height& z, const Hole& hole = {}) {
  Grid g;
  for (std::uint32_t r = 0; r < kRows; ++r) {
    for (std::uint32_t c = 0; c < kColumns; ++c) {
      g.points.push_back({x(c), y(r), z(x(c), y(r))});
      g.present.push_back(hole && hole(c, r) ? 0 : 1);
    }
  }
  return g;
}

// The full top by the cells' rule, as grid indices: lower-left, upper-left,
// lower-right, and lower-right, upper-left, upper-right, where all three have values.
std::vector<std::array<std::uint64_t, 3>> FullTriangles(const Grid& g) {
  std::vector<std::array<std::uint64_t, 3>> out;
  for (std::uint64_t r = 0; r + 1 < kRows; ++r) {
    for (std::uint64_t c = 0; c + 1 < kColumns; ++c) {
      const std::uint64_t a = r * kColumns + c, b = a + kColumns;
      for (const auto& t : {std::array<std::uint64_t, 3>{a, b, a + 1}, {a + 1, b, b + 1}}) {
        if (g.present[t[0]] && g.present[t[1]] && g.present[t[2]])
          out.push_back(t);
      }
    }
  }
  return out;
}

// How many triangles hold each undirected edge.
template <typename Triangles, typename Index>
std::map<std::pair<std::uint64_t, std::uint64_t>, int> EdgeUses(const Triangles& triangles,
                                                                Index index) {
  std::map<std::pair<std::uint64_t, std::uint64_t>, int> uses;
  for (const auto& t : triangles) {
    for (int e = 0; e < 3; ++e) {
      const std::uint64_t p = index(t[e]), q = index(t[(e + 1) % 3]);
      ++uses[{std::min(p, q), std::max(p, q)}];
    }
  }
  return uses;
}

double Area(const std::array<Vec3, 3>& t) {
  return (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
}

struct Case {
  std::string name;
  std::function<Grid()> grid;
  double bound;
  double mostTriangles;  // share of the full top's triangles
};

class Decimated : public testing::TestWithParam<Case> {};

TEST_P(Decimated, HoldsItsBoundAndTheOutline) {
  Grid grid = GetParam().grid();
  const double bound = GetParam().bound;
  const std::optional<TopSurface> top = DecimatedTop(grid.Rows(), bound, {}, kTile);
  ASSERT_TRUE(top);
  EXPECT_EQ(grid.largestRead, kTile + 1);
  const TriangleMesh& mesh = top->mesh;
  ASSERT_EQ(mesh.VertexCount(), top->source.size());
  const auto at = [&](std::size_t v) {
    return Vec3{mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2]};
  };
  std::vector<std::array<Vec3, 3>> triangles;
  std::vector<std::array<std::uint32_t, 3>> corners;
  std::set<std::uint32_t> used;
  for (std::size_t t = 0; t < mesh.triangles.size(); t += 3) {
    const std::uint32_t a = mesh.triangles[t], b = mesh.triangles[t + 1], c = mesh.triangles[t + 2];
    triangles.push_back({at(a), at(b), at(c)});
    corners.push_back({a, b, c});
    used.insert({a, b, c});
    EXPECT_GT(Area(triangles.back()), 0.0) << "triangle " << t / 3 << " does not face up";
  }
  EXPECT_EQ(used.size(), mesh.VertexCount());

  std::set<std::tuple<float, float, float>> places;
  for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
    const Vec3& p = grid.points[top->source[v]];
    EXPECT_EQ(at(v), (Vec3{float(p.x), float(p.y), float(p.z)})) << "vertex " << v;
    places.insert({mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2]});
  }
  EXPECT_EQ(places.size(), mesh.VertexCount());

  const auto full = FullTriangles(grid);
  ASSERT_LE(mesh.TriangleCount(), GetParam().mostTriangles * full.size());
  const auto kept = EdgeUses(corners, [&](std::uint32_t v) { return top->source[v]; });
  std::set<std::uint64_t> onTop;
  for (const auto& [edge, uses] : EdgeUses(full, [](std::uint64_t k) { return k; })) {
    onTop.insert({edge.first, edge.second});
    if (uses == 1) {
      const auto found = kept.find(edge);
      EXPECT_TRUE(found != kept.end() && found->second == 1)
          << "outline edge " << edge.first << "-" << edge.second;
    }
  }

  // Every point of the full top, in some triangle of the result seen from
  // above (by its float place, as the vertices are held), within the bound.
  for (std::uint64_t k : onTop) {
    const Vec3& p = grid.points[k];
    const double px = float(p.x), py = float(p.y);
    bool found = false;
    for (const auto& t : triangles) {
      const double area = Area(t);
      const double wa = Area({Vec3{px, py, 0}, t[1], t[2]}), wb = Area({t[0], {px, py, 0}, t[2]}),
                   wc = Area({t[0], t[1], {px, py, 0}});
      const double slack = -1e-12 * area;
      if (area <= 0.0 || wa < slack || wb < slack || wc < slack)
        continue;
      found = true;
      const double z = (wa * t[0].z + wb * t[1].z + wc * t[2].z) / (wa + wb + wc);
      EXPECT_LE(std::abs(z - p.z), bound + 1e-5) << "point " << k;
      break;
    }
    EXPECT_TRUE(found) << "point " << k << " left uncovered";
  }
}

const Place kEven = [](double i) { return i; };
const Height kHill = [](double x, double y) {
  return 4.0 - ((x - 18) * (x - 18) + (y - 14) * (y - 14)) / 50.0 + 0.5 * std::sin(x / 3.0);
};
Grid Plane() {
  return MakeGrid(kEven, kEven, [](double x, double y) { return 0.3 * x - 0.2 * y + 1.0; });
}
Grid Hill() {
  return MakeGrid(kEven, kEven, kHill);
}
// A round hole across four tiles, a notch in the outline, a lone cell.
Grid Holes() {
  return MakeGrid(kEven, kEven, kHill, [](std::uint32_t c, std::uint32_t r) {
    const int dc = int(c) - 15, dr = int(r) - 9;
    return dc * dc + dr * dr < 20 || (c > 30 && r < 3) || (c == 25 && r == 20);
  });
}
Grid Flat() {
  return MakeGrid(kEven, kEven, [](double, double) { return 2.5; });
}
// Grain of up to 0.3 from a fixed hash of the place: the bound of 0.1 holds
// only where the simplifier tries again or keeps the tile whole.
Grid Rough() {
  return MakeGrid(kEven, kEven, [](double x, double y) {
    return kHill(x, y) + 0.3 * ((static_cast<int>(x * 7 + y * 13) * 2654435761u >> 20) % 100) / 100;
  });
}
Grid Uneven() {
  return MakeGrid([](double i) { return i + 0.04 * i * i; },
                  [](double i) { return 2.0 * i + 0.5 * std::sin(i); }, kHill);
}

// The plane and the level grid keep little more than their tiles' borders: a
// tile of w x h cells, 2 (w + h) border points and none inside, has
// 2 (w + h) - 2 triangles where it had 2 w h; the tiles are 8, 8, 8, 8, 5
// cells wide and 8, 8, 8, 3 high: 2 * 37 * 4 + 2 * 27 * 5 - 2 * 20 = 526 of
// 2 * 37 * 27 = 1998. Each point the simplifier keeps inside (rather than
// make a sliver of three border points) adds two. Up to two a tile: 606,
// 0.303 of the full top.
INSTANTIATE_TEST_SUITE_P(
    Grids, Decimated,
    testing::Values(Case{"plane_fine", Plane, 1e-3, 0.31}, Case{"plane_coarse", Plane, 0.1, 0.31},
                    Case{"flat_exact", Flat, 0.0, 0.31}, Case{"hill_fine", Hill, 1e-4, 1.0},
                    Case{"hill_mid", Hill, 0.05, 0.8}, Case{"hill_coarse", Hill, 0.5, 0.5},
                    Case{"holes_fine", Holes, 1e-4, 1.0}, Case{"holes_coarse", Holes, 0.5, 0.6},
                    Case{"rough", Rough, 0.1, 1.0}, Case{"uneven_mid", Uneven, 0.05, 0.9},
                    Case{"uneven_coarse", Uneven, 0.5, 0.5}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(DecimatedTop, ReportsEachTileAndStopsWhenTold) {
  Grid grid = Hill();
  std::vector<double> done;
  ASSERT_TRUE(DecimatedTop(
      grid.Rows(), 0.1, [&](double d) { return done.push_back(d), true; }, kTile));
  ASSERT_EQ(done.size(), 20u);
  EXPECT_DOUBLE_EQ(done.front(), 1.0 / 20);
  EXPECT_DOUBLE_EQ(done.back(), 1.0);
  int calls = 0;
  EXPECT_FALSE(DecimatedTop(
      grid.Rows(), 0.1, [&](double) { return ++calls < 3; }, kTile));
  EXPECT_EQ(calls, 3);
}

}  // namespace
