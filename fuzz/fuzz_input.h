#pragma once
// What the text fuzz targets share: the first byte of an input chooses the
// decimal separator, so that one corpus reaches the point, the comma and a
// separator of several bytes; the rest is the text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <QChar>
#include <QString>

#include "formats/numbertext.h"

struct FuzzText {
  DecimalSeparator separator;
  std::string_view text;
};

// ',' chooses the comma, '~' the Arabic decimal separator (two bytes in
// UTF-8), anything else the point.
inline FuzzText SplitFuzzInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return {DecimalSeparator('.'), {}};
  static const DecimalSeparator arabic = DecimalSeparator::FromSymbol(QString(QChar(0x066B)));
  const DecimalSeparator separator = data[0] == ','   ? DecimalSeparator(',')
                                     : data[0] == '~' ? arabic
                                                      : DecimalSeparator('.');
  return {separator, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

// Stops the fuzzer with the input saved as a crash: a broken promise, not a
// sanitizer report, so it must abort by hand.
#define FUZZ_CHECK(condition)                                                                 \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      __builtin_fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_abort();                                                                      \
    }                                                                                         \
  } while (0)
