#pragma once
// The numbers shown to the user in the picture (colour bar, axes, the value
// under the cursor): round values to mark a range with, and one way of
// writing a number, with "." as the decimal point whatever the locale, as
// the point table writes its numbers.

#include <vector>

#include <QString>

// Round values (1, 2 or 5 times a power of ten apart) from low to high, both
// ends included where they are round, about `about` of them: k * step for
// the whole numbers k with low <= k * step <= high. low and high may come in
// either order. A single value (low == high) gives itself; non-finite ends
// give nothing.
std::vector<double> RoundValues(double low, double high, int about = 5);

// The distance between RoundValues(low, high, about).
double RoundStep(double low, double high, int about = 5);

// value written with as many decimals as step needs (step 0.25 gives two,
// step 5 none), so that the values of one scale all have the same; in
// exponent form for magnitudes from 1e7 on or steps below 1e-4; a value that
// rounds to zero without its sign. step <= 0 or not finite: six significant
// digits.
QString FormatNumber(double value, double step);
