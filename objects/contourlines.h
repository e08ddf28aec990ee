#pragma once
// Contour lines of a surface's grid at whole multiples of a step of its
// values, laid onto the triangles the surface draws: every vertex lies in
// the plane of a drawn triangle, so that the surface never rises over its
// own lines, and a line ends where the surface ends (its edge or a hole).
// The tracing is GDAL's (contourgrid.h); this only feeds it and lays its
// lines onto the triangles.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/contourgrid.h"
#include "base/gridref.h"
#include "base/heightvalues.h"

struct ContourLine {
  std::int64_t k = 0;       // the line lies at value k * step
  std::uint32_t first = 0;  // its first vertex in ContourLines::points
  std::uint32_t count = 0;
};

struct ContourLines {
  double step = 0.0;
  // x, y, z of each vertex in data space, z as the grid holds it (before
  // the vertical scale).
  std::vector<float> points;
  std::vector<ContourLine> lines;

  // Every fifth level (k a multiple of 5) is drawn stronger.
  static bool Major(std::int64_t k) { return k % 5 == 0; }
};

// More levels than a picture can show apart; a step giving more is refused.
inline constexpr std::int64_t kMaxContourLevels = 1000;

// The number of levels k * step within [low, high].
std::int64_t ContourLevelCount(double low, double high, double step);

// What stops lines step apart over the values' range (minimum to maximum):
// more than kMaxContourLevels of them. Empty when nothing does.
QString ContourLevelsProblem(const HeightValues& values, double step);

// The lines of grid at the levels k * step of the values (values.ValueOf of
// each height), traced by trace. keepGoing is told the part of the rows
// traced so far (0 to 1) and may stop the tracing: nothing then. Throws
// cError when the levels are more than kMaxContourLevels or the tracing
// fails, cOutOfMemory when the lines cannot be held.
std::optional<ContourLines> MakeContours(const GridRef& grid, const HeightValues& values,
                                         double step, ContourGridFunction trace,
                                         const std::function<bool(double)>& keepGoing = {});
