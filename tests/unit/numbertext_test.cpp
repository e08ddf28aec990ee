#include <locale.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "formats/numbertext.h"

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
// Marks the rows where the conversion must throw cOverflow.
constexpr double kOverflow = std::numeric_limits<double>::infinity();

struct NumberCase {
  std::string_view text;
  double value;  // kNotANumber: the fallback; kOverflow: cOverflow
};

bool SameDouble(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void Check(const NumberCase& c, DecimalSeparator separator) {
  SCOPED_TRACE(testing::Message() << "text \"" << c.text << "\", separator \"" << separator.Bytes()
                                  << "\"");
  if (c.value == kOverflow) {
    EXPECT_THROW(TextToNumber(c.text, 7.0, separator), cOverflow);
    return;
  }
  const double fallback = 7.0;
  const double got = TextToNumber(c.text, fallback, separator);
  // Bit for bit, so that the sign of zero counts too.
  EXPECT_TRUE(SameDouble(got, std::isnan(c.value) ? fallback : c.value))
      << "got " << got << ", expected " << c.value;
}

TEST(NumberText, ReadsWithPointSeparator) {
  const NumberCase cases[] = {
      {"0.25", 0.25},
      {"+.5", 0.5},
      {"5.", 5.0},
      {".", 0.0},
      {"1e-1", 0.1},
      {"1E+2", 100.0},
      {"1e", 1.0},
      {"e5", kNotANumber},
      {"1.2.3", kNotANumber},
      {"0x10", kNotANumber},
      {"-", kNotANumber},
      {"1e5000", kNotANumber},
      {"1e999", kOverflow},
      // A lone separator after a sign, and zeros, keep the sign.
      {"-.", -0.0},
      {"-0", -0.0},
      {"-0e999", -0.0},
      {"+", kNotANumber},
      {"", kNotANumber},
      {" ", kNotANumber},
      {"  1.5  ", 1.5},
      {"- 1", kNotANumber},
      // Only the space is a blank here.
      {"\t1", kNotANumber},
      {"1\t", kNotANumber},
      {"1\xc2\xa0", kNotANumber},
      {"1 000", kNotANumber},
      {"1,5", kNotANumber},
      {"inf", kNotANumber},
      {"nan", kNotANumber},
      {"1e+", 1.0},
      {"1e-", 1.0},
      {"1e+-1", kNotANumber},
      {"1e0000000000000002", 100.0},
      {"1e499", kOverflow},
      {"-1e400", kOverflow},
      {"1e-5000", kNotANumber},
      {"1e-999", 0.0},
      {"-1e-999", -0.0},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      {"0.000000000000000000000000000000000125", 1.25e-34},
      {"1.7976931348623157e308", 1.7976931348623157e308},
      {"1.7976931348623159e308", kOverflow},
      {"4.9406564584124654e-324", 4.9406564584124654e-324},
      // Rounded first to extended precision, then to double: each lands on a
      // midpoint between two doubles and goes to the even one, where a direct
      // rounding would have gone up.
      {"8901818.539437090047", 8901818.53943709},
      {"43.9887397", 43.988739699999996},
      {"12.023925083510", 12.023925083510001},
      {"0.244151322679676", 0.24415132267967599},
      {"178405.7773927659", 178405.77739276591},
      {"1.000000000000000111035854989671722847788259969092905521392822265625", 1.0},
  };
  for (const NumberCase& c : cases)
    Check(c, DecimalSeparator('.'));
}

TEST(NumberText, ReadsWithCommaSeparator) {
  const NumberCase cases[] = {
      {"0,25", 0.25},         {",5", 0.5},          {",", 0.0},
      {"-,", -0.0},           {"1.5", kNotANumber}, {"0.25", kNotANumber},
      {"1,2,3", kNotANumber}, {"1,5e1", 15.0},      {"8901818,539437090047", 8901818.53943709},
  };
  for (const NumberCase& c : cases)
    Check(c, DecimalSeparator(','));
}

TEST(NumberText, SeparatorFromRegionalSymbol) {
  EXPECT_EQ(DecimalSeparator::FromSymbol(",").Bytes(), ",");
  EXPECT_EQ(DecimalSeparator::FromSymbol("").Bytes(), ".");
  EXPECT_EQ(DecimalSeparator::FromSymbol(",,").Bytes(), ".");
  // A character outside ASCII is matched by all of its bytes.
  const DecimalSeparator arabic = DecimalSeparator::FromSymbol(QString(QChar(0x066b)));
  EXPECT_EQ(arabic.Bytes(), "\xd9\xab");
  Check({"1\xd9\xab"
         "5",
         1.5},
        arabic);
  Check({"1.5", kNotANumber}, arabic);
  Check({"1\xd9", kNotANumber}, arabic);
}

// The reference value of a long digit text: strtold in the C locale, which is
// what the conversion must agree with.
long double Reference(const std::string& text) {
  const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const long double value = strtold_l(text.c_str(), nullptr, c);
  freelocale(c);
  return value;
}

TEST(NumberText, SurvivesHostileText) {
  const DecimalSeparator point('.');
  // Ten million digits, exact to the last bit.
  std::string digits = "0.";
  for (int i = 0; i < 10'000'000; ++i)
    digits += static_cast<char>('0' + (i * 7 + i / 3) % 10);
  EXPECT_EQ(TextToNumber(digits, 7.0, point), static_cast<double>(Reference(digits)));
  // Beyond the extended range, or below it, by the number of digits alone.
  EXPECT_EQ(TextToNumber("1" + std::string(5000, '0'), 7.0, point), 7.0);
  EXPECT_EQ(TextToNumber("0." + std::string(5000, '0') + "1", 7.0, point), 0.0);
  EXPECT_THROW(TextToNumber(std::string(400, '9'), 7.0, point), cOverflow);
  // Exponent digits: zeros are read forever, anything past 500 is left over.
  EXPECT_EQ(TextToNumber("1e" + std::string(1'000'000, '0') + "2", 7.0, point), 100.0);
  EXPECT_EQ(TextToNumber("1e" + std::string(1'000'000, '4'), 7.0, point), 7.0);
  EXPECT_EQ(TextToNumber(std::string(1'000'000, ' '), 7.0, point), 7.0);
  EXPECT_EQ(TextToNumber(std::string(1'000'000, '.'), 7.0, point), 7.0);
}

}  // namespace
