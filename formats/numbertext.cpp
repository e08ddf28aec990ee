#include "formats/numbertext.h"

#include <locale.h>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include <QByteArray>
#include <QList>

#include "base/fpcheck.h"
#include "formats/numberscan.h"

DecimalSeparator DecimalSeparator::FromSymbol(const QString& symbol) {
  const QList<uint> characters = symbol.toUcs4();
  if (characters.size() != 1 || characters[0] == 0)
    return DecimalSeparator('.');
  const QByteArray utf8 = symbol.toUtf8();
  if (utf8.isEmpty() || utf8.size() > 4)
    return DecimalSeparator('.');
  DecimalSeparator separator;
  std::memcpy(separator.bytes_, utf8.constData(), static_cast<std::size_t>(utf8.size()));
  separator.size_ = static_cast<unsigned char>(utf8.size());
  return separator;
}

namespace {

// Built once, never freed: the conversion must not depend on the process
// locale, which the application object sets from the environment.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  assert(c && "the C locale is always available");
  return c;
}

}  // namespace

namespace numbertext {

// Leading and trailing zeros are dropped first, so that numbers such as
// 0.000000000000000000000125 or 1.50000000000000000000 still take one exact
// operation; the rest goes to strtold on a normalised copy (digits, "e",
// scale) in the C locale, which rounds correctly to extended precision.
bool SlowNumberValue(const NumberScan& scan, double& value) {
  std::ptrdiff_t scale = scan.exponent - (scan.fracEnd - scan.fracBegin);
  const char* first = scan.intBegin;
  while (first < scan.intEnd && *first == '0')
    ++first;
  const char* fracFirst = scan.fracBegin;
  if (first == scan.intEnd) {
    while (fracFirst < scan.fracEnd && *fracFirst == '0')
      ++fracFirst;
  }
  const std::size_t intLength = static_cast<std::size_t>(scan.intEnd - first);
  const std::size_t fracLength = static_cast<std::size_t>(scan.fracEnd - fracFirst);

  // Most such numbers are short; only a hostile one needs the heap.
  char local[320];
  std::string heap;
  const std::size_t capacity = intLength + fracLength + 24;  // "e", sign, 19 digits, zero
  char* digits = local;
  if (capacity > sizeof local) {
    heap.resize(capacity);
    digits = heap.data();
  }
  std::memcpy(digits, first, intLength);
  std::memcpy(digits + intLength, fracFirst, fracLength);
  std::size_t length = intLength + fracLength;
  while (length > 0 && digits[length - 1] == '0') {
    --length;
    ++scale;
  }

  if (length <= kMaxFastDigits) {
    std::uint64_t mantissa = 0;
    for (std::size_t i = 0; i < length; ++i)
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    // Moving zeros from the power into the mantissa keeps both exact.
    std::ptrdiff_t power = scale;
    while (power > kMaxExactPower && mantissa != 0 && mantissa <= UINT64_MAX / 10) {
      mantissa *= 10;
      --power;
    }
    if (mantissa == 0 || (power >= -kMaxExactPower && power <= kMaxExactPower)) {
      value = ExactValue(mantissa, mantissa == 0 ? 0 : power, scan.negative);
      return true;
    }
  }
  char* out = digits + length;
  *out++ = 'e';
  out = std::to_chars(out, digits + capacity - 1, static_cast<long long>(scale)).ptr;
  *out = '\0';
  const long double extended = strtold_l(digits, nullptr, CLocale());
  if (std::isinf(extended))
    return false;  // beyond the extended range: not a number
  const double v = CheckedToDouble(extended);
  value = scan.negative ? -v : v;
  return true;
}

}  // namespace numbertext

double TextToNumber(std::string_view text, double fallback, DecimalSeparator separator) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && *p == ' ')
    ++p;
  const numbertext::NumberScan scan = numbertext::ScanNumber(p, end, separator.Bytes());
  if (!scan.isNumber)
    return fallback;
  p = scan.stop;
  while (p < end && *p == ' ')
    ++p;
  double value;
  if (p != end || !numbertext::NumberValue(scan, value))
    return fallback;
  return value;
}
