#pragma once
// A decoded picture: 8-bit red, green and blue per pixel, packed three bytes a
// pixel, row after row starting with the top row, each row from the left edge.
// The loaders build the height field and the colour count from it.

#include <cstddef>
#include <cstdint>
#include <memory>

struct RgbImage {
  int width = 0;
  int height = 0;
  // width * height * 3 bytes (R, G, B); null for an empty image.
  std::unique_ptr<std::uint8_t[]> pixels;

  std::size_t PixelCount() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  }
  // The first byte (red) of pixel (col, row); row 0 is the top row.
  const std::uint8_t* At(int col, int row) const {
    return pixels.get() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(col)) *
                              3;
  }
};
