#include "support/textreference.h"

#include <locale.h>
#include <cmath>
#include <cstdlib>

namespace {

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

bool Blank(char c) {
  return c >= 1 && c <= 32;
}

std::string_view UpToZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace

ReferenceNumber ReadReferenceNumber(std::string_view t, std::string_view separator) {
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ')
    ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-'))
    negative = t[i++] == '-';
  std::string digits;
  std::size_t intDigits = 0;
  while (i < t.size() && Digit(t[i])) {
    digits += t[i++];
    ++intDigits;
  }
  bool separatorRead = false;
  if (!separator.empty() && t.substr(i).starts_with(separator)) {
    separatorRead = true;
    i += separator.size();
  }
  long fracDigits = 0;
  while (i < t.size() && Digit(t[i])) {
    digits += t[i++];
    ++fracDigits;
  }
  if (intDigits == 0 && !separatorRead)
    return {};
  long exponent = 0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
      negativeExponent = t[i++] == '-';
    while (exponent < 500 && i < t.size() && Digit(t[i]))
      exponent = exponent * 10 + (t[i++] - '0');
    if (negativeExponent)
      exponent = -exponent;
  }
  while (i < t.size() && t[i] == ' ')
    ++i;
  if (i != t.size())
    return {};

  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string normalised = "0" + digits + "e" + std::to_string(exponent - fracDigits);
  const long double extended = strtold_l(normalised.c_str(), nullptr, c);
  if (std::isinf(extended))
    return {};
  const double d = static_cast<double>(extended);
  if (std::isinf(d))
    return {ReferenceNumber::kOverflow, 0};
  return {ReferenceNumber::kValue, negative ? -d : d};
}

std::vector<std::string> SplitReferenceItems(std::string_view text) {
  const std::string_view t = UpToZero(text);
  std::vector<std::string> items;
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < t.size() && Blank(t[i]))
      ++i;
  };
  skipBlanks();
  while (i < t.size()) {
    std::string item;
    if (t[i] == '"') {
      ++i;
      for (;;) {
        while (i < t.size() && t[i] != '"')
          item += t[i++];
        if (i + 1 < t.size() && t[i + 1] == '"') {
          item += '"';
          i += 2;
          continue;
        }
        if (i < t.size())
          ++i;  // the closing quote
        break;
      }
    } else {
      while (i < t.size() && !Blank(t[i]) && t[i] != ',')
        item += t[i++];
    }
    items.push_back(item);
    skipBlanks();
    if (i < t.size() && t[i] == ',') {
      if (i + 1 == t.size())
        items.emplace_back();
      ++i;
      skipBlanks();
    }
  }
  return items;
}

ReferenceGrid ReadReferenceGrid(std::string_view text, std::string_view separator) {
  const std::string_view t = UpToZero(text);
  std::vector<std::string_view> lines;
  for (std::size_t i = 0; i < t.size();) {
    const std::size_t start = i;
    while (i < t.size() && t[i] != '\r' && t[i] != '\n')
      ++i;
    lines.push_back(t.substr(start, i - start));
    if (i < t.size() && t[i] == '\r')
      ++i;
    if (i < t.size() && t[i] == '\n')
      ++i;
  }

  ReferenceGrid grid;
  grid.lines = lines.size();
  int run = 0;
  bool lastIsData = false;
  for (std::string_view line : lines) {
    const std::vector<std::string> items = SplitReferenceItems(line);
    lastIsData = !items.empty();
    if (items.empty()) {
      grid.columns = run;
      ++grid.rows;
      run = 0;
      continue;
    }
    Vec3 point{};
    double* coordinates[3] = {&point.x, &point.y, &point.z};
    for (std::size_t k = 0; k < 3; ++k) {
      if (k >= items.size()) {
        grid.error = "リストのインデックスが範囲を超えています (" + std::to_string(k) + ")";
        return grid;
      }
      const ReferenceNumber n = ReadReferenceNumber(items[k], separator);
      if (n.kind == ReferenceNumber::kOverflow) {
        grid.error = "浮動小数点数のオーバーフロー";
        return grid;
      }
      *coordinates[k] = n.kind == ReferenceNumber::kValue ? n.value : 0.0;
    }
    grid.points.push_back(point);
    ++run;
  }
  if (lastIsData)
    ++grid.rows;
  const long long read = static_cast<long long>(grid.points.size());
  if (grid.columns > 0 && static_cast<long long>(grid.columns) * grid.rows > read)
    grid.rows = static_cast<int>(read / grid.columns);
  return grid;
}
