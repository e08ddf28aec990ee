#include "scene/picking.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "base/viewgeometry.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// Where the ray meets triangle (a, b, c): its distance and the weights of b
// and c; nothing when it misses (edges and corners count as hits).
struct Hit {
  double t = kNever;
  double u = 0.0, v = 0.0;
};
std::optional<Hit> Meet(const ViewRay& ray, Vec3 a, Vec3 b, Vec3 c) {
  const Vec3 ab = b - a;
  const Vec3 ac = c - a;
  const Vec3 p = Cross(ray.direction, ac);
  const double det = Dot(ab, p);
  if (std::fabs(det) < 1e-300 || !std::isfinite(det))
    return std::nullopt;
  const Vec3 s = ray.origin - a;
  const double u = Dot(s, p) / det;
  const Vec3 q = Cross(s, ab);
  const double v = Dot(ray.direction, q) / det;
  constexpr double kEdge = -1e-12;
  if (u < kEdge || v < kEdge || u + v > 1.0 - kEdge)
    return std::nullopt;
  const double t = Dot(ac, q) / det;
  if (t < 0.0)
    return std::nullopt;
  return Hit{t, u, v};
}

// The surface's grid as drawn in 3-D, cell by cell.
class GridHits {
 public:
  GridHits(const cOpenGLGraph_Surface& surface, const ViewRay& ray)
      : grid(surface.Grid()), ray(ray) {}

  // The two triangles of cell (i, r), as the strips give them; keeps the
  // nearer hit. True when either is hit.
  bool Cell(std::uint32_t i, std::uint32_t r) {
    const std::size_t l0 = grid.Index(r, i);
    const std::size_t corners[2][3] = {{l0, l0 + grid.columns, l0 + 1},
                                       {l0 + grid.columns, l0 + 1, l0 + grid.columns + 1}};
    bool hit = false;
    for (const auto& t : corners) {
      if (!grid.Present(t[0]) || !grid.Present(t[1]) || !grid.Present(t[2]))
        continue;
      if (const std::optional<Hit> h = Meet(ray, Drawn(t[0]), Drawn(t[1]), Drawn(t[2]));
          h && h->t < best.t) {
        best = *h;
        const double w[3] = {1.0 - h->u - h->v, h->u, h->v};
        nearest = t[std::max_element(w, w + 3) - w];
        hit = true;
      }
    }
    return hit;
  }

  // Every cell: for grids laid out otherwise than a picture's.
  void All() {
    for (std::uint32_t r = 0; r + 1 < grid.rows; ++r) {
      for (std::uint32_t i = 0; i + 1 < grid.columns; ++i) {
        if (MayMeet(i, r))
          Cell(i, r);
      }
    }
  }

  // The cells the ray passes over, from near to far, for a grid laid out as
  // a picture's (x = i / (columns - 1), y = r / (rows - 1)); stops at the
  // first cell it meets, which holds the nearest hit.
  void Walk() {
    const double sx = grid.columns - 1.0;
    const double sy = grid.rows - 1.0;
    // In cell units, where cell (i, r) is the square [i, i + 1] x [r, r + 1].
    const double ox = ray.origin.x * sx, oy = ray.origin.y * sy;
    const double dx = ray.direction.x * sx, dy = ray.direction.y * sy;
    double t0 = 0.0, t1 = kNever;
    if (!Clip(ox, dx, sx, t0, t1) || !Clip(oy, dy, sy, t0, t1))
      return;
    const double cellsX = grid.columns - 2.0, cellsY = grid.rows - 2.0;
    auto i = static_cast<long>(std::clamp(std::floor(ox + t0 * dx), 0.0, cellsX));
    auto r = static_cast<long>(std::clamp(std::floor(oy + t0 * dy), 0.0, cellsY));
    const long stepX = dx > 0 ? 1 : -1, stepY = dy > 0 ? 1 : -1;
    const auto nextEdge = [](double o, double d, long c, long step) {
      if (d == 0.0)
        return kNever;
      return ((step > 0 ? c + 1 : c) - o) / d;
    };
    double tx = nextEdge(ox, dx, i, stepX), ty = nextEdge(oy, dy, r, stepY);
    const double deltaX = dx == 0.0 ? kNever : std::fabs(1.0 / dx);
    const double deltaY = dy == 0.0 ? kNever : std::fabs(1.0 / dy);
    while (i >= 0 && r >= 0 && i <= cellsX && r <= cellsY) {
      if (Cell(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(r)))
        return;
      if (std::min(tx, ty) > t1)
        return;
      if (tx < ty) {
        i += stepX;
        tx += deltaX;
      } else {
        r += stepY;
        ty += deltaY;
      }
    }
  }

  const GridRef grid;
  Hit best;
  std::size_t nearest = 0;

 private:
  Vec3 Drawn(std::size_t k) const {
    const Vec3& p = grid.points[k];
    return {p.x, p.y, p.z * grid.zScale};
  }
  // Whether the ray may pass through cell (i, r)'s box.
  bool MayMeet(std::uint32_t i, std::uint32_t r) const {
    const std::size_t k[4] = {grid.Index(r, i), grid.Index(r, i) + 1, grid.Index(r + 1, i),
                              grid.Index(r + 1, i) + 1};
    double t0 = 0.0, t1 = kNever;
    for (int axis = 0; axis < 3; ++axis) {
      double low = kNever, high = -kNever;
      for (const std::size_t n : k) {
        const Vec3 p = Drawn(n);
        const double c = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
        low = std::min(low, c);
        high = std::max(high, c);
      }
      const double o = axis == 0 ? ray.origin.x : axis == 1 ? ray.origin.y : ray.origin.z;
      const double d = axis == 0 ? ray.direction.x : axis == 1 ? ray.direction.y : ray.direction.z;
      if (!Slab(o, d, low, high, t0, t1))
        return false;
    }
    return true;
  }
  // Narrows [t0, t1] to where o + t d lies within [0, size].
  static bool Clip(double o, double d, double size, double& t0, double& t1) {
    return Slab(o, d, 0.0, size, t0, t1);
  }
  static bool Slab(double o, double d, double low, double high, double& t0, double& t1) {
    if (!(low <= high))
      return false;  // not finite
    if (d == 0.0)
      return o >= low && o <= high;
    double a = (low - o) / d, b = (high - o) / d;
    if (a > b)
      std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
    return t0 <= t1;
  }

  const ViewRay ray;  // a copy: callers pass rays made on the spot
};

// Whether a grid laid out as a picture's: every point where its column and
// row put it, which the loaders of pictures and rasters make.
bool PictureLayout(const cOpenGLGraph_Surface& surface) {
  const HeightValues::Source source = surface.values.source;
  return source == HeightValues::Source::kPicture || source == HeightValues::Source::kMeasured;
}

std::optional<Picked> OnSurface(const cOpenGLGraph_Surface& surface, const ViewRay& ray) {
  if (!surface.disp3D || !surface.vertices || surface.columns < 2 || surface.rows < 2)
    return std::nullopt;
  GridHits hits(surface, ray);
  if (PictureLayout(surface))
    hits.Walk();
  else
    hits.All();
  if (hits.best.t == kNever)
    return std::nullopt;
  Picked picked;
  picked.what = Picked::What::kSurface;
  picked.column = static_cast<std::uint32_t>(hits.nearest % surface.columns);
  picked.row = static_cast<std::uint32_t>(hits.nearest / surface.columns);
  picked.onGrid = true;
  picked.point = surface.vertices[hits.nearest];
  return picked;
}

std::optional<Picked> InVolume(const cOpenGLGraph_Solid& volume, const ViewRay& ray) {
  if (!volume.disp3D || !volume.data || volume.nx < 2 || volume.ny < 2 || volume.nz == 0 ||
      ray.direction.z == 0.0) {
    return std::nullopt;
  }
  // The slices in the order the ray crosses them; in each, the grid point
  // nearest to where it crosses.
  const bool down = ray.direction.z < 0.0;
  for (std::uint32_t n = 0; n < volume.nz; ++n) {
    const std::uint32_t k = down ? volume.nz - 1 - n : n;
    const double t = (volume.axisZ[k] - ray.origin.z) / ray.direction.z;
    const double x = ray.origin.x + t * ray.direction.x;
    const double y = ray.origin.y + t * ray.direction.y;
    if (t < 0.0 || x < 0.0 || x > 1.0 || y < 0.0 || y > 1.0)
      continue;
    const auto i = static_cast<std::uint32_t>(std::lround(x * (volume.nx - 1)));
    const auto j = static_cast<std::uint32_t>(std::lround(y * (volume.ny - 1)));
    const float value = volume.data[(std::size_t{k} * volume.ny + j) * volume.nx + i];
    if (value > 0.0f) {
      Picked picked;
      picked.what = Picked::What::kVolume;
      picked.i = i, picked.j = j, picked.k = k;
      picked.value = value;
      picked.point = {volume.axisX[i], volume.axisY[j], volume.axisZ[k]};
      return picked;
    }
  }
  return std::nullopt;
}

// The nearest of the surface's flat projections that the ray meets where the
// surface lies flattened.
std::optional<Picked> OnFace(const cOpenGLGraph_Surface& surface, const ViewRay& ray) {
  if (!surface.vertices || surface.columns < 2 || surface.rows < 2)
    return std::nullopt;
  struct Face {
    std::uint8_t on;
    int across;  // the axis the face is flattened along
    Picked::What what;
  };
  const Face faces[] = {{surface.dispXY, 2, Picked::What::kFlatXY},
                        {surface.dispYZ, 0, Picked::What::kFlatYZ},
                        {surface.dispZX, 1, Picked::What::kFlatZX}};
  std::optional<Picked> nearest;
  double nearestT = kNever;
  for (const Face& face : faces) {
    const double o = face.across == 0   ? ray.origin.x
                     : face.across == 1 ? ray.origin.y
                                        : ray.origin.z;
    const double d = face.across == 0   ? ray.direction.x
                     : face.across == 1 ? ray.direction.y
                                        : ray.direction.z;
    if (!face.on || d == 0.0)
      continue;
    const double t = -o / d;
    if (t < 0.0 || t >= nearestT)
      continue;
    Vec3 p = ray.origin + t * ray.direction;
    (face.across == 0 ? p.x : face.across == 1 ? p.y : p.z) = 0.0;
    // The flattened surface covers the spot where the surface itself has a
    // triangle over it: a ray straight across the face through the spot.
    const Vec3 axis{face.across == 0 ? 1.0 : 0.0, face.across == 1 ? 1.0 : 0.0,
                    face.across == 2 ? 1.0 : 0.0};
    const Vec3 back = p - 1e6 * axis;
    GridHits hits(surface, ViewRay{back, axis});
    hits.All();
    if (hits.best.t == kNever)
      continue;
    Picked picked;
    picked.what = face.what;
    picked.point = p;
    // Only the bottom face tells one point of a grid laid out as a picture's.
    if (face.across == 2 && PictureLayout(surface)) {
      picked.column = static_cast<std::uint32_t>(hits.nearest % surface.columns);
      picked.row = static_cast<std::uint32_t>(hits.nearest / surface.columns);
      picked.onGrid = true;
    }
    nearest = picked;
    nearestT = t;
  }
  return nearest;
}

}  // namespace

Picked PickAt(const ViewGeometry& view, const cOpenGLGraph_Surface* surface,
              const cOpenGLGraph_Solid* volume, QPointF at) {
  const ViewRay ray = view.RayAt(at);
  if (surface) {
    if (std::optional<Picked> picked = OnSurface(*surface, ray))
      return *picked;
  }
  if (volume) {
    if (std::optional<Picked> picked = InVolume(*volume, ray))
      return *picked;
  }
  if (surface) {
    if (std::optional<Picked> picked = OnFace(*surface, ray))
      return *picked;
  }
  return Picked();
}
