#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "formats/commatext.h"

namespace {

using Items = std::vector<std::string>;

Items Split(std::string_view text) {
  CommaItems items;
  SplitCommaText(text, items);
  return Items(items.begin(), items.end());
}

using namespace std::string_view_literals;

struct SplitCase {
  std::string_view text;
  Items items;
};

TEST(CommaText, SplitsIntoItems) {
  const SplitCase cases[] = {
      {"1,2,3", {"1", "2", "3"}},
      {"1 2  3", {"1", "2", "3"}},
      {"1\t2\t3", {"1", "2", "3"}},
      {"1 , 2 ,3", {"1", "2", "3"}},
      {"1,,3", {"1", "", "3"}},
      {"1,2,3,", {"1", "2", "3", ""}},
      // Only a comma that is the very last character adds an empty item.
      {"1,2, ", {"1", "2"}},
      {",1", {"", "1"}},
      {",,", {"", "", ""}},
      {",", {"", ""}},
      {"", {}},
      {" \t\x01\x1f ", {}},
      {"x,y,z", {"x", "y", "z"}},
      {"1;2;3", {"1;2;3"}},
      {"\x7f", {"\x7f"}},
      // Control characters and line ends are blanks inside a line.
      {"1\r\n2\v3", {"1", "2", "3"}},
      // Quotes: only at the start of an item, doubled inside, may be unclosed.
      {"\"\"", {""}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"1,5\",2", {"1,5", "2"}},
      {"\"a\"b", {"a", "b"}},
      {"\"a\" , b", {"a", "b"}},
      {"a\"b\" c", {"a\"b\"", "c"}},
      {"\"a\"\"b\"", {"a\"b"}},
      {"\"\"\"\"", {"\""}},
      {"\"abc", {"abc"}},
      {"\"a\"\"", {"a\""}},
      {"\"a\",", {"a", ""}},
      // Multi-byte characters stay whole, whatever their bytes.
      {"é,ü ä", {"é", "ü", "ä"}},
      {"x\xe3\x80\x80y,\xe2\x80\xa6", {"x\xe3\x80\x80y", "\xe2\x80\xa6"}},
      // The text ends at a zero byte.
      {"1,2\0,3"sv, {"1", "2"}},
      {"1,\0 3"sv, {"1", ""}},
      {"\"a\0b\""sv, {"a"}},
  };
  for (const SplitCase& c : cases)
    EXPECT_EQ(Split(c.text), c.items) << "text: " << c.text;
}

// A line of a text stops at its line end, which is left for the caller.
TEST(CommaTextLine, StopsAtLineEnd) {
  struct Case {
    std::string_view text;
    Items items;
    std::size_t stop;
  };
  const Case cases[] = {
      {"1,2\r\n3", {"1", "2"}, 3},
      {"1,\n", {"1", ""}, 2},
      {"\"ab\ncd\"", {"ab"}, 3},
      {"\r", {}, 0},
      {" \t\n", {}, 2},
      {"1 2 3", {"1", "2", "3"}, 5},
      {"\"a\"\"\r\"", {"a\""}, 4},
  };
  CommaItems items;
  for (const Case& c : cases) {
    const char* stop = SplitCommaLine(c.text.data(), c.text.data() + c.text.size(), items);
    EXPECT_EQ(Items(items.begin(), items.end()), c.items) << c.text;
    EXPECT_EQ(static_cast<std::size_t>(stop - c.text.data()), c.stop) << c.text;
  }
}

// Unquoted copies of earlier items must survive the later ones in the same
// line, and a refill must not leave anything of the line before.
TEST(CommaTextLine, ItemsStayValidWhenReused) {
  CommaItems items;
  const std::string many = "\"a\"\"\",\"b\"\"\",\"c\"\"\",\"d\"\"\",\"e\"\"\",plain";
  for (int round = 0; round < 3; ++round) {
    SplitCommaText(many, items);
    EXPECT_EQ(Items(items.begin(), items.end()),
              (Items{"a\"", "b\"", "c\"", "d\"", "e\"", "plain"}));
    SplitCommaText("\"x\"\"\"", items);
    EXPECT_EQ(Items(items.begin(), items.end()), Items{"x\""});
  }
}

TEST(CommaTextCells, FillsARowOfThree) {
  EXPECT_EQ(CommaTextCells("1,,3,4", 3), (Items{"1", " ", "3"}));
  EXPECT_EQ(CommaTextCells("1", 3), (Items{"1", "", ""}));
  EXPECT_EQ(CommaTextCells("", 3), (Items{"", "", ""}));
  EXPECT_EQ(CommaTextCells("0.500000,-0.000000,+INF", 3), (Items{"0.500000", "-0.000000", "+INF"}));
}

}  // namespace
