#pragma once
// Slow, literal readings of the text rules, for the fuzz targets and the
// differential tests to compare against: one byte at a time, no word tricks,
// no fast paths, no code shared with formats/. Where the product reads the same
// text differently, one of the two is wrong.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/vec3.h"

struct ReferenceNumber {
  enum Kind { kNotANumber, kValue, kOverflow } kind = kNotANumber;
  double value = 0;
};

// Number text with the given separator bytes: the value from strtold in the C
// locale on the normalised digits, or not a number, or beyond the double range.
ReferenceNumber ReadReferenceNumber(std::string_view text, std::string_view separator);

// Comma-text items of text, which ends at its first zero byte.
std::vector<std::string> SplitReferenceItems(std::string_view text);

struct ReferenceGrid {
  std::string error;  // the message of the error that ends the load, or empty
  std::vector<Vec3> points;
  std::size_t lines = 0;
  int columns = 0;
  int rows = 0;
};

// A point-grid text: lines cut, items split and numbers read by the two
// functions above; the counts clipped to the complete rows read.
ReferenceGrid ReadReferenceGrid(std::string_view text, std::string_view separator);
