#include <locale.h>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "input/errors.h"
#include "input/pointgrid.h"

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
