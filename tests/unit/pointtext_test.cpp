#include <locale.h>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "formats/numbertext.h"
#include "formats/pointtext.h"

namespace {

TEST(PointText, WritesSixDecimals) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0.000000"},
      {-0.0, "-0.000000"},
      {-1e-9, "-0.000000"},
      {0.5, "0.500000"},
      {2.0 / 3.0, "0.666667"},
      {0.8750004999, "0.875000"},
      {0.0000005000000001, "0.000001"},
      // Exact ties go to the even digit.
      {0.0078125, "0.007812"},
      {0.0234375, "0.023438"},
      {-12.5, "-12.500000"},
      {1e20, "100000000000000000000.000000"},
      {inf, "+INF"},
      {-inf, "-INF"},
      {nan, "+NAN"},
      {std::copysign(nan, -1.0), "-NAN"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NumberToText(c.value), c.text) << c.value;
  EXPECT_EQ(NumberToText(DBL_MAX).size(), 309u + 7u);
  EXPECT_EQ(PointToText({0.875, 0.21875, 0.4375}), "0.875000,0.218750,0.437500");
}

// Whatever the locale, the same text as "%lf" in the C locale.
TEST(PointText, MatchesCLocalePrintf) {
  const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const locale_t previous = uselocale(c);
  std::mt19937_64 random(20240611);
  char expected[400];
  for (int i = 0; i < 100'000; ++i) {
    double v;
    if (i % 2 == 0) {
      const std::uint64_t bits = random();
      std::memcpy(&v, &bits, sizeof v);
      if (!std::isfinite(v))
        continue;
    } else {
      // Near the seventh decimal, where the rounding is decided.
      v = static_cast<double>(static_cast<std::int64_t>(random() % 40'000'000) - 20'000'000) /
          (i % 4 == 1 ? 1e7 : 1048576.0);
    }
    std::snprintf(expected, sizeof expected, "%lf", v);
    ASSERT_EQ(NumberToText(v), expected) << i;
  }
  uselocale(previous);
  freelocale(c);
}

// Puts back the process locale however the test ends.
class ProcessLocale {
 public:
  ProcessLocale() : saved_(setlocale(LC_ALL, nullptr)) {}
  ~ProcessLocale() { setlocale(LC_ALL, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST(PointText, IgnoresAGermanProcessLocale) {
  ProcessLocale restore;
  if (!setlocale(LC_ALL, "de_DE.UTF-8"))
    GTEST_SKIP() << "no German locale here";
  char printed[32];
  std::snprintf(printed, sizeof printed, "%lf", 0.5);
  ASSERT_STREQ(printed, "0,500000") << "the German locale writes a comma";
  EXPECT_EQ(PointToText({0.5, -0.25, 1.0}), "0.500000,-0.250000,1.000000");
  EXPECT_EQ(TextToNumber("0.5", 7.0, DecimalSeparator('.')), 0.5);
  EXPECT_EQ(TextToNumber("1234567890.12345678901234e-3", 7.0, DecimalSeparator('.')),
            1234567.89012345678901234);
}

}  // namespace
