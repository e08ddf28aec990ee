#pragma once
// Which values the surface's colours span: the bands divide [low, high], in
// the data's own terms (heightvalues.h), evenly or by their logarithm; values
// outside take the end colours. The full range, {values.Low(),
// values.High(), false}, is what the program always drew.

#include <cmath>

struct ColourScale {
  double low = 0.0;
  double high = 1.0;
  // Bands equal in log(v): only where low > 0, so that every value of the
  // range has a logarithm.
  bool log = false;

  // Where v lies in the range, 0 at low and 1 at high, beyond them outside;
  // with log a value <= 0 lies at 0. A range of one value puts everything at
  // 1/2, as heights of equal ends are.
  double Position(double v) const {
    if (high == low)
      return 0.5;
    if (!log)
      return (v - low) / (high - low);
    if (!(v > 0.0))
      return 0.0;
    return (std::log(v) - std::log(low)) / (std::log(high) - std::log(low));
  }

  bool operator==(const ColourScale&) const = default;
};
