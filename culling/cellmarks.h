#pragma once
// Which triangles of a strip between two rows of a grid have a window
// bounding box, widened by the rounding margin, that holds a pixel centre,
// from each row's points projected once; the marks that say so, a byte per
// cell, counted and walked in strip order.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/vec3.h"
#include "culling/windowmapping.h"

// The pixel ranges of a row of n points, four arrays of n each: for X and Y
// the index of the last pixel centre at or before the coordinate plus its
// margin (hi) and of the last one at or before the coordinate minus its margin
// (lo), both clamped to [0, viewport size] (centre k + 1 is the viewport's
// pixel k, 0 lies before the first). A triangle's box, each point widened by
// its margin, holds a centre along X when the largest hi of its points
// exceeds the smallest lo. A point beyond the mapping's limit gets the whole
// viewport, which keeps every triangle it belongs to.
struct RowRanges {
  std::int16_t* hiX;
  std::int16_t* loX;
  std::int16_t* hiY;
  std::int16_t* loY;
  RowRanges(std::int16_t* row, std::uint32_t n)
      : hiX(row), loX(row + n), hiY(row + 2 * std::size_t{n}), loY(row + 3 * std::size_t{n}) {}
};

// The same row's points in the window, four arrays of n each: X and Y as the
// mapping gives them, the depth relative to a depth of the caller's choosing
// (depthRow times (x, y, z, 1)), and size, the largest |coordinate| of the
// point, or NaN for a point beyond the mapping's limit.
struct RowWindow {
  float* x;
  float* y;
  float* depth;
  float* size;
  // Null pointers when row is.
  RowWindow(float* row, std::uint32_t n)
      : x(row),
        y(row ? row + n : nullptr),
        depth(row ? row + 2 * std::size_t{n} : nullptr),
        size(row ? row + 3 * std::size_t{n} : nullptr) {}
};

// Point (px, py, pz), in single precision as the renderer gets it, in the
// window: what RowWindow holds of it.
struct WindowPoint {
  float x, y, depth, size;
};
inline WindowPoint ToWindow(const WindowMapping& m, const float depthRow[4], float px, float py,
                            float pz) {
  const float ax = px < 0 ? -px : px;
  const float ay = py < 0 ? -py : py;
  const float az = pz < 0 ? -pz : pz;
  const float axy = ax > ay ? ax : ay;
  const float a = axy > az ? axy : az;  // NaN when az is
  // False when any coordinate is NaN.
  const bool placed = (a <= m.limit) & (ax <= m.limit) & (ay <= m.limit);
  return {m.x[0] * px + m.x[1] * py + m.x[2] * pz + m.x[3],
          m.y[0] * px + m.y[1] * py + m.y[2] * pz + m.y[3],
          depthRow[0] * px + depthRow[1] * py + depthRow[2] * pz + depthRow[3],
          placed ? a : __builtin_nanf("")};
}

// Projects the n points from p, each drawn at height z * zScale; the window
// places only where window.x is not null.
void ProjectRow(const WindowMapping& m, const float depthRow[4], const Vec3* p, std::uint32_t n,
                double zScale, RowRanges ranges, RowWindow window);

// For each of the n - 1 cells between two rows: bit 0 keeps the strip's
// first triangle of the cell (lower i, upper i, lower i + 1), bit 1 its second
// (upper i, lower i + 1, upper i + 1).
void MarkCells(RowRanges lower, RowRanges upper, std::uint32_t n, std::uint8_t* keep);

// Drops, of the n - 1 cells' marks, the triangles with a point that has no
// value; lower and upper are the two rows' presence bytes.
void DropMissing(const std::uint8_t* lower, const std::uint8_t* upper, std::uint32_t n,
                 std::uint8_t* keep);

// Calls f(cell, second) for each triangle that keep marks, in strip order:
// second tells the cell's second triangle from its first. keep is zero-padded
// to a multiple of 8, so that runs of cells with nothing to keep, the common
// case, are skipped eight at a time. f may clear the marks of cells it has
// been called for.
template <class F>
void ForEachMarked(const std::uint8_t* keep, std::uint32_t cells, F&& f) {
  for (std::uint32_t i = 0; i < cells; i += 8) {
    std::uint64_t eight;
    std::memcpy(&eight, keep + i, sizeof eight);
    if (eight == 0)
      continue;
    for (std::uint32_t j = i; j < cells && j < i + 8; ++j) {
      if (keep[j] & 1)
        f(j, false);
      if (keep[j] & 2)
        f(j, true);
    }
  }
}

// The triangles that keep marks, zero-padded to a multiple of 8 cells.
std::size_t MarkedTriangles(const std::uint8_t* keep, std::uint32_t cells);
