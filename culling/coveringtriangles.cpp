#include "culling/coveringtriangles.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <thread>

#include "base/parallelrows.h"
#include "culling/cellmarks.h"
#include "culling/gridstrips.h"

namespace {

// Floats a selected point takes: x, y and the drawn z; the texture coordinate
// when it differs from the drawn z; the vertex colour when there is one; the
// light's secondary colour when lit.
std::size_t FloatsPerPoint(const GridRef& grid) {
  return 3 + (grid.OwnTexture() ? 1 : 0) + (grid.VertexColours() ? 3 : 0) + (grid.shades ? 3 : 0);
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
  if (grid.OwnTexture())
    *out++ = grid.TextureAt(k);
  if (grid.VertexColours()) {
    float added[3];
    grid.VertexColour(k, out, added);
    out += 3;
    if (grid.shades) {
      std::copy_n(added, 3, out);
      out += 3;
    }
  }
  return out;
}

// Writes the points of one strip's kept triangles in strip order and returns
// the end of what it wrote: at most 6 (cells) points. lower is the index of
// the strip's first point.
float* WriteTriangles(const std::uint8_t* keep, std::uint32_t cells, const GridRef& grid,
                      std::size_t lower, float* out) {
  const std::size_t upper = lower + grid.columns;
  ForEachMarked(keep, cells, [&](std::uint32_t j, bool second) {
    out = WritePoint(grid, second ? lower + j + 1 : lower + j, out);
    out = WritePoint(grid, upper + j, out);
    out = WritePoint(grid, second ? upper + j + 1 : lower + j + 1, out);
  });
  return out;
}

WindowPoint At(RowWindow row, std::uint32_t i) {
  return {row.x[i], row.y[i], row.depth[i], row.size[i]};
}

// A run of strips is worth a thread from this many points on (as in
// ForEachRowBlock); more runs than kMaxParts would only add calls.
constexpr std::size_t kPointsPerPart = std::size_t{1} << 18;
constexpr std::size_t kMaxParts = 16;

std::size_t RoundUpTo8(std::size_t n) {
  return (n + 7) / 8 * 8;
}

}  // namespace

void CoveringTriangles::Select(std::span<const WindowMapping> frame, const GridRef& g,
                               Culling culling) {
  grid = g;
  wholeStrips = 0;
  const std::uint32_t strips = (g.columns < 2 || g.rows < 2) ? 0 : g.rows - 1;
  try {
    draws.assign(frame.size(), Draw{});
  } catch (const std::bad_alloc&) {
    parts.clear();
    wholeStrips = strips;
    return;
  }
  if (frame.empty()) {
    parts.clear();
    return;
  }
  // Depths of every draw are taken relative to one depth of the frame, so
  // that the nearest depths of one draw bound those of another.
  bool depth = false;
  double origin = 0;
  for (std::size_t k = 0; k < frame.size(); ++k) {
    Draw& d = draws[k];
    d.mapping = frame[k];
    d.culling = culling;
    if (culling != Culling::kHidden || frame[k].rules == RasterRules::kBoxOnly) {
      d.culling = std::min(culling, Culling::kBoundingBox);
      continue;
    }
    if (!depth)
      origin = frame[k].z[3];
    d.bounds = BoundsOf(frame[k], origin);
    // Where coverage is known, a box widened by what the renderer can move
    // a vertex holds every centre a triangle may cover: far tighter than the
    // margin for renderers in general.
    for (int c = 0; c < 2; ++c) {
      d.mapping.marginX[c] = d.bounds.cover[c];
      d.mapping.marginY[c] = d.bounds.cover[c];
    }
    // Nearest depths are per pixel of one viewport.
    d.depth = d.bounds.depthKnown && frame[k].width == frame.front().width &&
              frame[k].height == frame.front().height;
    depth = depth || d.depth;
  }
  try {
    Prepare(frame);
    NearFirst(frame);
    nearest.resize(depth ? std::max(1u, std::thread::hardware_concurrency()) : 0);
    for (NearestDepths& n : nearest)
      n.Reset(static_cast<int>(frame.front().width), static_cast<int>(frame.front().height));
  } catch (const std::bad_alloc&) {
    parts.clear();
    nearest.clear();
    wholeStrips = strips;
    return;
  }
  const std::size_t perPart = std::size_t{g.columns} * g.rows * draws.size() / parts.size();
  // Each thread lowers nearest depths of its own, and leaves out at once what
  // those already hide; it takes the parts nearest the eye first, and the
  // strips of a part from its near end, so that most of what is hidden meets
  // its cover first. The parts that run out of room wait for the calling
  // thread to give them more, then all go on.
  std::size_t threads = 0;
  for (bool pending = true; pending;) {
    std::atomic<std::size_t> slot{0};
    std::atomic<std::size_t> next{0};
    ForEachRowBlock(parts.size(), perPart, [&](std::size_t, std::size_t) {
      NearestDepths* mine = nearest.empty() ? nullptr : &nearest[slot++];
      for (std::size_t k; (k = next++) < order.size();)
        Continue(parts[order[k]], mine);
    });
    threads = std::max(threads, slot.load());
    pending = false;
    for (Part& part : parts) {
      if (!Finished(part) && !part.strips) {
        Grow(part);
        pending = pending || !part.strips;
      }
    }
  }
  if (!nearest.empty()) {
    for (std::size_t k = 1; k < threads; ++k)
      nearest[0].Lower(nearest[k]);
    // Parts keep very different numbers of triangles: each thread takes the
    // next part left.
    std::atomic<std::size_t> next{0};
    ForEachRowBlock(parts.size(), perPart, [&](std::size_t, std::size_t) {
      for (std::size_t k; (k = next++) < parts.size();)
        DropHidden(parts[k], nearest[0]);
    });
  }
  // Where nearly every triangle is kept, the strips draw faster than the same
  // triangles sent three points each. Measured on grids seen whole, cells
  // about a pixel: with 94 % kept the triangles took 2 % longer than the
  // strips, with 82 % 6 % less.
  for (Part& part : parts) {
    if (part.used > PerStrip() * (part.end - part.first) / 8 * 7)
      part.strips = true;
  }
}

void CoveringTriangles::NearFirst(std::span<const WindowMapping> frame) {
  // The last draws of a frame are drawn over the earlier ones: the 3-D pass
  // over the flattened ones.
  order.clear();
  const std::size_t count = parts.size() / frame.size();
  // Which end of the rows is nearer, told by the middle of the first and the
  // last row (false when either is not finite).
  const bool strips = grid.columns >= 2 && grid.rows >= 2;
  const Vec3* first = strips ? &grid.points[grid.Index(0, grid.columns / 2)] : nullptr;
  const Vec3* last = strips ? &grid.points[grid.Index(grid.rows - 1, grid.columns / 2)] : nullptr;
  for (std::size_t d = frame.size(); d-- > 0;) {
    const double* z = frame[d].z;
    const auto depth = [&](const Vec3* p) {
      return z[0] * p->x + z[1] * p->y + z[2] * p->z * grid.zScale + z[3];
    };
    const bool lastNearer = strips && depth(last) < depth(first);
    for (std::size_t k = 0; k < count; ++k) {
      Part& part = parts[d * count + (lastNearer ? count - 1 - k : k)];
      order.push_back(static_cast<std::size_t>(&part - parts.data()));
      // Only what can hide gains from the order.
      part.backward = lastNearer && draws[d].depth;
      part.next = part.backward ? part.end : part.first;
      part.offset = part.backward ? part.points.size() : 0;
    }
  }
}

std::size_t CoveringTriangles::PerStrip() const {
  return 2 * PerTriangle() * (grid.columns - 1);
}

std::size_t CoveringTriangles::PerTriangle() const {
  return 3 * FloatsPerPoint(grid);
}

void CoveringTriangles::Prepare(std::span<const WindowMapping> frame) {
  const std::uint32_t columns = grid.columns;
  const std::uint32_t strips = (columns < 2 || grid.rows < 2) ? 0 : grid.rows - 1;
  const std::size_t points = std::size_t{columns} * grid.rows;
  budget = std::max(points * sizeof(Vec3), memoryFloor) / sizeof(float);
  // Runs of strips of at least kPointsPerPart points, each sent in one call,
  // whatever the number of cores; the threads take them in turn. The parts'
  // selections, sent one after the other, are each draw's selection in strip
  // order without being copied together.
  const std::size_t count = std::clamp<std::size_t>(
      std::min<std::size_t>(points / kPointsPerPart, kMaxParts), 1, std::max(strips, 1u));
  parts.resize(count * frame.size());
  for (std::size_t k = 0; k < parts.size(); ++k) {
    Part& part = parts[k];
    part.draw = k / count;
    const std::size_t index = k % count;
    part.first = static_cast<std::uint32_t>(std::uint64_t{strips} * index / count);
    part.next = part.first;
    part.end = static_cast<std::uint32_t>(std::uint64_t{strips} * (index + 1) / count);
    part.strips = draws[part.draw].culling == Culling::kNone;
    part.backward = false;
    part.offset = 0;
    part.used = 0;
    if (part.next == part.end || part.strips)
      continue;
    part.ranges.resize(std::max(part.ranges.size(), 8 * std::size_t{columns}));
    if (draws[part.draw].culling == Culling::kHidden)
      part.window.resize(std::max(part.window.size(), 8 * std::size_t{columns}));
    part.cells.resize(std::max(part.cells.size(), RoundUpTo8(columns - 1)));
    // The padding after the last cell must read as nothing to keep.
    std::fill(part.cells.begin() + (columns - 1), part.cells.begin() + RoundUpTo8(columns - 1), 0);
    if (draws[part.draw].culling == Culling::kHidden && !part.batch)
      part.batch = std::make_unique<TriangleBatch>();
  }
}

void CoveringTriangles::Continue(Part& part, NearestDepths* nearest) const noexcept {
  if (Finished(part) || part.strips)
    return;
  const Draw& draw = draws[part.draw];
  const std::uint32_t columns = grid.columns;
  const bool hidden = draw.culling == Culling::kHidden;
  // The row that the next strip shares with the last one selected, and the
  // other row of the next strip.
  RowRanges shared(part.ranges.data(), columns);
  RowRanges fresh(part.ranges.data() + 4 * std::size_t{columns}, columns);
  RowWindow sharedWindow(hidden ? part.window.data() : nullptr, columns);
  RowWindow freshWindow(hidden ? part.window.data() + 4 * std::size_t{columns} : nullptr, columns);
  const std::size_t perStrip = PerStrip();
  ProjectRow(draw.mapping, draw.bounds.depthRow, grid.points + grid.Index(part.next, 0), columns,
             grid.zScale, shared, sharedWindow);
  while (!Finished(part)) {
    const std::size_t room =
        part.backward ? part.offset : part.points.size() - part.offset - part.used;
    if (room < perStrip)
      return;
    const std::uint32_t strip = part.backward ? part.next - 1 : part.next;
    const std::size_t lowerPoints = grid.Index(strip, 0);
    const std::size_t upperPoints = lowerPoints + columns;
    ProjectRow(draw.mapping, draw.bounds.depthRow,
               grid.points + (part.backward ? lowerPoints : upperPoints), columns, grid.zScale,
               fresh, freshWindow);
    const RowRanges& lower = part.backward ? fresh : shared;
    const RowRanges& upper = part.backward ? shared : fresh;
    MarkCells(lower, upper, columns, part.cells.data());
    if (grid.present) {
      DropMissing(grid.present + lowerPoints, grid.present + upperPoints, columns,
                  part.cells.data());
    }
    if (hidden) {
      DropUncovering(part, part.backward ? freshWindow : sharedWindow,
                     part.backward ? sharedWindow : freshWindow, draw.depth ? nearest : nullptr);
    }
    // Backwards, each strip goes before the ones selected already, so that
    // they stay in strip order.
    const std::size_t floats = MarkedTriangles(part.cells.data(), columns - 1) * PerTriangle();
    if (part.backward)
      part.offset -= floats;
    WriteTriangles(part.cells.data(), columns - 1, grid, lowerPoints,
                   part.points.data() + part.offset + (part.backward ? 0 : part.used));
    part.used += floats;
    std::swap(shared, fresh);
    std::swap(sharedWindow, freshWindow);
    part.next = part.backward ? part.next - 1 : part.next + 1;
  }
}

void CoveringTriangles::DropUncovering(Part& part, RowWindow lower, RowWindow upper,
                                       NearestDepths* nearest) const {
  TriangleBatch& batch = *part.batch;
  std::uint8_t* keep = part.cells.data();
  // Which mark each triangle of the batch came from: cell * 2 + triangle.
  std::uint32_t from[TriangleBatch::kCapacity];
  std::uint8_t covers[TriangleBatch::kCapacity];
  const auto flush = [&] {
    MarkVisible(draws[part.draw].bounds, batch, nearest, true, covers);
    for (std::size_t k = 0; k < batch.count; ++k) {
      if (!covers[k])
        keep[from[k] >> 1] &= static_cast<std::uint8_t>(~(1u << (from[k] & 1)));
    }
    batch.count = 0;
  };
  batch.count = 0;
  ForEachMarked(keep, grid.columns - 1, [&](std::uint32_t j, bool second) {
    if (batch.Full())
      flush();
    from[batch.count] = 2 * j + (second ? 1 : 0);
    if (second)
      batch.Add(At(lower, j + 1), At(upper, j), At(upper, j + 1));
    else
      batch.Add(At(lower, j), At(upper, j), At(lower, j + 1));
  });
  flush();
}

void CoveringTriangles::DropHidden(Part& part, NearestDepths& depths) const noexcept {
  const Draw& draw = draws[part.draw];
  // A run with no strip to select has no batch either.
  if (part.strips || !draw.depth || part.used == 0)
    return;
  TriangleBatch& batch = *part.batch;
  const std::size_t triangle = 3 * FloatsPerPoint(grid);
  const std::size_t stride = triangle / 3;
  float* points = part.points.data() + part.offset;
  const std::size_t count = part.used / triangle;
  std::size_t kept = 0;  // triangles
  std::uint8_t visible[TriangleBatch::kCapacity];
  for (std::size_t first = 0; first < count; first += TriangleBatch::kCapacity) {
    batch.count = 0;
    const std::size_t n = std::min(TriangleBatch::kCapacity, count - first);
    for (std::size_t k = 0; k < n; ++k) {
      const float* p = points + (first + k) * triangle;
      batch.AddData(p, p + stride, p + 2 * stride);
    }
    ProjectBatch(draw.mapping, draw.bounds.depthRow, batch);
    MarkVisible(draw.bounds, batch, &depths, false, visible);
    for (std::size_t k = 0; k < n; ++k) {
      if (visible[k]) {
        if (kept != first + k)
          std::memcpy(points + kept * triangle, points + (first + k) * triangle,
                      triangle * sizeof(float));
        ++kept;
      }
    }
  }
  part.used = kept * triangle;
}

void CoveringTriangles::Grow(Part& part) noexcept {
  const std::size_t perStrip = PerStrip();
  // Twice the room each time, so that a few frames settle the size and
  // later frames of similar views reuse it; but no more than the part's
  // share of the memory allowed for a draw.
  const std::size_t before = part.points.size();
  const std::size_t room = std::min(std::max(2 * before, part.used + 2 * perStrip),
                                    budget / (parts.size() / draws.size()));
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
  if (part.backward) {
    std::memmove(part.points.data() + room - part.used, part.points.data() + part.offset,
                 part.used * sizeof(float));
    part.offset = room - part.used;
  }
}

void CoveringTriangles::Send(std::size_t draw) const {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (grid.VertexColours())
    glEnableClientState(GL_COLOR_ARRAY);
  if (grid.shades)
    glEnableClientState(GL_SECONDARY_COLOR_ARRAY);
  if (parts.empty())
    SendStrips(grid, 0, wholeStrips);
  for (const Part& part : parts) {
    if (part.draw == draw)
      SendPart(part);
  }
  glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void CoveringTriangles::SendPart(const Part& part) const {
  if (part.strips) {
    SendStrips(grid, part.first, part.end);
    return;
  }
  const std::size_t stride = FloatsPerPoint(grid);
  const std::size_t texture = grid.OwnTexture() ? 3 : 2;
  // A count is a GLsizei: very large selections go in several calls.
  constexpr std::size_t kMaxCall = std::numeric_limits<GLsizei>::max() / 3 * 3;
  const std::size_t vertices = part.used / stride;
  for (std::size_t done = 0; done < vertices; done += kMaxCall) {
    const float* first = part.points.data() + part.offset + stride * done;
    const auto bytes = static_cast<GLsizei>(stride * sizeof(float));
    glVertexPointer(3, GL_FLOAT, bytes, first);
    glTexCoordPointer(1, GL_FLOAT, bytes, first + texture);
    if (grid.VertexColours())
      glColorPointer(3, GL_FLOAT, bytes, first + texture + 1);
    if (grid.shades)
      glSecondaryColorPointer(3, GL_FLOAT, bytes, first + stride - 3);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(std::min(kMaxCall, vertices - done)));
  }
}

std::size_t CoveringTriangles::Count(std::size_t draw) const {
  const std::size_t perStrip = grid.columns < 2 ? 0 : 2 * std::size_t{grid.columns - 1};
  std::size_t triangles = perStrip * wholeStrips;
  for (const Part& part : parts) {
    if (part.draw != draw)
      continue;
    triangles +=
        part.strips ? Drawable(part.first, part.end) : part.used / (3 * FloatsPerPoint(grid));
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

std::vector<float> CoveringTriangles::Points(std::size_t draw) const {
  const std::size_t stride = FloatsPerPoint(grid);
  std::vector<float> all;
  all.reserve(9 * Count(draw));
  const auto add = [&](const float* begin, const float* end) {
    for (const float* p = begin; p < end; p += stride)
      all.insert(all.end(), p, p + 3);
  };
  // A run sent as strips: every drawable triangle of it, in strip order.
  const std::uint32_t cells = grid.columns < 2 ? 0 : grid.columns - 1;
  std::vector<std::uint8_t> keep(RoundUpTo8(cells));
  std::vector<float> strip(6 * stride * keep.size());
  const auto addStrips = [&](std::uint32_t first, std::uint32_t end) {
    for (std::uint32_t s = first; s < end; ++s) {
      std::fill(keep.begin(), keep.begin() + cells, 3);
      if (grid.present) {
        DropMissing(grid.present + grid.Index(s, 0), grid.present + grid.Index(s + 1, 0),
                    grid.columns, keep.data());
      }
      const float* end = WriteTriangles(keep.data(), cells, grid, grid.Index(s, 0), strip.data());
      add(strip.data(), end);
    }
  };
  addStrips(0, wholeStrips);
  for (const Part& part : parts) {
    if (part.draw != draw)
      continue;
    if (part.strips)
      addStrips(part.first, part.end);
    else
      add(part.points.data() + part.offset, part.points.data() + part.offset + part.used);
  }
  return all;
}
