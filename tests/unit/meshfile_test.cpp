// The mesh files as other programs read them back: binary STL through
// admesh, GLB and PLY through assimp, 3MF's model as unzip gives it. Each
// is compared with what the hand-made meshes of support/meshsamples.h are
// known to be.
#include <map>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtEndian>

#include <gtest/gtest.h>

#include "meshes/meshfile.h"
#include "meshes/stlfile.h"
#include "support/meshcheck.h"
#include "support/meshsamples.h"

static void PrintTo(MeshFormat format, std::ostream* out) {
  *out << (format == MeshFormat::kGlb ? "GLB" : format == MeshFormat::kPly ? "PLY" : "print");
}

namespace {

const float* Corner(const TriangleMesh& mesh, std::size_t t, int k) {
  return &mesh.positions[3 * std::size_t(mesh.triangles[3 * t + k])];
}

std::string SampleName(const testing::TestParamInfo<MeshSample>& info) {
  return info.param.name;
}

class StlFiles : public testing::TestWithParam<MeshSample> {};

TEST_P(StlFiles, HoldEachFacetAsAdmeshReadsIt) {
  const MeshSample& s = GetParam();
  const std::size_t triangles = s.mesh.TriangleCount();
  QTemporaryDir dir;
  const QString path = dir.filePath("mesh.stl");
  ASSERT_TRUE(WriteMesh(s.mesh, MeshFormat::kStl, path, nullptr));
  EXPECT_TRUE(MeshLimitProblem(s.mesh, MeshFormat::kStl).isEmpty());

  const QByteArray bytes = Bytes(path);
  ASSERT_EQ(std::size_t(bytes.size()), 84 + 50 * triangles);
  EXPECT_FALSE(bytes.startsWith("solid"));
  EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 80), triangles);
  for (std::size_t t = 0; t < triangles; ++t) {
    const char* record = bytes.constData() + 84 + 50 * t;
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(qFromLittleEndian<float>(record + 4 * k), s.facetNormals[t][k], 1e-6)
          << "facet " << t;
      for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(qFromLittleEndian<float>(record + 12 + 12 * k + 4 * j), Corner(s.mesh, t, k)[j]);
      }
    }
    EXPECT_EQ(qFromLittleEndian<quint16>(record + 48), 0);
  }

  const QByteArray report = RunTool("admesh", {path});
  EXPECT_EQ(Reported(report, "Number of facets"), triangles);
  // admesh recomputes every normal and counts those that differ from ours.
  for (const char* none :
       {"Normals fixed", "Degenerate facets", "Backwards edges", "Facets reversed"}) {
    EXPECT_EQ(Reported(report, none), 0) << none;
  }
  const char* axes[3] = {"X", "Y", "Z"};
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(Reported(report, QStringLiteral("Min %1").arg(axes[k])), s.low[k], 1e-6);
    EXPECT_NEAR(Reported(report, QStringLiteral("Max %1").arg(axes[k])), s.high[k], 1e-6);
  }
  EXPECT_EQ(Reported(report, "Facets with 1 disconnected edge"), s.openFacets[0]);
  EXPECT_EQ(Reported(report, "Facets with 2 disconnected edges"), s.openFacets[1]);
  EXPECT_EQ(Reported(report, "Facets with 3 disconnected edges"), s.openFacets[2]);
  EXPECT_EQ(Reported(report, "Number of parts"), 1);
  if (s.closed) {
    // admesh joins open edges that lie near each other: a solid has none.
    EXPECT_EQ(Reported(report, "Edges fixed"), 0);
    EXPECT_NEAR(Reported(report, "Volume"), s.volume, 1e-5);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, StlFiles, testing::ValuesIn(MeshSamples()), SampleName);

// The JSON chunk of a GLB, after checking the header's length.
QJsonObject GlbJson(const QByteArray& bytes) {
  EXPECT_TRUE(bytes.startsWith("glTF"));
  EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), 2u);
  EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 8), quint32(bytes.size()));
  const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + 12);
  EXPECT_EQ(bytes.mid(16, 4), QByteArray("JSON"));
  return QJsonDocument::fromJson(bytes.mid(20, length)).object();
}

class SharedFiles : public testing::TestWithParam<std::tuple<MeshSample, MeshFormat>> {};

TEST_P(SharedFiles, HoldEachTriangleAsAssimpReadsIt) {
  const auto& [s, format] = GetParam();
  const std::size_t triangles = s.mesh.TriangleCount();
  QTemporaryDir dir;
  const QString path = dir.filePath(format == MeshFormat::kGlb ? "mesh.glb" : "mesh.ply");
  ASSERT_TRUE(WriteMesh(s.mesh, format, path, nullptr));

  const Dumped dumped = AssimpDump(path);
  EXPECT_EQ(dumped.meshes, 1);
  ASSERT_EQ(dumped.faces.size(), triangles);
  // Compared corner by corner, so that it does not matter whether assimp
  // joins or splits vertices.
  ASSERT_EQ(dumped.colours.empty(), !s.mesh.HasColours());
  // Both formats share vertices, and assimp reads them as they stand.
  EXPECT_EQ(dumped.positions.size(), s.mesh.VertexCount());
  const bool normals = format == MeshFormat::kGlb && !s.vertexNormals.empty();
  if (normals) {
    ASSERT_EQ(dumped.normals.size(), dumped.positions.size());
  }
  for (std::size_t t = 0; t < triangles; ++t) {
    for (int k = 0; k < 3; ++k) {
      const std::size_t at = dumped.faces[t][k];
      ASSERT_LT(at, dumped.positions.size());
      const std::uint32_t v = s.mesh.triangles[3 * t + k];
      for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(dumped.positions[at][j], s.mesh.positions[3 * v + j], 1e-6);
        if (s.mesh.HasColours()) {
          EXPECT_NEAR(dumped.colours[at][j], s.mesh.colours[3 * v + j] / 255.0, 1e-3);
        }
        if (normals) {
          EXPECT_NEAR(dumped.normals[at][j], s.vertexNormals[v][j], 1e-6) << "vertex " << v;
        }
      }
    }
  }

  if (format == MeshFormat::kGlb) {
    const QJsonObject json = GlbJson(Bytes(path));
    const QJsonArray accessors = json["accessors"].toArray();
    const QJsonObject primitive = json["meshes"][0]["primitives"][0].toObject();
    EXPECT_EQ(primitive["mode"].toInt(4), 4);
    const QJsonObject position = accessors[primitive["attributes"]["POSITION"].toInt()].toObject();
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(position["min"][k].toDouble(), s.low[k]);
      EXPECT_EQ(position["max"][k].toDouble(), s.high[k]);
    }
    EXPECT_EQ(accessors[primitive["indices"].toInt()]["componentType"].toInt(), 5125);
    EXPECT_EQ(primitive["attributes"].toObject().contains("COLOR_0"), s.mesh.HasColours());
    if (s.mesh.HasColours()) {
      const QJsonObject colour = accessors[primitive["attributes"]["COLOR_0"].toInt()].toObject();
      EXPECT_EQ(colour["componentType"].toInt(), 5121);
      EXPECT_TRUE(colour["normalized"].toBool());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SharedFiles,
    testing::Combine(testing::ValuesIn(MeshSamples()),
                     testing::Values(MeshFormat::kGlb, MeshFormat::kPly)),
    [](const testing::TestParamInfo<std::tuple<MeshSample, MeshFormat>>& info) {
      return std::get<0>(info.param).name +
             (std::get<1>(info.param) == MeshFormat::kGlb ? "_glb" : "_ply");
    });

QString Hex(const std::uint8_t* rgb) {
  return QStringLiteral("#%1%2%3")
      .arg(rgb[0], 2, 16, QChar('0'))
      .arg(rgb[1], 2, 16, QChar('0'))
      .arg(rgb[2], 2, 16, QChar('0'))
      .toUpper();
}

class PrintFiles : public testing::TestWithParam<MeshSample> {};

TEST_P(PrintFiles, HoldTheSolidInMillimetres) {
  const MeshSample& s = GetParam();
  QTemporaryDir dir;
  const QString path = dir.filePath("mesh.3mf");
  ASSERT_TRUE(WriteMesh(s.mesh, MeshFormat::kThreeMf, path, nullptr));
  const ThreeMfModel model = ReadThreeMf(path);
  if (s.mesh.millimetres) {
    EXPECT_EQ(model.unit, "millimeter");
  }
  ASSERT_EQ(model.vertices.size(), s.mesh.VertexCount());
  ASSERT_EQ(model.triangles.size(), s.mesh.TriangleCount());
  for (std::size_t v = 0; v < model.vertices.size(); ++v) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(model.vertices[v][k], s.mesh.positions[3 * v + k], 1e-6);
    }
  }
  std::map<std::pair<int, int>, int> edges;  // directed
  for (std::size_t t = 0; t < model.triangles.size(); ++t) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(model.triangles[t][k], int(s.mesh.triangles[3 * t + k]));
      ++edges[{model.triangles[t][k], model.triangles[t][(k + 1) % 3]}];
      if (s.mesh.HasColours()) {
        EXPECT_EQ(model.cornerColours[t][k].toStdString(),
                  Hex(&s.mesh.colours[3 * s.mesh.triangles[3 * t + k]]).toStdString())
            << "triangle " << t << " corner " << k;
      }
    }
  }
  if (s.closed) {
    // Closed and consistently turned: each edge once each way.
    for (const auto& [edge, count] : edges) {
      EXPECT_EQ(count, 1);
      EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, PrintFiles, testing::ValuesIn(MeshSamples()), SampleName);

TEST(FacetNormal, IsUnitLengthOrNoneForNoArea) {
  struct Row {
    std::array<float, 9> corners;
    std::array<float, 3> normal;
  } const rows[] = {
      {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1}},
      {{0, 0, 0, 0, 1, 0, 1, 0, 0}, {0, 0, -1}},
      {{5, 0, 0, 5, 1e6f, 0, 5, 0, 1e6f}, {1, 0, 0}},
      {{0, 0, 0, 3e-20f, 0, 0, 0, 0, 4e-20f}, {0, -1, 0}},
      {{0, 0, 0, 1, 1, 0, 1, 0, 1}, {0.57735027f, -0.57735027f, -0.57735027f}},
      {{0, 0, 0, 1, 1, 1, 2, 2, 2}, {0, 0, 0}},  // in a line
      {{1, 2, 3, 1, 2, 3, 4, 5, 6}, {0, 0, 0}},  // two corners the same
  };
  for (const Row& row : rows) {
    const auto n = FacetNormal(&row.corners[0], &row.corners[3], &row.corners[6]);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(n[k], row.normal[k], 1e-6) << row.corners[3] << " " << row.corners[4];
    }
  }
}

// Triangles given by their places, as a solid never made whole is written:
// every record in its place whatever batch made it, and a stop part-way
// leaves nothing. Triangle i is (i, 0, 0), (i, 2, 0), (i, 0, 3), whose
// normal is +x; the batches hold 8192 records.
TEST(StlTriangles, LandInOrderAcrossBatchesAndStopLeavesNothing) {
  const struct {
    std::uint64_t triangles;
    double stopAt;  // the share at which going says stop; beyond 1: never
  } rows[] = {{1, 2}, {8192, 2}, {8193, 2}, {3 * 8192 + 77, 2}, {40000, 0.5}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.triangles);
    QTemporaryDir dir;
    const QString path = dir.filePath("places.stl");
    const StlPlaces places = [](std::uint64_t first, std::size_t count, float* out) {
      for (std::uint64_t i = first; i < first + count; ++i, out += 9) {
        const float x = static_cast<float>(i);
        const float corners[9] = {x, 0, 0, x, 2, 0, x, 0, 3};
        std::copy(std::begin(corners), std::end(corners), out);
      }
    };
    const bool written = WriteStlTriangles(row.triangles, places, path,
                                           [&](double done) { return done < row.stopAt; });
    if (row.stopAt <= 1) {
      EXPECT_FALSE(written);
      EXPECT_TRUE(QDir(dir.path()).isEmpty());
      continue;
    }
    ASSERT_TRUE(written);
    const QByteArray bytes = Bytes(path);
    ASSERT_EQ(std::uint64_t(bytes.size()), 84 + 50 * row.triangles);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 80), row.triangles);
    for (std::uint64_t i = 0; i < row.triangles; ++i) {
      const char* record = bytes.constData() + 84 + 50 * i;
      const float expected[12] = {1, 0, 0, float(i), 0, 0, float(i), 2, 0, float(i), 0, 3};
      for (int k = 0; k < 12; ++k)
        ASSERT_EQ(qFromLittleEndian<float>(record + 4 * k), expected[k]) << "record " << i;
    }
  }
}

TEST(MeshFormatOf, GoesByTheSuffixInAnyCase) {
  const std::pair<const char*, std::optional<MeshFormat>> rows[] = {
      {"/a/part.stl", MeshFormat::kStl},
      {"PART.STL", MeshFormat::kStl},
      {"x.3mf", MeshFormat::kThreeMf},
      {"y.Glb", MeshFormat::kGlb},
      {"z.ply", MeshFormat::kPly},
      {"w.obj", std::nullopt},
      {"stl", std::nullopt},
      {"a.stl/part", std::nullopt},
      {"a.stl.txt", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [path, format] : rows) {
    EXPECT_EQ(MeshFormatOf(path), format) << path;
  }
}

TEST(MeshCountProblem, NamesTheCountAndTheLimitBeyondIt) {
  struct Row {
    MeshFormat format;
    std::uint64_t vertices, triangles;
    bool colours;
    std::vector<const char*> words;  // none: no problem
  } const rows[] = {
      {MeshFormat::kStl, 8, 4294967295u, false, {}},
      {MeshFormat::kStl, 0, 0, false, {"no triangles"}},
      {MeshFormat::kGlb, 3, 0, true, {"no triangles"}},
      {MeshFormat::kStl, 8, 4294967296u, false, {"4294967296", "4294967295", "triangles"}},
      {MeshFormat::kPly, 4294967296u, 1, true, {}},
      {MeshFormat::kPly, 4294967297u, 1, true, {"4294967297", "4294967296", "vertices"}},
      {MeshFormat::kThreeMf, 2147483646, 2147483646, true, {}},
      {MeshFormat::kThreeMf, 2147483647, 1, true, {"2147483647", "2147483646", "vertices"}},
      {MeshFormat::kThreeMf, 3, 2147483647, true, {"2147483647", "2147483646", "triangles"}},
      // 24 bytes a vertex and 12 a triangle: 4.2e9 fits the 32-bit length,
      // with four bytes of colour a vertex (4.6e9) it does not.
      {MeshFormat::kGlb, 100000000, 150000000, false, {}},
      {MeshFormat::kGlb, 100000000, 150000000, true, {"4600000000", "GLB"}},
      {MeshFormat::kGlb, 50000000, 100000000, true, {}},
  };
  for (const Row& row : rows) {
    const QString problem = MeshCountProblem(row.format, row.vertices, row.triangles, row.colours);
    EXPECT_EQ(problem.isEmpty(), row.words.empty()) << problem.toStdString();
    for (const char* word : row.words) {
      EXPECT_TRUE(problem.contains(word)) << problem.toStdString() << " / " << word;
    }
  }
}

}  // namespace
