#pragma once
// The gradient of a grid at a point from the 3 x 3 points around it, by
// Horn's weighting as elevation tools (gdaldem, GIS slope tools) take it:
// the middle row and column count twice, so that one noisy neighbour does
// not turn the slope, and the readout agrees with what those tools print
// for the same cells.

#include <array>
#include <cmath>
#include <optional>

struct Gradient {
  double alongColumns;  // change per step to the next column
  double alongRows;     // change per step to the next row
};

// z holds the 3 x 3 values row after row, the row before the point first:
//   a b c
//   d e f
//   g h i
// The change per step along columns, ((c + 2f + i) - (a + 2d + g)) / 8, and
// along rows, ((g + 2h + i) - (a + 2b + c)) / 8. Nothing when any of the nine
// is NaN (missing, or beyond the grid's edge): the point is then not one
// whose slope the grid tells, as gdaldem leaves its edges without
// -compute_edges.
inline std::optional<Gradient> HornGradient(const std::array<double, 9>& z) {
  for (const double v : z) {
    if (std::isnan(v))
      return std::nullopt;
  }
  // The point itself, z[4], weighs nothing in either difference.
  const double a = z[0], b = z[1], c = z[2], d = z[3], f = z[5], g = z[6], h = z[7], i = z[8];
  return Gradient{((c + 2.0 * f + i) - (a + 2.0 * d + g)) / 8.0,
                  ((g + 2.0 * h + i) - (a + 2.0 * b + c)) / 8.0};
}
