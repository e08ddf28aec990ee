#pragma once
// Rasters of measured values written for tests and benchmarks through GDAL's
// own drivers, so that the files are what the formats' real writers make.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

struct RasterContent {
  std::string driver = "GTiff";  // GTiff, SRTMHGT or AAIGrid
  int type = 6;                  // a GDALDataType (6: Float32)
  int bands = 1;
  int columns = 8;
  int rows = 6;
  // Sample (column, row) of band b (0-based), as stored.
  std::function<double(int column, int row, int band)> value = [](int c, int r, int) {
    return c + 10.0 * r;
  };
  std::optional<double> noData;
  std::optional<double> scale;
  std::optional<double> offset;
  std::string unit;
  std::optional<std::array<double, 6>> geoTransform;
  // The coordinate system, as GDAL takes it from a user ("EPSG:4326", WKT);
  // empty: none.
  std::string srs;
  // GTiff creation options ("TILED=YES", "COMPRESS=DEFLATE", ...).
  std::vector<const char*> options;
  // Overviews built by averaging, each a factor (2, 4, ...).
  std::vector<int> overviews;
  // Band 1's exact minimum and maximum stored in the file as its statistics.
  bool statistics = false;
};

// Writes raster to path. False, with the reason on standard error, when GDAL
// refuses.
bool WriteRaster(const QString& path, const RasterContent& raster);

// A float32 GeoTIFF of columns x rows cells in tiles of 256, deflated, whose
// blocks are written only where windows (column, row, columns, rows) lie,
// with value there; every other block is left unwritten (sparse), reading as
// the no-data value -9999. BigTIFF. False, with the reason on standard error,
// when GDAL refuses.
struct RasterPatch {
  int column, row, columns, rows;
};
bool WriteSparseRaster(const QString& path, int columns, int rows,
                       const std::vector<RasterPatch>& patches,
                       const std::function<double(int column, int row)>& value);

// Overwrites the stored bytes of block (x, y) of band 1 of the tiled or
// striped TIFF at path with bytes no decoder takes. False, with the reason
// on standard error, when the block cannot be found.
bool BreakBlock(const QString& path, int x, int y);

// Reads band 1 of the raster at path as GDAL's RasterIO gives it into a
// columns x rows buffer of doubles (averaged when smaller), row after row;
// empty, with the reason on standard error, when GDAL cannot.
std::vector<double> ReadRasterBand(const QString& path, int columns, int rows);
