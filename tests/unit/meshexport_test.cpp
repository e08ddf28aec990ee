// Surfaces made into mesh files as the program exports them, each read back
// by another program than ours: STL by admesh, 3MF's model by unzip and an
// XML reader, glTF and PLY by assimp. What each must hold (counts, volumes,
// sizes, thicknesses) is worked out by hand beside each case.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/errors.h"
#include "meshes/meshexport.h"
#include "support/meshcheck.h"

namespace {

const double kNo = std::numeric_limits<double>::quiet_NaN();

// A surface of columns x rows points given row after row; z NaN: no value.
struct TestSurface {
  const char* name;
  std::uint32_t columns, rows;
  std::vector<Vec3> points;
  bool rowsFromTop = true;
  bool mayFold = false;
  bool picture = false;

  MeshSource Source() const {
    MeshSource source;
    source.grid = {
        columns, rows,
        [this](std::uint32_t first, std::uint32_t count, Vec3* out, std::uint8_t* present) {
          for (std::size_t k = 0; k < std::size_t{count} * columns; ++k) {
            const Vec3& p = points[std::size_t{first} * columns + k];
            out[k] = {p.x, p.y, std::isnan(p.z) ? 0.0 : p.z};
            present[k] = std::isnan(p.z) ? 0 : 1;
          }
        }};
    source.low = {1e9, 1e9, 1e9};
    source.high = {-1e9, -1e9, -1e9};
    for (const Vec3& p : points) {
      if (std::isnan(p.z))
        continue;
      source.low = {std::min(source.low.x, p.x), std::min(source.low.y, p.y),
                    std::min(source.low.z, p.z)};
      source.high = {std::max(source.high.x, p.x), std::max(source.high.y, p.y),
                     std::max(source.high.z, p.z)};
    }
    source.rowsFromTop = rowsFromTop;
    source.mayFold = mayFold;
    source.picture = picture;
    source.colour = [](std::uint64_t point, double, std::uint8_t rgb[3]) {
      rgb[0] = static_cast<std::uint8_t>(20 * point);
      rgb[1] = static_cast<std::uint8_t>(255 - 20 * point);
      rgb[2] = 7;
    };
    return source;
  }
};

// Points at xs x ys, z from a function of the column and row.
template <typename Z>
std::vector<Vec3> Grid(const std::vector<double>& xs, const std::vector<double>& ys, Z z) {
  std::vector<Vec3> points;
  for (std::size_t r = 0; r < ys.size(); ++r) {
    for (std::size_t c = 0; c < xs.size(); ++c)
      points.push_back({xs[c], ys[r], z(c, r)});
  }
  return points;
}

struct Expected {
  TestSurface surface;
  std::size_t topVertices, topTriangles;
  std::optional<qint64> solidTriangles;  // where counted by hand
  double volume;                         // mm^3 at 120 mm across, base 2 mm
  double highest;                        // mm
  bool folds = false;
};

// The cases: a picture that is a plane z = 0.6 x + 0.4 y; a raster at 0.6
// with a corner and an inner point missing; a point grid of uneven
// steps on the plane z = 0.3 + 0.2 x + 0.1 y; all heights equal; a point
// grid whose second column lies left of its first.
std::vector<Expected> Cases() {
  const auto plane = [](std::size_t c, std::size_t r) { return 0.2 * c + 0.2 * r; };
  std::vector<Vec3> holes = Grid({0, 0.25, 0.5, 0.75, 1}, {0, 1.0 / 3, 2.0 / 3, 1},
                                 [](std::size_t, std::size_t) { return 0.6; });
  holes[4].z = kNo;      // row 0, column 4: a corner, two triangles
  holes[5 + 2].z = kNo;  // row 1, column 2: six triangles
  const std::vector<double> uneven = {0, 0.1, 1};
  const std::vector<double> unevenY = {0, 0.7, 1};
  return {
      // 2 x 3 x 2 triangles on top and in the base, 2 x (3 + 2) edges
      // around. The plane's mean height over the square is 0.5 of 1, so the
      // top lies 2 + 60 mm above the plate on the mean.
      {{"picture", 4, 3, Grid({0, 1.0 / 3, 2.0 / 3, 1}, {0, 0.5, 1}, plane), true, false, true},
       12,
       12,
       12 + 12 + 20,
       120.0 * 120.0 * 62.0,
       122.0},
      // 24 - 2 - 6 triangles of 30 x 40 mm / 2, 2 mm thick everywhere; point
      // (0, 3) then belongs to no triangle.
      {{"raster with holes", 5, 4, holes}, 17, 16, std::nullopt, 16 * 600.0 * 2.0, 2.0},
      // Mean height 0.45 over the square, lowest 0.3: 2 + 120 x 0.15 mm.
      {{"point grid", 3, 3,
        Grid(
            uneven, unevenY,
            [&](std::size_t c, std::size_t r) { return 0.3 + 0.2 * uneven[c] + 0.1 * unevenY[r]; }),
        false, true},
       9,
       8,
       8 + 8 + 16,
       120.0 * 120.0 * 20.0,
       2.0 + 120.0 * 0.3},
      {{"all equal", 3, 3, Grid({0, 0.5, 1}, {0, 0.5, 1}, [](auto, auto) { return 0.5; })},
       9,
       8,
       32,
       120.0 * 120.0 * 2.0,
       2.0},
      {{"folded point grid", 2, 2, {{0, 0, 0}, {-1, 0, 1}, {0, 1, 1}, {1, 1, 0}}, false, true},
       4,
       2,
       std::nullopt,
       0.0,
       0.0,
       true},
  };
}

class MeshExportFormats : public testing::TestWithParam<MeshFormat> {
 protected:
  QTemporaryDir dir;

  QString PathFor(const char* name) const {
    const char* suffix = GetParam() == MeshFormat::kStl       ? ".stl"
                         : GetParam() == MeshFormat::kThreeMf ? ".3mf"
                         : GetParam() == MeshFormat::kGlb     ? ".glb"
                                                              : ".ply";
    return dir.filePath(QString::fromUtf8(name).replace(' ', '_') + QLatin1String(suffix));
  }
};

TEST_P(MeshExportFormats, EverySurfaceReadsBackAsItsFormatPromises) {
  const MeshFormat format = GetParam();
  for (const Expected& e : Cases()) {
    SCOPED_TRACE(e.surface.name);
    const QString path = PathFor(e.surface.name);
    const MeshSource source = e.surface.Source();
    if (IsPrintFormat(format) && e.folds) {
      const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
      try {
        ExportMesh(source, MeshSettings(), format, path, nullptr);
        ADD_FAILURE() << "a folding grid became a solid";
      } catch (const cError& error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("folds over itself")));
      }
      EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
      continue;
    }
    ASSERT_TRUE(ExportMesh(source, MeshSettings(), format, path, nullptr));
    if (format == MeshFormat::kStl) {
      const QByteArray report = RunTool(QStringLiteral("admesh"), {path});
      const qint64 facets = StlTriangles(path);
      EXPECT_EQ(Reported(report, QStringLiteral("Number of facets")), facets);
      if (e.solidTriangles) {
        EXPECT_EQ(facets, *e.solidTriangles);
      }
      for (const char* none :
           {"Facets with 1 disconnected edge", "Facets with 2 disconnected edges",
            "Facets with 3 disconnected edges", "Edges fixed", "Backwards edges", "Facets reversed",
            "Degenerate facets"})
        EXPECT_EQ(Reported(report, QString::fromLatin1(none)), 0) << none;
      EXPECT_EQ(Reported(report, QStringLiteral("Number of parts")), 1);
      EXPECT_NEAR(Reported(report, QStringLiteral("Volume")), e.volume, 1e-5 * e.volume);
      EXPECT_NEAR(Reported(report, QStringLiteral("Min X")), 0.0, 1e-4);
      EXPECT_NEAR(Reported(report, QStringLiteral("Max X")), 120.0, 1e-4);
      EXPECT_NEAR(Reported(report, QStringLiteral("Min Y")), 0.0, 1e-4);
      EXPECT_NEAR(Reported(report, QStringLiteral("Max Y")), 120.0, 1e-4);
      EXPECT_EQ(Reported(report, QStringLiteral("Min Z")), 0.0);
      EXPECT_NEAR(Reported(report, QStringLiteral("Max Z")), e.highest, 1e-4);
    } else if (format == MeshFormat::kThreeMf) {
      const ThreeMfModel model = ReadThreeMf(path);
      EXPECT_EQ(model.unit, QStringLiteral("millimeter"));
      if (e.solidTriangles) {
        EXPECT_EQ(static_cast<qint64>(model.triangles.size()), *e.solidTriangles);
      }
      EXPECT_EQ(model.vertices.size(), 2 * e.topVertices);
      std::map<std::pair<int, int>, int> edges;
      for (const auto& t : model.triangles) {
        for (int k = 0; k < 3; ++k)
          ++edges[{t[k], t[(k + 1) % 3]}];
      }
      for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
      }
    } else {
      // The surface alone, in the cube's units, y turned over for rows from
      // the top; each vertex in its point's colour.
      const Dumped dumped = AssimpDump(path);
      EXPECT_EQ(dumped.positions.size(), e.topVertices);
      EXPECT_EQ(dumped.faces.size(), e.topTriangles);
      ASSERT_EQ(dumped.colours.size(), dumped.positions.size());
      for (std::size_t v = 0; v < dumped.positions.size(); ++v) {
        std::size_t point = 0;
        for (std::size_t k = 0; k < e.surface.points.size(); ++k) {
          const Vec3& p = e.surface.points[k];
          const double y = e.surface.rowsFromTop ? 1.0 - p.y : p.y;
          if (std::abs(p.x - dumped.positions[v][0]) < 1e-6 &&
              std::abs(y - dumped.positions[v][1]) < 1e-6 &&
              std::abs(p.z - dumped.positions[v][2]) < 1e-6)
            point = k + 1;
        }
        ASSERT_NE(point, 0u) << "vertex " << v << " is no point of the surface";
        EXPECT_NEAR(dumped.colours[v][0], static_cast<std::uint8_t>(20 * (point - 1)) / 255.0,
                    1e-3);
        EXPECT_NEAR(dumped.colours[v][2], 7 / 255.0, 1e-3);
      }
    }
  }
}

std::string FormatName(const testing::TestParamInfo<MeshFormat>& info) {
  static const char* const kNames[] = {"stl", "threemf", "glb", "ply"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Formats, MeshExportFormats,
                         testing::Values(MeshFormat::kStl, MeshFormat::kThreeMf, MeshFormat::kGlb,
                                         MeshFormat::kPly),
                         FormatName);

// The triangles' corners of a binary STL.
std::vector<Vec3> StlCorners(const QString& path) {
  const QByteArray bytes = Bytes(path);
  std::vector<Vec3> corners;
  for (qsizetype at = 84; at + 50 <= bytes.size(); at += 50) {
    for (int k = 0; k < 3; ++k) {
      float xyz[3];
      std::memcpy(xyz, bytes.constData() + at + 12 + 12 * k, sizeof xyz);
      corners.push_back({xyz[0], xyz[1], xyz[2]});
    }
  }
  return corners;
}

TEST(Lithophane, IsThickWhereThePictureIsDarkAndFlatBehind) {
  // 3 x 2 pixels: black, white, mid-grey; white, black, a quarter. 100 mm
  // across its 2 x 1 pixel steps: 50 mm a step, x 0 to 100, y 0 to 50, row 0
  // at the back (y = 50).
  TestSurface picture{"picture",
                      3,
                      2,
                      Grid({0, 0.5, 1}, {0, 1},
                           [](std::size_t c, std::size_t r) {
                             const double z[2][3] = {{0, 1, 0.5}, {1, 0, 0.25}};
                             return z[r][c];
                           }),
                      true,
                      false,
                      true};
  MeshSettings settings;
  settings.sizeMm = 100.0;
  settings.litho = LithoSettings{0.8, 3.0, 0.0};
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("litho.stl"));
  ASSERT_TRUE(ExportMesh(picture.Source(), settings, MeshFormat::kStl, path, nullptr));
  // Thickness 3 - 2.2 x brightness over each pixel, 0 behind it.
  const std::map<std::pair<double, double>, std::set<float>> want = {
      {{0, 50}, {0.0f, 3.0f}}, {{50, 50}, {0.0f, 0.8f}}, {{100, 50}, {0.0f, 1.9f}},
      {{0, 0}, {0.0f, 0.8f}},  {{50, 0}, {0.0f, 3.0f}},  {{100, 0}, {0.0f, 2.45f}},
  };
  std::map<std::pair<double, double>, std::set<float>> got;
  for (const Vec3& p : StlCorners(path))
    got[{std::round(p.x * 1e4) / 1e4, std::round(p.y * 1e4) / 1e4}].insert(static_cast<float>(p.z));
  EXPECT_EQ(got, want);
  const QByteArray report = RunTool(QStringLiteral("admesh"), {path});
  EXPECT_EQ(Reported(report, QStringLiteral("Edges fixed")), 0);

  // A frame 5 mm wide at the full thickness: the ring, and the picture's
  // own edge under it.
  settings.litho->frameMm = 5.0;
  ASSERT_TRUE(ExportMesh(picture.Source(), settings, MeshFormat::kStl, path, nullptr));
  const QByteArray framed = RunTool(QStringLiteral("admesh"), {path});
  for (const auto& [label, value] :
       std::vector<std::pair<const char*, double>>{{"Min X", -5},
                                                   {"Max X", 105},
                                                   {"Min Y", -5},
                                                   {"Max Y", 55},
                                                   {"Min Z", 0},
                                                   {"Max Z", 3},
                                                   {"Edges fixed", 0},
                                                   {"Facets with 1 disconnected edge", 0}})
    EXPECT_NEAR(Reported(framed, QString::fromLatin1(label)), value, 1e-4) << label;
  for (const Vec3& p : StlCorners(path))
    EXPECT_TRUE(p.z == 0.0 || p.z == 3.0f) << p.x << "," << p.y << "," << p.z;
}

TEST(MeshExportSimplified, KeepsTheSolidAndItsVolumeWithFewerTriangles) {
  // The picture of Cases() is a plane: simplified, its top keeps only the
  // points of its outline (10 of 12), and the solid its volume.
  const Expected e = Cases()[0];
  MeshSettings settings;
  settings.maxError = 0.01;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("plane.stl"));
  ASSERT_TRUE(ExportMesh(e.surface.Source(), settings, MeshFormat::kStl, path, nullptr));
  const QByteArray report = RunTool(QStringLiteral("admesh"), {path});
  EXPECT_LT(StlTriangles(path), *e.solidTriangles);
  EXPECT_EQ(Reported(report, QStringLiteral("Edges fixed")), 0);
  EXPECT_EQ(Reported(report, QStringLiteral("Facets with 1 disconnected edge")), 0);
  EXPECT_NEAR(Reported(report, QStringLiteral("Volume")), e.volume, 1e-5 * e.volume);
}

TEST(MeshExportRefusals, SayWhyAndLeaveNothing) {
  const TestSurface plain{"plain", 2, 2, Grid({0, 1}, {0, 1}, [](auto, auto) { return 0.5; })};
  TestSurface picture = plain;
  picture.picture = true;
  const TestSurface point{"point", 2, 2,
                          Grid({0.5, 0.5}, {0.5, 0.5}, [](auto, auto) { return 0.5; })};
  MeshSettings litho;
  litho.litho = LithoSettings();
  const struct {
    const char* why;
    const TestSurface& surface;
    MeshSettings settings;
    MeshFormat format;
    const char* says;
  } rows[] = {
      {"lithophane of no picture", plain, litho, MeshFormat::kStl, "not a picture"},
      {"lithophane as a sheet", picture, litho, MeshFormat::kGlb, "STL or 3MF"},
      {"no extent across", point, MeshSettings(), MeshFormat::kStl, "no extent"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    QTemporaryDir dir;
    try {
      ExportMesh(row.surface.Source(), row.settings, row.format,
                 dir.filePath(QStringLiteral("m.stl")), nullptr);
      ADD_FAILURE() << "not refused";
    } catch (const cError& error) {
      EXPECT_TRUE(error.Message().contains(QString::fromLatin1(row.says)))
          << error.Message().toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  }
}

}  // namespace
