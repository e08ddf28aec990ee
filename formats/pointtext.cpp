#include "formats/pointtext.h"

#include <charconv>
#include <cmath>

namespace {

// Appends v to text. std::to_chars is correctly rounded and knows no locale;
// its fixed form of the largest double is 309 digits before the point.
void AppendNumber(std::string& text, double v) {
  if (!std::isfinite(v)) {
    text += std::signbit(v) ? '-' : '+';
    text += std::isinf(v) ? "INF" : "NAN";
    return;
  }
  char digits[320];
  const std::to_chars_result r =
      std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed, 6);
  text.append(digits, r.ptr);
}

}  // namespace

std::string NumberToText(double v) {
  std::string text;
  AppendNumber(text, v);
  return text;
}

std::string PointToText(const Vec3& point) {
  std::string text;
  text.reserve(3 * 12);
  AppendNumber(text, point.x);
  text += ',';
  AppendNumber(text, point.y);
  text += ',';
  AppendNumber(text, point.z);
  return text;
}
