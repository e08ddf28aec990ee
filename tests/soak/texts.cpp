#include "texts.h"

namespace {

std::string Digits(SoakRandom& random, int count) {
  std::string digits;
  for (int i = 0; i < count; ++i)
    digits += static_cast<char>('0' + random.Below(10));
  return digits;
}

// A value in [0, 1] with a random number of decimals, written in one of the
// forms of a decimal fraction.
std::string Fraction(SoakRandom& random) {
  const std::string decimals = Digits(random, random.Between(0, 8));
  switch (random.Below(5)) {
    case 0:
      return "0." + decimals;
    case 1:
      return "." + (decimals.empty() ? std::string("5") : decimals);
    case 2:
      return random.OneIn(4) ? "1" : "0";
    case 3:
      return "1." + std::string(decimals.size(), '0');
    default: {
      std::string text = "0." + decimals + "e" + random.Pick({"", "+", "-"});
      return text + Digits(random, 1);
    }
  }
}

}  // namespace

std::string PlainNumberText(SoakRandom& random) {
  std::string number = random.OneIn(8) ? "-" : "";
  return number + Fraction(random);
}

std::string NumberText(SoakRandom& random) {
  std::string number;
  switch (random.Weighted({70, 6, 4, 4, 3, 3, 3, 3, 2, 2})) {
    case 0:
      number = Fraction(random);
      break;
    case 1:  // a sign before a fraction
      number = random.Pick({"-", "+"});
      number += Fraction(random);
      break;
    case 2:  // a lone separator, negative zeros
      number = random.Pick({".", "-.", "+.", "-0", "-0.0"});
      break;
    case 3:  // an exponent without digits counts as 0
      number = Digits(random, 1) + random.Pick({"e", "E", "e+", "E-"});
      break;
    case 4:  // around the exponent limit of 500
      number = std::string("1e") + random.Pick({"", "-", "+"});
      number += random.Pick({"499", "500", "5000", "0000000000000499"});
      break;
    case 5:  // beyond the double range, inside the extended one
      number = random.Pick({"1e400", "-1e309", "1.8e308", "9e4931", "2E+308"});
      break;
    case 6:  // beyond the extended range, or near nothing
      number = random.Pick({"1e4933", "1e-400", "4.9e-324", "2.2250738585072011e-308", "1e-5000"});
      break;
    case 7:  // many digits
      number = "0." + Digits(random, random.Between(20, 400));
      break;
    case 8:
      number = Digits(random, random.Between(1, 40));
      break;
    default:  // the decimal comma
      number = "0," + Digits(random, random.Between(1, 6));
      break;
  }
  if (random.OneIn(10))
    number = std::string(static_cast<std::size_t>(random.Between(1, 3)), ' ') + number;
  if (random.OneIn(10))
    number += std::string(static_cast<std::size_t>(random.Between(1, 3)), ' ');
  return number;
}

std::string CellText(SoakRandom& random) {
  switch (random.Weighted({60, 8, 6, 6, 6, 5, 4, 3, 2})) {
    case 0:
      return NumberText(random);
    case 1:  // nothing, or blanks
      return random.Pick({"", " ", "  ", "\t"});
    case 2:  // words and number look-alikes
      return random.Pick({"abc", "x", "1.2.3", "0x10", "inf", "-inf", "nan", "NaN", "e5", "1e",
                          "--1", "+-0.5", "1_000", "0b1"});
    case 3: {  // items separated as the table's comma text separates them
      std::string text = NumberText(random);
      text += random.Pick({",", " ", ", ", ",,"});
      return text + NumberText(random);
    }
    case 4:  // quotes
      return random.Pick({"\"0.5\"", "\"\"", "\"", "'0.25'", "\"a,b\"", "\"1\"\"2\""});
    case 5:  // multi-byte characters, alone or around a number
      return random.Pick({"０．５", "日本語", "階調", "Ω", "é0.5", "0.5€", "🙂", "\u00a00.5",
                          "٠٫٥", "1\u20132"});
    case 6:  // very long: digits, or the same word again and again
      if (random.OneIn(2))
        return "0." + std::string(static_cast<std::size_t>(random.Between(200, 20000)), '3');
      {
        std::string text;
        const int words = random.Between(50, 2000);
        for (int i = 0; i < words; ++i)
          text += "テスト ";
        return text;
      }
    case 7:  // control characters
      return random.Pick({"\x01", "0.5\x7f", "\r\n", "0.5\n"});
    default: {  // a number, then something else in the same cell
      std::string text = NumberText(random);
      return text + random.Pick({"x", "%", " 7", "日"});
    }
  }
}

std::string LevelText(SoakRandom& random) {
  switch (random.Weighted({60, 20, 20})) {
    case 0:
      return std::to_string(random.Between(1, 8));
    case 1:
      return random.Pick({"0", "9", "-1", "-8", "255", "99999999999", "2147483648"});
    default:
      return random.Pick({"", " ", "3.5", "08", " 4", "4 ", "abc", "４", "+2", "0x3", "1e0"});
  }
}
