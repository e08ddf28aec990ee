#pragma once
// Binary glTF 2.0 (.glb), the format of 3-D viewers and the web: one mesh of
// one triangle list with the vertices' places, normals and, where the mesh
// has them, colours.

#include <cstdint>
#include <vector>

#include "base/trianglemesh.h"
#include "meshes/pendingfile.h"

// The GLB's length field is 32 bits; this is the most its binary chunk (with
// room for the JSON, which is a few hundred bytes) may hold.
constexpr std::uint64_t kGlbMostBinaryBytes = 0xFFFFFFFFull - 65536;

// The bytes of the binary chunk of a mesh of the given counts: places and
// normals as three floats, colours as four bytes (glTF aligns each vertex's
// attribute to four bytes), indices as 32-bit numbers.
inline std::uint64_t GlbBinaryBytes(std::uint64_t vertices, std::uint64_t triangles, bool colours) {
  return vertices * (colours ? 28 : 24) + triangles * 12;
}

// Each vertex's normal (x, y, z a vertex): the sum of its triangles'
// normals weighted by their areas, made unit length. A vertex of no
// triangle with an area gets 0, 0, 1, because glTF wants every normal unit
// length.
std::vector<float> VertexNormals(const TriangleMesh& mesh);

// Writes mesh to sink as GLB (the mesh within the format's limit). Returns
// false when going said to stop. Throws cFileWriteError; cError when the
// glTF library refuses the model.
bool WriteGlb(const TriangleMesh& mesh, PendingFile& sink);
