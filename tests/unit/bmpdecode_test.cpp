#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "formats/bmpdecode.h"
#include "support/bmpwriter.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Colours that every format the writer makes holds exactly: red and blue on
// the 5-bit scale, green on the 5- and the 6-bit scale.
const std::vector<Rgb8> kColours = {{0, 0, 0},     {255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                    {0, 0, 255},   {132, 8, 66},    {197, 255, 8}, {8, 0, 197},
                                    {66, 8, 132},  {255, 8, 0},     {0, 255, 132}, {132, 0, 255},
                                    {197, 8, 197}, {66, 255, 66},   {8, 8, 8},     {255, 0, 197}};

std::vector<Rgb8> Colours(std::size_t first, std::size_t count) {
  std::vector<Rgb8> c;
  for (std::size_t i = 0; i < count; ++i)
    c.push_back(kColours[(first + i) % kColours.size()]);
  return c;
}

Rgb8 PixelOf(const RgbImage& image, int col, int row) {
  const std::uint8_t* p = image.At(col, row);
  return {p[0], p[1], p[2]};
}

std::string Describe(Rgb8 c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

void ExpectPicture(const RgbImage& image, const Picture& expected) {
  ASSERT_EQ(image.width, expected.width);
  ASSERT_EQ(image.height, expected.height);
  int wrong = 0;
  for (int row = 0; row < expected.height; ++row) {
    for (int col = 0; col < expected.width; ++col) {
      if (PixelOf(image, col, row) == expected.At(col, row) || ++wrong > 5)
        continue;
      ADD_FAILURE() << "pixel (" << col << ", " << row << ") is "
                    << Describe(PixelOf(image, col, row)) << ", expected "
                    << Describe(expected.At(col, row));
    }
  }
  EXPECT_EQ(wrong, 0);
}

RgbImage Decode(const Bytes& file) {
  return DecodeBitmap(file.data(), file.size());
}

// Mostly the background colour, which RLE may skip, with blank rows (0 and
// every seventh) and a blank first column.
Picture SparsePicture(int width, int height, const std::vector<Rgb8>& colours) {
  Picture p = PatternPicture(width, height, {colours[0]});
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      if (col * row % 7 == 3 || (row % 7 != 0 && col > 0 && col % 5 == row % 5)) {
        p.pixels[row * width + col] = colours[1 + (col + row) % (colours.size() - 1)];
      }
    }
  }
  return p;
}

// Wide bands, so that runs reach past 255 pixels.
Picture BandPicture(int width, int height, const std::vector<Rgb8>& colours) {
  Picture p = PatternPicture(width, height, {colours[0]});
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      p.pixels[row * width + col] = colours[(col / 300 + row) % colours.size()];
    }
  }
  return p;
}

// ---------------------------------------------------------------------------
// Every kind of file that loads gives the picture it was written from.

enum class Shape { kPattern, kSparse, kBands };

struct KindCase {
  const char* name;
  BmpOptions options;
  std::size_t firstColour, colourCount;
  int width, height;
  Shape shape = Shape::kPattern;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const KindCase& c, std::ostream* os) {
  *os << c.name;
}

BmpOptions Opt(int bitCount, std::uint32_t headerSize = 40, std::uint32_t compression = 0,
               bool topDown = false) {
  BmpOptions o;
  o.bitCount = bitCount;
  o.headerSize = headerSize;
  o.compression = compression;
  o.topDown = topDown;
  return o;
}
BmpOptions WithMasks(BmpOptions o, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  o.masks[0] = r, o.masks[1] = g, o.masks[2] = b;
  return o;
}
BmpOptions FullTable(BmpOptions o) {
  o.coloursUsed = false;
  return o;
}
BmpOptions Gap(BmpOptions o, std::uint32_t gap) {
  o.gap = gap;
  return o;
}
BmpOptions Skips(BmpOptions o) {
  o.rleSkips = true;
  return o;
}

class DecodeKinds : public testing::TestWithParam<KindCase> {};

TEST_P(DecodeKinds, GivesThePictureWritten) {
  const KindCase& c = GetParam();
  const std::vector<Rgb8> colours = Colours(c.firstColour, c.colourCount);
  const Picture picture = c.shape == Shape::kSparse  ? SparsePicture(c.width, c.height, colours)
                          : c.shape == Shape::kBands ? BandPicture(c.width, c.height, colours)
                                                     : PatternPicture(c.width, c.height, colours);
  ExpectPicture(Decode(WriteBmp(picture, c.options)), picture);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DecodeKinds,
    testing::Values(
        KindCase{"depth1", Opt(1), 5, 2, 13, 5}, KindCase{"depth1_core", Opt(1, 12), 6, 2, 37, 3},
        KindCase{"depth1_topdown", Opt(1, 40, 0, true), 2, 2, 9, 4},
        KindCase{"depth4", Opt(4), 0, 16, 13, 5}, KindCase{"depth4_core", Opt(4, 12), 3, 11, 7, 6},
        KindCase{"depth4_topdown", Opt(4, 40, 0, true), 1, 16, 5, 5},
        KindCase{"depth8", Opt(8), 0, 16, 13, 5},
        KindCase{"depth8_full_table", FullTable(Opt(8)), 4, 9, 6, 6},
        KindCase{"depth8_core", Opt(8, 12), 2, 16, 3, 3},
        KindCase{"depth8_topdown", Opt(8, 40, 0, true), 0, 16, 10, 4},
        // The offset points past a gap after the colour table.
        KindCase{"depth8_gap_before_pixels", Gap(Opt(8), 6), 0, 16, 7, 3},
        KindCase{"depth24_gap_before_pixels", Gap(Opt(24), 10), 0, 16, 7, 3},
        KindCase{"depth16_555", Opt(16), 0, 16, 13, 5},
        KindCase{"depth16_555_topdown", Opt(16, 40, 0, true), 0, 16, 13, 5},
        KindCase{"depth16_565_fields", Opt(16, 40, 3), 0, 16, 13, 5},
        KindCase{"depth16_565_fields_in_v3_header", Opt(16, 56, 3), 0, 16, 4, 4},
        KindCase{"depth16_fields_in_v5_header", WithMasks(Opt(16, 124, 3), 0x1F, 0x7E0, 0xF800), 0,
                 16, 5, 3},
        KindCase{"depth24", Opt(24), 0, 16, 13, 5},
        KindCase{"depth24_core", Opt(24, 12), 0, 16, 5, 5},
        // Rows long enough to be decoded several pixels at a time, with a rest.
        KindCase{"depth24_wide", Opt(24), 3, 16, 41, 3},
        KindCase{"depth24_topdown", Opt(24, 40, 0, true), 0, 16, 13, 5},
        KindCase{"depth24_header16", Opt(24, 16), 0, 16, 6, 2},
        KindCase{"depth24_header52", Opt(24, 52), 0, 16, 6, 2},
        KindCase{"depth24_header64", Opt(24, 64), 0, 16, 6, 2},
        KindCase{"depth24_header108", Opt(24, 108), 0, 16, 6, 2},
        KindCase{"depth24_header124", Opt(24, 124), 0, 16, 6, 2},
        KindCase{"depth24_header200", Opt(24, 200), 0, 16, 6, 2},
        KindCase{"depth32", Opt(32), 0, 16, 13, 5},
        KindCase{"depth32_topdown", Opt(32, 40, 0, true), 0, 16, 13, 5},
        KindCase{"depth32_fields_888", Opt(32, 40, 3), 0, 16, 13, 5},
        KindCase{"depth32_fields_rgb_reversed",
                 WithMasks(Opt(32, 40, 3), 0x0000FF, 0x00FF00, 0xFF0000), 0, 16, 13, 5},
        KindCase{"depth32_fields_10bit",
                 WithMasks(Opt(32, 108, 3), 0x3FF00000, 0x000FFC00, 0x000003FF), 0, 16, 9, 4},
        KindCase{"rle8", Opt(8, 40, 1), 0, 16, 13, 5},
        KindCase{"rle8_delta_and_eol", Skips(Opt(8, 40, 1)), 0, 16, 23, 16, Shape::kSparse},
        KindCase{"rle8_long_runs", Opt(8, 40, 1), 0, 5, 1000, 3, Shape::kBands},
        KindCase{"rle4", Opt(4, 40, 2), 0, 16, 13, 5},
        KindCase{"rle4_delta_and_eol", Skips(Opt(4, 40, 2)), 0, 16, 23, 16, Shape::kSparse},
        KindCase{"rle4_long_runs", Opt(4, 40, 2), 0, 5, 1000, 3, Shape::kBands}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST(DecodeBitmap, ZeroLengthFileIsAnEmptyImage) {
  const unsigned char nothing = 0;
  const RgbImage image = DecodeBitmap(&nothing, 0);
  EXPECT_EQ(image.width, 0);
  EXPECT_EQ(image.height, 0);
  EXPECT_EQ(image.pixels, nullptr);
}

// Narrow and wide channels reach 255 at full scale: value * 255 / max, rounded.
TEST(DecodeBitmap, WidensChannelsByScaleNotByShift) {
  struct Row {
    std::uint32_t mask, value;
    std::uint8_t expected;
  };
  const Row rows[] = {
      {0x001F, 31, 255},
      {0x001F, 16, 132},
      {0x001F, 1, 8},
      {0x003F, 32, 130},
      {0x0001, 1, 255},
      {0x0007, 3, 109},
      {0x03FF, 1023, 255},
      {0x03FF, 512, 128},
      {0xFFFFFFFF, 0xFFFFFFFF, 255},
      {0xFFFFFFFF, 0x80000000, 128},
      {0x0000, 0xFFFF, 0},
  };
  for (const Row& r : rows) {
    // One 32-bit pixel whose three channels share the mask.
    const Bytes data = {
        static_cast<unsigned char>(r.value), static_cast<unsigned char>(r.value >> 8),
        static_cast<unsigned char>(r.value >> 16), static_cast<unsigned char>(r.value >> 24)};
    Bytes file = WriteRawBmp(1, 1, 32, 3, {}, {});
    Poke32(file, 10, 14 + 40 + 12);
    for (int i = 0; i < 3; ++i) {
      const Bytes m = {static_cast<unsigned char>(r.mask), static_cast<unsigned char>(r.mask >> 8),
                       static_cast<unsigned char>(r.mask >> 16),
                       static_cast<unsigned char>(r.mask >> 24)};
      file.insert(file.end(), m.begin(), m.end());
    }
    file.insert(file.end(), data.begin(), data.end());
    const RgbImage image = Decode(file);
    EXPECT_EQ(PixelOf(image, 0, 0), (Rgb8{r.expected, r.expected, r.expected}))
        << "mask " << std::hex << r.mask << " value " << r.value;
  }
}

// ---------------------------------------------------------------------------
// Broken and hostile files: each gives its error or a clipped image, without
// reading or writing outside the buffers (the sanitizer build checks that).

enum class Outcome { kImage, kReadError, kInvalid, kOutOfMemory };

struct HostileCase {
  const char* name;
  std::function<Bytes()> make;
  Outcome outcome;
  int width = 0, height = 0;
  std::vector<Rgb8> pixels = {};  // row 0 first; empty: not checked
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

const Rgb8 kBlack{0, 0, 0};
const Rgb8 kP0{10, 20, 30};
const Rgb8 kP1{200, 100, 50};
const Rgb8 kA{255, 0, 0}, kB{40, 50, 60}, kC{0, 0, 255}, kD{1, 2, 3}, kE{4, 5, 6}, kF{7, 8, 9};

// 3 x 2, 24 bits, rows A B C over D E F; header fields at the usual offsets:
// 10 pixel offset, 14 header length, 18 width, 22 height, 26 planes,
// 28 depth, 30 compression, 34 image size, 46 colours used; pixels from 54.
Picture Small() {
  return Picture{3, 2, {kA, kB, kC, kD, kE, kF}};
}
const std::vector<Rgb8> kSmall = {kA, kB, kC, kD, kE, kF};
Bytes Small24() {
  return WriteBmp(Small(), Opt(24));
}

Bytes With32(Bytes f, std::size_t at, std::uint32_t v) {
  Poke32(f, at, v);
  return f;
}
Bytes With16(Bytes f, std::size_t at, std::uint16_t v) {
  Poke16(f, at, v);
  return f;
}
Bytes Cut(Bytes f, std::size_t size) {
  f.resize(size);
  return f;
}
Bytes Text(const char* text) {
  return Bytes(text, text + std::strlen(text));
}
// The three masks that follow a 40-byte header, or sit in a longer one.
Bytes ZeroMasks(Bytes f) {
  for (std::size_t at : {54, 58, 62})
    Poke32(f, at, 0);
  return f;
}
Bytes Rle(int width, int height, std::uint32_t compression, const Bytes& data) {
  return WriteRawBmp(width, height, compression == 1 ? 8 : 4, compression, {kP0, kP1}, data);
}

class HostileFiles : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileFiles, GiveTheirErrorOrAClippedImage) {
  const HostileCase& c = GetParam();
  const Bytes file = c.make();
  switch (c.outcome) {
    case Outcome::kReadError:
      EXPECT_THROW(Decode(file), cReadError);
      return;
    case Outcome::kInvalid:
      EXPECT_THROW(Decode(file), cInvalidGraphic);
      return;
    case Outcome::kOutOfMemory:
      EXPECT_THROW(Decode(file), cOutOfMemory);
      return;
    case Outcome::kImage:
      break;
  }
  const RgbImage image = Decode(file);
  ASSERT_EQ(image.width, c.width);
  ASSERT_EQ(image.height, c.height);
  if (!c.pixels.empty())
    ExpectPicture(image, Picture{c.width, c.height, c.pixels});
}

const std::vector<Rgb8> Fill(std::size_t n, Rgb8 c) {
  return std::vector<Rgb8>(n, c);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Files, HostileFiles,
    testing::Values(
        // Too short for the file header, or not a bitmap.
        HostileCase{"one_byte", [] { return Bytes{'B'}; }, Outcome::kReadError},
        HostileCase{"magic_only", [] { return Bytes{'B', 'M'}; }, Outcome::kReadError},
        HostileCase{"thirteen_bytes", [] { return Cut(Small24(), 13); }, Outcome::kReadError},
        HostileCase{"short_text", [] { return Bytes{'h', 'i', '\n'}; }, Outcome::kReadError},
        HostileCase{"text_file", [] { return Text("x,y,z\n0.5,0.25,1\n"); }, Outcome::kInvalid},
        // The info header.
        HostileCase{"file_header_only", [] { return Cut(Small24(), 14); }, Outcome::kReadError},
        HostileCase{"header_length_cut", [] { return Cut(Small24(), 16); }, Outcome::kReadError},
        HostileCase{"header_length_0", [] { return With32(Small24(), 14, 0); }, Outcome::kInvalid},
        HostileCase{"header_length_8", [] { return With32(Small24(), 14, 8); }, Outcome::kInvalid},
        HostileCase{"header_length_13", [] { return With32(Small24(), 14, 13); }, Outcome::kInvalid},
        HostileCase{"header_length_7fffffff", [] { return With32(Small24(), 14, 0x7FFFFFFF); }, Outcome::kReadError},
        HostileCase{"header_length_ffffffff", [] { return With32(Small24(), 14, 0xFFFFFFFF); }, Outcome::kReadError},
        HostileCase{"core_header_cut", [] { return Cut(WriteBmp(Small(), Opt(24, 12)), 14 + 10); }, Outcome::kReadError},
        HostileCase{"info_header_cut", [] { return Cut(Small24(), 40); }, Outcome::kReadError},
        HostileCase{"planes_2", [] { return With16(Small24(), 26, 2); }, Outcome::kInvalid},
        HostileCase{"depth_0", [] { return With16(Small24(), 28, 0); }, Outcome::kInvalid},
        HostileCase{"depth_2", [] { return With16(Small24(), 28, 2); }, Outcome::kInvalid},
        HostileCase{"compression_4", [] { return With32(Small24(), 30, 4); }, Outcome::kInvalid},
        HostileCase{"rle8_at_24_bits", [] { return With32(Small24(), 30, 1); }, Outcome::kInvalid},
        HostileCase{"rle4_at_8_bits", [] { return With32(Rle(3, 2, 1, {}), 30, 2); }, Outcome::kInvalid},
        HostileCase{"rle8_at_4_bits", [] { return With32(Rle(3, 2, 2, {}), 30, 1); }, Outcome::kInvalid},
        HostileCase{"fields_at_24_bits", [] { return With32(Small24(), 30, 3); }, Outcome::kInvalid},
        HostileCase{"fields_at_8_bits", [] { return With32(WriteBmp(Small(), Opt(8)), 30, 3); }, Outcome::kInvalid},
        // Sizes.
        HostileCase{"width_negative", [] { return With32(Small24(), 18, -3); }, Outcome::kInvalid},
        HostileCase{"width_int_min", [] { return With32(Small24(), 18, 0x80000000); }, Outcome::kInvalid},
        HostileCase{"width_7fffffff_one_row", [] { return With32(With32(Small24(), 18, 0x7FFFFFFF), 22, 1); }, Outcome::kOutOfMemory},
        HostileCase{"height_minus_7fffffff", [] { return With32(Small24(), 22, -0x7FFFFFFF); }, Outcome::kOutOfMemory},
        HostileCase{"core_65535_square", [] { return With16(With16(WriteBmp(Small(), Opt(24, 12)), 18, 0xFFFF), 20, 0xFFFF); }, Outcome::kOutOfMemory},
        HostileCase{"width_0", [] { return With32(Small24(), 18, 0); }, Outcome::kInvalid},
        HostileCase{"height_0", [] { return With32(Small24(), 22, 0); }, Outcome::kInvalid},
        HostileCase{"rle_top_down", [] { return With32(Rle(3, 2, 1, {}), 22, -2); }, Outcome::kInvalid},
        HostileCase{"pixels_2_to_28_plus_1", [] { return With32(With32(Small24(), 18, 16385), 22, 16384); }, Outcome::kOutOfMemory},
        HostileCase{"width_height_7fffffff", [] { return With32(With32(Small24(), 18, 0x7FFFFFFF), 22, 0x7FFFFFFF); }, Outcome::kOutOfMemory},
        HostileCase{"height_int_min", [] { return With32(Small24(), 22, 0x80000000); }, Outcome::kOutOfMemory},
        // Big claims, little data: loads black rather than reading on.
        HostileCase{"2048_square_without_pixels", [] { return Cut(With32(With32(Small24(), 18, 2048), 22, 2048), 54); }, Outcome::kImage, 2048, 2048},
        HostileCase{"top_down_2048_square_without_pixels", [] { return Cut(With32(With32(Small24(), 18, 2048), 22, -2048), 54); }, Outcome::kImage, 2048, 2048},
        // Colour tables and masks. With the offset inside the file, the table is what fits before it.
        HostileCase{"colour_table_longer_than_file", [] { return With32(With32(WriteBmp(Small(), Opt(8)), 46, 0xFFFFFFFF), 10, 0); }, Outcome::kReadError},
        HostileCase{"colour_table_longer_than_file_offset_kept", [] { return With32(WriteBmp(Small(), Opt(8)), 46, 0xFFFFFFFF); }, Outcome::kImage, 3, 2, kSmall},
        HostileCase{"colour_table_cut", [] { return Cut(WriteBmp(Small(), FullTable(Opt(8))), 54 + 400); }, Outcome::kReadError},
        HostileCase{"core_colour_table_cut", [] { return Cut(WriteBmp(Small(), Opt(8, 12)), 26 + 3 * 100); }, Outcome::kReadError},
        HostileCase{"table_on_24_bits_longer_than_file", [] { return With32(With32(Small24(), 46, 0x40000000), 10, 0); }, Outcome::kReadError},
        HostileCase{"masks_zero_after_header_16_bits", [] { return ZeroMasks(WriteBmp(Small(), Opt(16, 40, 3))); }, Outcome::kImage, 3, 2, Fill(6, kBlack)},
        HostileCase{"masks_cut", [] { return Cut(WriteBmp(Small(), Opt(16, 40, 3)), 54 + 6); }, Outcome::kReadError},
        HostileCase{"masks_zero", [] { return ZeroMasks(WriteBmp(Small(), Opt(32, 40, 3))); }, Outcome::kImage, 3, 2, Fill(6, kBlack)},
        HostileCase{"masks_zero_in_header", [] { return ZeroMasks(WriteBmp(Small(), Opt(16, 56, 3))); }, Outcome::kImage, 3, 2, Fill(6, kBlack)},
        HostileCase{"index_beyond_table", [] { return WriteRawBmp(3, 1, 8, 0, {kP0, kP1}, {1, 0, 7, 0}); }, Outcome::kImage, 3, 1, {kP1, kP0, kBlack}},
        // Pixel data and where it starts.
        HostileCase{"pixels_cut_inside_a_pixel", [] { return Cut(Small24(), 54 + 12 + 4); }, Outcome::kImage, 3, 2, {kA, Rgb8{0, 0, kB.b}, kBlack, kD, kE, kF}},
        HostileCase{"pixels_missing", [] { return Cut(Small24(), 54); }, Outcome::kImage, 3, 2, Fill(6, kBlack)},
        HostileCase{"palette_pixels_missing_read_entry_0", [] { return Cut(WriteRawBmp(3, 2, 8, 0, {kP0, kP1}, {1, 1, 1, 0, 1}), 63); }, Outcome::kImage, 3, 2, {kP0, kP0, kP0, kP1, kP0, kP0}},
        HostileCase{"image_size_one_row", [] { return With32(Small24(), 34, 12); }, Outcome::kImage, 3, 2, {kBlack, kBlack, kBlack, kD, kE, kF}},
        HostileCase{"image_size_cuts_rle_stream", [] { return With32(Rle(3, 2, 1, {3, 1, 0, 0, 3, 1, 0, 1}), 34, 4); }, Outcome::kImage, 3, 2, {kP0, kP0, kP0, kP1, kP1, kP1}},
        HostileCase{"image_size_huge", [] { return With32(Small24(), 34, 0xFFFFFFFF); }, Outcome::kImage, 3, 2, kSmall},
        HostileCase{"offset_past_end", [] { return With32(Small24(), 10, 0xFFFFFFF0); }, Outcome::kImage, 3, 2, kSmall},
        HostileCase{"offset_inside_headers", [] { return With32(Small24(), 10, 20); }, Outcome::kImage, 3, 2, kSmall},
        HostileCase{"offset_at_end", [] { return With32(Small24(), 10, 54 + 24); }, Outcome::kImage, 3, 2, Fill(6, kBlack)}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });
// clang-format on

// Run-length streams that stop early, jump away or overrun: 3 x 2 pixels
// unless said otherwise, palette {P0, P1}; rows from the bottom, and pixels
// that no code reaches keep entry 0.
struct RleCase {
  const char* name;
  std::uint32_t compression;
  Bytes stream;
  std::vector<Rgb8> pixels;  // row 0 first
  int width = 3;
};

void PrintTo(const RleCase& c, std::ostream* os) {
  *os << c.name;
}

class RleStreams : public testing::TestWithParam<RleCase> {};

TEST_P(RleStreams, DecodeClippedWithinTheImage) {
  const RleCase& c = GetParam();
  ExpectPicture(Decode(Rle(c.width, 2, c.compression, c.stream)), Picture{c.width, 2, c.pixels});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Streams, RleStreams,
    testing::Values(
        RleCase{"run_past_row_is_clipped", 1, {5, 1, 0, 0, 0, 1}, {kP0, kP0, kP0, kP1, kP1, kP1}},
        RleCase{"delta_past_image", 1, {0, 2, 200, 200, 1, 1}, Fill(6, kP0)},
        RleCase{"delta_past_row", 1, {0, 2, 250, 0, 2, 1, 0, 0, 1, 1}, {kP1, kP0, kP0, kP0, kP0, kP0}},
        RleCase{"delta_cut", 1, {1, 1, 0, 2, 1}, {kP0, kP0, kP0, kP1, kP0, kP0}},
        RleCase{"absolute_past_data", 1, {0, 200, 1, 1}, {kP0, kP0, kP0, kP1, kP1, kP0}},
        RleCase{"absolute_past_row", 1, {0, 4, 1, 0, 1, 1, 1, 1}, {kP0, kP0, kP0, kP1, kP0, kP1}},
        RleCase{"no_end_codes", 1, {2, 1}, {kP0, kP0, kP0, kP1, kP1, kP0}},
        RleCase{"end_of_line_past_last_row", 1, {0, 0, 0, 0, 0, 0, 0, 0, 3, 1}, Fill(6, kP0)},
        RleCase{"index_beyond_table", 1, {3, 9, 0, 1}, {kP0, kP0, kP0, kBlack, kBlack, kBlack}},
        RleCase{"one_wide_long_runs", 1, {255, 1, 255, 0, 0, 0, 255, 1, 0, 1}, {kP1, kP1}, 1},
        RleCase{"rle4_alternating_run_past_row", 2, {5, 0x10, 0, 1}, {kP0, kP0, kP0, kP1, kP0, kP1}},
        RleCase{"rle4_absolute_odd_count", 2, {0, 3, 0x10, 0x10, 0, 0, 1, 0x11, 0, 1},
                {kP1, kP0, kP0, kP1, kP0, kP1}},
        RleCase{"rle4_delta_past_image", 2, {0, 2, 200, 200, 3, 0x11, 0, 1}, Fill(6, kP0)},
        RleCase{"rle4_absolute_past_data", 2, {0, 200, 0x11}, {kP0, kP0, kP0, kP1, kP1, kP0}},
        RleCase{"run_after_last_row_is_dropped", 1, {0, 2, 0, 2, 3, 1, 0, 1}, Fill(6, kP0)},
        RleCase{"deltas_far_past_row_draw_nothing", 1, {0, 2, 255, 0, 0, 2, 255, 0, 2, 1, 0, 1}, Fill(6, kP0)}),
    [](const testing::TestParamInfo<RleCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
