#include "formats/heightfield.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include <QImage>
#include <QRgba64>

#include "base/errors.h"
#include "base/fpcheck.h"
#include "base/parallelrows.h"
#include "formats/imagedecode.h"
#include "formats/memorylimit.h"

namespace {

// The heights of every channel sum from 0 to 3 * top: z = sum / (3 * top),
// each quotient taken at extended precision and then rounded to double,
// exactly as a division per pixel would give it. A pixel's height is then a
// look-up.
std::vector<double> HeightsOfSums(int top) {
  const long double divisor = 3.0L * top;
  std::vector<double> zs;
  try {
    zs.resize(static_cast<std::size_t>(3 * top) + 1);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }
  for (int sum = 0; sum <= 3 * top; ++sum)
    zs[static_cast<std::size_t>(sum)] =
        CheckedToDouble(CheckedDivide(static_cast<long double>(sum), divisor));
  return zs;
}

// The points of a width x height picture: x and y from the column and the
// row, z from rowHeights(row)(col). rowHeights is called once a row, possibly
// on other threads, and must not throw.
template <class RowHeights>
std::unique_ptr<Vec3[]> BuildGrid(std::size_t width, std::size_t height,
                                  const RowHeights& rowHeights) {
  std::size_t count = 0;
  if (__builtin_mul_overflow(width, height, &count) || count > SIZE_MAX / sizeof(Vec3)) {
    throw cOutOfMemory();
  }
  CheckFitsInMemory(count * (sizeof(Vec3) + kPictureExtraBytes));
  if (count == 0)
    return std::unique_ptr<Vec3[]>(new Vec3[0]);

  // A width or height of 1 makes the first pixel's x or y 0 / 0: fail before
  // allocating anything.
  CheckedDivide(0.0L, static_cast<long double>(width - 1));
  CheckedDivide(0.0L, static_cast<long double>(height - 1));

  // Every x and y is one of a few values: divide once per column and row (the
  // callers do the same for the heights), so that the pixel loop only looks
  // them up. The checked divisions all happen here, so the row threads below
  // have nothing left that can throw.
  const std::vector<double> xs = UnitSteps(width);
  const std::vector<double> ys = UnitSteps(height);

  // Every element is written below.
  std::unique_ptr<Vec3[]> points = NewArray<Vec3>(count);
  ForEachRowBlock(height, width, [&](std::size_t rowBegin, std::size_t rowEnd) {
    Vec3* out = points.get() + rowBegin * width;
    for (std::size_t row = rowBegin; row < rowEnd; ++row) {
      const double y = ys[row];
      const auto z = rowHeights(row);
      for (std::size_t col = 0; col < width; ++col, ++out)
        *out = Vec3{xs[col], y, z(col)};
    }
  });
  return points;
}

// Row `row` of image as an array of T.
template <class T>
const T* Row(const QImage& image, std::size_t row) {
  return reinterpret_cast<const T*>(image.constScanLine(static_cast<int>(row)));
}

}  // namespace

std::vector<double> UnitSteps(std::size_t n) {
  const long double last = static_cast<long double>(n) - 1.0L;
  std::vector<double> steps;
  try {
    steps.resize(n);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }
  for (std::size_t i = 0; i < n; ++i)
    steps[i] = CheckedToDouble(CheckedDivide(static_cast<long double>(i), last));
  return steps;
}

std::unique_ptr<Vec3[]> BuildHeightField(const RgbImage& image) {
  const std::size_t width = static_cast<std::size_t>(image.width);
  const std::vector<double> zs = HeightsOfSums(255);
  return BuildGrid(width, static_cast<std::size_t>(image.height), [&](std::size_t row) {
    const std::uint8_t* p = image.pixels.get() + row * width * 3;
    return [p, &zs](std::size_t col) {
      const std::uint8_t* q = p + col * 3;
      return zs[q[0] + q[1] + q[2]];
    };
  });
}

std::unique_ptr<Vec3[]> BuildHeightField(const QImage& picture) {
  if (!ReadsInPlace(picture.format()) && !picture.isNull()) {
    QImage readable = picture;
    MakeReadableInPlace(readable);
    return BuildHeightField(readable);
  }
  const std::size_t width = static_cast<std::size_t>(picture.width());
  const std::size_t height = static_cast<std::size_t>(picture.height());
  switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: {
      // The same heights as a bitmap of the same colours, to the last bit.
      const std::vector<double> zs = HeightsOfSums(255);
      return BuildGrid(width, height, [&](std::size_t row) {
        return [p = Row<QRgb>(picture, row), &zs](std::size_t col) {
          return zs[static_cast<std::size_t>(qRed(p[col]) + qGreen(p[col]) + qBlue(p[col]))];
        };
      });
    }
    case QImage::Format_Indexed8: {
      // Colours beyond the colour table are black, as in a bitmap.
      const std::vector<double> zs = HeightsOfSums(255);
      double byIndex[256] = {};
      const QList<QRgb> table = picture.colorTable();
      for (qsizetype i = 0; i < std::min<qsizetype>(table.size(), 256); ++i)
        byIndex[i] =
            zs[static_cast<std::size_t>(qRed(table[i]) + qGreen(table[i]) + qBlue(table[i]))];
      return BuildGrid(width, height, [&](std::size_t row) {
        return [p = Row<std::uint8_t>(picture, row), &byIndex](std::size_t col) {
          return byIndex[p[col]];
        };
      });
    }
    case QImage::Format_Grayscale8: {
      const std::vector<double> zs = HeightsOfSums(255);
      return BuildGrid(width, height, [&](std::size_t row) {
        return [p = Row<std::uint8_t>(picture, row), &zs](std::size_t col) {
          return zs[3 * std::size_t{p[col]}];
        };
      });
    }
    case QImage::Format_Grayscale16: {
      const std::vector<double> zs = HeightsOfSums(65535);
      return BuildGrid(width, height, [&](std::size_t row) {
        return [p = Row<std::uint16_t>(picture, row), &zs](std::size_t col) {
          return zs[3 * std::size_t{p[col]}];
        };
      });
    }
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64: {
      const std::vector<double> zs = HeightsOfSums(65535);
      return BuildGrid(width, height, [&](std::size_t row) {
        return [p = Row<QRgba64>(picture, row), &zs](std::size_t col) {
          return zs[std::size_t{p[col].red()} + p[col].green() + p[col].blue()];
        };
      });
    }
    default:  // only the null image, which has no pixels
      return BuildGrid(0, 0, [](std::size_t) { return [](std::size_t) { return 0.0; }; });
  }
}

std::unique_ptr<std::uint8_t[]> PixelColours(const QImage& picture) {
  if (!ReadsInPlace(picture.format()) && !picture.isNull()) {
    QImage readable = picture;
    MakeReadableInPlace(readable);
    return PixelColours(readable);
  }
  const auto width = static_cast<std::size_t>(picture.width());
  const auto height = static_cast<std::size_t>(picture.height());
  if (width * height == 0)
    return nullptr;
  std::unique_ptr<std::uint8_t[]> colours = NewArray<std::uint8_t>(3 * width * height);
  const QImage::Format format = picture.format();
  const QList<QRgb> table = picture.colorTable();
  ForEachRowBlock(height, width, [&](std::size_t first, std::size_t last) {
    for (std::size_t row = first; row < last; ++row) {
      std::uint8_t* out = colours.get() + 3 * row * width;
      for (std::size_t col = 0; col < width; ++col, out += 3) {
        QRgb rgb = 0;
        switch (format) {
          case QImage::Format_Indexed8: {
            const std::uint8_t index = Row<std::uint8_t>(picture, row)[col];
            rgb = index < table.size() ? table[index] : qRgb(0, 0, 0);
            break;
          }
          case QImage::Format_Grayscale8: {
            const int g = Row<std::uint8_t>(picture, row)[col];
            rgb = qRgb(g, g, g);
            break;
          }
          case QImage::Format_Grayscale16: {
            const int g = Row<std::uint16_t>(picture, row)[col] >> 8;
            rgb = qRgb(g, g, g);
            break;
          }
          case QImage::Format_RGBX64:
          case QImage::Format_RGBA64:
            rgb = Row<QRgba64>(picture, row)[col].toArgb32();
            break;
          default:  // RGB32, ARGB32
            rgb = Row<QRgb>(picture, row)[col];
            break;
        }
        out[0] = static_cast<std::uint8_t>(qRed(rgb));
        out[1] = static_cast<std::uint8_t>(qGreen(rgb));
        out[2] = static_cast<std::uint8_t>(qBlue(rgb));
      }
    }
  });
  return colours;
}
