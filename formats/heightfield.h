#pragma once
// A picture as a height field: one point per pixel across the unit square,
// its height the pixel's brightness.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/heightlevels.h"
#include "base/heightvalues.h"
#include "base/vec3.h"
#include "formats/rgbimage.h"

class QImage;

// A height field as the loaders hand it to the surface: columns x rows
// points, row after row from the top, ready to be handed over with adopt
// set, and what they carry.
struct HeightFieldGrid {
  std::unique_ptr<Vec3[]> points;
  int columns = 0;
  int rows = 0;
  // One byte a point, 0 where the point has no value; null when all have one.
  std::unique_ptr<std::uint8_t[]> present;
  // A picture's: the colour of each point's pixel, three bytes (red, green,
  // blue) a point; null for other data.
  std::unique_ptr<std::uint8_t[]> colours;
  HeightValues values;
  // A measured raster too large to read whole: its levels of detail, which
  // the surface draws instead of points (then null and 0 x 0).
  std::shared_ptr<HeightLevels> levels;
};

// What a point of a height field may take besides its place, counted when a
// height field is checked against memory: its pixel's colour and the shade a
// light may give it later.
inline constexpr std::size_t kPictureExtraBytes = 3 + 1;

// i / (n - 1) for i = 0 ... n - 1, each quotient taken at extended precision
// and rounded to double: the x of each column, or the y of each row, of a
// grid n points wide or high. Throws cInvalidOp when n is 1 (0 / 0),
// cOutOfMemory when the n values cannot be allocated.
std::vector<double> UnitSteps(std::size_t n);

// Builds image.width * image.height points, packed row after row from the top
// row, each row from the left: the point of pixel (col, row) with colour
// (R, G, B) is x = col / (width - 1), y = row / (height - 1),
// z = (R + G + B) / 765, each computed at extended precision and stored as a
// double, so that black is exactly 0 and white exactly 1. Large pictures are
// spread over the machine's cores (parallelrows.h); the result is the same.
// The array is allocated with new[] and belongs to the caller, ready to be
// handed over with the adopt flag. An image without pixels gives an empty
// array (non-null, no elements) and no error.
// Throws cInvalidOp when the image is 1 pixel wide or 1 pixel high (the first
// pixel's x or y is 0 / 0), checked before anything is allocated;
// cOutOfMemory when the array, with kPictureExtraBytes a point, is larger
// than the machine's memory (memorylimit.h) or cannot be allocated.
std::unique_ptr<Vec3[]> BuildHeightField(const RgbImage& image);

// The same for a picture decoded by Qt's readers (imagedecode.h). An 8-bit
// picture gives exactly the points of a bitmap of the same colours; 16 bits a
// channel keep their precision: z = (R + G + B) / (3 * 65535) from the 16-bit
// values. Alpha is ignored. A picture in a format that is not read in place
// (ReadsInPlace) is converted first, at the cost of a copy; the null image
// gives an empty array. Ownership and errors as above.
std::unique_ptr<Vec3[]> BuildHeightField(const QImage& picture);

// The colour of every pixel of a picture decoded by Qt's readers, three bytes
// (red, green, blue) a pixel, row after row from the top: 8-bit channels as
// they are, deeper ones by their top 8 bits. Null for a picture without
// pixels. Throws cOutOfMemory when it cannot be allocated.
std::unique_ptr<std::uint8_t[]> PixelColours(const QImage& picture);
