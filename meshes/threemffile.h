#pragma once
// 3MF, the printers' format that knows its unit and colours: the mesh as one
// object built once, written through lib3mf.

#include "base/trianglemesh.h"
#include "meshes/pendingfile.h"

// The most vertices and the most triangles lib3mf takes in one mesh.
constexpr std::uint64_t kThreeMfMostCount = 2147483646;

// Writes mesh to sink as 3MF, in millimetres when mesh.millimetres (else in
// the format's default unit, which is also the millimetre), with each
// triangle's corners in their vertices' colours where the mesh has them.
// Returns false when going said to stop. Throws cFileWriteError when the
// file cannot be written, cError when lib3mf refuses the mesh.
bool WriteThreeMf(const TriangleMesh& mesh, PendingFile& sink);
