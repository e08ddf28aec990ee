// The addresses a user may give and the ranges a server answers with.
#include <gtest/gtest.h>

#include "formats/webaddress.h"

namespace {

TEST(WebAddress, OnlyHttpAndHttpsWithAHost) {
  const struct {
    const char* text;
    bool web, scheme;
  } rows[] = {
      {"https://example.org/dem.tif", true, true},
      {"HTTP://example.org:8080/a?b=1", true, true},
      {"http://127.0.0.1", true, true},
      {"https:///dem.tif", false, true},  // no host
      {"http://", false, true},
      {"ftp://example.org/dem.tif", false, true},
      {"file:///etc/hostname", false, true},
      {"/vsicurl/https://example.org/dem.tif", false, false},
      {"C://dem.tif", false, true},
      {"dem.tif", false, false},
      {"://dem.tif", false, false},
      {"1http://x", false, false},
      {"https:/example.org", false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(IsWebAddress(row.text), row.web);
    EXPECT_EQ(HasScheme(row.text), row.scheme);
  }
}

TEST(WebAddress, ContentRangeIsTakenOnlyWhenItsNumbersAgree) {
  constexpr std::uint64_t kNone = ~std::uint64_t{0};
  const struct {
    const char* value;
    bool taken;
    std::uint64_t first, last, size;  // size kNone: "*"
  } rows[] = {
      {"bytes 0-0/1253704", true, 0, 0, 1253704},
      {" bytes 16384-32767/32768\r\n", true, 16384, 32767, 32768},
      {"Bytes 5-9/*", true, 5, 9, kNone},
      {"bytes 0-18446744073709551613/18446744073709551614", true, 0, 18446744073709551613u,
       18446744073709551614u},
      {"bytes 0-18446744073709551615/18446744073709551616", false, 0, 0, 0},  // overflows
      {"bytes 9-5/10", false, 0, 0, 0},
      {"bytes 0-10/10", false, 0, 0, 0},  // past the end
      {"bytes */10", false, 0, 0, 0},     // an unsatisfied range
      {"bytes 0-9/10x", false, 0, 0, 0},
      {"bytes0-9/10", false, 0, 0, 0},
      {"items 0-9/10", false, 0, 0, 0},
      {"bytes -1-9/10", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    const std::optional<ContentRange> range = ParseContentRange(row.value);
    ASSERT_EQ(range.has_value(), row.taken);
    if (!range)
      continue;
    EXPECT_EQ(range->first, row.first);
    EXPECT_EQ(range->last, row.last);
    EXPECT_EQ(range->size.value_or(kNone), row.size);
  }
}

}  // namespace
