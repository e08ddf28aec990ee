#include "overlays/slopecells.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "base/gridref.h"
#include "base/heightlevels.h"
#include "base/hornslope.h"
#include "objects/surface.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Where the 3 x 3 lies in the raster's own cells: its middle's centre,
// counted from the raster's corner, and the cells one step spans.
struct Footing {
  double column;
  double row;
  std::uint32_t cells;
};

// The slope on the ground of a georeferenced raster whose values change by
// perStep at footing.
std::optional<Slope> OnGround(const HeightValues& values, Gradient perStep, Footing at) {
  const double s = at.cells;
  const std::array<double, 2> to[] = {
      values.MapPoint(at.column + s, at.row), values.MapPoint(at.column - s, at.row),
      values.MapPoint(at.column, at.row + s), values.MapPoint(at.column, at.row - s)};
  double metres[4];
  double azimuths[4];
  if (!values.ground->LegsFrom(values.MapPoint(at.column, at.row), to, 4, metres, azimuths))
    return std::nullopt;
  std::optional<Slope> slope = SlopeOnGround(perStep, StepsFromLegs(metres, azimuths), values.unit);
  if (slope)
    slope->cells = at.cells;
  return slope;
}

}  // namespace

std::optional<Slope> SurfaceSlope(const cOpenGLGraph_Surface& surface, std::uint32_t column,
                                  std::uint32_t row) {
  const HeightValues& values = surface.values;
  if (values.source == HeightValues::Source::kNone || !surface.vertices)
    return std::nullopt;
  std::array<double, 9> z;
  Footing at{0.0, 0.0, 1};
  if (HeightLevels* levels = surface.LevelsOfDetail()) {
    const auto [c, r] = surface.RasterCell(column, row);
    if (c == 0 || r == 0 || c + 1 >= levels->Columns() || r + 1 >= levels->Rows())
      return std::nullopt;
    for (std::uint32_t k = 0; k < 9; ++k) {
      const std::optional<double> height = levels->CellHeight(c + k % 3 - 1, r + k / 3 - 1);
      z[k] = height ? values.ValueOf(*height) : kNaN;
    }
    at = {c + 0.5, r + 0.5, 1};
  } else {
    if (column == 0 || row == 0 || column + 1 >= surface.columns || row + 1 >= surface.rows)
      return std::nullopt;
    const GridRef grid = surface.Grid();
    std::array<double, 9> x;
    std::array<double, 9> y;
    for (std::uint32_t k = 0; k < 9; ++k) {
      const std::size_t i = grid.Index(row + k / 3 - 1, column + k % 3 - 1);
      const Vec3& p = grid.points[i];
      z[k] = grid.Present(i) ? values.ValueOf(p.z) : kNaN;
      x[k] = p.x;
      y[k] = p.y;
    }
    if (values.source == HeightValues::Source::kPointGrid) {
      // Its points lie where the file puts them, not on a picture's even
      // steps: the slope is solved over their own x and y.
      const std::optional<Gradient> dz = HornGradient(z);
      const std::optional<Gradient> dx = HornGradient(x);
      const std::optional<Gradient> dy = HornGradient(y);
      if (!dz || !dx || !dy)
        return std::nullopt;
      return SlopeInDataUnits(*dz, *dx, *dy);
    }
    // A raster read reduced: each point the mean of a block of cells, whose
    // middle is the point's place.
    const std::uint32_t n = std::max<std::uint32_t>(values.reduction, 1);
    const double side = n;
    at = {column * side + side / 2.0, row * side + side / 2.0, n};
  }
  const std::optional<Gradient> perStep = HornGradient(z);
  if (!perStep)
    return std::nullopt;
  if (values.source == HeightValues::Source::kMeasured && values.geoTransform && values.ground)
    return OnGround(values, *perStep, at);
  return SlopeOfCells(*perStep, at.cells);
}
