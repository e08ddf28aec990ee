#include "meshes/stlfile.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>
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

bool WriteStl(std::uint64_t triangles, const StlPlaces& places, PendingFile& sink) {
  assert(triangles <= std::numeric_limits<std::uint32_t>::max() &&
         "WriteStl given a mesh beyond the format's count");
  unsigned char head[84] = {};
  std::memcpy(head, kHeader, sizeof kHeader - 1);
  qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(triangles), head + 80);
  if (!sink.Write(head, sizeof head)) {
    return false;
  }
  // Records are made on a thread of their own, a batch ahead of the one
  // going to the sink: the file system takes as long again to copy them as
  // it takes to make them, and the two then overlap. Batches of a few
  // thousand records, because one call a record cost more than all the rest.
  constexpr std::size_t kBatchRecords = 8192;
  const std::uint64_t batches = (triangles + kBatchRecords - 1) / kBatchRecords;
  std::array<std::vector<unsigned char>, 2> batch;
  std::array<std::size_t, 2> filled{};  // bytes ready in each; 0: free for the maker
  bool stop = false;
  std::mutex mutex;
  std::condition_variable changed;
  std::jthread maker([&] {
    std::vector<float> corners(9 * kBatchRecords);
    for (std::uint64_t b = 0; b < batches; ++b) {
      std::vector<unsigned char>& bytes = batch[b % 2];
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stop || filled[b % 2] == 0; });
        if (stop) {
          return;
        }
      }
      const std::uint64_t first = b * kBatchRecords;
      const auto count =
          static_cast<std::size_t>(std::min<std::uint64_t>(kBatchRecords, triangles - first));
      places(first, count, corners.data());
      bytes.resize(count * kRecordBytes);
      unsigned char* out = bytes.data();
      for (std::size_t t = 0; t < count; ++t) {
        const float* p = &corners[9 * t];
        for (float value : FacetNormal(p, p + 3, p + 6)) {
          qToLittleEndian<float>(value, out);
          out += 4;
        }
        for (int k = 0; k < 9; ++k, out += 4) {
          qToLittleEndian<float>(p[k], out);
        }
        qToLittleEndian<std::uint16_t>(0, out);  // no attributes
        out += 2;
      }
      std::lock_guard lock(mutex);
      filled[b % 2] = bytes.size();
      changed.notify_all();
    }
  });
  // Whatever ends the writing (a stop, a failed write) ends the maker too.
  const auto stopMaker = [&] {
    std::lock_guard lock(mutex);
    stop = true;
    changed.notify_all();
  };
  try {
    for (std::uint64_t b = 0; b < batches; ++b) {
      std::size_t size = 0;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return filled[b % 2] != 0; });
        size = filled[b % 2];
      }
      if (!sink.Write(batch[b % 2].data(), size)) {
        stopMaker();
        return false;
      }
      std::lock_guard lock(mutex);
      filled[b % 2] = 0;
      changed.notify_all();
    }
  } catch (...) {
    stopMaker();
    throw;
  }
  return true;
}

bool WriteStl(const TriangleMesh& mesh, PendingFile& sink) {
  const float* positions = mesh.positions.data();
  const std::uint32_t* triangles = mesh.triangles.data();
  return WriteStl(
      mesh.TriangleCount(),
      [&](std::uint64_t first, std::size_t count, float* out) {
        const std::uint32_t* corner = triangles + 3 * first;
        for (std::size_t c = 0; c < 3 * count; ++c, out += 3)
          std::memcpy(out, positions + 3 * std::size_t{corner[c]}, 3 * sizeof(float));
      },
      sink);
}
