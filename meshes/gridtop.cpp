#include "meshes/gridtop.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

namespace {

// Twice the area of triangle a, b, c seen from above, positive when it runs
// counter-clockwise.
double AreaSeenFromAbove(const Vec3& a, const Vec3& b, const Vec3& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool Has(const std::uint8_t* present, std::size_t k) {
  return present[k] != 0;
}

// Calls take(a, b, c) for each drawn triangle of the band in the order the
// surface draws its points.
template <typename Take>
void ForEachDrawnTriangle(const std::uint8_t* present, std::uint32_t columns, std::uint32_t rows,
                          Take take) {
  for (std::uint32_t s = 0; s + 1 < rows; ++s) {
    for (std::uint32_t i = 0; i + 1 < columns; ++i) {
      const std::size_t lower = std::size_t{s} * columns + i;
      const std::size_t upper = lower + columns;
      const bool shared = Has(present, upper) && Has(present, lower + 1);
      if (shared && Has(present, lower))
        take(lower, upper, lower + 1);
      if (shared && Has(present, upper + 1))
        take(lower + 1, upper, upper + 1);
    }
  }
}

}  // namespace

void AppendBandTriangles(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
                         std::uint32_t rows, std::vector<std::uint32_t>& triangles) {
  ForEachDrawnTriangle(present, columns, rows, [&](std::size_t a, std::size_t b, std::size_t c) {
    if (AreaSeenFromAbove(points[a], points[b], points[c]) < 0.0)
      std::swap(b, c);
    triangles.insert(triangles.end(), {static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                                       static_cast<std::uint32_t>(c)});
  });
}

int BandFacing(const Vec3* points, const std::uint8_t* present, std::uint32_t columns,
               std::uint32_t rows) {
  bool up = false, down = false;
  ForEachDrawnTriangle(present, columns, rows, [&](std::size_t a, std::size_t b, std::size_t c) {
    const double area = AreaSeenFromAbove(points[a], points[b], points[c]);
    up = up || area > 0.0;
    down = down || area < 0.0;
  });
  return up && down ? 2 : up ? 1 : down ? -1 : 0;
}

namespace {

// The bands of rows [first, first + count) that reading the grid takes, each
// sharing its first row with the last row of the band before; calls
// band(first, count, points, present) for each, and returns false when it
// does.
template <typename Band>
bool ForEachBand(const GridRows& grid, Band band) {
  const std::size_t most = std::size_t{kBandRows + 1} * grid.columns;
  std::unique_ptr<Vec3[]> points(new Vec3[most]);
  std::unique_ptr<std::uint8_t[]> present(new std::uint8_t[most]);
  for (std::uint32_t first = 0; first + 1 < grid.rows; first += kBandRows) {
    const std::uint32_t count = std::min(kBandRows + 1, grid.rows - first);
    grid.read(first, count, points.get(), present.get());
    if (!band(first, count, points.get(), present.get()))
      return false;
  }
  return true;
}

}  // namespace

std::optional<TopSurface> FullTop(const GridRows& grid,
                                  const std::function<bool(double done)>& going) {
  TopSurface top;
  if (grid.columns < 2 || grid.rows < 2)
    return top;
  constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
  // The vertex each point of the band became; the band's last row is the
  // next band's first.
  std::vector<std::uint32_t> vertexOf(std::size_t{kBandRows + 1} * grid.columns, kNone);
  std::vector<std::uint32_t> local;
  TriangleMesh& mesh = top.mesh;
  // Room for every point and both triangles of every cell: growing would
  // copy hundreds of megabytes over again.
  const std::size_t points = std::size_t{grid.columns} * grid.rows;
  mesh.positions.reserve(3 * points);
  top.source.reserve(points);
  mesh.triangles.reserve(6 * std::size_t{grid.columns - 1} * (grid.rows - 1));
  const bool finished = ForEachBand(grid, [&](std::uint32_t first, std::uint32_t count,
                                              const Vec3* points, const std::uint8_t* present) {
    local.clear();
    AppendBandTriangles(points, present, grid.columns, count, local);
    for (std::uint32_t& k : local) {
      std::uint32_t& v = vertexOf[k];
      if (v == kNone) {
        v = static_cast<std::uint32_t>(mesh.VertexCount());
        const Vec3& p = points[k];
        mesh.positions.insert(
            mesh.positions.end(),
            {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
        top.source.push_back(std::uint64_t{first} * grid.columns + k);
      }
      k = v;
    }
    mesh.triangles.insert(mesh.triangles.end(), local.begin(), local.end());
    const std::size_t last = std::size_t{count - 1} * grid.columns;
    std::copy(vertexOf.begin() + static_cast<std::ptrdiff_t>(last),
              vertexOf.begin() + static_cast<std::ptrdiff_t>(last + grid.columns),
              vertexOf.begin());
    std::fill(vertexOf.begin() + grid.columns, vertexOf.end(), kNone);
    return !going || going(static_cast<double>(first + count) / grid.rows);
  });
  if (!finished)
    return std::nullopt;
  return top;
}

bool GridFolds(const GridRows& grid) {
  int seen = 0;
  bool folds = false;
  ForEachBand(grid, [&](std::uint32_t, std::uint32_t count, const Vec3* points,
                        const std::uint8_t* present) {
    const int facing = BandFacing(points, present, grid.columns, count);
    folds = facing == 2 || (facing != 0 && seen != 0 && facing != seen);
    if (facing != 0)
      seen = facing;
    return !folds;
  });
  return folds;
}
