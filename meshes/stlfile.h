#pragma once
// Binary STL, the format every slicer opens: a header, the triangle count
// and each triangle on its own with its facet normal. It holds no colours.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "base/trianglemesh.h"
#include "meshes/pendingfile.h"

// The bytes of a binary STL of triangles triangles.
inline std::uint64_t StlBytes(std::uint64_t triangles) {
  return 84 + 50 * triangles;
}

// The unit normal of the triangle a, b, c (counter-clockwise seen from the
// side it points to); 0, 0, 0 when the triangle has no area.
std::array<float, 3> FacetNormal(const float* a, const float* b, const float* c);

// Gives the nine coordinates of each of the triangles first ... first +
// count - 1 at out, counter-clockwise seen from outside.
using StlPlaces = std::function<void(std::uint64_t first, std::size_t count, float* out)>;

// Writes triangles triangles to sink as binary STL (within the format's
// limit), places giving their corners. Returns false when going said to
// stop. Throws cFileWriteError.
bool WriteStl(std::uint64_t triangles, const StlPlaces& places, PendingFile& sink);

// Writes mesh's triangles so.
bool WriteStl(const TriangleMesh& mesh, PendingFile& sink);
