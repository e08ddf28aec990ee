#pragma once
// A picture's colour distribution: how many pixels fall into each of 64^3
// colour cells, scaled so that the fullest cell is 1.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "formats/rgbimage.h"

class QImage;

inline constexpr std::size_t kColourCells = 64 * 64 * 64;

// The cell of a colour: the six high bits of each channel, blue varying
// fastest and red slowest.
constexpr std::size_t ColourCell(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (b >> 2) + 64 * (g >> 2) + 4096 * static_cast<std::size_t>(r >> 2);
}

// Adds one to cells[ColourCell(pixel)] for each of the count pixels at rgb
// (packed R, G, B). cells holds kColourCells entries; the caller keeps both
// arrays. Counts are exact as long as fewer than 2^32 pixels are added.
void AddColourCells(const std::uint8_t* rgb, std::size_t count, std::uint32_t* cells);

// The value a single-precision counter reaches after count additions of 1.0:
// count itself up to 2^24, and there it stays, since 2^24 + 1 rounds back to
// 2^24.
constexpr float SaturatedCount(std::uint32_t count) {
  return count < (1u << 24) ? static_cast<float>(count) : 16777216.0f;
}

// Turns exact counts (kColourCells entries, kept by the caller) into
// kColourCells floats: each cell's single-precision count divided by the
// largest of them, in single precision, so the fullest cells hold exactly 1.
// The array is allocated with new[] and belongs to the caller, ready to be
// handed over with the adopt flag.
// Throws cInvalidOp when every count is 0 (the first cell would be 0 / 0);
// cOutOfMemory when the array cannot be allocated.
// largest, when given, is set to the count that a value of 1 stands for.
std::unique_ptr<float[]> ScaleColourCells(const std::uint32_t* cells, float* largest = nullptr);

// The scaled colour distribution of image (AddColourCells, then
// ScaleColourCells). Ownership and errors as ScaleColourCells; an image
// without pixels throws cInvalidOp.
std::unique_ptr<float[]> CountColours(const RgbImage& image, float* largest = nullptr);

// The same for a picture decoded by Qt's readers (imagedecode.h): each
// channel's six high bits, whatever its depth; alpha is ignored. A picture in
// a format that is not read in place (ReadsInPlace) is converted first, at the
// cost of a copy. Ownership and errors as ScaleColourCells; the null image
// throws cInvalidOp.
std::unique_ptr<float[]> CountColours(const QImage& picture, float* largest = nullptr);
