#pragma once
// Picture files of the formats other than bitmaps, made by the tests
// themselves: through Qt's image writers where they write the format, by hand
// for GIF, which Qt only reads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <QImage>

#include "bmpwriter.h"

// picture as a QImage of format (RGB32 first, then converted by Qt: greys
// stay exact, a palette takes the picture's colours in order of appearance).
QImage QImageOf(const Picture& picture, QImage::Format format);

// The bytes of image written by Qt's writer for format ("png", "jpeg", "tiff",
// "webp"); quality as QImageWriter::setQuality (100 makes WebP lossless).
std::vector<unsigned char> WriteImage(const QImage& image, const char* format, int quality = -1);

// A GIF of picture with a colour table of its colours (at most 256), written
// without compression: the code width never grows, a clear code comes before
// it would.
std::vector<unsigned char> WriteGif(const Picture& picture);

// png with the width and height in its header replaced, the header's check
// sum made right again: a picture that claims a size its data does not have.
std::vector<unsigned char> PngClaimingSize(std::vector<unsigned char> png, std::uint32_t width,
                                           std::uint32_t height);

// One small file of every kind the image readers load, with what a load must
// make of it. Each picture is kSampleWidth x kSampleHeight: colour A left of
// column kSampleSplit, colour B from there on, so that a quarter of the pixels
// are B (aligned to 8 pixels, where lossy formats keep flat areas flat).
inline constexpr int kSampleWidth = 32;
inline constexpr int kSampleHeight = 16;
inline constexpr int kSampleSplit = 24;

struct PictureSample {
  std::string name;  // also the seed file's name, with its extension
  std::vector<unsigned char> bytes;
  double zA, zB;             // heights of A and B
  std::size_t cellA, cellB;  // colour cells of A and B
  bool lossy;                // heights only near, B's cell only near 1/3
  // The name without its extension, for test names.
  std::string Stem() const { return name.substr(0, name.find('.')); }
};
void PrintTo(const PictureSample& sample, std::ostream* os);

std::vector<PictureSample> PictureSamples();
