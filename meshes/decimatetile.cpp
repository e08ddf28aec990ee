#include "meshes/decimatetile.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <unordered_map>
#include <utility>

#include <meshoptimizer.h>

namespace {

// How many times a tile is simplified, each time to a smaller error, before
// its full triangles are taken instead.
constexpr int kAttempts = 4;
// What the next target keeps below the one that would just have held.
constexpr double kMargin = 0.9;
// The simplifier measures its error at right angles to the surface and keeps
// triangles from turning over in space, not seen from above. Flattening the
// heights makes both nearly vertical: a steep slope's error counts in full,
// and a triangle that would fold seen from above would turn over in space.
constexpr double kFlatter = 1.0 / 16;

constexpr std::uint32_t kNoVertex = std::numeric_limits<std::uint32_t>::max();

// A point as the mesh holds it: its float position, held in double so that
// the orientation test below gives the exact sign for it (the differences of
// two floats of a tile and their products fit a double).
struct Held {
  double x, y, z;
};

// Twice the area of a, b, c seen from above, positive counter-clockwise.
double Orient(const Held& a, const Held& b, const Held& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

std::uint64_t EdgeKey(std::uint32_t from, std::uint32_t to) {
  return std::uint64_t{from} << 32 | to;
}

double Length2(const Held& a, const Held& b) {
  return (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
}

// Replaces each triangle without an area seen from above (or turned over by
// the width of a rounding) by flipping its long edge with the triangle beyond
// it. The simplifier leaves such slivers where it empties the inside of a
// straight locked border: three border points on one line, the middle one
// only on the border edges, the triangle beyond the long edge passing over
// it and the sliver standing on its edge, a vertical flap. The flip makes
// that triangle reach the middle point itself. Returns whether none is left.
bool FlipSlivers(const std::vector<Held>& held, std::vector<std::uint32_t>& triangles) {
  std::vector<std::size_t> slivers;
  for (std::size_t t = 0; t < triangles.size(); t += 3) {
    if (Orient(held[triangles[t]], held[triangles[t + 1]], held[triangles[t + 2]]) <= 0.0)
      slivers.push_back(t);
  }
  if (slivers.empty())
    return true;
  std::unordered_map<std::uint64_t, std::size_t> owner;
  for (std::size_t t = 0; t < triangles.size(); t += 3) {
    for (int e = 0; e < 3; ++e)
      owner[EdgeKey(triangles[t + e], triangles[t + (e + 1) % 3])] = t;
  }
  // A sliver lying on a longer sliver waits until that one is flipped.
  for (bool flipped = true; flipped && !slivers.empty();) {
    flipped = false;
    for (std::size_t s = 0; s < slivers.size();) {
      const std::size_t t = slivers[s];
      std::uint32_t* v = &triangles[t];
      int e = 0;  // the long edge runs from v[e] to v[e + 1]
      for (int f = 1; f < 3; ++f) {
        if (Length2(held[v[f]], held[v[(f + 1) % 3]]) > Length2(held[v[e]], held[v[(e + 1) % 3]]))
          e = f;
      }
      const std::uint32_t x = v[e], y = v[(e + 1) % 3], m = v[(e + 2) % 3];
      const auto beyond = owner.find(EdgeKey(y, x));
      if (beyond == owner.end() || beyond->second == t) {
        ++s;
        continue;
      }
      const std::size_t u = beyond->second;
      std::uint32_t* w = &triangles[u];
      const std::uint32_t d = w[0] != y && w[0] != x ? w[0] : w[1] != y && w[1] != x ? w[1] : w[2];
      if (!(Orient(held[y], held[m], held[d]) > 0.0 && Orient(held[m], held[x], held[d]) > 0.0)) {
        ++s;
        continue;
      }
      for (std::uint32_t* old : {v, w}) {
        for (int f = 0; f < 3; ++f)
          owner.erase(EdgeKey(old[f], old[(f + 1) % 3]));
      }
      v[0] = y, v[1] = m, v[2] = d;
      w[0] = m, w[1] = x, w[2] = d;
      for (std::size_t z : {t, u}) {
        for (int f = 0; f < 3; ++f)
          owner[EdgeKey(triangles[z + f], triangles[z + (f + 1) % 3])] = z;
      }
      slivers[s] = slivers.back();
      slivers.pop_back();
      flipped = true;
    }
  }
  return slivers.empty();
}

// The largest vertical distance of a point that the full triangles use from
// triangles, seen from above; infinite when one of those does not face up or
// covers no point of the grid, or a point is in none. A triangle is searched
// for points only over the rows and columns its corners span: a point
// outside them is not found, so the tile stays full rather than being judged
// on a grid that bends back.
double LargestError(const std::vector<Held>& held, const Vec3* points,
                    const std::vector<std::uint8_t>& used, std::uint32_t columns,
                    const std::vector<std::uint32_t>& triangles,
                    std::vector<std::uint8_t>& covered) {
  constexpr double kNever = std::numeric_limits<double>::infinity();
  covered.assign(used.size(), 0);
  double largest = 0.0;
  for (std::size_t t = 0; t < triangles.size(); t += 3) {
    const std::uint32_t ka = triangles[t], kb = triangles[t + 1], kc = triangles[t + 2];
    const Held &a = held[ka], &b = held[kb], &c = held[kc];
    const double area = Orient(a, b, c);
    if (!(area > 0.0))
      return kNever;
    const std::uint32_t ra = ka / columns, rb = kb / columns, rc = kc / columns;
    const std::uint32_t ca = ka % columns, cb = kb % columns, cc = kc % columns;
    const std::uint32_t rowEnd = std::max({ra, rb, rc}), columnEnd = std::max({ca, cb, cc});
    for (std::uint32_t r = std::min({ra, rb, rc}); r <= rowEnd; ++r) {
      for (std::uint32_t i = std::min({ca, cb, cc}); i <= columnEnd; ++i) {
        const std::size_t k = std::size_t{r} * columns + i;
        if (!used[k] || covered[k])
          continue;
        const Held& p = held[k];
        const double wb = Orient(a, p, c), wc = Orient(a, b, p);
        if (Orient(p, b, c) < 0.0 || wb < 0.0 || wc < 0.0)
          continue;
        // From a's height, so that a level triangle gives its height exactly.
        const double z = a.z + (wb * (b.z - a.z) + wc * (c.z - a.z)) / area;
        largest = std::max(largest, std::abs(z - points[k].z));
        covered[k] = 1;
      }
    }
  }
  for (std::size_t k = 0; k < used.size(); ++k) {
    if (used[k] && !covered[k])
      return kNever;
  }
  return largest;
}

// The top of a tile in which every point has a value, from every other row
// and column inside it (the first, the third, ..., and the last) and every
// point of its border: two by two cells as two triangles, or, where a side
// lies on the border or beside a row or column of single cells, as a fan
// from their middle point over the corners and the middles of those sides
// (so that no triangle has three points on one line); the single cells of
// an odd last row or column as they are. Empty where a point has no value.
std::vector<std::uint32_t> CoarseTriangles(const Vec3* points, const std::uint8_t* present,
                                           std::uint32_t columns, std::uint32_t rows) {
  std::vector<std::uint32_t> out;
  if (!std::all_of(present, present + std::size_t{columns} * rows,
                   [](std::uint8_t has) { return has != 0; }))
    return out;
  const std::uint32_t w = columns - 1, h = rows - 1;
  const auto at = [columns](std::uint32_t r, std::uint32_t c) { return r * columns + c; };
  const auto emit = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const Vec3 &pa = points[a], &pb = points[b], &pc = points[c];
    if ((pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x) < 0.0)
      std::swap(b, c);
    out.insert(out.end(), {a, b, c});
  };
  const auto whole = [&](std::uint32_t r, std::uint32_t c) { return r + 2 <= h && c + 2 <= w; };
  for (std::uint32_t r = 0; r < h; r += 2) {
    for (std::uint32_t c = 0; c < w; c += 2) {
      if (!whole(r, c)) {
        for (std::uint32_t s = r; s < std::min(r + 2, h); ++s) {
          for (std::uint32_t i = c; i < std::min(c + 2, w); ++i) {
            emit(at(s, i), at(s + 1, i), at(s, i + 1));
            emit(at(s, i + 1), at(s + 1, i), at(s + 1, i + 1));
          }
        }
        continue;
      }
      const bool below = r == 0, above = r + 2 == h || !whole(r + 2, c);
      const bool left = c == 0, right = c + 2 == w || !whole(r, c + 2);
      if (!below && !above && !left && !right) {
        emit(at(r, c), at(r + 2, c), at(r, c + 2));
        emit(at(r, c + 2), at(r + 2, c), at(r + 2, c + 2));
        continue;
      }
      std::uint32_t ring[8];
      int m = 0;
      ring[m++] = at(r, c);
      if (below)
        ring[m++] = at(r, c + 1);
      ring[m++] = at(r, c + 2);
      if (right)
        ring[m++] = at(r + 1, c + 2);
      ring[m++] = at(r + 2, c + 2);
      if (above)
        ring[m++] = at(r + 2, c + 1);
      ring[m++] = at(r + 2, c);
      if (left)
        ring[m++] = at(r + 1, c);
      for (int k = 0; k < m; ++k)
        emit(at(r + 1, c + 1), ring[k], ring[(k + 1) % m]);
    }
  }
  return out;
}

}  // namespace

SimplifiedTile SimplifyTile(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
                            std::uint32_t rows, double maxError, double firstTarget) {
  std::vector<std::uint32_t> full;
  AppendBandTriangles(points, present, columns, rows, full);
  if (full.empty())
    return {full, firstTarget};
  const std::size_t n = std::size_t{columns} * rows;
  std::vector<std::uint8_t> used(n, 0);
  std::vector<Held> held(n, Held{0.0, 0.0, 0.0});
  for (std::uint32_t k : full) {
    used[k] = 1;
    const Vec3& p = points[k];
    held[k] = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
  }

  // The simplifier's time grows with its triangles: where every other row
  // and column alone stay well within the bound, it starts from those.
  std::vector<std::uint8_t> covered;
  std::vector<std::uint32_t> start = CoarseTriangles(points, present, columns, rows);
  if (start.empty() || !(LargestError(held, points, used, columns, start, covered) <= maxError / 2))
    start = std::move(full);

  // The simplifier sees only the points the triangles use (a point without a
  // value may sit anywhere and would stretch its scale), relative to the
  // first, so that its floats keep the detail of a tile far from the origin.
  std::vector<std::uint32_t> vertexOf(n, kNoVertex), pointOf;
  std::vector<float> positions;
  const Vec3 origin = points[start[0]];
  std::vector<std::uint32_t> indices(start.size());
  for (std::size_t t = 0; t < start.size(); ++t) {
    const std::uint32_t k = start[t];
    if (vertexOf[k] == kNoVertex) {
      const Vec3& p = points[k];
      vertexOf[k] = static_cast<std::uint32_t>(pointOf.size());
      pointOf.push_back(k);
      positions.insert(positions.end(),
                       {static_cast<float>(p.x - origin.x), static_cast<float>(p.y - origin.y),
                        static_cast<float>((p.z - origin.z) * kFlatter)});
    }
    indices[t] = vertexOf[k];
  }

  const std::size_t vertices = pointOf.size();
  const float scale = meshopt_simplifyScale(positions.data(), vertices, 3 * sizeof(float));
  std::vector<std::uint32_t> simplified(indices.size()), kept;
  double target = firstTarget;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const float relative = scale > 0.0f ? static_cast<float>(target * kFlatter / scale) : 0.0f;
    const std::size_t count =
        meshopt_simplify(simplified.data(), indices.data(), indices.size(), positions.data(),
                         vertices, 3 * sizeof(float), 0, relative, meshopt_SimplifyLockBorder);
    if (count == indices.size())
      break;
    kept.resize(count);
    for (std::size_t t = 0; t < count; ++t)
      kept[t] = pointOf[simplified[t]];
    const double error = FlipSlivers(held, kept)
                             ? LargestError(held, points, used, columns, kept, covered)
                             : std::numeric_limits<double>::infinity();
    // The simplifier's own error runs below the largest at the points by a
    // factor that changes little over a surface: the next target is the one
    // that would have reached the bound, with a margin, never more than
    // twice this one.
    const double reach = error > 0.0 ? target * kMargin * maxError / error : 2 * target;
    if (error <= maxError)
      return {kept, std::clamp(reach, target, 2 * target)};
    target = std::isfinite(error) ? std::min(reach, target / 1.25) : target / 2;
  }
  // The start holds: the full triangles, or the coarse ones, checked above.
  return {start, target};
}
