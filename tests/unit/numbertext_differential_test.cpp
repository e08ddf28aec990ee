// The conversion against strtold in the C locale on normalised text, over
// generated texts: the same accept or reject, the same double, the same
// overflow. Fixed seed, so that a failure can be replayed.
#include <locale.h>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "formats/numbertext.h"
#include "support/textreference.h"

namespace {

// A generated number text and what it must give.
struct Sample {
  std::string text;
  bool accepted = true;    // by the text rules alone
  std::string normalised;  // digits "e" scale, for strtold
  // A character put in at random: what it does is left to the plain reading
  // of the rules (support/textreference.h).
  bool mutated = false;
};

class Generator {
 public:
  Generator(std::uint64_t seed, std::string_view separator) : random_(seed), sep_(separator) {}

  Sample Next() {
    if (Pick(8) == 0)
      return NearMidpoint();
    Sample s;
    if (Pick(50) == 0) {
      s.text += '\t';
      s.accepted = false;
    }
    s.text.append(Pick(4) == 0 ? Pick(3) : 0, ' ');
    const int sign = static_cast<int>(Pick(3));
    if (sign)
      s.text += sign == 1 ? '+' : '-';
    const std::string intDigits = Digits(Length());
    const bool hasSeparator = Pick(4) != 0;
    const std::string fracDigits = hasSeparator ? Digits(Length()) : std::string();
    s.text += intDigits;
    if (hasSeparator)
      s.text += sep_;
    s.text += fracDigits;
    if (intDigits.empty() && !hasSeparator)
      s.accepted = false;

    long exponent = 0;
    if (Pick(3) == 0) {
      s.text += Pick(2) ? 'e' : 'E';
      const int expSign = static_cast<int>(Pick(3));
      if (expSign)
        s.text += expSign == 1 ? '+' : '-';
      std::string digits = Pick(6) == 0 ? std::string(Pick(20), '0') : std::string();
      digits += Digits(Pick(5));
      s.text += digits;
      // Digits are read until the exponent reaches 500; one more is too many.
      std::size_t read = 0;
      while (read < digits.size() && exponent < 500)
        exponent = exponent * 10 + (digits[read++] - '0');
      if (read < digits.size())
        s.accepted = false;
      if (expSign == 2)
        exponent = -exponent;
    }
    s.text.append(Pick(4) == 0 ? Pick(3) : 0, ' ');
    if (Pick(20) == 0) {
      // A second sign, separator or exponent, a blank inside, a stray letter.
      const std::string stray = std::string("+-eE x9\t") + std::string(sep_);
      const char c = stray[Pick(stray.size())];
      const std::size_t at = Pick(s.text.size() + 1);  // the end included
      if (at == s.text.size() || Pick(2) == 0) {
        s.text.insert(at, 1, c);
      } else {
        s.text[at] = c;
      }
      s.mutated = true;
    }
    s.normalised = std::string(sign == 2 ? "-" : "") + "0" + intDigits + fracDigits + "e" +
                   std::to_string(exponent - static_cast<long>(fracDigits.size()));
    return s;
  }

 private:
  std::uint64_t Pick(std::uint64_t n) { return n ? random_() % n : 0; }

  std::size_t Length() {
    const std::uint64_t kind = Pick(10);
    return kind < 6 ? Pick(4) : kind < 9 ? Pick(20) : Pick(45);
  }

  std::string Digits(std::size_t n) {
    std::string digits(n, '0');
    const bool zeros = Pick(5) == 0;  // runs of leading zeros
    for (std::size_t i = 0; i < n; ++i) {
      if (!(zeros && i < n / 2))
        digits[i] = static_cast<char>('0' + Pick(10));
    }
    return digits;
  }

  // Texts of 17 to 21 digits at or next to the midpoint between two doubles,
  // where rounding twice (to extended, then to double) decides the result.
  Sample NearMidpoint() {
    double d;
    do {
      const std::uint64_t bits = random_() & 0x7fffffffffffffffu;
      std::memcpy(&d, &bits, sizeof d);
    } while (!std::isfinite(d) || d == 0 || d == DBL_MAX);
    if (Pick(2)) {
      int exponent;
      d = std::ldexp(std::frexp(d, &exponent), static_cast<int>(Pick(200)) - 100);
    }
    const long double mid =
        (static_cast<long double>(d) + std::nextafter(d, HUGE_VAL)) / 2.0L;  // exact
    char buffer[64];
    const int precision = 16 + static_cast<int>(Pick(5));
    char* end =
        std::to_chars(buffer, buffer + sizeof buffer, mid, std::chars_format::scientific, precision)
            .ptr;
    *end = '\0';
    // d.ddddde±x → int digit, fraction digits, exponent; the last digit nudged.
    std::string fraction(buffer + 2, std::strchr(buffer, 'e'));
    char& last = fraction.back();
    const std::uint64_t nudge = Pick(3);
    if (nudge == 1 && last < '9')
      ++last;
    if (nudge == 2 && last > '0')
      --last;
    const long exponent = std::strtol(std::strchr(buffer, 'e') + 1, nullptr, 10);
    Sample s;
    s.text =
        std::string(1, buffer[0]) + std::string(sep_) + fraction + "e" + std::to_string(exponent);
    s.normalised = std::string(1, buffer[0]) + fraction + "e" +
                   std::to_string(exponent - static_cast<long>(fraction.size()));
    return s;
  }

  std::mt19937_64 random_;
  std::string_view sep_;
};

void Compare(std::string_view separatorText, char separator, std::uint64_t seed, int count) {
  const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  Generator generator(seed, separatorText);
  const double fallback = std::numeric_limits<double>::quiet_NaN();
  int overflows = 0, rejected = 0;
  for (int i = 0; i < count; ++i) {
    const Sample s = generator.Next();
    bool expectOverflow = false;
    double expected = fallback;
    if (s.mutated) {
      const ReferenceNumber r = ReadReferenceNumber(s.text, separatorText);
      expectOverflow = r.kind == ReferenceNumber::kOverflow;
      if (r.kind == ReferenceNumber::kValue)
        expected = r.value;
    } else if (s.accepted) {
      const long double reference = strtold_l(s.normalised.c_str(), nullptr, c);
      if (!std::isinf(reference)) {
        expected = static_cast<double>(reference);
        expectOverflow = std::isinf(expected);
      }
    }
    double got;
    try {
      got = TextToNumber(s.text, fallback, DecimalSeparator(separator));
    } catch (const cOverflow&) {
      ASSERT_TRUE(expectOverflow) << "unexpected overflow, text \"" << s.text << "\"";
      ++overflows;
      continue;
    }
    ASSERT_FALSE(expectOverflow) << "no overflow, text \"" << s.text << "\"";
    if (std::isnan(got))
      ++rejected;
    ASSERT_TRUE(std::memcmp(&got, &expected, sizeof got) == 0 ||
                (std::isnan(got) && std::isnan(expected)))
        << "text \"" << s.text << "\" gave " << got << ", reference " << expected << " from "
        << s.normalised;
  }
  // The generator must reach every outcome, or the comparison proves little.
  EXPECT_GT(overflows, count / 1000);
  EXPECT_GT(rejected, count / 20);
  freelocale(c);
}

// A million texts in all: about two seconds, and a few more in the sanitizer
// build.
constexpr int kTexts = 500'000;

TEST(NumberTextDifferential, AgreesWithStrtoldWithPoint) {
  Compare(".", '.', 1, kTexts);
}
TEST(NumberTextDifferential, AgreesWithStrtoldWithComma) {
  Compare(",", ',', 2, kTexts);
}

}  // namespace
