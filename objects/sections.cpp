#include "objects/sections.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>

#include "objects/surface.h"

namespace {

// Bilinear weights below this count as none: a sample on a line of cell
// centres must not fall into a gap of the cells beyond it by a rounding.
constexpr double kNoWeight = 1e-9;

// The positions of a grid's lines of cell centres along one direction,
// strictly monotone.
class Axis {
 public:
  explicit Axis(std::vector<double> positions) : at(std::move(positions)) {
    ascending = at.size() < 2 || at.front() < at.back();
  }
  std::size_t Size() const { return at.size(); }
  double operator[](std::size_t k) const { return at[k]; }
  double Low() const { return std::min(at.front(), at.back()); }
  double High() const { return std::max(at.front(), at.back()); }

  // The line before v and how far v lies towards the next (0 ... 1); none
  // outside the lines.
  std::optional<std::pair<std::size_t, double>> Locate(double v) const {
    if (!(v >= Low() && v <= High()))
      return std::nullopt;
    const std::size_t n = at.size();
    std::size_t k =
        ascending ? static_cast<std::size_t>(std::upper_bound(at.begin(), at.end(), v) - at.begin())
                  : static_cast<std::size_t>(
                        std::upper_bound(at.begin(), at.end(), v, std::greater<>()) - at.begin());
    k = std::clamp<std::size_t>(k, 1, n - 1) - 1;
    const double span = at[k + 1] - at[k];
    return std::pair{k, std::clamp((v - at[k]) / span, 0.0, 1.0)};
  }

  // The lines strictly between a and b, as fractions of the way from a.
  void Crossings(double a, double b, std::vector<double>& out) const {
    if (a == b)
      return;
    const double low = std::min(a, b), high = std::max(a, b);
    for (std::size_t k = 0; k < at.size(); ++k) {
      if (at[k] > low && at[k] < high)
        out.push_back((at[k] - a) / (b - a));
    }
  }

 private:
  std::vector<double> at;
  bool ascending = true;
};

// Where a sample lies in a regular grid: its cell and the weights towards
// the next column and row.
struct GridSpot {
  std::uint32_t column = 0, row = 0;
  double u = 0.0, v = 0.0;
};

// A grid whose columns lie at one x each and rows at one y each: a picture,
// a raster, or a point grid laid out so.
struct RegularGrid {
  Axis columns;
  Axis rows;
  // The heights of the cells, a batch at a time; false when some came from
  // a coarser level than asked for.
  std::function<bool(const std::vector<std::array<std::uint32_t, 2>>&, std::vector<double>&)>
      heights;
};

struct PathPoint {
  double x, y;
};

// The samples of a straight piece of path from a to b over grid: its ends
// and every line of cell centres it crosses, in order; from is the first
// included, so that pieces share their corners.
void SampleRun(const RegularGrid& grid, PathPoint a, PathPoint b, bool withStart,
               std::vector<PathPoint>& out) {
  std::vector<double> ts;
  if (withStart)
    ts.push_back(0.0);
  grid.columns.Crossings(a.x, b.x, ts);
  grid.rows.Crossings(a.y, b.y, ts);
  ts.push_back(1.0);
  std::sort(ts.begin() + (withStart ? 1 : 0), ts.end());
  ts.erase(std::unique(ts.begin(), ts.end()), ts.end());
  for (const double t : ts)
    out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
}

// The values of grid at points, bilinear between cell centres, NaN where a
// cell with weight has none or a point lies outside. False when some cells
// came from a coarser level.
bool BilinearValues(const RegularGrid& grid, const std::vector<PathPoint>& points,
                    std::vector<double>& values) {
  std::vector<std::optional<GridSpot>> spots(points.size());
  std::vector<std::array<std::uint32_t, 2>> cells;
  cells.reserve(points.size() * 4);
  for (std::size_t k = 0; k < points.size(); ++k) {
    const auto c = grid.columns.Locate(points[k].x);
    const auto r = grid.rows.Locate(points[k].y);
    if (!c || !r)
      continue;
    GridSpot spot{static_cast<std::uint32_t>(c->first), static_cast<std::uint32_t>(r->first),
                  c->second, r->second};
    spots[k] = spot;
    for (const std::uint32_t dr : {0u, 1u})
      for (const std::uint32_t dc : {0u, 1u})
        cells.push_back({spot.column + dc, spot.row + dr});
  }
  std::vector<double> z(cells.size());
  const bool complete = grid.heights(cells, z);
  values.assign(points.size(), NAN);
  std::size_t next = 0;
  for (std::size_t k = 0; k < points.size(); ++k) {
    if (!spots[k])
      continue;
    const GridSpot& s = *spots[k];
    const double w[4] = {(1 - s.u) * (1 - s.v), s.u * (1 - s.v), (1 - s.u) * s.v, s.u * s.v};
    double sum = 0.0;
    for (int q = 0; q < 4; ++q) {
      if (w[q] > kNoWeight)
        sum += w[q] * z[next + static_cast<std::size_t>(q)];
    }
    next += 4;
    values[k] = sum;  // NaN when a weighed cell had none
  }
  return complete;
}

// A triangle as the surface draws it, corners in data x, y, z.
using Triangle = std::array<Vec3, 3>;

// The part of the segment from a to b (as fractions 0 ... 1) over the
// triangle in x and y, if any, and the heights at its two ends.
struct Crossing {
  double t0, t1;
  double z0, z1;
};

std::optional<Crossing> CrossTriangle(const Triangle& tri, PathPoint a, PathPoint b) {
  const double area =
      (tri[1].x - tri[0].x) * (tri[2].y - tri[0].y) - (tri[2].x - tri[0].x) * (tri[1].y - tri[0].y);
  if (area == 0.0)
    return std::nullopt;
  // Each edge's side function along the segment: s(t) = s0 + t * ds, >= 0
  // inside (for the triangle's winding).
  double t0 = 0.0, t1 = 1.0;
  for (int e = 0; e < 3; ++e) {
    const Vec3& p = tri[e];
    const Vec3& q = tri[(e + 1) % 3];
    const auto side = [&](PathPoint m) {
      return ((q.x - p.x) * (m.y - p.y) - (q.y - p.y) * (m.x - p.x)) * (area > 0 ? 1 : -1);
    };
    const double s0 = side(a), s1 = side(b);
    const double ds = s1 - s0;
    if (ds == 0.0) {
      if (s0 < 0.0)
        return std::nullopt;
      continue;
    }
    const double t = -s0 / ds;
    if (ds > 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1)
      return std::nullopt;
  }
  const auto height = [&](double t) {
    const double x = a.x + t * (b.x - a.x), y = a.y + t * (b.y - a.y);
    const double l1 =
        ((x - tri[0].x) * (tri[2].y - tri[0].y) - (tri[2].x - tri[0].x) * (y - tri[0].y)) / area;
    const double l2 =
        ((tri[1].x - tri[0].x) * (y - tri[0].y) - (x - tri[0].x) * (tri[1].y - tri[0].y)) / area;
    return tri[0].z + l1 * (tri[1].z - tri[0].z) + l2 * (tri[2].z - tri[0].z);
  };
  return Crossing{t0, t1, height(t0), height(t1)};
}

// Calls use with every triangle of grid that the surface draws: two a cell,
// split along the diagonal its strips make, none with a point without value.
template <typename Use>
void ForEachTriangle(const GridRef& grid, Use use) {
  for (std::uint32_t r = 0; r + 1 < grid.rows; ++r) {
    for (std::uint32_t i = 0; i + 1 < grid.columns; ++i) {
      const std::size_t a = grid.Index(r, i), b = grid.Index(r + 1, i), c = grid.Index(r, i + 1),
                        d = grid.Index(r + 1, i + 1);
      if (grid.Present(a) && grid.Present(b) && grid.Present(c))
        use(Triangle{grid.points[a], grid.points[b], grid.points[c]});
      if (grid.Present(b) && grid.Present(c) && grid.Present(d))
        use(Triangle{grid.points[b], grid.points[c], grid.points[d]});
    }
  }
}

// A sample along a path before it is placed: how far along, where, what.
struct PathSample {
  double along;  // path length in data x, y up to here
  PathPoint at;
  double value;
};

// The samples of a path over the triangles of a point grid: the ends of
// every piece the path crosses a triangle in, in order along the path, a
// gap between pieces that do not meet.
std::vector<PathSample> TriangleRun(const GridRef& grid, const std::vector<PathPoint>& path) {
  std::vector<PathSample> out;
  double start = 0.0;
  for (std::size_t s = 0; s + 1 < path.size(); ++s) {
    const PathPoint a = path[s], b = path[s + 1];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    std::vector<Crossing> pieces;
    if (length > 0.0) {
      ForEachTriangle(grid, [&](const Triangle& tri) {
        if (const auto c = CrossTriangle(tri, a, b))
          pieces.push_back(*c);
      });
    }
    std::sort(pieces.begin(), pieces.end(), [](const Crossing& p, const Crossing& q) {
      return p.t0 < q.t0 || (p.t0 == q.t0 && p.t1 < q.t1);
    });
    const auto place = [&](double t, double value) {
      out.push_back({start + t * length, {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}, value});
    };
    double reached = 0.0;
    for (const Crossing& piece : pieces) {
      // Pieces that touch continue the curve; between others lies a gap.
      if (piece.t0 > reached + kNoWeight)
        place((reached + piece.t0) / 2, NAN);
      place(piece.t0, piece.z0);
      place(piece.t1, piece.z1);
      reached = std::max(reached, piece.t1);
    }
    if (reached < 1.0 - kNoWeight)
      place((reached + 1.0) / 2, NAN);
    start += length;
  }
  // Samples at the same distance with the same value say nothing twice.
  out.erase(
      std::unique(out.begin(), out.end(),
                  [](const PathSample& p, const PathSample& q) {
                    return p.along == q.along &&
                           (p.value == q.value || (std::isnan(p.value) && std::isnan(q.value)));
                  }),
      out.end());
  return out;
}

// Whether the grid's columns each lie at one x and its rows at one y,
// strictly monotone: then it is sampled bilinearly.
bool LaidOutRegularly(const GridRef& grid) {
  if (grid.columns < 2 || grid.rows < 2)
    return false;
  const auto monotone = [](auto at, std::uint32_t n) {
    const double d = at(1) - at(0);
    if (!(d != 0.0))
      return false;
    for (std::uint32_t k = 1; k < n; ++k) {
      const double step = at(k) - at(k - 1);
      if (!(d > 0 ? step > 0 : step < 0))
        return false;
    }
    return true;
  };
  const Vec3* p = grid.points;
  if (!monotone([&](std::uint32_t i) { return p[i].x; }, grid.columns) ||
      !monotone([&](std::uint32_t r) { return p[grid.Index(r, 0)].y; }, grid.rows))
    return false;
  for (std::uint32_t r = 0; r < grid.rows; ++r) {
    for (std::uint32_t i = 0; i < grid.columns; ++i) {
      const Vec3& q = p[grid.Index(r, i)];
      if (q.x != p[i].x || q.y != p[grid.Index(r, 0)].y)
        return false;
    }
  }
  return true;
}

RegularGrid GridOf(const GridRef& grid) {
  std::vector<double> xs(grid.columns), ys(grid.rows);
  for (std::uint32_t i = 0; i < grid.columns; ++i)
    xs[i] = grid.points[i].x;
  for (std::uint32_t r = 0; r < grid.rows; ++r)
    ys[r] = grid.points[grid.Index(r, 0)].y;
  return {Axis(std::move(xs)), Axis(std::move(ys)),
          [grid](const std::vector<std::array<std::uint32_t, 2>>& cells, std::vector<double>& z) {
            for (std::size_t k = 0; k < cells.size(); ++k) {
              const std::size_t at = grid.Index(cells[k][1], cells[k][0]);
              z[k] = grid.Present(at) ? grid.points[at].z : NAN;
            }
            return true;
          }};
}

std::vector<double> UnitPositions(std::uint32_t n) {
  std::vector<double> out(n);
  for (std::uint32_t k = 0; k < n; ++k)
    out[k] = n > 1 ? static_cast<long double>(k) / (n - 1) : 0.0;
  return out;
}

// The raster's own cells, read from its levels.
RegularGrid GridOf(HeightLevels& levels) {
  return {
      Axis(UnitPositions(levels.Columns())), Axis(UnitPositions(levels.Rows())),
      [&levels](const std::vector<std::array<std::uint32_t, 2>>& cells, std::vector<double>& z) {
        return levels.FillCells(cells.data(), cells.size(), z.data());
      }};
}

// Between two samples this many apart, the ground's scale changes too
// little to matter: distances there follow the map's.
constexpr std::size_t kGroundStride = 16;

// The distances of section's samples, at map points, as lengths on the
// ground: measured at every kGroundStride-th sample and at the path's
// corners, and in between in proportion to the path's length on the map;
// a sample at a time would cost a transformation and a geodesic each, five
// times the rest of a section.
void GroundDistances(MapDistances& ground, const std::vector<std::array<double, 2>>& map,
                     const std::vector<std::size_t>& corners, Section& section) {
  std::vector<std::size_t> anchors;
  for (std::size_t k = 0, c = 0; k < map.size(); ++k) {
    const bool corner = c < corners.size() && corners[c] == k;
    if (corner)
      ++c;
    if (corner || k % kGroundStride == 0 || k + 1 == map.size())
      anchors.push_back(k);
  }
  std::vector<std::array<double, 2>> points(anchors.size());
  for (std::size_t a = 0; a < anchors.size(); ++a)
    points[a] = map[anchors[a]];
  std::vector<double> metres(anchors.size());
  ground.PathMetres(points.data(), points.size(), metres.data());
  std::vector<double> mapLength(map.size(), 0.0);
  for (std::size_t k = 1; k < map.size(); ++k)
    mapLength[k] =
        mapLength[k - 1] + std::hypot(map[k][0] - map[k - 1][0], map[k][1] - map[k - 1][1]);
  for (std::size_t a = 0; a < anchors.size(); ++a) {
    const std::size_t from = anchors[a];
    section.samples[from].distance = metres[a];
    if (a + 1 == anchors.size())
      break;
    const std::size_t to = anchors[a + 1];
    const double span = mapLength[to] - mapLength[from];
    for (std::size_t k = from + 1; k < to; ++k) {
      const double share = span > 0.0 ? (mapLength[k] - mapLength[from]) / span : 0.0;
      section.samples[k].distance = metres[a] + share * (metres[a + 1] - metres[a]);
    }
  }
}

// Turns the samples of a path into a section: values in the data's terms,
// places as the data names them, distances in unit: for point grids the
// samples' own, else the cells' column or row along a plane and the path's
// length in cells along the line, or the length on the ground from the
// first sample; corners: the samples where the path turns, in order.
Section Place(SectionKind kind, const std::vector<PathSample>& samples, const HeightValues& values,
              std::uint32_t dataColumns, std::uint32_t dataRows, DistanceUnit unit,
              const std::vector<std::size_t>& corners = {}) {
  Section section{kind, {}};
  section.samples.resize(samples.size());
  std::vector<std::array<double, 2>> map;
  for (std::size_t k = 0; k < samples.size(); ++k) {
    SectionSample& out = section.samples[k];
    const PathSample& in = samples[k];
    out.value = std::isnan(in.value) ? NAN : values.ValueOf(in.value);
    if (unit == DistanceUnit::kData) {
      out.x = in.at.x;
      out.y = in.at.y;
      out.distance = in.along;
      continue;
    }
    const double column = in.at.x * (dataColumns - 1.0);
    const double row = in.at.y * (dataRows - 1.0);
    if (kind == SectionKind::kXPlane) {
      out.distance = row;
    } else if (kind == SectionKind::kYPlane) {
      out.distance = column;
    } else if (k > 0) {
      const SectionSample& before = section.samples[k - 1];
      const double beforeColumn = samples[k - 1].at.x * (dataColumns - 1.0);
      const double beforeRow = samples[k - 1].at.y * (dataRows - 1.0);
      out.distance = before.distance + std::hypot(column - beforeColumn, row - beforeRow);
    }
    if (values.geoTransform) {
      const auto [mx, my] = values.MapPoint(column + 0.5, row + 0.5);
      out.x = mx;
      out.y = my;
      map.push_back({mx, my});
    } else {
      out.x = column;
      out.y = row;
    }
  }
  if (unit == DistanceUnit::kMetres && !map.empty())
    GroundDistances(*values.ground, map, corners, section);
  return section;
}

}  // namespace

const char* SectionName(SectionKind kind) {
  switch (kind) {
    case SectionKind::kXPlane:
      return "x-plane";
    case SectionKind::kYPlane:
      return "y-plane";
    case SectionKind::kLine:
      return "line";
  }
  return "";
}

Sections CutSections(cOpenGLGraph_Surface& surface, const SectionPlaces& places,
                     SectionDetail detail) {
  Sections out;
  HeightLevels* levels = surface.LevelsOfDetail();
  const GridRef drawn = surface.Grid();
  if (!levels && !drawn.points)
    return out;
  const HeightValues& values = surface.values;
  const bool pointGrid = values.source == HeightValues::Source::kPointGrid;
  const std::uint32_t dataColumns =
      values.reduction > 1 ? values.originalColumns : surface.DataColumns();
  const std::uint32_t dataRows = values.reduction > 1 ? values.originalRows : surface.DataRows();
  out.distanceUnit = pointGrid       ? DistanceUnit::kData
                     : values.ground ? DistanceUnit::kMetres
                                     : DistanceUnit::kCells;

  std::vector<PathPoint> line;
  for (std::uint32_t k = 0; k < places.lineCount; ++k)
    line.push_back({places.line[k].x, places.line[k].y});

  // Point grids that fold follow their triangles.
  if (!levels && pointGrid && !LaidOutRegularly(drawn)) {
    double low[2] = {HUGE_VAL, HUGE_VAL}, high[2] = {-HUGE_VAL, -HUGE_VAL};
    for (std::size_t k = 0; k < std::size_t{drawn.columns} * drawn.rows; ++k) {
      low[0] = std::min(low[0], drawn.points[k].x);
      high[0] = std::max(high[0], drawn.points[k].x);
      low[1] = std::min(low[1], drawn.points[k].y);
      high[1] = std::max(high[1], drawn.points[k].y);
    }
    const auto plane = [&](SectionKind kind, PathPoint a, PathPoint b, bool alongY) {
      std::vector<PathSample> samples = TriangleRun(drawn, {a, b});
      for (PathSample& s : samples)
        s.along = alongY ? s.at.y : s.at.x;
      return Place(kind, samples, values, dataColumns, dataRows, out.distanceUnit);
    };
    if (places.planeX >= low[0] && places.planeX <= high[0])
      out.xPlane =
          plane(SectionKind::kXPlane, {places.planeX, low[1]}, {places.planeX, high[1]}, true);
    if (places.planeY >= low[1] && places.planeY <= high[1])
      out.yPlane =
          plane(SectionKind::kYPlane, {low[0], places.planeY}, {high[0], places.planeY}, false);
    if (line.size() >= 2)
      out.line = Place(SectionKind::kLine, TriangleRun(drawn, line), values, dataColumns, dataRows,
                       out.distanceUnit);
    return out;
  }

  // Before the first picture of a raster at levels nothing is drawn.
  const bool own = levels && (detail == SectionDetail::kFull || !drawn.points);
  if (!own && (drawn.columns < 2 || drawn.rows < 2))
    return out;
  const RegularGrid grid = own ? GridOf(*levels) : GridOf(drawn);
  // The samples of each section's path; their cells are then asked for at
  // once, so that one section's tiles do not replace another's.
  struct Cut {
    Section* into;
    std::vector<PathPoint> points;
    std::vector<std::size_t> corners;
    int along;  // 0: x, 1: y, 2: the path's length
  };
  std::vector<Cut> cuts;
  const auto plan = [&](Section& into, const std::vector<PathPoint>& path, int along) {
    Cut cut{&into, {}, {}, along};
    for (std::size_t s = 0; s + 1 < path.size(); ++s) {
      SampleRun(grid, path[s], path[s + 1], s == 0, cut.points);
      cut.corners.push_back(cut.points.size() - 1);
    }
    cuts.push_back(std::move(cut));
  };
  if (places.planeX >= grid.columns.Low() && places.planeX <= grid.columns.High())
    plan(out.xPlane,
         {{places.planeX, grid.rows[0]}, {places.planeX, grid.rows[grid.rows.Size() - 1]}}, 1);
  if (places.planeY >= grid.rows.Low() && places.planeY <= grid.rows.High())
    plan(out.yPlane,
         {{grid.columns[0], places.planeY}, {grid.columns[grid.columns.Size() - 1], places.planeY}},
         0);
  if (line.size() >= 2)
    plan(out.line, line, 2);
  std::vector<PathPoint> all;
  for (const Cut& cut : cuts)
    all.insert(all.end(), cut.points.begin(), cut.points.end());
  // Nothing to cut asks for nothing: the tiles of the sections kept stay
  // asked for.
  std::vector<double> z;
  out.final = all.empty() || BilinearValues(grid, all, z);
  std::size_t next = 0;
  for (const Cut& cut : cuts) {
    std::vector<PathSample> samples(cut.points.size());
    double length = 0.0;
    for (std::size_t k = 0; k < cut.points.size(); ++k) {
      const PathPoint& p = cut.points[k];
      if (k > 0)
        length += std::hypot(p.x - cut.points[k - 1].x, p.y - cut.points[k - 1].y);
      samples[k] = {cut.along == 0 ? p.x : cut.along == 1 ? p.y : length, p, z[next++]};
    }
    *cut.into = Place(cut.into->kind, samples, values, dataColumns, dataRows, out.distanceUnit,
                      cut.corners);
  }
  return out;
}
