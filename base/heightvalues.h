#pragma once
// What the heights of a surface stand for. Heights always lie in the unit
// cube; this keeps what they were made from, so that numbers shown to the
// user (a colour bar, axis ticks, the value under the cursor) can be given in
// the data's own terms rather than as heights.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include <QString>

#include "base/mapdistances.h"

struct HeightValues {
  enum class Source {
    kNone,       // no data, or data of unknown meaning
    kPicture,    // brightness: z = (R + G + B) / (3 * top), top = 2^sampleBits - 1
    kMeasured,   // a raster of values: z = (v - minimum) / (maximum - minimum)
    kPointGrid,  // points given with their own x, y, z
  };
  Source source = Source::kNone;

  // Pictures: bits of each colour sample, 8 or 16.
  int sampleBits = 8;

  // Measured rasters: the range of the values present, after the band's scale
  // and offset, and their unit ("m"; empty when the file does not say). When
  // the two are equal every height is 1/2. Point grids: the range of their
  // heights and [0, 1] (the bands' span).
  double minimum = 0.0;
  double maximum = 1.0;
  QString unit;
  // Map coordinates of the raster's column and row corners, as GDAL gives
  // them: x = g[0] + column g[1] + row g[2], y = g[3] + column g[4] + row g[5].
  std::optional<std::array<double, 6>> geoTransform;
  // Lengths on the ground between map points, where the raster's coordinate
  // system is known (geographic or projected); null otherwise.
  std::shared_ptr<MapDistances> ground;
  // A raster read reduced: each point stands for the average of reduction x
  // reduction cells of the original, which has originalColumns x
  // originalRows cells. 1 when read whole.
  std::uint32_t reduction = 1;
  std::uint32_t originalColumns = 0;
  std::uint32_t originalRows = 0;

  // The values that heights 0 and 1 stand for, what bands, bars and axes
  // span: the measured range for rasters, else 0 and 1.
  double Low() const { return source == Source::kMeasured ? minimum : 0.0; }
  double High() const { return source == Source::kMeasured ? maximum : 1.0; }

  // Map coordinates (x, y) of the point (column, row) of the original raster,
  // counted from its corner (a cell's centre is at + 0.5). Only with a
  // geoTransform.
  std::array<double, 2> MapPoint(double column, double row) const {
    const std::array<double, 6>& g = *geoTransform;
    return {g[0] + column * g[1] + row * g[2], g[3] + column * g[4] + row * g[5]};
  }

  // The value a height stands for: the brightness for pictures, the measured
  // value for rasters, the height itself for point grids.
  double ValueOf(double z) const {
    if (source != Source::kMeasured)
      return z;
    return minimum == maximum ? minimum : minimum + z * (maximum - minimum);
  }

  // The height a value stands at, ValueOf's inverse: beyond [0, 1] for
  // values outside the range. Equal ends put every value at 1/2.
  double HeightOf(double v) const {
    if (source != Source::kMeasured)
      return v;
    return minimum == maximum ? 0.5 : (v - minimum) / (maximum - minimum);
  }
};
