#include "meshes/decimate.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "meshes/decimatetile.h"

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

}  // namespace

std::optional<TopSurface> DecimatedTop(const GridRows& grid, double maxError,
                                       const std::function<bool(double done)>& going) {
  return DecimatedTop(grid, maxError, going, kDecimateTileCells);
}

std::optional<TopSurface> DecimatedTop(const GridRows& grid, double maxError,
                                       const std::function<bool(double done)>& going,
                                       std::uint32_t tileCells) {
  assert(tileCells > 0 && "DecimatedTop given tiles without cells");
  TopSurface top;
  const std::uint32_t columns = grid.columns, rows = grid.rows;
  if (columns < 2 || rows < 2)
    return top;
  const std::uint32_t across = (columns - 2) / tileCells + 1, bands = (rows - 2) / tileCells + 1;
  const double tiles = static_cast<double>(across) * bands;

  const std::size_t bandPoints = std::size_t{columns} * (std::size_t{tileCells} + 1);
  std::vector<Vec3> band(bandPoints);
  std::vector<std::uint8_t> bandPresent(bandPoints);
  std::vector<SimplifiedTile> simplified(across);
  // The vertices made for points that two tiles hold: those of a band's
  // first and last row (the first is the band before's last) and of the
  // column a tile shares with the one before it and the one after it.
  std::vector<std::uint32_t> firstRow(columns, kNone), lastRow(columns, kNone);
  std::vector<std::uint32_t> leftColumn(tileCells + 1), rightColumn(tileCells + 1);
  std::vector<std::uint32_t> tileVertex;
  std::vector<float>& positions = top.mesh.positions;
  const auto widthOf = [&](std::uint32_t t) {
    return std::min(tileCells, columns - 1 - t * tileCells) + 1;
  };
  double target = maxError;

  for (std::uint32_t b = 0; b < bands; ++b) {
    const std::uint32_t r0 = b * tileCells;
    const std::uint32_t height = std::min(tileCells, rows - 1 - r0) + 1;
    grid.read(r0, height, band.data(), bandPresent.data());

    // The tiles of a band on all cores, each worker taking the next tile;
    // their results are joined in order, so that the top is the same however
    // the work was shared.
    std::atomic<std::uint32_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto work = [&] {
      std::vector<Vec3> points;
      std::vector<std::uint8_t> present;
      for (std::uint32_t t; (t = next++) < across;) {
        try {
          const std::uint32_t c0 = t * tileCells, width = widthOf(t);
          points.resize(std::size_t{width} * height);
          present.resize(points.size());
          for (std::uint32_t r = 0; r < height; ++r) {
            const std::size_t from = std::size_t{r} * columns + c0, to = std::size_t{r} * width;
            std::copy_n(band.begin() + from, width, points.begin() + to);
            std::copy_n(bandPresent.begin() + from, width, present.begin() + to);
          }
          simplified[t] =
              SimplifyTile(points.data(), present.data(), width, height, maxError, target);
        } catch (...) {
          const std::lock_guard<std::mutex> hold(failureLock);
          failure = std::current_exception();
        }
      }
    };
    {
      const unsigned helpers = std::min(std::max(std::thread::hardware_concurrency(), 1u), across);
      std::vector<std::jthread> workers;
      for (unsigned w = 1; w < helpers; ++w)
        workers.emplace_back(work);
      work();
    }
    if (failure)
      std::rethrow_exception(failure);

    std::fill(leftColumn.begin(), leftColumn.end(), kNone);
    for (std::uint32_t t = 0; t < across; ++t) {
      const std::uint32_t c0 = t * tileCells, width = widthOf(t);
      std::fill(rightColumn.begin(), rightColumn.end(), kNone);
      tileVertex.assign(std::size_t{width} * height, kNone);
      for (std::uint32_t k : simplified[t].triangles) {
        std::uint32_t& vertex = tileVertex[k];
        if (vertex == kNone) {
          const std::uint32_t r = k / width, i = k % width;
          std::uint32_t* shared = r == 0            ? &firstRow[c0 + i]
                                  : r + 1 == height ? &lastRow[c0 + i]
                                  : i == 0          ? &leftColumn[r]
                                  : i + 1 == width  ? &rightColumn[r]
                                                    : nullptr;
          if (shared && *shared != kNone) {
            vertex = *shared;
          } else {
            vertex = static_cast<std::uint32_t>(top.source.size());
            const Vec3& p = band[std::size_t{r} * columns + c0 + i];
            positions.insert(positions.end(), {static_cast<float>(p.x), static_cast<float>(p.y),
                                               static_cast<float>(p.z)});
            top.source.push_back(std::uint64_t{r0 + r} * columns + c0 + i);
            if (shared)
              *shared = vertex;
          }
        }
        top.mesh.triangles.push_back(vertex);
      }
      std::vector<std::uint32_t>().swap(simplified[t].triangles);
      std::swap(leftColumn, rightColumn);
      if (going && !going((static_cast<double>(b) * across + t + 1) / tiles))
        return std::nullopt;
    }
    // The next band starts where four in five of this band's tiles would
    // have held at once: most pass at the first try, and a surface that
    // changes its nature from band to band costs a try more where it does.
    std::vector<double> reach(across);
    for (std::uint32_t t = 0; t < across; ++t)
      reach[t] = simplified[t].nextTarget;
    std::nth_element(reach.begin(), reach.begin() + across / 5, reach.end());
    target = reach[across / 5];
    std::swap(firstRow, lastRow);
    std::fill(lastRow.begin(), lastRow.end(), kNone);
  }
  return top;
}
