#include "meshes/plyfile.h"

#include <QtEndian>

std::string PlyHeader(std::uint64_t vertices, std::uint64_t triangles, bool colours) {
  std::string header =
      "ply\nformat binary_little_endian 1.0\ncomment written by Cubiscope\nelement vertex " +
      std::to_string(vertices) + "\nproperty float x\nproperty float y\nproperty float z\n";
  if (colours) {
    header += "property uchar red\nproperty uchar green\nproperty uchar blue\n";
  }
  header += "element face " + std::to_string(triangles) +
            "\nproperty list uchar uint vertex_indices\nend_header\n";
  return header;
}

std::uint64_t PlyBytes(std::uint64_t vertices, std::uint64_t triangles, bool colours) {
  return PlyHeader(vertices, triangles, colours).size() + vertices * (colours ? 15 : 12) +
         triangles * 13;
}

bool WritePly(const TriangleMesh& mesh, PendingFile& sink) {
  const std::size_t vertices = mesh.VertexCount();
  const bool colours = mesh.HasColours();
  const std::string header = PlyHeader(vertices, mesh.TriangleCount(), colours);
  if (!sink.Write(header.data(), header.size())) {
    return false;
  }
  for (std::size_t v = 0; v < vertices; ++v) {
    unsigned char record[15];
    for (int k = 0; k < 3; ++k) {
      qToLittleEndian<float>(mesh.positions[3 * v + k], record + 4 * k);
    }
    if (colours) {
      record[12] = mesh.colours[3 * v];
      record[13] = mesh.colours[3 * v + 1];
      record[14] = mesh.colours[3 * v + 2];
    }
    if (!sink.Write(record, colours ? 15 : 12)) {
      return false;
    }
  }
  const std::size_t triangles = mesh.TriangleCount();
  for (std::size_t t = 0; t < triangles; ++t) {
    unsigned char record[13];
    record[0] = 3;
    for (int k = 0; k < 3; ++k) {
      qToLittleEndian<std::uint32_t>(mesh.triangles[3 * t + k], record + 1 + 4 * k);
    }
    if (!sink.Write(record, sizeof record)) {
      return false;
    }
  }
  return true;
}
