#pragma once
// Binary PLY, which 3-D tools open with the vertices' colours: the shared
// vertices (place, and colour where the mesh has one) and the triangles as
// lists of three 32-bit indices.

#include <cstdint>
#include <string>

#include "base/trianglemesh.h"
#include "meshes/pendingfile.h"

// The text header of a binary PLY of the given counts.
std::string PlyHeader(std::uint64_t vertices, std::uint64_t triangles, bool colours);

// The bytes of a binary PLY of the given counts.
std::uint64_t PlyBytes(std::uint64_t vertices, std::uint64_t triangles, bool colours);

// Writes mesh to sink as binary little-endian PLY. Returns false when going
// said to stop. Throws cFileWriteError.
bool WritePly(const TriangleMesh& mesh, PendingFile& sink);
