#pragma once
// The raster module (rasterfile.h), loaded on the first file that needs it and
// kept for the program's life: starting the program never pays for GDAL.

#include <memory>

#include <QString>

#include "base/contourgrid.h"
#include "base/scopedoverride.h"
#include "formats/rasterfile.h"

// Opens the file at path, or the GeoTIFF at the web address path
// (webaddress.h), through the module. Null when no reader of the module takes
// the file (it is no raster we read). Throws cError, with the reason, when
// the module cannot be loaded or the web server not read; cInvalidGraphic
// when the file is a raster whose band cannot be read as numbers.
std::unique_ptr<RasterFile> OpenRaster(const QString& path);

// The module's contour generator (contourgrid.h). Throws cError, with the
// reason, when the module cannot be loaded.
ContourGridFunction ContourGenerator();

// Makes OpenRaster and ContourGenerator use the module at path instead of the program's own while
// it lives, for tests of a missing or broken module. Not for use from
// several threads at once.
class ScopedRasterModule : ScopedOverride<QString> {
 public:
  explicit ScopedRasterModule(const QString& path);
};

// Makes rasters opened while it lives wait for web servers within limits
// instead of the program's own (RasterWebLimits), for tests of servers that
// stall. Not for use from several threads at once.
class ScopedWebLimits : ScopedOverride<RasterWebLimits> {
 public:
  explicit ScopedWebLimits(const RasterWebLimits& limits);
};
