#include "objects/contourlines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "base/errors.h"

namespace {

// Lays the tracer's lines onto the grid's triangles. Cell (row s, column i)
// is drawn as triangle A = (s,i), (s,i+1), (s+1,i) and B = (s,i+1), (s+1,i),
// (s+1,i+1); with local a = column - i and b = row - s, A holds a + b <= 1.
class Draping {
 public:
  Draping(const GridRef& grid, ContourLines& out) : grid(grid), out(out) {}

  // One line of the tracer, in grid coordinates.
  void Line(std::int64_t k, std::size_t count, const double* column, const double* row) {
    level = k;
    for (std::size_t j = 0; j + 1 < count; ++j)
      Segment(column[j], row[j], column[j + 1], row[j + 1]);
    End();
  }

 private:
  void Segment(double c0, double r0, double c1, double r1) {
    // The tracer's segments each lie within one square between four points
    // (or half a square beyond the edge): that square's cell, clamped onto
    // the grid.
    const auto cellOf = [](double v, std::uint32_t points) {
      const double last = static_cast<double>(points) - 2.0;
      return static_cast<std::uint32_t>(std::clamp(std::floor(v), 0.0, last));
    };
    const std::uint32_t i = cellOf((c0 + c1) / 2, grid.columns);
    const std::uint32_t s = cellOf((r0 + r1) / 2, grid.rows);
    double a0 = c0 - i, b0 = r0 - s, a1 = c1 - i, b1 = r1 - s;
    if (!Clip(a0, b0, a1, b1)) {
      End();
      return;
    }
    // Where it crosses the cell's diagonal it passes from one triangle into
    // the other.
    const double f0 = a0 + b0 - 1.0, f1 = a1 + b1 - 1.0;
    if ((f0 < 0 && f1 > 0) || (f0 > 0 && f1 < 0)) {
      const double t = f0 / (f0 - f1);
      const double am = a0 + t * (a1 - a0), bm = b0 + t * (b1 - b0);
      Piece(s, i, a0, b0, am, bm);
      Piece(s, i, am, bm, a1, b1);
    } else {
      Piece(s, i, a0, b0, a1, b1);
    }
  }

  // Cuts the segment to the unit square; false when nothing of it is left.
  static bool Clip(double& a0, double& b0, double& a1, double& b1) {
    double t0 = 0.0, t1 = 1.0;
    const double da = a1 - a0, db = b1 - b0;
    const double p[4] = {-da, da, -db, db};
    const double q[4] = {a0, 1.0 - a0, b0, 1.0 - b0};
    for (int e = 0; e < 4; ++e) {
      if (p[e] == 0.0) {
        if (q[e] < 0.0)
          return false;
        continue;
      }
      const double t = q[e] / p[e];
      if (p[e] < 0.0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
    }
    if (t0 >= t1)
      return false;
    // Ends inside stay exactly as they were, so that the next segment meets
    // this one's end.
    if (t1 < 1.0)
      a1 = a0 + t1 * da, b1 = b0 + t1 * db;
    if (t0 > 0.0)
      a0 += t0 * da, b0 += t0 * db;
    return true;
  }

  void Piece(std::uint32_t s, std::uint32_t i, double a0, double b0, double a1, double b1) {
    if (a0 == a1 && b0 == b1)
      return;  // where a line only touches a point
    const bool inA = (a0 + a1 + b0 + b1) / 2 < 1.0;
    const std::size_t p00 = grid.Index(s, i), p01 = p00 + 1;
    const std::size_t p10 = p00 + grid.columns, p11 = p10 + 1;
    const bool drawn = inA ? grid.Present(p00) && grid.Present(p01) && grid.Present(p10)
                           : grid.Present(p01) && grid.Present(p10) && grid.Present(p11);
    if (!drawn) {
      End();
      return;
    }
    // Each triangle's own affine map, so that the vertex lies in its plane.
    const auto at = [&](double a, double b) {
      const Vec3* P = grid.points;
      if (inA)
        return P[p00] + a * (P[p01] - P[p00]) + b * (P[p10] - P[p00]);
      return P[p11] + (1.0 - a) * (P[p10] - P[p11]) + (1.0 - b) * (P[p01] - P[p11]);
    };
    const double column = i + a0, row = s + b0;
    constexpr double kSame = 1e-9;
    if (!open || std::fabs(column - lastColumn) > kSame || std::fabs(row - lastRow) > kSame) {
      End();
      Add(at(a0, b0));
    }
    Add(at(a1, b1));
    lastColumn = i + a1;
    lastRow = s + b1;
  }

  void Add(const Vec3& p) {
    if (!open) {
      current = ContourLine{level, static_cast<std::uint32_t>(out.points.size() / 3), 0};
      open = true;
    }
    out.points.insert(out.points.end(),
                      {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
    ++current.count;
  }

  void End() {
    if (open && current.count >= 2)
      out.lines.push_back(current);
    else if (open)
      out.points.resize(std::size_t{current.first} * 3);
    open = false;
  }

  const GridRef& grid;
  ContourLines& out;
  std::int64_t level = 0;
  ContourLine current;
  bool open = false;
  double lastColumn = 0.0, lastRow = 0.0;
};

struct Tracing {
  Draping draping;
  const std::function<bool(double)>& keepGoing;
  std::uint32_t rows;
  bool outOfMemory = false;
  bool stopped = false;
};

bool TakeLine(std::int64_t k, std::size_t count, const double* column, const double* row,
              void* context) noexcept {
  auto& t = *static_cast<Tracing*>(context);
  try {
    t.draping.Line(k, count, column, row);
    return true;
  } catch (const std::bad_alloc&) {
    t.outOfMemory = true;
    return false;
  }
}

bool RowDone(std::uint32_t rowsFed, void* context) noexcept {
  auto& t = *static_cast<Tracing*>(context);
  try {
    t.stopped = !t.keepGoing(static_cast<double>(rowsFed) / t.rows);
  } catch (...) {
    t.stopped = true;
  }
  return !t.stopped;
}

}  // namespace

std::int64_t ContourLevelCount(double low, double high, double step) {
  if (!(step > 0.0) || !std::isfinite(low) || !std::isfinite(high) || low > high)
    return 0;
  const double first = std::ceil(low / step), last = std::floor(high / step);
  if (!(last - first < 1e15))
    return std::numeric_limits<std::int64_t>::max();
  return last < first ? 0 : static_cast<std::int64_t>(last - first) + 1;
}

QString ContourLevelsProblem(const HeightValues& values, double step) {
  const std::int64_t levels = ContourLevelCount(values.minimum, values.maximum, step);
  if (levels <= kMaxContourLevels)
    return QString();
  return QStringLiteral(
             "Contour lines %1 apart give %2 levels between %3 and %4; at most %5 can be "
             "drawn (lines at least %6 apart).")
      .arg(step)
      .arg(levels)
      .arg(values.minimum)
      .arg(values.maximum)
      .arg(kMaxContourLevels)
      .arg((values.maximum - values.minimum) / (kMaxContourLevels - 1));
}

std::optional<ContourLines> MakeContours(const GridRef& grid, const HeightValues& values,
                                         double step, ContourGridFunction trace,
                                         const std::function<bool(double)>& keepGoing) {
  ContourLines lines;
  lines.step = step;
  if (!grid.points || grid.columns < 2 || grid.rows < 2)
    return lines;
  if (const QString problem = ContourLevelsProblem(values, step); !problem.isEmpty())
    throw cError(problem);
  if (ContourLevelCount(values.minimum, values.maximum, step) == 0)
    return lines;

  ContourGridInput in;
  in.z = &grid.points[0].z;
  in.pointStride = 3;
  in.rowStride = std::size_t{3} * grid.columns;
  in.present = grid.present;
  in.columns = grid.columns;
  in.rows = grid.rows;
  if (values.source == HeightValues::Source::kMeasured) {
    in.scale = values.maximum - values.minimum;
    in.offset = values.minimum;
  }
  in.base = 0.0;
  in.interval = step;
  const std::function<bool(double)> always = [](double) { return true; };
  Tracing tracing{Draping(grid, lines), keepGoing ? keepGoing : always, grid.rows};
  ContourGridOutput out;
  out.line = &TakeLine;
  out.rowDone = &RowDone;
  out.context = &tracing;
  const ContourGridResult result = trace(&in, &out);
  if (tracing.outOfMemory)
    throw cOutOfMemory();
  if (tracing.stopped)
    return std::nullopt;
  if (result != ContourGridResult::kDone)
    throw cError(QStringLiteral("The contour lines could not be traced."));
  return lines;
}
