#include <cfloat>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "base/fpcheck.h"

namespace {

enum class Outcome { kValue, kZeroDivide, kInvalidOp, kOverflow };

template <typename F>
Outcome OutcomeOf(F f, long double* value) {
  try {
    *value = f();
    return Outcome::kValue;
  } catch (const cZeroDivide&) {
    return Outcome::kZeroDivide;
  } catch (const cInvalidOp&) {
    return Outcome::kInvalidOp;
  } catch (const cOverflow&) {
    return Outcome::kOverflow;
  }
}

struct DivideCase {
  long double a, b;
  Outcome outcome;
  long double value;
};

TEST(CheckedDivide, RaisesInsteadOfInfinityOrNaN) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double inf = std::numeric_limits<long double>::infinity();
  const DivideCase cases[] = {
      {1.0L, 4.0L, Outcome::kValue, 0.25L},
      {384.0L, 765.0L, Outcome::kValue, 384.0L / 765.0L},
      {0.0L, 5.0L, Outcome::kValue, 0.0L},
      {1.0L, 0.0L, Outcome::kZeroDivide, 0},
      {-1.0L, 0.0L, Outcome::kZeroDivide, 0},
      {0.0L, 0.0L, Outcome::kInvalidOp, 0},
      {nan, 1.0L, Outcome::kInvalidOp, 0},
      {inf, inf, Outcome::kInvalidOp, 0},
      {LDBL_MAX, 0.5L, Outcome::kOverflow, 0},
      {LDBL_MIN, 1e30L, Outcome::kValue, LDBL_MIN / 1e30L},  // underflow stays silent
  };
  for (const DivideCase& c : cases) {
    long double value = -1;
    EXPECT_EQ(OutcomeOf([&] { return CheckedDivide(c.a, c.b); }, &value), c.outcome)
        << static_cast<double>(c.a) << " / " << static_cast<double>(c.b);
    if (c.outcome == Outcome::kValue) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(CheckedToDouble, RaisesOverflowBeyondTheDoubleRangeOnly) {
  long double value = 0;
  EXPECT_EQ(OutcomeOf([] { return static_cast<long double>(CheckedToDouble(1e400L)); }, &value),
            Outcome::kOverflow);
  EXPECT_EQ(OutcomeOf([] { return static_cast<long double>(CheckedToDouble(-1e400L)); }, &value),
            Outcome::kOverflow);
  EXPECT_EQ(OutcomeOf([] { return static_cast<long double>(CheckedToDouble(1e-400L)); }, &value),
            Outcome::kValue);
  EXPECT_EQ(value, 0.0L);
  EXPECT_EQ(OutcomeOf([] { return static_cast<long double>(CheckedToDouble(0.1L)); }, &value),
            Outcome::kValue);
  EXPECT_EQ(value, static_cast<long double>(0.1));
  EXPECT_EQ(OutcomeOf([] { return static_cast<long double>(CheckedToDouble(DBL_MAX)); }, &value),
            Outcome::kValue);
}

TEST(ErrorTexts, AreTheUsersOwnWords) {
  EXPECT_EQ(cZeroDivide().Message(), QStringLiteral("0 による浮動小数点数除算"));
  EXPECT_EQ(cInvalidOp().Message(), QStringLiteral("不正な浮動小数点数演算命令"));
  EXPECT_EQ(cOverflow().Message(), QStringLiteral("浮動小数点数のオーバーフロー"));
  EXPECT_EQ(cListIndexError(2).Message(),
            QStringLiteral("リストのインデックスが範囲を超えています (2)"));
}

}  // namespace
