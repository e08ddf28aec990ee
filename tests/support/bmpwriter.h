#pragma once
// Writes Windows bitmap files of every kind the loaders read, so that tests
// make their own files instead of keeping binary ones.

#include <cstdint>
#include <vector>

#include "formats/rgbimage.h"

struct Rgb8 {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(Rgb8, Rgb8) = default;
};

// A picture, row 0 at the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgb8> pixels;  // width * height, row after row
  Rgb8 At(int col, int row) const { return pixels[static_cast<std::size_t>(row) * width + col]; }
};

// Pixel (col, row) gets colours[(col + 2 * row + col * row % 3) % colours.size()].
Picture PatternPicture(int width, int height, const std::vector<Rgb8>& colours);

struct BmpOptions {
  int bitCount = 24;
  std::uint32_t headerSize = 40;  // 12 writes the core header
  std::uint32_t compression = 0;  // 0, 1 (RLE8), 2 (RLE4), 3 (bit fields)
  bool topDown = false;
  // 16 and 32 bits: the channel masks (R, G, B) that the pixels are packed
  // with. With compression 3 they are written after a header shorter than 52
  // bytes, else into it; with compression 0 they must be the defaults
  // (5-5-5 or 8-8-8) and are not written.
  std::uint32_t masks[3] = {0, 0, 0};
  // RLE: leave pixels of palette index 0 out with delta and end-of-line codes.
  bool rleSkips = false;
  // Palette images: colour table; empty takes the picture's colours in order
  // of first appearance (row 0 first). coloursUsed writes its size into the
  // header; otherwise the field is 0 and the table is padded to 2^depth.
  std::vector<Rgb8> palette;
  bool coloursUsed = true;
  // Bytes left between the colour table and the pixels (the offset says so).
  std::uint32_t gap = 0;
};

// The bytes of the file. Channels of 16- and 32-bit pixels are scaled to
// their mask as round(v * max / 255); pick colours that survive it. Palette
// images must not need more entries than the depth allows.
std::vector<unsigned char> WriteBmp(const Picture& picture, const BmpOptions& options);

// A file with a 40-byte info header, the given colour table (its size in the
// colours-used field) and data as the pixel data, as it stands: for files the
// writer above would not make, such as broken RLE streams.
std::vector<unsigned char> WriteRawBmp(int width, int height, int bitCount,
                                       std::uint32_t compression, const std::vector<Rgb8>& palette,
                                       const std::vector<unsigned char>& data);

// Overwrite a little-endian field of a written file.
void Poke16(std::vector<unsigned char>& file, std::size_t at, std::uint16_t value);
void Poke32(std::vector<unsigned char>& file, std::size_t at, std::uint32_t value);

// The picture as the decoder would deliver it, for tests of what consumes
// decoded images.
RgbImage ImageOf(const Picture& picture);
