#include "objects/coveringtriangles.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/parallelrows.h"
#include "objects/gridstrips.h"

namespace {

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

// The loops over every point are written branch-free over plain arrays, so
// that the compiler turns them into vector instructions. Where the processor
// has them, they also get a copy for AVX2, with twice as many lanes, chosen
// when the program loads.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define WIDE_VECTORS __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define WIDE_VECTORS
#endif

// floor(v) clamped to [0, floor(top)], and floor(top) when v is NaN: v is
// clamped first, so truncation rounds down.
inline std::int16_t HighEnd(float v, float top) {
  v = v < top ? v : top;
  v = v > 0.0f ? v : 0.0f;
  return static_cast<std::int16_t>(static_cast<int>(v));
}
// The same, but 0 when v is NaN.
inline std::int16_t LowEnd(float v, float top) {
  v = v > 0.0f ? v : 0.0f;
  v = v < top ? v : top;
  return static_cast<std::int16_t>(static_cast<int>(v));
}

WIDE_VECTORS void ProjectRow(const WindowMapping& m, const Vec3* p, std::uint32_t n, double zScale,
                             RowRanges out) {
  const float x0 = m.x[0], x1 = m.x[1], x2 = m.x[2], x3 = m.x[3];
  const float y0 = m.y[0], y1 = m.y[1], y2 = m.y[2], y3 = m.y[3];
  const float mx0 = m.marginX[0], mx1 = m.marginX[1];
  const float my0 = m.marginY[0], my1 = m.marginY[1];
  const float limit = m.limit;
  const float right = m.width + 0.5f;
  const float top = m.height + 0.5f;
  for (std::uint32_t i = 0; i < n; ++i) {
    const auto px = static_cast<float>(p[i].x);
    const auto py = static_cast<float>(p[i].y);
    const auto pz = static_cast<float>(p[i].z * zScale);  // GridRef::DrawnZ
    const float wx = x0 * px + x1 * py + x2 * pz + x3;
    const float wy = y0 * px + y1 * py + y2 * pz + y3;
    const float ax = std::fabs(px);
    const float ay = std::fabs(py);
    const float az = std::fabs(pz);
    const float axy = ax > ay ? ax : ay;
    const float a = axy > az ? axy : az;  // NaN when az is
    // False when any coordinate is NaN.
    const bool placed = (a <= limit) & (ax <= limit) & (ay <= limit);
    // An infinite margin gives a point the whole viewport, whatever its
    // coordinates: the sums are infinite or NaN, and the ends take NaN to
    // the side that widens the range.
    const float marginX = placed ? mx0 + mx1 * a : std::numeric_limits<float>::infinity();
    const float marginY = placed ? my0 + my1 * a : std::numeric_limits<float>::infinity();
    out.hiX[i] = HighEnd(wx + marginX, right);
    out.loX[i] = LowEnd(wx - marginX, right);
    out.hiY[i] = HighEnd(wy + marginY, top);
    out.loY[i] = LowEnd(wy - marginY, top);
  }
}

// For each of the n - 1 cells between two rows: bit 0 keeps the strip's
// first triangle of the cell (lower i, upper i, lower i + 1), bit 1 its second
// (upper i, lower i + 1, upper i + 1).
WIDE_VECTORS void MarkCells(RowRanges lower, RowRanges upper, std::uint32_t n, std::uint8_t* keep) {
  for (std::uint32_t i = 0; i + 1 < n; ++i) {
    // The diagonal shared by both triangles.
    const std::int16_t hiX = std::max(upper.hiX[i], lower.hiX[i + 1]);
    const std::int16_t loX = std::min(upper.loX[i], lower.loX[i + 1]);
    const std::int16_t hiY = std::max(upper.hiY[i], lower.hiY[i + 1]);
    const std::int16_t loY = std::min(upper.loY[i], lower.loY[i + 1]);
    const bool first = (std::max(hiX, lower.hiX[i]) > std::min(loX, lower.loX[i])) &
                       (std::max(hiY, lower.hiY[i]) > std::min(loY, lower.loY[i]));
    const bool second = (std::max(hiX, upper.hiX[i + 1]) > std::min(loX, upper.loX[i + 1])) &
                        (std::max(hiY, upper.hiY[i + 1]) > std::min(loY, upper.loY[i + 1]));
    keep[i] = static_cast<std::uint8_t>(first | (second << 1));
  }
}

// Drops, of the n - 1 cells' marks, the triangles with a point that has no
// value; lower and upper are the two rows' presence bytes.
void DropMissing(const std::uint8_t* lower, const std::uint8_t* upper, std::uint32_t n,
                 std::uint8_t* keep) {
  for (std::uint32_t i = 0; i + 1 < n; ++i) {
    const bool shared = upper[i] && lower[i + 1];
    const bool first = shared && lower[i];
    const bool second = shared && upper[i + 1];
    keep[i] &= static_cast<std::uint8_t>(first | (second << 1));
  }
}

// Point k of grid as it goes to the renderer: x, y, the drawn z, the texture
// coordinate where it is not the drawn z, and the vertex colour where there
// is one.
inline float* WritePoint(const GridRef& grid, std::size_t k, float* out) {
  const Vec3& p = grid.points[k];
  out[0] = static_cast<float>(p.x);
  out[1] = static_cast<float>(p.y);
  out[2] = grid.DrawnZ(p);
  out += 3;
  if (grid.zScale != 1.0)
    *out++ = static_cast<float>(p.z);
  if (grid.VertexColours()) {
    grid.VertexColour(k, out);
    out += 3;
  }
  return out;
}

// Writes the points of one strip's kept triangles in strip order and returns
// the end of what it wrote: at most 6 (cells) points. lower is the index of
// the strip's first point. keep is zero-padded to a multiple of 8, so that
// runs of cells with nothing to keep, the common case, are skipped eight at
// a time.
float* WriteTriangles(const std::uint8_t* keep, std::uint32_t cells, const GridRef& grid,
                      std::size_t lower, float* out) {
  const std::size_t upper = lower + grid.columns;
  for (std::uint32_t i = 0; i < cells; i += 8) {
    std::uint64_t eight;
    std::memcpy(&eight, keep + i, sizeof eight);
    if (eight == 0)
      continue;
    for (std::uint32_t j = i; j < std::min(i + 8, cells); ++j) {
      if (keep[j] & 1) {
        out = WritePoint(grid, lower + j, out);
        out = WritePoint(grid, upper + j, out);
        out = WritePoint(grid, lower + j + 1, out);
      }
      if (keep[j] & 2) {
        out = WritePoint(grid, lower + j + 1, out);
        out = WritePoint(grid, upper + j, out);
        out = WritePoint(grid, upper + j + 1, out);
      }
    }
  }
  return out;
}

// A run of strips is worth a thread from this many points on (as in
// ForEachRowBlock); more runs than kMaxParts would only add calls.
constexpr std::size_t kPointsPerPart = std::size_t{1} << 18;
constexpr std::size_t kMaxParts = 16;

std::size_t RoundUpTo8(std::size_t n) {
  return (n + 7) / 8 * 8;
}

}  // namespace

void CoveringTriangles::Send(const WindowMapping& m, const GridRef& g) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (g.VertexColours())
    glEnableClientState(GL_COLOR_ARRAY);
  Run(m, g, true);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void CoveringTriangles::Select(const WindowMapping& m, const GridRef& g) {
  Run(m, g, false);
}

void CoveringTriangles::Run(const WindowMapping& m, const GridRef& g, bool send) {
  grid = g;
  mapping = m;
  wholeStrips = 0;
  try {
    Prepare(g.rows);
  } catch (const std::bad_alloc&) {
    parts.clear();
    wholeStrips = (g.columns < 2 || g.rows < 2) ? 0 : g.rows - 1;
    if (send)
      SendStrips(g, 0, wholeStrips);
    return;
  }
  ForEachRowBlock(parts.size(), std::size_t{g.columns} * g.rows / parts.size(),
                  [this](std::size_t first, std::size_t last) {
                    for (std::size_t k = first; k < last; ++k)
                      Continue(parts[k]);
                  });
  for (Part& part : parts) {
    Finish(part);
    if (send)
      SendPart(part);
  }
}

void CoveringTriangles::Prepare(std::uint32_t r) {
  const std::uint32_t columns = grid.columns;
  const std::uint32_t strips = (columns < 2 || r < 2) ? 0 : r - 1;
  const std::size_t points = std::size_t{columns} * r;
  // Runs of strips of at least kPointsPerPart points, each sent in one call,
  // whatever the number of cores; ForEachRowBlock shares them among the
  // cores. The parts' selections, sent one after the other, are the
  // selection in strip order without being copied together.
  const std::size_t count = std::clamp<std::size_t>(
      std::min<std::size_t>(points / kPointsPerPart, kMaxParts), 1, std::max(strips, 1u));
  parts.resize(count);
  capacity = std::max(points * sizeof(Vec3), memoryFloor) / sizeof(float) / count;
  for (std::size_t k = 0; k < count; ++k) {
    Part& part = parts[k];
    part.first = static_cast<std::uint32_t>(std::uint64_t{strips} * k / count);
    part.next = part.first;
    part.end = static_cast<std::uint32_t>(std::uint64_t{strips} * (k + 1) / count);
    part.strips = false;
    part.used = 0;
    if (part.next == part.end)
      continue;
    part.ranges.resize(std::max(part.ranges.size(), 8 * std::size_t{columns}));
    part.cells.resize(std::max(part.cells.size(), RoundUpTo8(columns - 1)));
    // The padding after the last cell must read as nothing to keep.
    std::fill(part.cells.begin() + (columns - 1), part.cells.begin() + RoundUpTo8(columns - 1), 0);
  }
}

void CoveringTriangles::Continue(Part& part) const noexcept {
  if (part.next == part.end)
    return;
  const std::uint32_t columns = grid.columns;
  const std::size_t rowLength = 4 * std::size_t{columns};
  RowRanges lower(part.ranges.data(), columns);
  RowRanges upper(part.ranges.data() + rowLength, columns);
  const std::size_t perStrip = 6 * FloatsPerPoint() * (columns - 1);
  std::size_t lowerPoints = grid.Index(part.next, 0);
  ProjectRow(mapping, grid.points + lowerPoints, columns, grid.zScale, lower);
  for (; part.next < part.end; ++part.next) {
    if (part.points.size() - part.used < perStrip)
      return;
    const std::size_t upperPoints = lowerPoints + columns;
    ProjectRow(mapping, grid.points + upperPoints, columns, grid.zScale, upper);
    MarkCells(lower, upper, columns, part.cells.data());
    if (grid.present) {
      DropMissing(grid.present + lowerPoints, grid.present + upperPoints, columns,
                  part.cells.data());
    }
    float* start = part.points.data() + part.used;
    const float* end = WriteTriangles(part.cells.data(), columns - 1, grid, lowerPoints, start);
    part.used += static_cast<std::size_t>(end - start);
    std::swap(lower, upper);
    lowerPoints = upperPoints;
  }
}

void CoveringTriangles::Finish(Part& part) noexcept {
  const std::size_t perStrip = 6 * FloatsPerPoint() * (grid.columns - 1);
  while (part.next != part.end) {
    // Twice the room each time, so that a few frames settle the size and
    // later frames of similar views reuse it.
    const std::size_t room =
        std::min(std::max(2 * part.points.size(), part.used + 2 * perStrip), capacity);
    if (room < part.used + perStrip) {
      part.strips = true;
      return;
    }
    try {
      part.points.resize(room);
    } catch (const std::bad_alloc&) {
      part.strips = true;
      return;
    }
    Continue(part);
  }
  // Where nearly every triangle is kept, the strips draw faster than the same
  // triangles sent three points each. Measured on grids seen whole, cells
  // about a pixel: with 94 % kept the triangles took 2 % longer than the
  // strips, with 82 % 6 % less.
  const std::size_t all = perStrip * (part.end - part.first);  // floats
  if (part.used > all / 8 * 7)
    part.strips = true;
}

void CoveringTriangles::SendPart(const Part& part) const {
  if (part.strips) {
    SendStrips(grid, part.first, part.end);
    return;
  }
  const std::size_t stride = FloatsPerPoint();
  const std::size_t texture = grid.zScale != 1.0 ? 3 : 2;
  // A count is a GLsizei: very large selections go in several calls.
  constexpr std::size_t kMaxCall = std::numeric_limits<GLsizei>::max() / 3 * 3;
  const std::size_t vertices = part.used / stride;
  for (std::size_t done = 0; done < vertices; done += kMaxCall) {
    const float* first = part.points.data() + stride * done;
    const auto bytes = static_cast<GLsizei>(stride * sizeof(float));
    glVertexPointer(3, GL_FLOAT, bytes, first);
    glTexCoordPointer(1, GL_FLOAT, bytes, first + texture);
    if (grid.VertexColours())
      glColorPointer(3, GL_FLOAT, bytes, first + stride - 3);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(std::min(kMaxCall, vertices - done)));
  }
}

std::size_t CoveringTriangles::Count() const {
  const std::size_t perStrip = grid.columns < 2 ? 0 : 2 * std::size_t{grid.columns - 1};
  std::size_t triangles = perStrip * wholeStrips;
  for (const Part& part : parts) {
    triangles += part.strips ? Drawable(part.first, part.end) : part.used / (3 * FloatsPerPoint());
  }
  return triangles;
}

std::size_t CoveringTriangles::Drawable(std::uint32_t first, std::uint32_t end) const {
  const std::uint32_t cells = grid.columns < 2 ? 0 : grid.columns - 1;
  if (!grid.present)
    return 2 * std::size_t{cells} * (end - first);
  std::vector<std::uint8_t> every(RoundUpTo8(cells), 3);
  std::size_t triangles = 0;
  for (std::uint32_t s = first; s < end; ++s) {
    DropMissing(grid.present + grid.Index(s, 0), grid.present + grid.Index(s + 1, 0), grid.columns,
                every.data());
    for (std::uint32_t i = 0; i < cells; ++i) {
      triangles += (every[i] & 1) + (every[i] >> 1);
      every[i] = 3;
    }
  }
  return triangles;
}

std::vector<float> CoveringTriangles::Points() const {
  const std::size_t stride = FloatsPerPoint();
  std::vector<float> all;
  all.reserve(9 * Count());
  const auto add = [&](const float* begin, const float* end) {
    for (const float* p = begin; p < end; p += stride)
      all.insert(all.end(), p, p + 3);
  };
  // A run sent as strips: every drawable triangle of it, in strip order.
  const std::uint32_t cells = grid.columns < 2 ? 0 : grid.columns - 1;
  std::vector<std::uint8_t> keep(RoundUpTo8(cells));
  std::vector<float> strip(6 * stride * keep.size());
  for (const Part& part : parts) {
    if (!part.strips) {
      add(part.points.data(), part.points.data() + part.used);
      continue;
    }
    for (std::uint32_t s = part.first; s < part.end; ++s) {
      std::fill(keep.begin(), keep.begin() + cells, 3);
      if (grid.present) {
        DropMissing(grid.present + grid.Index(s, 0), grid.present + grid.Index(s + 1, 0),
                    grid.columns, keep.data());
      }
      const float* end = WriteTriangles(keep.data(), cells, grid, grid.Index(s, 0), strip.data());
      add(strip.data(), end);
    }
  }
  return all;
}
