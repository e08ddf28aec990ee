#pragma once
// Number text: how a point-grid item or a point-table cell becomes a double.
//
// Accepted: spaces, an optional sign, digits with at most one decimal
// separator (at least one digit or the separator), an optional exponent
// ("e" or "E", optional sign, digits; none counts as 0), spaces. Only the
// space character counts as a blank. Exponent digits are read until the
// exponent reaches 500; a digit after that makes the text not a number.
//
// The value is the exact decimal rounded once to extended precision (64-bit
// mantissa) and then to double. A value beyond the extended range makes the
// text not a number; one within it but beyond the double range is an error.
//
// Never depends on the process locale, which the application object sets from
// the environment and which strtod, printf and streams follow: the separator
// is a parameter, and the rare number that needs strtold gets it in a C locale
// of its own.

#include <string_view>

#include <QString>

// The decimal separator of number text: one character, held as its UTF-8 bytes.
class DecimalSeparator {
 public:
  // c: an ASCII character ('.' or ',').
  constexpr explicit DecimalSeparator(char c = '.') : bytes_{c, 0, 0, 0}, size_(1) {}

  // The regional decimal symbol as the locale gives it (QLocale::decimalPoint):
  // used when it is a single character, "." when it is longer or empty.
  static DecimalSeparator FromSymbol(const QString& symbol);

  // The separator's UTF-8 bytes, one to four.
  std::string_view Bytes() const { return {bytes_, size_}; }

 private:
  char bytes_[4];
  unsigned char size_;
};

// The value of text, or fallback when the text is not a number. The text is
// only read. Throws cOverflow (base/errors.h) when the value lies within the
// extended range but beyond the double range (for example 1e400).
double TextToNumber(std::string_view text, double fallback, DecimalSeparator separator);
