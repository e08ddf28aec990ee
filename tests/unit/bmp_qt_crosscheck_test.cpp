// Our decoder against Qt's own reader, pixel for pixel, on files that both
// read: every kind the writer makes at several sizes, so that rows end at
// every padding. Qt's reader is a second opinion, not the reference: 16-bit
// files and channels of other widths (Qt widens them by shifting) and header
// lengths Qt rejects (16, 52, 56) stay out.
#include <random>
#include <string>
#include <utility>

#include <QImage>

#include <gtest/gtest.h>

#include "formats/bmpdecode.h"
#include "support/bmpwriter.h"

namespace {

struct CrossCase {
  const char* name;
  int bitCount;
  std::uint32_t compression;
  bool topDown;
  bool rleSkips;
  int width, height;
  std::uint32_t headerSize = 40;
  bool fullTable = false;  // colours-used 0: a table of 2^depth entries
  std::uint32_t gap = 0;   // bytes between the table and the pixels
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const CrossCase& c, std::ostream* os) {
  *os << c.name;
}

// Random pixels from a random palette of at most 2^depth colours (all
// colours for the deeper files), with runs of equal pixels for RLE to find.
Picture RandomPicture(const CrossCase& c, int width, int height, std::mt19937& random) {
  std::vector<Rgb8> palette;
  const int colours = c.bitCount <= 8 ? 1 << c.bitCount : 4096;
  for (int i = 0; i < colours; ++i) {
    palette.push_back(Rgb8{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                           static_cast<std::uint8_t>(random())});
  }
  Picture p{width, height, {}};
  const std::size_t size = static_cast<std::size_t>(width) * height;
  while (p.pixels.size() < size) {
    const Rgb8 colour = palette[random() % palette.size()];
    const std::size_t run = random() % 4 == 0 ? random() % 40 : 1;
    p.pixels.resize(std::min(size, p.pixels.size() + run), colour);
  }
  return p;
}

// One file: our pixels against Qt's; the count of pixels that differ.
int CompareWithQt(const CrossCase& c, int width, int height) {
  std::mt19937 random(static_cast<unsigned>(width * 7919 + height * 131 + c.bitCount * 31 +
                                            c.compression + c.headerSize));
  BmpOptions options;
  options.bitCount = c.bitCount;
  options.compression = c.compression;
  options.topDown = c.topDown;
  options.rleSkips = c.rleSkips;
  options.headerSize = c.headerSize;
  options.coloursUsed = !c.fullTable;
  options.gap = c.gap;
  const Picture picture = RandomPicture(c, width, height, random);
  const std::vector<unsigned char> file = WriteBmp(picture, options);
  // Pixels that RLE codes skip read as palette entry 0 for us; Qt leaves them
  // black (RLE4) or undefined (RLE8), so they are not compared. The writer
  // numbers colours in order of appearance: entry 0 is the first pixel's.
  const Rgb8 skipped = picture.pixels[0];

  const QImage theirs = QImage::fromData(file.data(), static_cast<int>(file.size()), "BMP")
                            .convertToFormat(QImage::Format_RGB32);
  EXPECT_FALSE(theirs.isNull()) << "Qt cannot read it";
  const RgbImage ours = DecodeBitmap(file.data(), file.size());
  EXPECT_EQ(ours.width, theirs.width());
  EXPECT_EQ(ours.height, theirs.height());
  if (theirs.isNull() || ours.width != theirs.width() || ours.height != theirs.height())
    return 1;
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
  return wrong;
}

class AgainstQt : public testing::TestWithParam<CrossCase> {};

TEST_P(AgainstQt, SamePixels) {
  const CrossCase& c = GetParam();
  // Widths 1 to 9 end rows at every bit and byte of a 32-bit word for every
  // depth; the case's own size adds runs and a larger table.
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {3, 2}, {4, 1}, {5, 4},
                                       {6, 2}, {7, 3}, {8, 2}, {9, 5}, {c.width, c.height}};
  for (auto [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    EXPECT_EQ(CompareWithQt(c, width, height), 0);
  }
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
                    CrossCase{"rle4_delta_and_eol", 4, 2, false, true, 300, 72},
                    CrossCase{"depth1_core", 1, 0, false, false, 40, 7, 12},
                    CrossCase{"depth4_core", 4, 0, false, false, 21, 6, 12},
                    CrossCase{"depth8_core", 8, 0, false, false, 19, 8, 12},
                    CrossCase{"depth24_core", 24, 0, false, false, 23, 9, 12},
                    CrossCase{"depth8_full_table", 8, 0, false, false, 33, 7, 40, true},
                    CrossCase{"depth4_full_table", 4, 0, false, false, 33, 7, 40, true},
                    CrossCase{"depth8_gap_before_pixels", 8, 0, false, false, 17, 5, 40, false, 10},
                    CrossCase{"depth24_gap_before_pixels", 24, 0, false, false, 17, 5, 40, false,
                              6},
                    CrossCase{"depth24_header108", 24, 0, false, false, 18, 6, 108},
                    CrossCase{"depth24_header124", 24, 0, true, false, 18, 6, 124},
                    CrossCase{"depth32_topdown", 32, 0, true, false, 19, 6},
                    CrossCase{"depth32_fields_header124", 32, 3, false, false, 19, 6, 124},
                    CrossCase{"rle8_header124", 8, 1, false, true, 40, 12, 124}),
    [](const testing::TestParamInfo<CrossCase>& info) { return std::string(info.param.name); });

}  // namespace
