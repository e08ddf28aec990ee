#include <locale.h>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "formats/commatext.h"
#include "formats/numbertext.h"
#include "formats/pointgrid.h"

namespace {

using namespace std::string_view_literals;

PointGrid Read(std::string_view text, char separator = '.') {
  return ReadPointGrid(text.data(), text.size(), DecimalSeparator(separator));
}

constexpr std::string_view kExample =
    "0,0,0.1\n0.5,0,0.3\n1,0,0.1\n\n0,1,0.2\n0.5,1,0.6\n1,1,0.2\n";

std::string WithLineEnds(std::string_view text, std::string_view ending) {
  std::string out;
  for (char c : text)
    c == '\n' ? out.append(ending) : out.append(1, c);
  return out;
}

struct GridCase {
  std::string text;
  std::size_t lines, read;
  int columns, rows;
  std::vector<Vec3> points;  // the first points read
  char separator = '.';
};

TEST(PointGrid, CountsRowsAndColumns) {
  const std::string example(kExample);
  const std::vector<Vec3> first{{0, 0, 0.1}, {0.5, 0, 0.3}, {1, 0, 0.1}, {0, 1, 0.2}};
  const GridCase cases[] = {
      {example, 7, 6, 3, 2, first},
      {example + "\n", 8, 6, 3, 2, first},
      {example + "\n\n", 9, 6, 0, 3, first},
      {WithLineEnds(kExample, "\r\n"), 7, 6, 3, 2, first},
      {WithLineEnds(kExample, "\r"), 7, 6, 3, 2, first},
      // LF CR leaves an empty line after every line (1 column × 7 rows claimed).
      {WithLineEnds(kExample, "\n\r"), 13, 6, 1, 6, first},
      {"1,2,3\n4,5,6\n", 2, 2, 0, 1, {{1, 2, 3}, {4, 5, 6}}},
      {"1,2,3\n4,5,6\n7,8,9\n\n", 4, 3, 3, 1, {{1, 2, 3}}},
      {"1,2,3", 1, 1, 0, 1, {{1, 2, 3}}},
      {"", 0, 0, 0, 0, {}},
      {"\n \t\n\r\n", 3, 0, 0, 3, {}},
      {"1,2,3\r\n\r\n", 2, 1, 1, 1, {{1, 2, 3}}},
      // Rows of 3 and 2: the grid is the first 4 points as 2 rows of 2.
      {"1,1,1\n2,2,2\n3,3,3\n\n4,4,4\n5,5,5\n\n", 7, 5, 2, 2, {{1, 1, 1}, {2, 2, 2}}},
      // A header is a point of zeros.
      {"x,y,z\n1,2,3\n\n", 3, 2, 2, 1, {{0, 0, 0}, {1, 2, 3}}},
      {"1,2,3\n1 2 3\n1\t2\t3\n1,,3\n,,\n1,2,3,4,5\n",
       6,
       6,
       0,
       1,
       {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 0, 3}, {0, 0, 0}, {1, 2, 3}}},
      {"\"1\",\"2\",\"3\"\n\" 1 \",\"2\" \"3\"\n\"\t1\",2,3\n",
       3,
       3,
       0,
       1,
       {{1, 2, 3}, {1, 2, 3}, {0, 2, 3}}},
      // The byte-order mark belongs to the first item.
      {"\xef\xbb\xbf"
       "1,2,3\n",
       1,
       1,
       0,
       1,
       {{0, 2, 3}}},
      {"\"1,5\",2,3\n1.5,2,3\n", 2, 2, 0, 1, {{1.5, 2, 3}, {0, 2, 3}}, ','},
      // A zero byte ends the text.
      {std::string("1,2,3\n\0"
                   "4,5,6\n\n",
                   14),
       1,
       1,
       0,
       1,
       {{1, 2, 3}}},
      // Counts that claim more than was read keep only the complete rows:
      // a leading blank line (2 × 2 claimed), a short last row (2 × 2), and
      // blank lines in a row (3 × 5, more than the 9 slots).
      {"\n1,2,3\n4,5,6\n\n", 4, 2, 2, 1, {{1, 2, 3}}},
      {"1,1,1\n2,2,2\n\n3,3,3\n", 4, 3, 2, 1, {}},
      {"1,1,1\n\n\n\n\n1,1,1\n1,1,1\n1,1,1\n\n", 9, 4, 3, 1, {}},
      {"\n\n\n1,2,3\n\n", 5, 1, 1, 1, {}},
  };
  for (const GridCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text: " << testing::PrintToString(c.text));
    const PointGrid grid = Read(c.text, c.separator);
    EXPECT_EQ(grid.lines, c.lines);
    EXPECT_EQ(grid.pointsRead, c.read);
    EXPECT_EQ(grid.columns, c.columns);
    EXPECT_EQ(grid.rows, c.rows);
    ASSERT_TRUE(grid.points);
    for (std::size_t i = 0; i < c.points.size(); ++i)
      EXPECT_EQ(grid.points[i], c.points[i]) << i;
  }
}

TEST(PointGrid, FailsOnShortLinesAndOverflow) {
  const struct {
    std::string_view text;
    const char* message;
  } cases[] = {
      {"1,2\n", "(2)"},
      {",\n", "(2)"},
      {"0,0,0\n1,2, \n", "(2)"},
      {"1\n", "(1)"},
      {"\"\"\n", "(1)"},
      {"1e400,0,0\n", "オーバーフロー"},
      {"0,0,1e400\n", "オーバーフロー"},
      // The first item is converted before the second is looked for.
      {"1e400\n", "オーバーフロー"},
  };
  for (const auto& c : cases) {
    try {
      Read(c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const cError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.text << ": " << e.what();
    }
  }
}

// The line count is taken sixteen bytes at a time; it must agree with the
// line rules read one byte at a time, also across the blocks' edges.
TEST(PointGrid, CountsLinesAsTheyAreSplit) {
  std::mt19937 random(5);
  const char alphabet[] = {'\r', '\n', 'a', ' '};
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 70, 'a');
    for (char& c : text)
      c = alphabet[random() % 4];
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++lines) {
      while (i < text.size() && text[i] != '\r' && text[i] != '\n')
        ++i;
      if (i < text.size() && text[i] == '\r')
        ++i;
      if (i < text.size() && text[i] == '\n')
        ++i;
    }
    ASSERT_EQ(CountLines(text.data(), text.size()), lines) << testing::PrintToString(text);
  }
}

// Every line read by the general rules alone: split into items, then each
// item converted. The reader takes a shorter way through plain lines; both
// must give the same points and the same error.
struct ByItems {
  std::vector<Vec3> points;
  std::string error;
};

ByItems ReadByItems(std::string_view text, DecimalSeparator separator) {
  ByItems result;
  CommaItems items;
  const char* p = text.data();
  const char* const end = p + text.size();
  try {
    while (p < end) {
      p = SplitCommaLine(p, end, items);
      if (p < end && *p == '\r')
        ++p;
      if (p < end && *p == '\n')
        ++p;
      if (items.empty())
        continue;
      Vec3 v;
      v.x = TextToNumber(items[0], 0.0, separator);
      if (items.size() < 2)
        throw cListIndexError(1);
      v.y = TextToNumber(items[1], 0.0, separator);
      if (items.size() < 3)
        throw cListIndexError(2);
      v.z = TextToNumber(items[2], 0.0, separator);
      result.points.push_back(v);
    }
  } catch (const cError& e) {
    result.error = e.what();
  }
  return result;
}

TEST(PointGrid, ReadsPlainLinesAsItemsDo) {
  const char* const items[] = {"0.5",
                               "-1.25e3",
                               "12",
                               ".5",
                               "5.",
                               "+0",
                               "-0.000",
                               "123456789.123456789123",
                               "1e-30",
                               "0.1234567",
                               "1e999",
                               "1e5000",
                               "1e",
                               "x",
                               "1.2.3",
                               "+",
                               "e5",
                               "\"7\"",
                               "\"2,5\"",
                               "\" 3 \"",
                               "1\"2",
                               "",
                               "9,5",
                               "0,25",
                               "3 4",
                               "\xd9\xab",
                               "7\xd9\xab"
                               "5",
                               "1.5x",
                               "00001"};
  const char* const gaps[] = {",", ",", ",", " ", "\t", " , ", ",,", ", "};
  const char* const ends[] = {"\n", "\n", "\r\n", "\r", "\n\r", ""};
  std::mt19937 random(11);
  for (const DecimalSeparator separator : {DecimalSeparator('.'), DecimalSeparator(','),
                                           DecimalSeparator::FromSymbol(QString(QChar(0x066b)))}) {
    for (int round = 0; round < 4000; ++round) {
      std::string text;
      for (int line = 0, lines = 1 + random() % 6; line < lines; ++line) {
        if (random() % 4 == 0)
          text += " ";
        for (int item = 0, count = random() % 6; item < count; ++item) {
          if (item > 0)
            text += gaps[random() % std::size(gaps)];
          text += items[random() % (random() % 3 == 0 ? std::size(items) : 6)];
        }
        if (random() % 5 == 0)
          text += " ";
        text += ends[random() % std::size(ends)];
      }
      const ByItems expected = ReadByItems(text, separator);
      PointGrid grid;
      std::string error;
      try {
        grid = ReadPointGrid(text.data(), text.size(), separator);
      } catch (const cError& e) {
        error = e.what();
      }
      ASSERT_EQ(error, expected.error) << testing::PrintToString(text);
      if (!error.empty())
        continue;
      ASSERT_EQ(grid.pointsRead, expected.points.size()) << testing::PrintToString(text);
      for (std::size_t i = 0; i < grid.pointsRead; ++i) {
        ASSERT_EQ(grid.points[i], expected.points[i]) << i << " " << testing::PrintToString(text);
      }
    }
  }
}

TEST(PointGrid, SurvivesHostileText) {
  // Ten megabytes of digits in one item: 10^(10^7) is beyond any range, 0.
  std::string text(10'000'000, '7');
  text += ",2,3\n";
  PointGrid grid = Read(text);
  EXPECT_EQ(grid.points[0], (Vec3{0, 2, 3}));
  // Only separators, and a line of a million items.
  EXPECT_EQ(Read(",,,,,\n").points[0], (Vec3{0, 0, 0}));
  text = "1,2,3";
  for (int i = 0; i < 1'000'000; ++i)
    text += ",";
  EXPECT_EQ(Read(text).points[0], (Vec3{1, 2, 3}));
  // A blank line of a million blanks, and a million blank lines.
  grid = Read(std::string(1'000'000, ' '));
  EXPECT_EQ(grid.rows, 1);
  grid = Read(std::string(1'000'000, '\n'));
  EXPECT_EQ(grid.rows, 1'000'000);
  EXPECT_EQ(grid.columns, 0);
  // Exponent digits without end.
  EXPECT_EQ(Read("1e" + std::string(100'000, '0') + "2,0,0").points[0], (Vec3{100, 0, 0}));
  EXPECT_EQ(Read("1e" + std::string(100'000, '1') + ",0,0").points[0], (Vec3{0, 0, 0}));
  // An unclosed quote runs to the end of its line only.
  EXPECT_THROW(Read("\"1,2,3\n4,5,6\n"), cListIndexError);
}

}  // namespace
