#include "app/meshsource.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "objects/surface.h"

namespace {

// As the grids read whole and the levels place their cells.
double UnitStep(std::uint32_t index, std::uint32_t count) {
  return static_cast<double>(static_cast<long double>(index) /
                             (static_cast<long double>(count) - 1.0L));
}

// The raster's own cells, a band of rows at a time, once their tiles came.
GridRows LevelRows(HeightLevels& levels) {
  GridRows grid{levels.Columns(), levels.Rows(), {}};
  grid.read = [&levels](std::uint32_t first, std::uint32_t count, Vec3* points,
                        std::uint8_t* present) {
    const std::uint32_t columns = levels.Columns(), rows = levels.Rows();
    const LevelWindow window{0, 0, first, columns, count};
    while (!levels.Fill(window, &points[0].z, 3))
      levels.WaitForTiles();
    for (std::uint32_t j = 0; j < count; ++j) {
      const double y = UnitStep(first + j, rows);
      for (std::uint32_t i = 0; i < columns; ++i) {
        const std::size_t k = std::size_t{j} * columns + i;
        present[k] = std::isnan(points[k].z) ? 0 : 1;
        points[k] = {UnitStep(i, columns), y, present[k] ? points[k].z : 0.0};
      }
    }
  };
  return grid;
}

// The grid held, with the bounds of its points that have a value.
GridRows HeldRows(const cOpenGLGraph_Surface& surface, Vec3& low, Vec3& high) {
  const GridRef held = surface.Grid();
  constexpr double kHuge = std::numeric_limits<double>::infinity();
  low = {kHuge, kHuge, kHuge};
  high = {-kHuge, -kHuge, -kHuge};
  const std::size_t n = std::size_t{held.columns} * held.rows;
  for (std::size_t k = 0; k < n; ++k) {
    if (!held.Present(k))
      continue;
    const Vec3& p = held.points[k];
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  if (low.x > high.x)
    low = high = {0.0, 0.0, 0.0};
  GridRows grid{held.columns, held.rows, {}};
  grid.read = [held](std::uint32_t first, std::uint32_t count, Vec3* points,
                     std::uint8_t* present) {
    const std::size_t begin = held.Index(first, 0);
    const std::size_t n = std::size_t{count} * held.columns;
    std::copy(held.points + begin, held.points + begin + n, points);
    for (std::size_t k = 0; k < n; ++k)
      present[k] = held.Present(begin + k) ? 1 : 0;
  };
  return grid;
}

}  // namespace

MeshSource MeshSourceOf(cOpenGLGraph_Surface& surface) {
  MeshSource source;
  if (HeightLevels* levels = surface.LevelsOfDetail()) {
    source.grid = LevelRows(*levels);
    const std::array<double, 2> heights =
        levels->HeightRange(LevelWindow{0, 0, 0, levels->Columns(), levels->Rows()});
    source.low = {0.0, 0.0, heights[0] <= heights[1] ? heights[0] : 0.0};
    source.high = {1.0, 1.0, heights[0] <= heights[1] ? heights[1] : 0.0};
  } else {
    source.grid = HeldRows(surface, source.low, source.high);
  }
  const HeightValues::Source kind = surface.values.source;
  source.zScale = surface.ZScale();
  source.rowsFromTop = kind != HeightValues::Source::kPointGrid;
  source.mayFold = kind == HeightValues::Source::kPointGrid;
  source.picture = kind == HeightValues::Source::kPicture;
  const std::uint8_t* own = surface.Grid().colours;
  source.colour = [&surface, own](std::uint64_t point, double z, std::uint8_t rgb[3]) {
    if (own)
      std::copy(own + 3 * point, own + 3 * point + 3, rgb);
    else
      surface.BandColourAt(z, rgb);
  };
  return source;
}
