#include "meshes/solid.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace {

// The corners of the triangles at each vertex: corners[first[v] ...
// first[v + 1]) are those at v, each triangle * 3 + its slot.
struct CornersAtVertices {
  std::vector<std::size_t> first;
  std::vector<std::size_t> corners;

  explicit CornersAtVertices(const TriangleMesh& mesh) : first(mesh.VertexCount() + 1, 0) {
    const std::vector<std::uint32_t>& t = mesh.triangles;
    for (std::uint32_t v : t)
      ++first[v + 1];
    std::partial_sum(first.begin(), first.end(), first.begin());
    corners.resize(t.size());
    std::vector<std::size_t> next(first.begin(), first.end() - 1);
    for (std::size_t c = 0; c < t.size(); ++c)
      corners[next[t[c]]++] = c;
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

}  // namespace

void SplitPinchedVertices(TopSurface& top) {
  std::vector<std::uint32_t>& t = top.mesh.triangles;
  const CornersAtVertices at(top.mesh);
  const std::size_t vertices = top.mesh.VertexCount();
  std::vector<std::size_t> fan;        // per corner of v: the first corner of its fan
  std::vector<std::uint32_t> out, in;  // per corner of v: the vertex after, before
  for (std::size_t v = 0; v < vertices; ++v) {
    const std::size_t begin = at.first[v], end = at.first[v + 1];
    if (end - begin < 2)
      continue;
    // Corners whose triangles share an edge through v are of one fan: one
    // runs out along the edge that the other runs in along.
    const std::size_t k = end - begin;
    out.resize(k);
    in.resize(k);
    for (std::size_t a = 0; a < k; ++a) {
      out[a] = After(t, at.corners[begin + a]);
      in[a] = Before(t, at.corners[begin + a]);
    }
    // Each fan that does not close around v starts at a corner that no
    // other runs into; a top seen from above closes at most one fan around
    // a point and then has no other, so one start or none is one fan.
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
    std::vector<std::pair<std::size_t, std::uint32_t>> copies;
    for (std::size_t a = begin; a < end; ++a) {
      const std::size_t r = root(a - begin);
      if (r == kept)
        continue;
      std::uint32_t copy = 0;
      bool found = false;
      for (const auto& [fanRoot, vertex] : copies) {
        if (fanRoot == r) {
          copy = vertex;
          found = true;
        }
      }
      if (!found) {
        copy = CopyVertex(top, static_cast<std::uint32_t>(v));
        copies.emplace_back(r, copy);
      }
      t[at.corners[a]] = copy;
    }
  }
}

void CloseSolid(TopSurface& top, float baseZ) {
  SplitPinchedVertices(top);
  TriangleMesh& m = top.mesh;
  std::vector<std::uint32_t>& t = m.triangles;
  const std::size_t corners = t.size();
  const auto n = static_cast<std::uint32_t>(m.VertexCount());
  // An edge a -> b of the top that no triangle runs back along, b -> a, is
  // an edge of the top's outline, with the top on its left seen from above;
  // its wall faces right. Counted first, so that the solid's triangles are
  // allocated once.
  std::vector<std::size_t> outline;  // the corners whose edges they are
  {
    const CornersAtVertices at(m);
    for (std::size_t c = 0; c < corners; ++c) {
      const std::uint32_t a = t[c];
      const std::uint32_t b = After(t, c);
      bool inside = false;
      for (std::size_t k = at.first[a]; k < at.first[a + 1] && !inside; ++k)
        inside = Before(t, at.corners[k]) == b;
      if (!inside)
        outline.push_back(c);
    }
  }

  // The base's vertices: the top's, at baseZ, in the same order.
  m.positions.resize(6 * std::size_t{n});
  for (std::size_t v = 0; v < n; ++v) {
    float* base = &m.positions[3 * (n + v)];
    base[0] = m.positions[3 * v];
    base[1] = m.positions[3 * v + 1];
    base[2] = baseZ;
  }
  RepeatOnce(m.colours);
  RepeatOnce(top.source);

  t.resize(2 * corners + 6 * outline.size());
  // The base faces down: the top's triangles the other way round.
  std::uint32_t* out = t.data() + corners;
  for (std::size_t k = 0; k < corners; k += 3, out += 3) {
    out[0] = t[k] + n;
    out[1] = t[k + 2] + n;
    out[2] = t[k + 1] + n;
  }
  for (const std::size_t c : outline) {
    const std::uint32_t a = t[c], b = After(t, c);
    const std::uint32_t wall[6] = {a, a + n, b + n, a, b + n, b};
    out = std::copy(std::begin(wall), std::end(wall), out);
  }
}
