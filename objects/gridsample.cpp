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

void SampleGrid(const Vec3* points, std::uint32_t columns, std::uint32_t rows, std::uint32_t step,
                std::vector<Vec3>& out, std::uint32_t& sampledColumns, std::uint32_t& sampledRows) {
  const std::uint32_t c = SampledCount(columns, step);
  const std::uint32_t r = SampledCount(rows, step);
  out.resize(std::size_t{c} * r);
  for (std::uint32_t t = 0; t < r; ++t) {
    const Vec3* row = points + std::size_t{SampledLine(t, step, rows)} * columns;
    Vec3* to = out.data() + std::size_t{t} * c;
    for (std::uint32_t u = 0; u < c; ++u)
      to[u] = row[SampledLine(u, step, columns)];
  }
  sampledColumns = c;
  sampledRows = r;
}
