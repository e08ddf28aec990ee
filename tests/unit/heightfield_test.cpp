#include <gtest/gtest.h>

#include "base/errors.h"
#include "formats/bmpdecode.h"
#include "formats/heightfield.h"
#include "support/bmpwriter.h"

namespace {

// A coordinate as the loader must give it: the quotient taken at extended
// precision, stored as a double.
double Quotient(long double a, long double b) {
  return static_cast<double>(a / b);
}

class TwoByTwo : public testing::TestWithParam<bool> {};

// Top row black, white; bottom row red, grey 128; stored either way up.
TEST_P(TwoByTwo, GivesTheFourPointsInRowOrder) {
  BmpOptions options;
  options.topDown = GetParam();
  const Picture picture{2, 2, {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {128, 128, 128}}};
  const std::vector<unsigned char> file = WriteBmp(picture, options);
  const std::unique_ptr<Vec3[]> points = BuildHeightField(DecodeBitmap(file.data(), file.size()));
  EXPECT_EQ(points[0], (Vec3{0, 0, 0}));
  EXPECT_EQ(points[1], (Vec3{1, 0, 1}));
  EXPECT_EQ(points[2], (Vec3{0, 1, Quotient(1, 3)}));
  EXPECT_EQ(points[3], (Vec3{1, 1, Quotient(384, 765)}));
  EXPECT_NEAR(points[3].z, 0.50196, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(BottomUpAndTopDown, TwoByTwo, testing::Bool());

TEST(HeightField, SpreadsColumnsAndRowsOverTheUnitSquare) {
  const Picture picture = PatternPicture(3, 2, {{1, 2, 3}});
  const std::unique_ptr<Vec3[]> points = BuildHeightField(ImageOf(picture));
  const double xs[] = {0, 0.5, 1};
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 3; ++col) {
      EXPECT_EQ(points[row * 3 + col].x, xs[col]);
      EXPECT_EQ(points[row * 3 + col].y, row);
    }
  }
  // Steps that are not binary fractions keep the extended-precision quotient.
  const std::unique_ptr<Vec3[]> wide = BuildHeightField(ImageOf(PatternPicture(8, 4, {{0, 0, 0}})));
  for (int col = 0; col < 8; ++col)
    EXPECT_EQ(wide[col].x, Quotient(col, 7));
  for (int row = 0; row < 4; ++row)
    EXPECT_EQ(wide[row * 8].y, Quotient(row, 3));
}

// Every channel sum maps to its own quotient; greys give v / 255, white 1.
TEST(HeightField, HeightIsTheChannelSumOver765) {
  Picture picture{256, 2, {}};
  for (int v = 0; v < 256; ++v) {
    const auto c = static_cast<std::uint8_t>(v);
    picture.pixels.push_back(Rgb8{c, c, c});
  }
  for (int v = 0; v < 256; ++v) {
    const auto c = static_cast<std::uint8_t>(v);
    picture.pixels.push_back(Rgb8{c, 255, static_cast<std::uint8_t>(c / 2)});
  }
  const std::unique_ptr<Vec3[]> points = BuildHeightField(ImageOf(picture));
  for (int v = 0; v < 256; ++v) {
    EXPECT_EQ(points[v].z, Quotient(v, 255)) << v;
    EXPECT_EQ(points[256 + v].z, Quotient(v + 255 + v / 2, 765)) << v;
  }
  EXPECT_EQ(points[0].z, 0.0);
  EXPECT_EQ(points[255].z, 1.0);
}

// Large enough to be built by several threads where the machine has several
// cores; odd sizes so that the row blocks do not fall on round numbers.
TEST(HeightField, LargePictureMatchesThePixelByPixelResult) {
  RgbImage image;
  image.width = 1031;
  image.height = 1021;
  image.pixels.reset(new std::uint8_t[image.PixelCount() * 3]);
  for (std::size_t i = 0; i < image.PixelCount() * 3; ++i)
    image.pixels[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
  const std::unique_ptr<Vec3[]> points = BuildHeightField(image);
  std::size_t wrong = 0;
  for (int row = 0; row < image.height; ++row) {
    for (int col = 0; col < image.width; ++col) {
      const std::uint8_t* p = image.At(col, row);
      const Vec3 expected{Quotient(col, image.width - 1), Quotient(row, image.height - 1),
                          Quotient(p[0] + p[1] + p[2], 765)};
      if (!(points[static_cast<std::size_t>(row) * 1031 + static_cast<std::size_t>(col)] ==
            expected) &&
          wrong++ < 5)
        ADD_FAILURE() << "pixel " << col << ", " << row;
    }
  }
  EXPECT_EQ(wrong, 0u);
}

TEST(HeightField, PaletteImageTakesHeightsFromItsColoursNotItsIndices) {
  const Rgb8 brown{90, 30, 0};
  const Picture picture{2, 2, {brown, {0, 0, 0}, {255, 255, 255}, brown}};
  BmpOptions options;
  options.bitCount = 8;
  const std::vector<unsigned char> file = WriteBmp(picture, options);
  const std::unique_ptr<Vec3[]> points = BuildHeightField(DecodeBitmap(file.data(), file.size()));
  EXPECT_EQ(points[0].z, Quotient(120, 765));
  EXPECT_EQ(points[1].z, 0.0);
  EXPECT_EQ(points[2].z, 1.0);
  EXPECT_EQ(points[3].z, Quotient(120, 765));
}

TEST(HeightField, SinglePixelWideOrHighIsAnInvalidOperation) {
  for (auto [w, h] : {std::pair{1, 1}, {1, 5}, {5, 1}}) {
    EXPECT_THROW(BuildHeightField(ImageOf(PatternPicture(w, h, {{9, 9, 9}}))), cInvalidOp)
        << w << " x " << h;
  }
}

// Refused from the size alone, before any pixel is read: the image below has
// no pixels at all.
TEST(HeightField, ArrayLargerThanMemoryIsRefused) {
  RgbImage huge;
  huge.width = 1 << 30;
  huge.height = 1 << 20;
  EXPECT_THROW(BuildHeightField(huge), cOutOfMemory);
}

TEST(HeightField, EmptyImageGivesAnEmptyArray) {
  const unsigned char nothing = 0;
  EXPECT_NE(BuildHeightField(DecodeBitmap(&nothing, 0)), nullptr);
}

}  // namespace
