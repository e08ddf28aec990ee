// Measured rasters from any bytes: the first byte chooses the name the rest is
// written under (a TIFF, an SRTM tile, an ASCII grid), and the file goes the
// way a drop takes it to the raster module. Only the readers' own errors may
// come out, and a height field that loads keeps its promises: heights in
// [0, 1], the missing points at 0, a range that holds the values.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/errors.h"
#include "formats/loadfile.h"
#include "formats/measuredheights.h"
#include "formats/memorylimit.h"
#include "fuzz/fuzz_input.h"

namespace {

const char* const kNames[] = {"raster.tif", "N47E011.hgt", "grid.asc"};

}  // namespace

// GDAL asks for what a hostile header claims and copes when it is refused;
// the sanitizer would otherwise stop at the request itself.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  static QTemporaryDir dir;
  const QString path = dir.filePath(QString::fromLatin1(kNames[data[0] % 3]));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return 0;
    file.write(reinterpret_cast<const char*>(data) + 1, static_cast<qint64>(size - 1));
  }
  // Small enough that inputs do not spend their time filling large grids.
  const ScopedRasterPointLimit points(std::uint64_t{1} << 16);
  const ScopedMemoryLimit memory(std::uint64_t{256} << 20);
  try {
    if (const std::optional<HeightFieldGrid> grid = ReadMeasuredFile(path)) {
      const std::size_t n = static_cast<std::size_t>(grid->columns) * grid->rows;
      FUZZ_CHECK(n <= (std::uint64_t{1} << 16));
      const HeightValues& values = grid->values;
      FUZZ_CHECK(values.minimum <= values.maximum);
      for (std::size_t k = 0; k < n; ++k) {
        const double z = grid->points[k].z;
        FUZZ_CHECK(z >= 0.0 && z <= 1.0);
        FUZZ_CHECK(!grid->present || grid->present[k] || z == 0.0);
      }
    }
  } catch (const cError&) {
  }
  return 0;
}
