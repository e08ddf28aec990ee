#pragma once
// Small meshes made by hand for the mesh file tests, with what is known of
// each without any program: its volume, its bounds, its facets' normals and
// (where worked out) its vertices' area-weighted normals.

#include <array>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "base/trianglemesh.h"

struct MeshSample {
  std::string name;
  TriangleMesh mesh;
  bool closed = false;
  double volume = 0;  // closed only
  std::array<float, 3> low{}, high{};
  std::vector<std::array<float, 3>> facetNormals;   // one a triangle
  std::vector<std::array<float, 3>> vertexNormals;  // empty: not worked out
  // Facets with one, two and three edges that no other facet shares.
  std::array<int, 3> openFacets{};
};

inline void PrintTo(const MeshSample& sample, std::ostream* out) {
  *out << sample.name;
}

// The unit cube in millimetres, vertex x + 2y + 4z at (x, y, z), coloured
// (255x, 255y, 255z); two triangles a side, counter-clockwise from outside.
inline MeshSample CubeSample() {
  MeshSample s;
  s.name = "cube";
  for (int v = 0; v < 8; ++v) {
    const int x = v & 1, y = (v >> 1) & 1, z = (v >> 2) & 1;
    s.mesh.positions.insert(s.mesh.positions.end(), {float(x), float(y), float(z)});
    s.mesh.colours.insert(s.mesh.colours.end(),
                          {std::uint8_t(255 * x), std::uint8_t(255 * y), std::uint8_t(255 * z)});
  }
  s.mesh.triangles = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 5, 0, 5, 4,
                      2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
  s.mesh.millimetres = true;
  s.closed = true;
  s.volume = 1;
  s.low = {0, 0, 0};
  s.high = {1, 1, 1};
  s.facetNormals = {{0, 0, -1}, {0, 0, -1}, {0, 0, 1},  {0, 0, 1},  {0, -1, 0}, {0, -1, 0},
                    {0, 1, 0},  {0, 1, 0},  {-1, 0, 0}, {-1, 0, 0}, {1, 0, 0},  {1, 0, 0}};
  return s;
}

// The tetrahedron A (0,0,0), B (2,0,0), C (0,3,0), D (0,0,4): volume
// 2 * 3 * 4 / 6 = 4. Its slanted face BCD has the normal (12, 8, 6) / √244;
// at A the three right-angled faces sum to -(12, 8, 6), at B, C and D two
// of them cancel the slanted face's share but one axis.
inline MeshSample TetrahedronSample() {
  MeshSample s;
  s.name = "tetrahedron";
  s.mesh.positions = {0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4};
  s.mesh.triangles = {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3};
  s.mesh.millimetres = true;
  s.closed = true;
  s.volume = 4;
  s.low = {0, 0, 0};
  s.high = {2, 3, 4};
  const float r = 1 / std::sqrt(244.0f);
  s.facetNormals = {{0, 0, -1}, {0, -1, 0}, {-1, 0, 0}, {12 * r, 8 * r, 6 * r}};
  s.vertexNormals = {{-12 * r, -8 * r, -6 * r}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  return s;
}

// An open sheet of three unit squares in a row in the picture's units,
// facing up: vertex x on the bottom edge, 4 + x on the top one, and in each
// square the triangles x, x + 1, x + 4 and x + 1, x + 5, x + 4. The first
// square's lower and the last one's upper triangle have two edges on the
// border, the other four one; every vertex's normal is (0, 0, 1).
inline MeshSample SheetSample() {
  MeshSample s;
  s.name = "sheet";
  s.mesh.positions = {0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 0, 1, 0, 1, 1, 0, 2, 1, 0, 3, 1, 0};
  for (std::uint32_t x = 0; x < 3; ++x) {
    s.mesh.triangles.insert(s.mesh.triangles.end(), {x, x + 1, x + 4, x + 1, x + 5, x + 4});
  }
  s.low = {0, 0, 0};
  s.high = {3, 1, 0};
  s.facetNormals.assign(6, {0, 0, 1});
  s.vertexNormals.assign(8, {0, 0, 1});
  s.openFacets = {4, 2, 0};
  return s;
}

inline std::vector<MeshSample> MeshSamples() {
  return {CubeSample(), TetrahedronSample(), SheetSample()};
}

// A flat grid of side by side vertices, two triangles a cell, large enough
// that its files run to megabytes.
inline TriangleMesh GridMesh(int side) {
  TriangleMesh mesh;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      mesh.positions.insert(mesh.positions.end(), {float(x), float(y), float((x * y) % 7)});
      mesh.colours.insert(mesh.colours.end(), {std::uint8_t(x), std::uint8_t(y), 9});
    }
  }
  for (int y = 0; y + 1 < side; ++y) {
    for (int x = 0; x + 1 < side; ++x) {
      const std::uint32_t a = y * side + x;
      mesh.triangles.insert(mesh.triangles.end(),
                            {a, a + 1, a + side, a + 1, a + side + 1, a + std::uint32_t(side)});
    }
  }
  return mesh;
}
