#include "meshes/stlfile.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <QtEndian>

namespace {

// Readers that meet "solid" at the start take the file for text STL, so the
// header says what it is without that word first.
constexpr char kHeader[] = "Binary STL written by Cubiscope";
constexpr std::size_t kRecordBytes = 50;

}  // namespace

std::array<float, 3> FacetNormal(const float* a, const float* b, const float* c) {
  // In double: the differences of floats are exact there, so a triangle
  // that has an area never comes out as one that has none.
  const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
  const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
  const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                       u[0] * v[1] - u[1] * v[0]};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (!(length > 0) || !std::isfinite(length)) {
    return {0, 0, 0};
  }
  return {float(n[0] / length), float(n[1] / length), float(n[2] / length)};
}

bool WriteStl(const TriangleMesh& mesh, PendingFile& sink) {
  const std::size_t triangles = mesh.TriangleCount();
  assert(triangles <= std::numeric_limits<std::uint32_t>::max() &&
         "WriteStl given a mesh beyond the format's count");
  unsigned char head[84] = {};
  std::memcpy(head, kHeader, sizeof kHeader - 1);
  qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(triangles), head + 80);
  if (!sink.Write(head, sizeof head)) {
    return false;
  }
  const float* positions = mesh.positions.data();
  const std::uint32_t* corner = mesh.triangles.data();
  // Records go to the sink a few thousand at a time: one call a record
  // cost more than all the rest of writing a large mesh.
  constexpr std::size_t kBatchRecords = 4096;
  std::vector<unsigned char> batch(kBatchRecords * kRecordBytes);
  for (std::size_t first = 0; first < triangles; first += kBatchRecords) {
    const std::size_t count = std::min(kBatchRecords, triangles - first);
    unsigned char* out = batch.data();
    for (std::size_t t = 0; t < count; ++t, corner += 3) {
      const float* p[3] = {positions + 3 * std::size_t(corner[0]),
                           positions + 3 * std::size_t(corner[1]),
                           positions + 3 * std::size_t(corner[2])};
      const std::array<float, 3> normal = FacetNormal(p[0], p[1], p[2]);
      for (float value : normal) {
        qToLittleEndian<float>(value, out);
        out += 4;
      }
      for (const float* point : p) {
        for (int k = 0; k < 3; ++k, out += 4) {
          qToLittleEndian<float>(point[k], out);
        }
      }
      qToLittleEndian<std::uint16_t>(0, out);  // no attributes
      out += 2;
    }
    if (!sink.Write(batch.data(), count * kRecordBytes)) {
      return false;
    }
  }
  return true;
}
