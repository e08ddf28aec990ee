// Contour lines at 10 levels over a smooth 4096 x 4096 field: the program's
// whole path (the grid's heights fed row by row to the module's generator,
// the lines laid onto the surface's triangles) beside GDAL's contour
// generator alone fed the same values from a plain array, with a writer that
// only counts ("gdal"). Under the test programs (CUBISCOPE_BENCH_SMALL) the
// field is 1024 wide.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include <gdal_alg.h>
#include <QtGlobal>

#include "formats/rastermodule.h"
#include "objects/contourlines.h"
#include "paired.h"

namespace {

std::uint32_t Side() {
  return qEnvironmentVariableIsSet("CUBISCOPE_BENCH_SMALL") ? 1024 : 4096;
}

// Hills of a few wavelengths between 0.02 and 0.98: lines at 0.09 ... 0.90.
std::vector<Vec3> Field(std::uint32_t side) {
  std::vector<Vec3> points(std::size_t{side} * side);
  for (std::uint32_t r = 0; r < side; ++r) {
    for (std::uint32_t c = 0; c < side; ++c) {
      const double x = c / (side - 1.0), y = r / (side - 1.0);
      const double z =
          0.5 + 0.3 * std::sin(9.0 * x) * std::cos(7.0 * y) + 0.18 * std::sin(23.0 * x + 11.0 * y);
      points[std::size_t{r} * side + c] = {x, y, z};
    }
  }
  return points;
}

CPLErr Count(double, int n, double*, double*, void* counted) {
  *static_cast<std::size_t*>(counted) += static_cast<std::size_t>(n);
  return CE_None;
}

void BM_Contours(benchmark::State& state) {
  const std::uint32_t side = Side();
  const std::vector<Vec3> points = Field(side);
  std::vector<double> plain(points.size());
  for (std::size_t k = 0; k < points.size(); ++k)
    plain[k] = points[k].z;
  GridRef grid;
  grid.points = points.data();
  grid.columns = grid.rows = side;
  HeightValues values;
  values.source = HeightValues::Source::kPicture;
  constexpr double kStep = 0.09;
  const ContourGridFunction trace = ContourGenerator();
  Paired paired;
  std::size_t vertices = 0, traced = 0;
  for (auto _ : state) {
    paired.Measure([&] {
      const auto lines = MakeContours(grid, values, kStep, trace);
      vertices = lines->points.size() / 3;
    });
    paired.Reference(state, "gdal", [&] {
      traced = 0;
      GDALContourGeneratorH h = GDAL_CG_Create(static_cast<int>(side), static_cast<int>(side),
                                               FALSE, 0.0, kStep, 0.0, &Count, &traced);
      for (std::uint32_t r = 0; r < side; ++r)
        GDAL_CG_FeedLine(h, &plain[std::size_t{r} * side]);
      GDAL_CG_Destroy(h);
    });
  }
  paired.Report(state);
  state.counters["vertices"] = static_cast<double>(vertices);
  state.counters["gdal_vertices"] = static_cast<double>(traced);
}
BENCHMARK(BM_Contours)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
