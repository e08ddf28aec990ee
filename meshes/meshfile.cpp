#include "meshes/meshfile.h"

#include <cassert>

#include <QFileInfo>

#include "base/errors.h"
#include "meshes/glbfile.h"
#include "meshes/pendingfile.h"
#include "meshes/plyfile.h"
#include "meshes/stlfile.h"
#include "meshes/threemffile.h"

namespace {

QString Beyond(const char* what, std::uint64_t count, std::uint64_t most, const char* format) {
  return QStringLiteral("The mesh has %1 %2, more than the %3 a %4 file can hold")
      .arg(count)
      .arg(QString::fromUtf8(what))
      .arg(most)
      .arg(QString::fromUtf8(format));
}

// Puts the written file at its name and says all is done.
bool Committed(PendingFile& file, const std::function<bool(double done)>& going) {
  file.Commit();
  if (going) {
    going(1.0);
  }
  return true;
}

}  // namespace

std::optional<MeshFormat> MeshFormatOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("stl")) {
    return MeshFormat::kStl;
  }
  if (suffix == QLatin1String("3mf")) {
    return MeshFormat::kThreeMf;
  }
  if (suffix == QLatin1String("glb")) {
    return MeshFormat::kGlb;
  }
  if (suffix == QLatin1String("ply")) {
    return MeshFormat::kPly;
  }
  return std::nullopt;
}

QString MeshCountProblem(MeshFormat format, std::uint64_t vertices, std::uint64_t triangles,
                         bool colours) {
  if (triangles == 0) {
    return QStringLiteral("The mesh has no triangles");
  }
  switch (format) {
    case MeshFormat::kStl:
      // The count is a 32-bit field.
      if (triangles > 0xFFFFFFFFull) {
        return Beyond("triangles", triangles, 0xFFFFFFFFull, "binary STL");
      }
      break;
    case MeshFormat::kPly:
      // Indices are 32-bit numbers, so 2^32 vertices are the most one can
      // name.
      if (vertices > 0x100000000ull) {
        return Beyond("vertices", vertices, 0x100000000ull, "PLY");
      }
      break;
    case MeshFormat::kThreeMf:
      if (vertices > kThreeMfMostCount) {
        return Beyond("vertices", vertices, kThreeMfMostCount, "3MF");
      }
      if (triangles > kThreeMfMostCount) {
        return Beyond("triangles", triangles, kThreeMfMostCount, "3MF");
      }
      break;
    case MeshFormat::kGlb: {
      const std::uint64_t bytes = GlbBinaryBytes(vertices, triangles, colours);
      if (bytes > kGlbMostBinaryBytes) {
        return Beyond("bytes of vertices and triangles", bytes, kGlbMostBinaryBytes, "GLB");
      }
      break;
    }
  }
  return QString();
}

QString MeshLimitProblem(const TriangleMesh& mesh, MeshFormat format) {
  return MeshCountProblem(format, mesh.VertexCount(), mesh.TriangleCount(), mesh.HasColours());
}

bool WriteMesh(const TriangleMesh& mesh, MeshFormat format, const QString& path,
               const std::function<bool(double done)>& going) {
  assert((!mesh.HasColours() || mesh.colours.size() == mesh.positions.size()) &&
         "WriteMesh given a colour count other than the vertex count");
  const QString problem = MeshLimitProblem(mesh, format);
  if (!problem.isEmpty()) {
    throw cError(problem);
  }
  // The writers read vertices by index without checking: one look here
  // keeps a wrong index from reading beyond the places.
  const std::size_t vertices = mesh.VertexCount();
  for (std::uint32_t index : mesh.triangles) {
    if (index >= vertices) {
      throw cError(QStringLiteral("The mesh names vertex %1 of %2").arg(index).arg(vertices));
    }
  }
  const std::uint64_t triangles = mesh.TriangleCount();
  const bool colours = mesh.HasColours();
  std::uint64_t total = 0;  // not known for the compressed 3MF
  switch (format) {
    case MeshFormat::kStl:
      total = StlBytes(triangles);
      break;
    case MeshFormat::kPly:
      total = PlyBytes(vertices, triangles, colours);
      break;
    case MeshFormat::kGlb:
      total = GlbBinaryBytes(vertices, triangles, colours);
      break;
    case MeshFormat::kThreeMf:
      break;
  }
  PendingFile file(path, total, going);
  bool written = false;
  switch (format) {
    case MeshFormat::kStl:
      written = WriteStl(mesh, file);
      break;
    case MeshFormat::kPly:
      written = WritePly(mesh, file);
      break;
    case MeshFormat::kGlb:
      written = WriteGlb(mesh, file);
      break;
    case MeshFormat::kThreeMf:
      written = WriteThreeMf(mesh, file);
      break;
  }
  return written && Committed(file, going);
}

bool WriteStlTriangles(std::uint64_t triangles, const StlPlaces& places, const QString& path,
                       const std::function<bool(double done)>& going) {
  const QString problem = MeshCountProblem(MeshFormat::kStl, 0, triangles, false);
  if (!problem.isEmpty()) {
    throw cError(problem);
  }
  PendingFile file(path, StlBytes(triangles), going);
  return WriteStl(triangles, places, file) && Committed(file, going);
}
