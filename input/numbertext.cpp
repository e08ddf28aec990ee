#include "input/numbertext.h"

#include <locale.h>
#include <cassert>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QByteArray>
#include <QList>

#include "input/fpcheck.h"

// The value rules are those of the x87 extended format; a wider long double
// would round differently, a narrower one could not hold the range.
static_assert(LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384,
              "number text needs the x87 extended format as long double");

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

// Powers of ten up to 10^27 are exact in the 64-bit mantissa (5^27 < 2^64), so
// a mantissa below 2^64 times or divided by one of them is a single correctly
// rounded operation: the result the slow path would give, at a fraction of
// its cost. 10^19 > 2^64 - 1 > 10^19 - 1, so 19 digits always fit.
constexpr int kMaxExactPower = 27;
constexpr int kMaxFastDigits = 19;
constexpr long double kPowersOfTen[kMaxExactPower + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// Exponent digits stop being read once the exponent reaches this value.
constexpr int kExponentLimit = 500;

bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// mantissa × 10^scale at extended precision when that takes one exact-operand
// operation; false when it does not.
bool FastValue(std::uint64_t mantissa, std::int64_t scale, long double& value) {
  if (mantissa == 0) {
    value = 0.0L;
    return true;
  }
  // Moving zeros from the power into the mantissa keeps both exact.
  while (scale > kMaxExactPower && mantissa <= UINT64_MAX / 10) {
    mantissa *= 10;
    --scale;
  }
  if (scale < -kMaxExactPower || scale > kMaxExactPower)
    return false;
  const long double m = static_cast<long double>(mantissa);
  value = scale < 0 ? m / kPowersOfTen[-scale] : m * kPowersOfTen[scale];
  return true;
}

// Built once, never freed: the conversion must not depend on the process
// locale, which the application object sets from the environment.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  assert(c && "the C locale is always available");
  return c;
}

// The digits of a number, read from the text in two runs (before and after the
// separator); the value is their integer times 10^scale.
struct DigitRuns {
  const char* intBegin;
  const char* intEnd;
  const char* fracBegin;
  const char* fracEnd;
};

// The value of digit runs too long for the fast path, rounded to extended
// precision by strtold on a normalised copy (digits, "e", scale) in the C
// locale. Leading and trailing zeros are dropped first, so that numbers such as
// 0.000000000000000000000125 still take the fast path. Returns +inf beyond the
// extended range.
long double SlowValue(const DigitRuns& runs, std::int64_t scale) {
  const char* p = runs.intBegin;
  while (p < runs.intEnd && *p == '0')
    ++p;
  const char* fracStart = runs.fracBegin;
  if (p == runs.intEnd) {
    while (fracStart < runs.fracEnd && *fracStart == '0')
      ++fracStart;
  }
  const std::size_t intLength = static_cast<std::size_t>(runs.intEnd - p);
  const std::size_t fracLength = static_cast<std::size_t>(runs.fracEnd - fracStart);

  // Most such numbers are short; only a hostile one needs the heap.
  char local[320];
  std::string heap;
  const std::size_t capacity = intLength + fracLength + 24;
  char* digits = local;
  if (capacity > sizeof local) {
    heap.resize(capacity);
    digits = heap.data();
  }
  std::memcpy(digits, p, intLength);
  std::memcpy(digits + intLength, fracStart, fracLength);
  std::size_t length = intLength + fracLength;
  while (length > 0 && digits[length - 1] == '0') {
    --length;
    ++scale;
  }

  if (length <= kMaxFastDigits) {
    std::uint64_t mantissa = 0;
    for (std::size_t i = 0; i < length; ++i) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    }
    long double value;
    if (FastValue(mantissa, scale, value))
      return value;
  }
  char* out = digits + length;
  *out++ = 'e';
  out = std::to_chars(out, digits + capacity - 1, scale).ptr;
  *out = '\0';
  return strtold_l(digits, nullptr, CLocale());
}

}  // namespace

double TextToNumber(std::string_view text, double fallback, DecimalSeparator separator) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && *p == ' ')
    ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }

  // The mantissa is gathered on the way; it is only used when at most 19
  // digits were read (more wrap around, harmlessly: unsigned).
  std::uint64_t mantissa = 0;
  DigitRuns runs;
  runs.intBegin = p;
  while (p < end && IsDigit(*p)) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  runs.intEnd = p;
  const std::string_view sep = separator.Bytes();
  const bool hasSeparator = static_cast<std::size_t>(end - p) >= sep.size() && *p == sep[0] &&
                            std::memcmp(p, sep.data(), sep.size()) == 0;
  if (hasSeparator)
    p += sep.size();
  runs.fracBegin = p;
  while (p < end && IsDigit(*p)) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  runs.fracEnd = p;
  if (runs.intEnd == runs.intBegin && !hasSeparator)
    return fallback;

  int exponent = 0;
  if (p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool exponentNegative = false;
    if (p < end && (*p == '+' || *p == '-')) {
      exponentNegative = *p == '-';
      ++p;
    }
    // One digit at a time, and no further once the exponent has reached the
    // limit: a digit left over makes the text not a number below.
    while (exponent < kExponentLimit && p < end && IsDigit(*p)) {
      exponent = exponent * 10 + (*p - '0');
      ++p;
    }
    if (exponentNegative)
      exponent = -exponent;
  }
  while (p < end && *p == ' ')
    ++p;
  if (p != end)
    return fallback;

  const std::int64_t fractionDigits = runs.fracEnd - runs.fracBegin;
  const std::int64_t digitCount = (runs.intEnd - runs.intBegin) + fractionDigits;
  const std::int64_t scale = exponent - fractionDigits;
  long double value;
  if (digitCount > kMaxFastDigits || !FastValue(mantissa, scale, value)) {
    value = SlowValue(runs, scale);
    if (std::isinf(value))
      return fallback;  // beyond the extended range
  }
  const double result = CheckedToDouble(value);
  return negative ? -result : result;
}
