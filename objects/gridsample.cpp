#include "objects/gridsample.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint64_t Triangles(std::uint32_t cellsA, std::uint32_t cellsB, std::uint32_t layers,
                        std::uint32_t step) {
  const std::uint64_t a = (std::uint64_t{cellsA} + step - 1) / step;
  const std::uint64_t b = (std::uint64_t{cellsB} + step - 1) / step;
  return 2 * a * b * layers;
}

}  // namespace

std::uint32_t PreviewStep(std::uint32_t cellsA, std::uint32_t cellsB, std::uint32_t layers,
                          std::size_t budget) {
  const std::uint64_t all = Triangles(cellsA, cellsB, layers, 1);
  if (budget == 0 || all <= budget)
    return 1;
  const std::uint32_t most = std::max({cellsA, cellsB, 1u});
  // The square root of the ratio is the step for cell counts that divide
  // evenly; rounding up each count can need a step or two more.
  auto step = static_cast<std::uint32_t>(
      std::min<double>(std::ceil(std::sqrt(static_cast<double>(all) / budget)), most));
  while (step < most && Triangles(cellsA, cellsB, layers, step) > budget)
    ++step;
  return std::max(step, 1u);
}

namespace {

// Copies, for every sampled point in order, its `width` items of from into
// out; nothing when from is null.
template <class T>
void SampleArray(const T* from, std::size_t width, std::uint32_t columns, std::uint32_t rows,
                 std::uint32_t step, std::vector<T>& out) {
  out.clear();
  if (!from)
    return;
  const std::uint32_t c = SampledCount(columns, step);
  const std::uint32_t r = SampledCount(rows, step);
  out.resize(std::size_t{c} * r * width);
  T* to = out.data();
  for (std::uint32_t t = 0; t < r; ++t) {
    const T* row = from + std::size_t{SampledLine(t, step, rows)} * columns * width;
    for (std::uint32_t u = 0; u < c; ++u, to += width)
      std::copy_n(row + std::size_t{SampledLine(u, step, columns)} * width, width, to);
  }
}

}  // namespace

GridRef SampleGrid(const GridRef& grid, std::uint32_t step, GridSample& out) {
  SampleArray(grid.points, 1, grid.columns, grid.rows, step, out.points);
  SampleArray(grid.present, 1, grid.columns, grid.rows, step, out.present);
  SampleArray(grid.colours, 3, grid.columns, grid.rows, step, out.colours);
  SampleArray(grid.shades, 1, grid.columns, grid.rows, step, out.shades);
  SampleArray(grid.texture, 1, grid.columns, grid.rows, step, out.texture);
  // What is not one value a point (the vertical scale, the bands) stays.
  GridRef sample = grid;
  sample.points = out.points.data();
  sample.columns = SampledCount(grid.columns, step);
  sample.rows = SampledCount(grid.rows, step);
  sample.present = grid.present ? out.present.data() : nullptr;
  sample.colours = grid.colours ? out.colours.data() : nullptr;
  sample.shades = grid.shades ? out.shades.data() : nullptr;
  sample.texture = grid.texture ? out.texture.data() : nullptr;
  return sample;
}
