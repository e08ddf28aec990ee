#pragma once
// A preview of a grid: every step-th of its lines in each direction, the last
// line always among them, so that the sample keeps the grid's full extent.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/gridref.h"

// The smallest step at which layers stacked grids of cellsA x cellsB cells,
// two triangles a cell, take at most budget triangles once every step-th line
// is kept; 1 when budget is 0 or the grids fit it whole. Never more than the
// larger cell count, where each layer is down to one cell.
std::uint32_t PreviewStep(std::uint32_t cellsA, std::uint32_t cellsB, std::uint32_t layers,
                          std::size_t budget);

// How many of n lines a sample with step keeps.
inline std::uint32_t SampledCount(std::uint32_t n, std::uint32_t step) {
  return n < 2 ? n : (n - 2) / step + 2;
}

// The grid line that is line t of the sample.
inline std::uint32_t SampledLine(std::uint32_t t, std::uint32_t step, std::uint32_t n) {
  const std::uint64_t line = std::uint64_t{t} * step;
  return line < n - 1 ? static_cast<std::uint32_t>(line) : n - 1;
}

// The arrays of a sample, kept from one preview to the next.
struct GridSample {
  std::vector<Vec3> points;
  std::vector<std::uint8_t> present;
  std::vector<std::uint8_t> colours;
  std::vector<std::uint8_t> shades;
  std::vector<float> texture;
};

// Copies the sample with step of grid, each point with what it carries, into
// out and returns the sample as a grid of its own (with grid's zScale). out
// keeps its memory for the next call. Throws std::bad_alloc.
GridRef SampleGrid(const GridRef& grid, std::uint32_t step, GridSample& out);
