#include "input/colourcount.h"

#include <algorithm>
#include <new>
#include <vector>

#include "input/errors.h"

void AddColourCells(const std::uint8_t* rgb, std::size_t count, std::uint32_t* cells) {
  for (std::size_t i = 0; i < count; ++i, rgb += 3)
    ++cells[ColourCell(rgb[0], rgb[1], rgb[2])];
}

std::unique_ptr<float[]> ScaleColourCells(const std::uint32_t* cells) {
  std::unique_ptr<float[]> scaled;
  try {
    scaled.reset(new float[kColourCells]);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }
  // Saturation is monotonic, so the largest single-precision count is the
  // saturated largest exact count.
  const std::uint32_t top = *std::max_element(cells, cells + kColourCells);
  if (top == 0)
    throw cInvalidOp();
  const float m = SaturatedCount(top);
  // A single-precision quotient equals the extended-precision quotient
  // rounded to single precision, so plain float division is exact enough.
  for (std::size_t i = 0; i < kColourCells; ++i)
    scaled[i] = SaturatedCount(cells[i]) / m;
  return scaled;
}

std::unique_ptr<float[]> CountColours(const RgbImage& image) {
  std::vector<std::uint32_t> cells;
  try {
    cells.assign(kColourCells, 0);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }
  AddColourCells(image.pixels.get(), image.PixelCount(), cells.data());
  return ScaleColourCells(cells.data());
}
