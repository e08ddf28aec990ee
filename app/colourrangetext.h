#pragma once
// The colour range as the user writes it, on the command line (--range) and
// in the picture menu's "Other…": "full", "LOW,HIGH" in the data's own terms,
// or "P1%,P2%", percentiles of the data's values. Plain functions, so that
// they are tried without a window.

#include <variant>

#include <QString>

struct ColourRange {
  enum class Kind { kFull, kValues, kPercentiles };
  Kind kind = Kind::kFull;
  // kValues: the values at the ends; kPercentiles: the percents, 0 to 100.
  double low = 0.0;
  double high = 0.0;

  bool operator==(const ColourRange&) const = default;
};

// The range text gives, or what is wrong with it (a sentence without the
// option's name). Blanks around the numbers are allowed, "." is the decimal
// point whatever the locale. Wrong: empty, not two numbers, one with % and
// one without, a percent outside 0 to 100, ends not rising, or an end that is
// not finite. Throws nothing.
std::variant<ColourRange, QString> ReadColourRange(const QString& text);

// range as ReadColourRange reads it back: "full", "200,9800", "2%,98%".
QString ColourRangeText(const ColourRange& range);
