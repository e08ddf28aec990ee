#include "formats/heightfield.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "base/errors.h"
#include "base/fpcheck.h"
#include "base/parallelrows.h"
#include "formats/memorylimit.h"

std::unique_ptr<Vec3[]> BuildHeightField(const RgbImage& image) {
  const std::size_t width = static_cast<std::size_t>(image.width);
  const std::size_t height = static_cast<std::size_t>(image.height);
  std::size_t count = 0;
  if (__builtin_mul_overflow(width, height, &count) || count > SIZE_MAX / sizeof(Vec3)) {
    throw cOutOfMemory();
  }
  CheckFitsInMemory(count * sizeof(Vec3));
  if (count == 0)
    return std::unique_ptr<Vec3[]>(new Vec3[0]);

  // A width or height of 1 makes the first pixel's x or y 0 / 0: fail before
  // allocating anything.
  const long double lastColumn = static_cast<long double>(width - 1);
  const long double lastRow = static_cast<long double>(height - 1);
  CheckedDivide(0.0L, lastColumn);
  CheckedDivide(0.0L, lastRow);

  // Every x, y and z is one of a few values: divide once per column, row and
  // channel sum, so that the pixel loop only looks them up. The quotients are
  // taken at extended precision and then rounded to double, exactly as a
  // division per pixel would give them. The checked divisions all happen
  // here, so the row threads below have nothing left that can throw.
  std::vector<double> xs;
  std::vector<double> ys;
  double zs[766];
  try {
    xs.resize(width);
    ys.resize(height);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }
  for (std::size_t col = 0; col < width; ++col) {
    xs[col] = CheckedToDouble(CheckedDivide(static_cast<long double>(col), lastColumn));
  }
  for (std::size_t row = 0; row < height; ++row) {
    ys[row] = CheckedToDouble(CheckedDivide(static_cast<long double>(row), lastRow));
  }
  for (int sum = 0; sum <= 765; ++sum) {
    zs[sum] = CheckedToDouble(CheckedDivide(static_cast<long double>(sum), 765.0L));
  }

  // Every element is written below.
  std::unique_ptr<Vec3[]> points = NewArray<Vec3>(count);
  ForEachRowBlock(height, width, [&](std::size_t rowBegin, std::size_t rowEnd) {
    const std::uint8_t* p = image.pixels.get() + rowBegin * width * 3;
    Vec3* out = points.get() + rowBegin * width;
    for (std::size_t row = rowBegin; row < rowEnd; ++row) {
      const double y = ys[row];
      for (std::size_t col = 0; col < width; ++col, p += 3, ++out) {
        *out = Vec3{xs[col], y, zs[p[0] + p[1] + p[2]]};
      }
    }
  });
  return points;
}
