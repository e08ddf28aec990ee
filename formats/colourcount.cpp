#include "formats/colourcount.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <QImage>
#include <QRgba64>

#include "base/errors.h"
#include "formats/imagedecode.h"
#include "formats/loadprogress.h"
#include "formats/memorylimit.h"

namespace {

// Two pixels from two overlapping 32-bit reads, R0 G0 B0 R1 and B0 R1 G1 B1
// (little-endian), each cell cut out with shifts and masks: about a sixth
// faster than three byte reads a pixel, and never reads past the pixels.
void AddColourCellsScalar(const std::uint8_t* rgb, std::size_t count, std::uint32_t* cells) {
  static_assert(std::endian::native == std::endian::little, "the shifts assume little-endian");
  std::size_t i = 0;
  for (; i + 2 <= count; i += 2, rgb += 6) {
    std::uint32_t a, b;
    std::memcpy(&a, rgb, 4);
    std::memcpy(&b, rgb + 2, 4);
    ++cells[((a >> 18) & 0x3F) | ((a >> 4) & 0xFC0) | ((a << 10) & 0x3F000)];
    ++cells[((b >> 26) & 0x3F) | ((b >> 12) & 0xFC0) | ((b << 2) & 0x3F000)];
  }
  if (i < count)
    ++cells[ColourCell(rgb[0], rgb[1], rgb[2])];
}

#if defined(__x86_64__)
// Four cells at a time: one byte shuffle spreads four pixels over four 32-bit
// lanes (R, G, B, 0) and the same shifts and masks cut out all four indices.
// Working out the indices, not the increments, is what limits the scalar loop:
// this one takes little more than half its time. A step reads 16 bytes and
// uses 12, so it runs while a sixth pixel is left.
[[gnu::target("ssse3")]] void AddColourCellsSsse3(const std::uint8_t* rgb, std::size_t count,
                                                  std::uint32_t* cells) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i red = _mm_set1_epi32(0xFC);
  const __m128i green = _mm_set1_epi32(0xFC00);
  const __m128i blue = _mm_set1_epi32(0xFC0000);
  alignas(16) std::uint32_t index[4];
  std::size_t i = 0;
  for (; i + 6 <= count; i += 4, rgb += 12) {
    const __m128i v =
        _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb)), spread);
    const __m128i cell = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_and_si128(v, red), 10),
                                                   _mm_srli_epi32(_mm_and_si128(v, green), 4)),
                                      _mm_srli_epi32(_mm_and_si128(v, blue), 18));
    _mm_store_si128(reinterpret_cast<__m128i*>(index), cell);
    ++cells[index[0]];
    ++cells[index[1]];
    ++cells[index[2]];
    ++cells[index[3]];
  }
  AddColourCellsScalar(rgb, count - i, cells);
}
#endif

std::vector<std::uint32_t> EmptyCells() {
  std::vector<std::uint32_t> cells;
  try {
    cells.assign(kColourCells, 0);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }
  return cells;
}

// Adds one to cells[cellOf(pixel)] for every pixel of picture, read as T.
template <class T, class CellOf>
void AddPictureCells(const QImage& picture, std::uint32_t* cells, const CellOf& cellOf) {
  const int width = picture.width();
  for (int row = 0; row < picture.height(); ++row) {
    if ((row & 255) == 255)
      ReportLoadProgress(static_cast<double>(row) / picture.height());
    const T* p = reinterpret_cast<const T*>(picture.constScanLine(row));
    for (int col = 0; col < width; ++col)
      ++cells[cellOf(p[col])];
  }
}

}  // namespace

void AddColourCells(const std::uint8_t* rgb, std::size_t count, std::uint32_t* cells) {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("ssse3")) {
    AddColourCellsSsse3(rgb, count, cells);
    return;
  }
#endif
  AddColourCellsScalar(rgb, count, cells);
}

std::unique_ptr<float[]> ScaleColourCells(const std::uint32_t* cells, float* largest) {
  std::unique_ptr<float[]> scaled = NewArray<float>(kColourCells);
  // Saturation is monotonic, so the largest single-precision count is the
  // saturated largest exact count.
  const std::uint32_t top = *std::max_element(cells, cells + kColourCells);
  if (top == 0)
    throw cInvalidOp();
  const float m = SaturatedCount(top);
  if (largest)
    *largest = m;
  // A single-precision quotient equals the extended-precision quotient
  // rounded to single precision, so plain float division is exact enough.
  for (std::size_t i = 0; i < kColourCells; ++i)
    scaled[i] = SaturatedCount(cells[i]) / m;
  return scaled;
}

std::unique_ptr<float[]> CountColours(const RgbImage& image, float* largest) {
  std::vector<std::uint32_t> cells = EmptyCells();
  AddColourCells(image.pixels.get(), image.PixelCount(), cells.data());
  return ScaleColourCells(cells.data(), largest);
}

std::unique_ptr<float[]> CountColours(const QImage& picture, float* largest) {
  if (!ReadsInPlace(picture.format()) && !picture.isNull()) {
    QImage readable = picture;
    MakeReadableInPlace(readable);
    return CountColours(readable, largest);
  }
  std::vector<std::uint32_t> cells = EmptyCells();
  std::uint32_t* const c = cells.data();
  // The six high bits of a 16-bit channel are those of its high byte.
  auto high = [](unsigned v) { return static_cast<std::uint8_t>(v >> 8); };
  switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
      AddPictureCells<QRgb>(picture, c, [](QRgb p) {
        return ColourCell(static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                          static_cast<std::uint8_t>(qBlue(p)));
      });
      break;
    case QImage::Format_Indexed8: {
      // Indices beyond the colour table are black, as in a bitmap.
      std::size_t byIndex[256] = {};
      const QList<QRgb> table = picture.colorTable();
      for (qsizetype i = 0; i < std::min<qsizetype>(table.size(), 256); ++i) {
        byIndex[i] = ColourCell(static_cast<std::uint8_t>(qRed(table[i])),
                                static_cast<std::uint8_t>(qGreen(table[i])),
                                static_cast<std::uint8_t>(qBlue(table[i])));
      }
      AddPictureCells<std::uint8_t>(picture, c, [&](std::uint8_t i) { return byIndex[i]; });
      break;
    }
    case QImage::Format_Grayscale8:
      AddPictureCells<std::uint8_t>(picture, c, [](std::uint8_t v) { return ColourCell(v, v, v); });
      break;
    case QImage::Format_Grayscale16:
      AddPictureCells<std::uint16_t>(
          picture, c, [&](std::uint16_t v) { return ColourCell(high(v), high(v), high(v)); });
      break;
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
      AddPictureCells<QRgba64>(picture, c, [&](QRgba64 p) {
        return ColourCell(high(p.red()), high(p.green()), high(p.blue()));
      });
      break;
    default:  // only the null image, which has no pixels
      break;
  }
  return ScaleColourCells(c, largest);
}
