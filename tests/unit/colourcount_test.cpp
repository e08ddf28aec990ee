#include <algorithm>
#include <ostream>
#include <random>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "formats/colourcount.h"
#include "support/bmpwriter.h"

namespace {

// Counting done the slow, obvious way: single-precision cells incremented by
// 1.0, a running maximum, then every cell divided by it.
std::vector<float> CountAsSingles(const Picture& p) {
  std::vector<float> cells(kColourCells, 0.0f);
  float m = 0.0f;
  for (const Rgb8& c : p.pixels) {
    float& cell = cells[ColourCell(c.r, c.g, c.b)];
    cell += 1.0f;
    if (cell > m)
      m = cell;
  }
  for (float& cell : cells)
    cell = cell / m;
  return cells;
}

// Cells other than `expected` must be 0.
void ExpectCells(const float* cells, const std::vector<std::pair<std::size_t, float>>& expected) {
  std::vector<float> want(kColourCells, 0.0f);
  for (auto [index, value] : expected)
    want[index] = value;
  for (std::size_t i = 0; i < kColourCells; ++i)
    ASSERT_EQ(cells[i], want[i]) << "cell " << i;
}

struct OneColour {
  Rgb8 colour;
  std::size_t cell;
};

// Without it the test names print the struct byte by byte, padding included,
// and change from build to build.
void PrintTo(const OneColour& c, std::ostream* os) {
  *os << int{c.colour.r} << ',' << int{c.colour.g} << ',' << int{c.colour.b} << "->" << c.cell;
}

class OneColourImage : public testing::TestWithParam<OneColour> {};

TEST_P(OneColourImage, FillsItsCellWithOne) {
  for (auto [w, h] : {std::pair{1, 1}, {7, 3}}) {
    const auto cells = CountColours(ImageOf(PatternPicture(w, h, {GetParam().colour})));
    ExpectCells(cells.get(), {{GetParam().cell, 1.0f}});
  }
}

INSTANTIATE_TEST_SUITE_P(Colours, OneColourImage,
                         testing::Values(OneColour{{0, 0, 0}, 0}, OneColour{{3, 3, 3}, 0},
                                         OneColour{{0, 0, 255}, 63},
                                         OneColour{{0, 255, 0}, 63 * 64},
                                         OneColour{{255, 0, 0}, 258048},
                                         OneColour{{255, 255, 255}, 262143},
                                         OneColour{{10, 20, 30}, 7 + 64 * 5 + 4096 * 2}));

TEST(ColourCount, ColoursDifferingInTheLowTwoBitsShareACell) {
  const auto cells = CountColours(ImageOf(Picture{2, 1, {{0, 0, 0}, {3, 3, 3}}}));
  ExpectCells(cells.get(), {{0, 1.0f}});
}

TEST(ColourCount, ScalesByTheFullestCell) {
  const Rgb8 a{200, 10, 10}, b{10, 200, 10};
  const auto cells = CountColours(ImageOf(Picture{2, 2, {a, b, a, a}}));
  ExpectCells(cells.get(),
              {{ColourCell(a.r, a.g, a.b), 1.0f}, {ColourCell(b.r, b.g, b.b), 1.0f / 3}});
}

TEST(ColourCount, EmptyImageIsAnInvalidOperation) {
  EXPECT_THROW(CountColours(RgbImage{}), cInvalidOp);
}

TEST(ColourCount, MatchesSinglePrecisionCountingOnAPhotoLikeImage) {
  std::mt19937 random(7);
  Picture p{97, 61, {}};
  for (int i = 0; i < p.width * p.height; ++i) {
    // Clustered colours, so that cells hold different counts.
    const unsigned v = random() % 40;
    p.pixels.push_back(Rgb8{static_cast<uint8_t>(100 + v), static_cast<uint8_t>(v * 3),
                            static_cast<uint8_t>(random() % 16)});
  }
  const auto cells = CountColours(ImageOf(p));
  const std::vector<float> expected = CountAsSingles(p);
  for (std::size_t i = 0; i < kColourCells; ++i)
    ASSERT_EQ(cells[i], expected[i]) << "cell " << i;
}

// Pixels are taken several at a time where the processor allows it, the rest
// one or two at a time: every count of pixels, any colours, lands each pixel
// in its own cell.
TEST(ColourCount, AddsEveryPixelToItsCellWhateverTheirNumber) {
  std::mt19937 random(11);
  std::vector<std::uint8_t> rgb(3 * 40);
  for (std::uint8_t& byte : rgb)
    byte = static_cast<std::uint8_t>(random());
  std::vector<std::uint32_t> cells(kColourCells);
  std::vector<std::uint32_t> expected(kColourCells);
  for (std::size_t count = 0; count <= 40; ++count) {
    std::fill(cells.begin(), cells.end(), 0u);
    std::fill(expected.begin(), expected.end(), 0u);
    AddColourCells(rgb.data(), count, cells.data());
    for (std::size_t i = 0; i < count; ++i)
      ++expected[ColourCell(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2])];
    const auto wrong = std::mismatch(cells.begin(), cells.end(), expected.begin());
    ASSERT_TRUE(wrong.first == cells.end())
        << count << " pixels: cell " << (wrong.first - cells.begin()) << " holds " << *wrong.first
        << ", expected " << *wrong.second;
  }
}

// Exact counts turned into what a single-precision counter would hold.
TEST(ColourCount, SaturatedCountIsWhereASingleCounterStops) {
  float counter = 0.0f;
  std::uint32_t wrong = 0;
  for (std::uint32_t count = 0; count < (1u << 24) + 40; ++count) {
    if (SaturatedCount(count) != counter)
      ++wrong;
    counter += 1.0f;
  }
  EXPECT_EQ(counter, 16777216.0f);
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(SaturatedCount(0xFFFFFFFF), 16777216.0f);
}

TEST(ColourCount, CellsBeyondTwoToThe24ScaleAsTheSingleCounterDoes) {
  std::vector<std::uint32_t> counts(kColourCells, 0);
  counts[5] = (1u << 24) + 1000;  // stops at 2^24
  counts[6] = 1u << 24;
  counts[7] = 1u << 23;
  counts[8] = 3;
  const auto cells = ScaleColourCells(counts.data());
  ExpectCells(cells.get(), {{5, 1.0f}, {6, 1.0f}, {7, 0.5f}, {8, 3.0f / 16777216.0f}});
}

TEST(ColourCount, AllZeroCountsAreAnInvalidOperation) {
  const std::vector<std::uint32_t> counts(kColourCells, 0);
  EXPECT_THROW(ScaleColourCells(counts.data()), cInvalidOp);
}

}  // namespace
