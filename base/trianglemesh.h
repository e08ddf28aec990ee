#pragma once
// A mesh of triangles as the mesh files hold it: shared vertices, each with
// its place and optionally its colour, and triangles of three vertex
// indices, counter-clockwise seen from the side their normal points to (for
// a closed solid: from outside).

#include <cstddef>
#include <cstdint>
#include <vector>

struct TriangleMesh {
  std::vector<float> positions;          // x, y, z a vertex
  std::vector<std::uint8_t> colours;     // red, green, blue a vertex; empty: none
  std::vector<std::uint32_t> triangles;  // three vertex indices a triangle
  // Millimetres for the print formats (their files say so); otherwise the
  // picture's own units: the unit cube, heights as the vertical scale shows
  // them.
  bool millimetres = false;

  std::size_t VertexCount() const { return positions.size() / 3; }
  std::size_t TriangleCount() const { return triangles.size() / 3; }
  bool HasColours() const { return !colours.empty(); }
};
