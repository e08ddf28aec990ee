// Our decoder against Qt's own reader, pixel for pixel, on files that both
// read. Qt's reader is a second opinion, not the reference: 16-bit files
// (Qt widens channels by shifting) and header lengths Qt rejects stay out.
#include <random>
#include <string>

#include <QImage>

#include <gtest/gtest.h>

#include "input/bmpdecode.h"
#include "support/bmpwriter.h"

namespace {

struct CrossCase {
  const char* name;
  int bitCount;
  std::uint32_t compression;
  bool topDown;
  bool rleSkips;
  int width, height;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const CrossCase& c, std::ostream* os) {
  *os << c.name;
}

// Random pixels from a random palette of at most 2^depth colours (all
// colours for the deeper files), with runs of equal pixels for RLE to find.
Picture RandomPicture(const CrossCase& c, std::mt19937& random) {
  std::vector<Rgb8> palette;
  const int colours = c.bitCount <= 8 ? 1 << c.bitCount : 4096;
  for (int i = 0; i < colours; ++i) {
    palette.push_back(Rgb8{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                           static_cast<std::uint8_t>(random())});
  }
  Picture p{c.width, c.height, {}};
  const std::size_t size = static_cast<std::size_t>(c.width) * c.height;
  while (p.pixels.size() < size) {
    const Rgb8 colour = palette[random() % palette.size()];
    const std::size_t run = random() % 4 == 0 ? random() % 40 : 1;
    p.pixels.resize(std::min(size, p.pixels.size() + run), colour);
  }
  return p;
}

class AgainstQt : public testing::TestWithParam<CrossCase> {};

TEST_P(AgainstQt, SamePixels) {
  const CrossCase& c = GetParam();
  std::mt19937 random(static_cast<unsigned>(c.width * 7919 + c.bitCount * 31 + c.compression));
  BmpOptions options;
  options.bitCount = c.bitCount;
  options.compression = c.compression;
  options.topDown = c.topDown;
  options.rleSkips = c.rleSkips;
  const Picture picture = RandomPicture(c, random);
  const std::vector<unsigned char> file = WriteBmp(picture, options);
  // Pixels that RLE codes skip read as palette entry 0 for us; Qt leaves them
  // black (RLE4) or undefined (RLE8), so they are not compared. The writer
  // numbers colours in order of appearance: entry 0 is the first pixel's.
  const Rgb8 skipped = picture.pixels[0];

  const QImage theirs = QImage::fromData(file.data(), static_cast<int>(file.size()), "BMP")
                            .convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(theirs.isNull()) << "Qt cannot read it";
  const RgbImage ours = DecodeBitmap(file.data(), file.size());
  ASSERT_EQ(ours.width, theirs.width());
  ASSERT_EQ(ours.height, theirs.height());
  int wrong = 0;
  for (int row = 0; row < ours.height; ++row) {
    for (int col = 0; col < ours.width; ++col) {
      const std::uint8_t* p = ours.At(col, row);
      if (c.rleSkips && Rgb8{p[0], p[1], p[2]} == skipped)
        continue;
      const QRgb q = theirs.pixel(col, row);
      if (p[0] == qRed(q) && p[1] == qGreen(q) && p[2] == qBlue(q))
        continue;
      if (++wrong <= 5)
        ADD_FAILURE() << "pixel (" << col << ", " << row << ") differs";
    }
  }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, AgainstQt,
    testing::Values(CrossCase{"depth1", 1, 0, false, false, 77, 31},
                    CrossCase{"depth1_topdown", 1, 0, true, false, 64, 9},
                    CrossCase{"depth4", 4, 0, false, false, 75, 33},
                    CrossCase{"depth4_topdown", 4, 0, true, false, 3, 40},
                    CrossCase{"depth8", 8, 0, false, false, 203, 65},
                    CrossCase{"depth8_topdown", 8, 0, true, false, 202, 11},
                    CrossCase{"depth24", 24, 0, false, false, 129, 67},
                    CrossCase{"depth24_topdown", 24, 0, true, false, 130, 5},
                    CrossCase{"depth32", 32, 0, false, false, 65, 66},
                    CrossCase{"depth32_fields", 32, 3, false, false, 31, 17},
                    CrossCase{"rle8", 8, 1, false, false, 301, 70},
                    CrossCase{"rle8_delta_and_eol", 8, 1, false, true, 301, 70},
                    CrossCase{"rle4", 4, 2, false, false, 299, 71},
                    CrossCase{"rle4_delta_and_eol", 4, 2, false, true, 300, 72}),
    [](const testing::TestParamInfo<CrossCase>& info) { return std::string(info.param.name); });

}  // namespace
