#pragma once
// Rasters of measured values (elevation models, scientific rasters) as height
// fields: the values of band 1 spread over the unit square as a picture's
// pixels are, and scaled into [0, 1] between the smallest and the largest
// value present, with cells that hold no value marked as missing.

#include <cmath>
#include <cstdint>

#include <QString>

#include "base/heightvalues.h"
#include "base/scopedoverride.h"
#include "formats/bmpdecode.h"
#include "formats/heightfield.h"
#include "formats/rasterfile.h"

// Bytes a point of a measured height field takes: the point, its presence
// byte and the shade a light may give it later.
inline constexpr std::uint64_t kMeasuredPointBytes = sizeof(Vec3) + 1 + 1;

// The value of a stored sample of the raster with header.
inline double ValueOf(const RasterHeader& header, double sample) {
  return sample * header.scale + header.offset;
}

// Whether a stored sample of the raster with header holds a value: not the
// no-data sample, and a finite value.
inline bool HoldsValue(const RasterHeader& header, double sample) {
  return std::isfinite(ValueOf(header, sample)) && !(header.noData && sample == *header.noData);
}

// The height of a value in a raster whose values span [minimum, maximum]:
// (value - minimum) / (maximum - minimum), 1/2 for all when the two are equal.
class ValueToHeight {
 public:
  ValueToHeight(double minimum, double maximum);
  double operator()(double value) const {
    return range == 0.0 ? 0.5 : (value * half - low) / range;
  }

 private:
  double half;
  double low;
  double range;
};

// The smallest whole number f by which a raster of columns x rows cells is
// read reduced (ceil(columns / f) x ceil(rows / f) points) so that it has at
// most maxPoints points and their pointBytes each fit in MemoryLimitBytes()
// (memorylimit.h). 1 when the raster fits whole. Never throws.
std::uint32_t ReductionFactor(std::uint64_t columns, std::uint64_t rows, std::uint64_t maxPoints,
                              std::uint64_t pointBytes);

// Reads band 1 of raster into a height field of its columns x rows cells, or,
// when that is too large (ReductionFactor), of fewer points, each the average
// of the cells it covers. Cell (c, r) becomes point (c, r): x = c / (columns
// - 1), y = r / (rows - 1), as the pixels of a picture, the raster's first
// row at y = 0. A sample v stands for value v * scale + offset; the no-data
// sample, NaN and infinities are missing, and so is a value that is not
// finite. z = (value - min) / (max - min) over the values present, 1/2 for
// all when they are equal, 0 for the missing points, which the grid's
// present bytes mark (null when every point has a value). The values keep
// the range, the unit, the geotransform and the reduction.
// The first row is read before the height field is allocated, so that a file
// whose header claims data it does not hold is refused cheaply.
// Throws cInvalidGraphic for a raster without cells; cInvalidOp for one a
// single point wide or high (its x or y is 0 / 0); cReadError when the file
// fails to give its samples; cOutOfMemory when the points cannot be
// allocated; cError when no cell has a value.
HeightFieldGrid ReadMeasuredHeights(RasterFile& raster, std::uint64_t maxPoints);

// The most points a measured height field read from a file may have:
// kMaxBitmapPixels, as pictures, or fewer while a ScopedRasterPointLimit
// lives. Never throws.
std::uint64_t RasterPointLimit();

// Lowers RasterPointLimit() to points while it lives, for tests and
// benchmarks of reduced reads. Not for use from several threads at once.
class ScopedRasterPointLimit : ScopedOverride<std::uint64_t> {
 public:
  explicit ScopedRasterPointLimit(std::uint64_t points);
};

// What the user is told of a raster read reduced, in the program's language;
// empty when it was read whole.
QString ReducedNotice(const HeightValues& values);
