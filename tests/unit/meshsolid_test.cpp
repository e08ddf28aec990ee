// A grid's top closed into a solid, without any file: the closed, one-way
// edges a printer needs, the vertices that two fans shared, the volume a
// prism count gives, the grid read a band at a time, the grids that fold,
// and the lengths the options take.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "meshes/gridtop.h"
#include "meshes/meshsettings.h"
#include "meshes/solid.h"

namespace {

// A grid of columns x rows points one unit apart, z given per point (NaN:
// no value).
struct TestGrid {
  std::uint32_t columns, rows;
  std::vector<double> z;

  GridRows Rows() const {
    GridRows grid{columns, rows, {}};
    grid.read = [this](std::uint32_t first, std::uint32_t count, Vec3* points,
                       std::uint8_t* present) {
      for (std::uint32_t j = 0; j < count; ++j) {
        for (std::uint32_t i = 0; i < columns; ++i) {
          const std::size_t k = std::size_t{j} * columns + i;
          const double h = z[std::size_t{first + j} * columns + i];
          points[k] = {static_cast<double>(i), static_cast<double>(first + j),
                       std::isnan(h) ? 0.0 : h};
          present[k] = std::isnan(h) ? 0 : 1;
        }
      }
    };
    return grid;
  }
};

const double kNo = std::nan("");

Vec3 Vertex(const TriangleMesh& m, std::uint32_t v) {
  return {m.positions[3 * v], m.positions[3 * v + 1], m.positions[3 * v + 2]};
}

// What a slicer checks: every directed edge once and its reverse once, and
// each vertex's triangles joined edge to edge into one cycle.
void ExpectClosedAndManifold(const TriangleMesh& m) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
  std::map<std::uint32_t, std::map<std::uint32_t, std::uint32_t>> ring;  // v: next -> after
  for (std::size_t t = 0; t < m.triangles.size(); t += 3) {
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t a = m.triangles[t + c], b = m.triangles[t + (c + 1) % 3],
                          o = m.triangles[t + (c + 2) % 3];
      ++edges[{a, b}];
      ring[a][b] = o;
    }
  }
  for (const auto& [edge, count] : edges) {
    EXPECT_EQ(count, 1) << edge.first << "->" << edge.second;
    EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << edge.first << "->" << edge.second;
  }
  for (const auto& [v, fan] : ring) {
    // Walking from one triangle to the next around v comes back having met
    // all of them.
    std::uint32_t at = fan.begin()->first;
    std::size_t steps = 0;
    do {
      at = fan.at(at);
      ++steps;
    } while (at != fan.begin()->first && steps <= fan.size());
    EXPECT_EQ(steps, fan.size()) << "vertex " << v << " has more than one fan";
  }
}

// The volume inside, by the divergence theorem.
double Volume(const TriangleMesh& m) {
  double sum = 0.0;
  for (std::size_t t = 0; t < m.triangles.size(); t += 3)
    sum += Dot(Vertex(m, m.triangles[t]),
               Cross(Vertex(m, m.triangles[t + 1]), Vertex(m, m.triangles[t + 2])));
  return sum / 6.0;
}

TEST(CloseSolid, MakesAClosedOneFanSolidOfThePrismsUnderTheTop) {
  const struct {
    const char* name;
    TestGrid grid;
    float base;
    std::size_t topVertices;  // after pinched vertices were split
    double volume;            // the prisms under the top's triangles, by hand
  } rows[] = {
      // 2 x 2 cells at 2 over a base at 0.
      {"flat", {3, 3, std::vector<double>(9, 2.0)}, 0.0f, 9, 8.0},
      // The centre point missing takes its six triangles (area 3) away: 6
      // cells of area left at height 1, base at -1: 6 x 2.
      {"hole",
       {4, 4, {1, 1, 1, 1, 1, kNo, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
       -1.0f,
       15,
       (9.0 - 3.0) * 2.0},
      // Cells top-left and bottom-right meet at the centre point alone,
      // which each fan then has for its own.
      {"pinch", {3, 3, {1, 1, kNo, 1, 1, 1, kNo, 1, 1}}, 0.0f, 8, 2.0},
      // A ramp z = column over 3 x 1 cells, base at -1: mean height 1.5 + 1.
      {"ramp", {4, 2, {0, 1, 2, 3, 0, 1, 2, 3}}, -1.0f, 8, 3.0 * 2.5},
      // A single triangle: cell (0, 0) with its bottom-right point missing.
      {"one triangle", {2, 2, {3, 3, 3, kNo}}, 0.0f, 3, 0.5 * 3.0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::optional<TopSurface> top = FullTop(row.grid.Rows(), nullptr);
    ASSERT_TRUE(top);
    CloseSolid(*top, row.base);
    const TriangleMesh& m = top->mesh;
    EXPECT_EQ(m.VertexCount(), 2 * row.topVertices);
    EXPECT_EQ(top->source.size(), m.VertexCount());
    ExpectClosedAndManifold(m);
    EXPECT_NEAR(Volume(m), row.volume, 1e-9);
    for (std::size_t v = m.VertexCount() / 2; v < m.VertexCount(); ++v)
      EXPECT_EQ(m.positions[3 * v + 2], row.base);

    // Planned and never made, as STL writes it: the same triangles, corner
    // by corner and in the same order.
    std::optional<TopSurface> planned = FullTop(row.grid.Rows(), nullptr);
    ASSERT_TRUE(planned);
    const SolidPlan plan = PlanSolid(*planned, row.base);
    ASSERT_EQ(plan.TriangleCount(), m.TriangleCount());
    std::vector<float> places(9 * m.TriangleCount());
    plan.Places(0, m.TriangleCount(), places.data());
    for (std::size_t c = 0; c < m.triangles.size(); ++c) {
      for (int a = 0; a < 3; ++a)
        ASSERT_EQ(places[3 * c + a], m.positions[3 * m.triangles[c] + a]) << "corner " << c;
    }
  }
}

TEST(FullTop, ReadsBandsThatShareTheirRowsIntoOneVertexAPoint) {
  // Three bands of up to 257 rows, each sharing a row with the next.
  TestGrid grid{3, 600, {}};
  for (std::uint32_t k = 0; k < 3 * 600; ++k)
    grid.z.push_back(k % 7);
  std::vector<double> shares;
  const std::optional<TopSurface> top = FullTop(grid.Rows(), [&](double done) {
    shares.push_back(done);
    return true;
  });
  ASSERT_TRUE(top);
  EXPECT_EQ(top->mesh.VertexCount(), 1800u);
  EXPECT_EQ(top->mesh.TriangleCount(), 2u * 2u * 599u);
  std::set<std::uint64_t> sources(top->source.begin(), top->source.end());
  EXPECT_EQ(sources.size(), 1800u);
  for (std::size_t v = 0; v < top->mesh.VertexCount(); ++v) {
    const Vec3 p = Vertex(top->mesh, static_cast<std::uint32_t>(v));
    EXPECT_EQ(p.y * 3 + p.x, static_cast<double>(top->source[v]));
  }
  // Every triangle faces up.
  for (std::size_t t = 0; t < top->mesh.triangles.size(); t += 3) {
    const TriangleMesh& m = top->mesh;
    const Vec3 a = Vertex(m, m.triangles[t]), b = Vertex(m, m.triangles[t + 1]),
               c = Vertex(m, m.triangles[t + 2]);
    EXPECT_GT(Cross(b - a, c - a).z, 0.0);
  }
  EXPECT_EQ(shares, (std::vector<double>{257.0 / 600, 513.0 / 600, 1.0}));
  // Stopped after the first band: nothing.
  EXPECT_FALSE(FullTop(grid.Rows(), [](double) { return false; }));
}

TEST(GridFolds, TellsGridsWhoseCellsTurnOverFromThoseThatDoNot) {
  const auto grid = [](std::vector<double> xs, std::uint32_t rows) {
    return
        [xs, rows](std::uint32_t first, std::uint32_t count, Vec3* points, std::uint8_t* present) {
          const auto columns = static_cast<std::uint32_t>(xs.size());
          for (std::uint32_t j = 0; j < count; ++j) {
            for (std::uint32_t i = 0; i < columns; ++i) {
              // Row 400 on turns the x of its columns over, in the third band.
              const double x = first + j >= 400 && rows == 600 ? -xs[i] : xs[i];
              points[std::size_t{j} * columns + i] = {x, static_cast<double>(first + j), 0.0};
              present[std::size_t{j} * columns + i] = 1;
            }
          }
        };
  };
  const struct {
    const char* name;
    std::vector<double> xs;
    std::uint32_t rows;
    bool folds;
  } rows[] = {
      {"even steps", {0, 1, 2, 3}, 4, false},
      {"uneven steps", {0, 0.1, 2, 7}, 4, false},
      {"mirrored", {3, 2, 1, 0}, 4, false},
      {"a column back", {0, 2, 1, 3}, 4, true},
      {"turned over in a later band", {0, 1, 2}, 600, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(GridFolds(GridRows{static_cast<std::uint32_t>(row.xs.size()), row.rows,
                                 grid(row.xs, row.rows)}),
              row.folds);
  }
}

TEST(MeshSettingsText, ReadsLengthsInTheirUnitsAndLithophanesInOrder) {
  const struct {
    const char* text;
    std::optional<double> millimetres;
  } lengths[] = {
      {"120mm", 120.0},        {"120", 120.0},        {" 12 cm ", 120.0},     {"2in", 50.8},
      {"0.5MM", 0.5},          {"0", std::nullopt},   {"-2mm", std::nullopt}, {"mm", std::nullopt},
      {"1e999", std::nullopt}, {"nan", std::nullopt}, {"3 m", std::nullopt},
  };
  for (const auto& row : lengths) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseLength(QString::fromUtf8(row.text), true), row.millimetres);
  }
  EXPECT_EQ(ParseLength(QStringLiteral("0mm"), false), 0.0);

  const struct {
    const char* text;
    std::optional<LithoSettings> litho;
  } lithos[] = {
      {"0.8mm,3mm", LithoSettings{0.8, 3.0, 0.0}},
      {"0.8,3,5", LithoSettings{0.8, 3.0, 5.0}},
      {"1mm,0.3cm,0", LithoSettings{1.0, 3.0, 0.0}},
      {"3mm,0.8mm", std::nullopt},  // thin above thick
      {"2mm,2mm", std::nullopt},
      {"0.8mm", std::nullopt},
      {"0.8mm,3mm,5mm,1mm", std::nullopt},
      {"0mm,3mm", std::nullopt},
  };
  for (const auto& row : lithos) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseLitho(QString::fromUtf8(row.text)), row.litho);
  }
}

}  // namespace
