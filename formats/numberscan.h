#pragma once
// The grammar of number text and the value of what it read, shared by
// TextToNumber and the point-grid reader, which reads its items in place and
// needs the same numbers at several hundred megabytes a second. Not for other
// callers: use TextToNumber (numbertext.h).

#include <array>
#include <bit>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The value rules are those of the x87 extended format; a wider long double
// would round differently, a narrower one could not hold the range.
static_assert(LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384,
              "number text needs the x87 extended format as long double");
static_assert(std::endian::native == std::endian::little, "digits are read as little-endian words");

namespace numbertext {

// What the grammar read from the text: sign, digits before and after the
// separator, exponent (after the 500 rule); the value is the integer of all
// digits times 10^(exponent - digits after the separator).
struct NumberScan {
  const char* stop;  // the first byte the grammar did not take
  bool isNumber;     // a digit or the separator was read
  bool negative;
  std::uint64_t mantissa;  // the digits' integer; wrapped when more than 19
  const char* intBegin;
  const char* intEnd;
  const char* fracBegin;
  const char* fracEnd;
  int exponent;
};

inline constexpr int kMaxFastDigits = 19;  // 10^19 - 1 < 2^64
inline constexpr int kMaxExactPower = 27;  // 5^27 < 2^64: 10^27 is exact in 64 bits
inline constexpr int kExponentLimit = 500;

inline constexpr std::array<std::uint64_t, 20> kIntegerPowersOfTen = [] {
  std::array<std::uint64_t, 20> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i)
    powers[i] = powers[i - 1] * 10;
  return powers;
}();

inline constexpr long double kPowersOfTen[kMaxExactPower + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

inline bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// The value of eight decimal digits held one per byte (0 to 9), the first in
// the lowest byte; leading zero bytes read as leading zeros.
inline std::uint64_t EightDigits(std::uint64_t digits) {
  digits = digits * 10 + (digits >> 8);
  constexpr std::uint64_t kPairs = 0x000000FF000000FF;
  return (((digits & kPairs) * (100 + (std::uint64_t{1000000} << 32))) +
          (((digits >> 16) & kPairs) * (1 + (std::uint64_t{10000} << 32)))) >>
         32;
}

// Reads the run of digits from p, not beyond end, onto mantissa (mantissa ×
// 10^n + the run's value); returns the run's end. Eight bytes at a time while
// eight remain, which saves a branch per digit, and with it the mispredicted
// loop exit that a run of varying length costs.
inline const char* ReadDigits(const char* p, const char* end, std::uint64_t& mantissa) {
  constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0;
  constexpr std::uint64_t kThrees = 0x3030303030303030;
  while (end - p >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    // A byte is a digit when its high nibble is 3, also after adding 6. A
    // carry out of a byte of 0xFA or more spoils only later bytes, and that
    // byte already ends the run.
    const std::uint64_t notDigits = ((word & kHighNibbles) ^ kThrees) |
                                    (((word + 0x0606060606060606) & kHighNibbles) ^ kThrees);
    const int n = notDigits == 0 ? 8 : std::countr_zero(notDigits) / 8;
    if (n == 0)
      return p;
    // Subtracting borrows only upwards, out of bytes past the run, which the
    // shift then drops.
    mantissa = mantissa * kIntegerPowersOfTen[n] + EightDigits((word - kThrees) << (64 - 8 * n));
    p += n;
    if (n < 8)
      return p;
  }
  while (p < end && IsDigit(*p)) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  return p;
}

// Reads sign, digits, separator, digits and exponent from p (no blanks before
// them). separator may be empty: no separator is read then. Always inlined:
// as a call, its result would go through memory, at a fifth of the parse.
[[gnu::always_inline]] inline NumberScan ScanNumber(const char* p, const char* end,
                                                    std::string_view separator) {
  NumberScan s;
  s.negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    s.negative = *p == '-';
    ++p;
  }
  s.mantissa = 0;
  s.intBegin = p;
  // A single digit, as before the separator of most coordinates, is cheaper
  // read alone.
  if (end - p >= 2 && IsDigit(p[0]) && !IsDigit(p[1])) {
    s.mantissa = static_cast<std::uint64_t>(p[0] - '0');
    ++p;
  } else {
    p = ReadDigits(p, end, s.mantissa);
  }
  s.intEnd = p;
  const std::size_t size = separator.size();
  const bool hasSeparator =
      p < end && size > 0 && *p == separator[0] &&
      (size == 1 || (static_cast<std::size_t>(end - p) >= size &&
                     std::memcmp(p + 1, separator.data() + 1, size - 1) == 0));
  if (hasSeparator)
    p += size;
  s.fracBegin = p;
  p = ReadDigits(p, end, s.mantissa);
  s.fracEnd = p;
  s.isNumber = s.intEnd != s.intBegin || hasSeparator;
  s.exponent = 0;
  if (s.isNumber && p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExponent = false;
    if (p < end && (*p == '+' || *p == '-')) {
      negativeExponent = *p == '-';
      ++p;
    }
    // One digit at a time, and no further once the exponent has reached the
    // limit: a digit left over is not taken.
    while (s.exponent < kExponentLimit && p < end && IsDigit(*p)) {
      s.exponent = s.exponent * 10 + (*p - '0');
      ++p;
    }
    if (negativeExponent)
      s.exponent = -s.exponent;
  }
  s.stop = p;
  return s;
}

// mantissa × 10^scale for |scale| <= kMaxExactPower, negated when negative.
// Both operands are exact in 64 bits, so one operation rounds the exact value
// once to extended precision; the conversion then rounds it to double. No
// overflow is possible.
inline double ExactValue(std::uint64_t mantissa, std::ptrdiff_t scale, bool negative) {
  // The signed conversion is one instruction, and most mantissas fit it.
  const long double m = mantissa <= static_cast<std::uint64_t>(INT64_MAX)
                            ? static_cast<long double>(static_cast<std::int64_t>(mantissa))
                            : static_cast<long double>(mantissa);
  const double v =
      static_cast<double>(scale < 0 ? m / kPowersOfTen[-scale] : m * kPowersOfTen[scale]);
  return negative ? -v : v;
}

// The value of a number that needs more than one exact operation: defined in
// numbertext.cpp. Same contract as NumberValue.
bool SlowNumberValue(const NumberScan& scan, double& value);

// The value of a scan whose isNumber is set: false when it lies beyond the
// extended range (the text is then not a number). Throws cOverflow
// (base/errors.h) when it lies beyond the double range only.
inline bool NumberValue(const NumberScan& scan, double& value) {
  const std::ptrdiff_t fractionDigits = scan.fracEnd - scan.fracBegin;
  const std::ptrdiff_t digitCount = (scan.intEnd - scan.intBegin) + fractionDigits;
  const std::ptrdiff_t scale = scan.exponent - fractionDigits;
  if (digitCount > kMaxFastDigits || scale < -kMaxExactPower || scale > kMaxExactPower)
    return SlowNumberValue(scan, value);
  value = ExactValue(scan.mantissa, scale, scan.negative);
  return true;
}

}  // namespace numbertext
