#include "meshes/solid.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <utility>

namespace {

// The corners of the triangles at each vertex: corners[first[v] ...
// first[v + 1]) are those at v, each triangle * 3 + its slot, in ascending
// order. Index is 32 bits wide where the corners allow, which halves what a
// large top's lists take.
template <typename Index>
struct CornersAtVertices {
  std::vector<Index> first;
  std::vector<Index> corners;

  CornersAtVertices(const std::vector<std::uint32_t>& t, std::size_t vertices)
      : first(vertices + 2, 0), corners(t.size()) {
    // Counted two places on, so that after the sums first[v + 1] is where
    // v's corners start and, once they are placed, where they end.
    for (std::uint32_t v : t)
      ++first[v + 2];
    std::partial_sum(first.begin(), first.end(), first.begin());
    for (std::size_t c = 0; c < t.size(); ++c)
      corners[first[t[c] + 1]++] = static_cast<Index>(c);
    first.pop_back();
  }
};

// The vertex after and before a corner's own in its triangle.
std::uint32_t After(const std::vector<std::uint32_t>& t, std::size_t corner) {
  return t[corner - corner % 3 + (corner + 1) % 3];
}
std::uint32_t Before(const std::vector<std::uint32_t>& t, std::size_t corner) {
  return t[corner - corner % 3 + (corner + 2) % 3];
}

// Adds a vertex at the place of v with what it carries, and returns it.
std::uint32_t CopyVertex(TopSurface& top, std::uint32_t v) {
  TriangleMesh& m = top.mesh;
  const auto copy = static_cast<std::uint32_t>(m.VertexCount());
  for (int a = 0; a < 3; ++a)
    m.positions.push_back(m.positions[3 * std::size_t{v} + static_cast<std::size_t>(a)]);
  if (m.HasColours()) {
    for (int a = 0; a < 3; ++a)
      m.colours.push_back(m.colours[3 * std::size_t{v} + static_cast<std::size_t>(a)]);
  }
  if (!top.source.empty())
    top.source.push_back(top.source[v]);
  return copy;
}

// The values once more after themselves.
template <typename T>
void RepeatOnce(std::vector<T>& values) {
  const std::size_t size = values.size();
  values.resize(2 * size);
  std::copy(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(size),
            values.begin() + static_cast<std::ptrdiff_t>(size));
}

// Splits the pinched vertices and returns the outline's corners in
// ascending order (PlanSolid), looking at each vertex's corners once.
template <typename Index>
std::vector<std::size_t> SplitAndFindOutline(TopSurface& top) {
  std::vector<std::uint32_t>& t = top.mesh.triangles;
  const std::size_t vertices = top.mesh.VertexCount();
  std::vector<std::size_t> outline;
  const CornersAtVertices<Index> at(t, vertices);
  std::vector<std::size_t> fan;        // per corner of v: the first corner of its fan
  std::vector<std::uint32_t> out, in;  // per corner of v: the vertex after, before
  std::vector<std::pair<std::size_t, std::uint32_t>> copies;
  for (std::size_t v = 0; v < vertices; ++v) {
    const std::size_t begin = at.first[v], end = at.first[v + 1];
    const std::size_t k = end - begin;
    out.resize(k);
    in.resize(k);
    for (std::size_t a = 0; a < k; ++a) {
      out[a] = After(t, at.corners[begin + a]);
      in[a] = Before(t, at.corners[begin + a]);
    }
    // An edge v -> b that no triangle runs back along, b -> v, has the top
    // on its left alone (seen from above) and gets a wall. Splitting keeps
    // it so: the triangles on either side of an edge are of one fan at both
    // of its ends.
    for (std::size_t a = 0; a < k; ++a) {
      if (std::find(in.begin(), in.end(), out[a]) == in.end())
        outline.push_back(at.corners[begin + a]);
    }
    if (k < 2)
      continue;
    // Corners whose triangles share an edge through v are of one fan: one
    // runs out along the edge that the other runs in along. Each fan that
    // does not close around v starts at a corner that no other runs into; a
    // top seen from above closes at most one fan around a point and then
    // has no other, so one start or none is one fan.
    std::size_t starts = 0;
    for (std::size_t a = 0; a < k; ++a)
      starts += std::find(out.begin(), out.end(), in[a]) == out.end() ? 1 : 0;
    if (starts < 2)
      continue;
    fan.resize(k);
    std::iota(fan.begin(), fan.end(), std::size_t{0});
    const auto root = [&](std::size_t c) {
      while (fan[c] != c)
        c = fan[c] = fan[fan[c]];
      return c;
    };
    for (std::size_t a = 0; a < k; ++a) {
      for (std::size_t b = 0; b < k; ++b) {
        if (out[a] == in[b])
          fan[root(a)] = root(b);
      }
    }
    // The fan of the first corner keeps v; each other fan takes a copy.
    const std::size_t kept = root(0);
    copies.clear();
    for (std::size_t a = 0; a < k; ++a) {
      const std::size_t r = root(a);
      if (r == kept)
        continue;
      const auto known = std::find_if(copies.begin(), copies.end(),
                                      [r](const auto& copy) { return copy.first == r; });
      const std::uint32_t copy =
          known != copies.end()
              ? known->second
              : copies.emplace_back(r, CopyVertex(top, static_cast<std::uint32_t>(v))).second;
      t[at.corners[begin + a]] = copy;
    }
  }
  // Walls in the order of the top's corners, whatever vertex found them.
  std::sort(outline.begin(), outline.end());
  return outline;
}

// The wall on the outline's edge from corner c: its two triangles.
void WallTriangle(const SolidPlan& plan, std::size_t c, bool second, float* places) {
  const std::vector<std::uint32_t>& t = plan.top->triangles;
  const float* a = &plan.top->positions[3 * std::size_t{t[c]}];
  const float* b = &plan.top->positions[3 * std::size_t{After(t, c)}];
  // a, a at the base, b at the base; then a, b at the base, b.
  const float* corner[3] = {a, second ? b : a, b};
  const bool atBase[3] = {false, true, !second};
  for (int k = 0; k < 3; ++k, places += 3) {
    places[0] = corner[k][0];
    places[1] = corner[k][1];
    places[2] = atBase[k] ? plan.baseZ : corner[k][2];
  }
}

}  // namespace

void SolidPlan::Places(std::uint64_t first, std::size_t count, float* places) const {
  const std::vector<std::uint32_t>& t = top->triangles;
  const float* p = top->positions.data();
  const std::uint64_t triangles = top->TriangleCount();
  for (std::uint64_t i = first; i < first + count; ++i, places += 9) {
    if (i < 2 * triangles) {
      // The base faces down: the top's corners the other way round.
      const bool base = i >= triangles;
      const std::size_t k = 3 * static_cast<std::size_t>(base ? i - triangles : i);
      const std::uint32_t corner[3] = {t[k], t[k + (base ? 2 : 1)], t[k + (base ? 1 : 2)]};
      for (int c = 0; c < 3; ++c) {
        std::memcpy(places + 3 * c, p + 3 * std::size_t{corner[c]}, 3 * sizeof(float));
        if (base)
          places[3 * c + 2] = baseZ;
      }
    } else {
      const std::uint64_t w = i - 2 * triangles;
      WallTriangle(*this, outline[static_cast<std::size_t>(w / 2)], w % 2 == 1, places);
    }
  }
}

SolidPlan PlanSolid(TopSurface& top, float baseZ) {
  SolidPlan plan;
  plan.outline = top.mesh.triangles.size() <= std::numeric_limits<std::uint32_t>::max()
                     ? SplitAndFindOutline<std::uint32_t>(top)
                     : SplitAndFindOutline<std::uint64_t>(top);
  plan.top = &top.mesh;
  plan.baseZ = baseZ;
  return plan;
}

void CloseSolid(TopSurface& top, float baseZ) {
  const SolidPlan plan = PlanSolid(top, baseZ);
  TriangleMesh& m = top.mesh;
  std::vector<std::uint32_t>& t = m.triangles;
  const std::size_t corners = t.size();
  const auto n = static_cast<std::uint32_t>(m.VertexCount());

  // The base's vertices: the top's, at baseZ, in the same order, carrying
  // the same.
  m.positions.resize(6 * std::size_t{n});
  for (std::size_t v = 0; v < n; ++v) {
    float* base = &m.positions[3 * (n + v)];
    base[0] = m.positions[3 * v];
    base[1] = m.positions[3 * v + 1];
    base[2] = baseZ;
  }
  RepeatOnce(m.colours);
  RepeatOnce(top.source);

  t.resize(2 * corners + 6 * plan.outline.size());
  std::uint32_t* out = t.data() + corners;
  for (std::size_t k = 0; k < corners; k += 3, out += 3) {
    out[0] = t[k] + n;
    out[1] = t[k + 2] + n;
    out[2] = t[k + 1] + n;
  }
  for (const std::size_t c : plan.outline) {
    const std::uint32_t a = t[c], b = After(t, c);
    const std::uint32_t wall[6] = {a, a + n, b + n, a, b + n, b};
    out = std::copy(std::begin(wall), std::end(wall), out);
  }
}
