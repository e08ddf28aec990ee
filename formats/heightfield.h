#pragma once
// A picture as a height field: one point per pixel across the unit square,
// its height the pixel's brightness.

#include <memory>

#include "base/vec3.h"
#include "formats/rgbimage.h"

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
// cOutOfMemory when the array is larger than the machine's memory
// (memorylimit.h) or cannot be allocated.
std::unique_ptr<Vec3[]> BuildHeightField(const RgbImage& image);
