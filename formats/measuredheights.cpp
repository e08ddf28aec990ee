#include "formats/measuredheights.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "base/errors.h"
#include "base/parallelrows.h"
#include "formats/loadprogress.h"
#include "formats/memorylimit.h"

namespace {

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
  return (a + b - 1) / b;
}

// What the first pass over the samples found.
struct Found {
  double minimum = std::numeric_limits<double>::infinity();
  double maximum = -std::numeric_limits<double>::infinity();
  bool missing = false;

  void Add(const Found& other) {
    minimum = std::min(minimum, other.minimum);
    maximum = std::max(maximum, other.maximum);
    missing = missing || other.missing;
  }
};

// Marks which of the stored samples in the points' z are present and finds
// the range of their values. Only reads the points: writing them here as well
// would send the whole grid through memory once more.
Found TakeValues(const RasterHeader& header, const Vec3* points, std::uint8_t* present,
                 std::size_t columns, std::size_t rows) {
  Found found;
  std::mutex joining;
  ForEachRowBlock(rows, columns, [&](std::size_t first, std::size_t last) {
    Found part;
    for (std::size_t k = first * columns; k < last * columns; ++k) {
      const double sample = points[k].z;
      const bool there = HoldsValue(header, sample);
      present[k] = there ? 1 : 0;
      part.missing = part.missing || !there;
      if (there) {
        const double value = ValueOf(header, sample);
        part.minimum = std::min(part.minimum, value);
        part.maximum = std::max(part.maximum, value);
      }
    }
    const std::lock_guard lock(joining);
    found.Add(part);
  });
  return found;
}

std::uint64_t pointLimit = kMaxBitmapPixels;  // ScopedRasterPointLimit's

}  // namespace

ValueToHeight::ValueToHeight(double minimum, double maximum)
    // Halved where the range itself would overflow: exact, and the quotients
    // stay the same.
    : half(std::isfinite(maximum - minimum) ? 1.0 : 0.5),
      low(minimum * half),
      range(maximum * half - low) {}

std::uint64_t RasterPointLimit() {
  return pointLimit;
}

ScopedRasterPointLimit::ScopedRasterPointLimit(std::uint64_t points)
    : ScopedOverride(pointLimit, std::min(pointLimit, points)) {}

std::uint32_t ReductionFactor(std::uint64_t columns, std::uint64_t rows, std::uint64_t maxPoints,
                              std::uint64_t pointBytes) {
  const std::uint64_t memoryPoints = MemoryLimitBytes() / std::max<std::uint64_t>(pointBytes, 1);
  const std::uint64_t most = std::max<std::uint64_t>(std::min(maxPoints, memoryPoints), 1);
  const std::uint64_t longest = std::max<std::uint64_t>({columns, rows, 1});
  // The square root of the ratio is close; the rounding up of each side may
  // need a little more.
  const double ratio =
      static_cast<double>(columns) * static_cast<double>(rows) / static_cast<double>(most);
  std::uint64_t f = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::sqrt(ratio)));
  if (f > 1)
    --f;
  while (f < longest && CeilDiv(columns, f) * CeilDiv(rows, f) > most)
    ++f;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(f, UINT32_MAX));
}

HeightFieldGrid ReadMeasuredHeights(RasterFile& raster, std::uint64_t maxPoints) {
  const RasterHeader& header = raster.Header();
  if (header.columns == 0 || header.rows == 0)
    throw cInvalidGraphic();
  const std::uint32_t f =
      ReductionFactor(header.columns, header.rows, maxPoints, kMeasuredPointBytes);
  const auto columns = static_cast<std::uint32_t>(CeilDiv(header.columns, f));
  const auto rows = static_cast<std::uint32_t>(CeilDiv(header.rows, f));
  const std::size_t count = std::size_t{columns} * rows;
  // The grid and the reader's block are held together; the grid was sized
  // to the memory and the block is capped, so the sum cannot overflow.
  CheckFitsInMemory(count * kMeasuredPointBytes +
                    std::min(header.blockBytes, std::uint64_t{1} << 62));
  // 0 / 0 for a grid one point wide or high, before anything is read.
  const std::vector<double> xs = UnitSteps(columns);
  const std::vector<double> ys = UnitSteps(rows);

  {
    std::vector<double> firstRow(columns);
    if (!raster.Read({0, 0, header.columns, std::min(header.rows, f)}, columns, 1, firstRow.data(),
                     1, columns, {}))
      throw cReadError();
  }
  HeightFieldGrid grid;
  grid.points = NewArray<Vec3>(count);
  grid.present = NewArray<std::uint8_t>(count);
  grid.columns = static_cast<int>(columns);
  grid.rows = static_cast<int>(rows);
  // Straight into the points' z: the file's samples are never held twice.
  Vec3* points = grid.points.get();
  // The read tells the load how far it is, and stops when it is cancelled.
  const RasterProgress progress{[](double done, void*) { return NoteLoadProgress(done); }, nullptr};
  {
    const LoadStage reading(0.0, 0.9);
    if (!raster.Read({0, 0, header.columns, header.rows}, columns, rows, &points->z, 3,
                     3 * std::size_t{columns}, progress)) {
      ThrowIfLoadCancelled();
      throw cReadError();
    }
  }

  const Found found = TakeValues(header, points, grid.present.get(), columns, rows);
  if (found.minimum > found.maximum)
    throw cError(QStringLiteral("ラスターに値のあるセルがありません"));
  const ValueToHeight toHeight(found.minimum, found.maximum);
  const std::uint8_t* present = grid.present.get();
  ForEachRowBlock(rows, columns, [&](std::size_t first, std::size_t last) {
    for (std::size_t row = first; row < last; ++row) {
      Vec3* p = points + row * columns;
      const std::uint8_t* there = present + row * columns;
      for (std::size_t col = 0; col < columns; ++col) {
        const double z = toHeight(ValueOf(header, p[col].z));
        p[col] = Vec3{xs[col], ys[row], there[col] ? z : 0.0};
      }
    }
  });
  if (!found.missing)
    grid.present.reset();

  HeightValues& values = grid.values;
  values.source = HeightValues::Source::kMeasured;
  values.minimum = found.minimum;
  values.maximum = found.maximum;
  values.unit = QString::fromStdString(header.unit);
  values.geoTransform = header.geoTransform;
  values.ground.reset(raster.Ground());
  values.reduction = f;
  values.originalColumns = header.columns;
  values.originalRows = header.rows;
  return grid;
}

QString ReducedNotice(const HeightValues& values) {
  if (values.reduction <= 1)
    return QString();
  return QStringLiteral("%1 × %2 のラスターを各辺 1/%3 に縮小して読み込みました")
      .arg(values.originalColumns)
      .arg(values.originalRows)
      .arg(values.reduction);
}
