#pragma once
// Checked floating-point steps. Our arithmetic never lets an infinity or a NaN
// through silently: a division by zero, an invalid operation and an overflow
// each raise their error (errors.h), so that the user sees what went wrong and
// the data already on screen stays as it was. Underflow and rounding stay silent.

#include <cmath>

#include "base/errors.h"

// a / b at extended precision. Throws cInvalidOp for 0/0, inf/inf or a NaN operand,
// cZeroDivide for x/0, cOverflow when the quotient leaves the extended range.
inline long double CheckedDivide(long double a, long double b) {
  if (std::isnan(a) || std::isnan(b))
    throw cInvalidOp();
  if (b == 0.0L) {
    if (a == 0.0L)
      throw cInvalidOp();
    throw cZeroDivide();
  }
  const long double q = a / b;
  if (std::isnan(q))
    throw cInvalidOp();
  if (std::isinf(q) && !std::isinf(a))
    throw cOverflow();
  return q;
}

// Rounds an extended value to double. Throws cOverflow when it lies beyond the
// double range (rounding would give an infinity), cInvalidOp for a NaN.
inline double CheckedToDouble(long double v) {
  if (std::isnan(v))
    throw cInvalidOp();
  const double d = static_cast<double>(v);
  if (std::isinf(d) && !std::isinf(v))
    throw cOverflow();
  return d;
}
