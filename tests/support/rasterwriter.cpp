#include "support/rasterwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QFile>

#include <gdal.h>
#include <ogr_srs_api.h>

namespace {

void Complain(const char* what, const QString& path) {
  std::fprintf(stderr, "%s %s\n", what, path.toUtf8().constData());
}

void RegisterOnce() {
  static const bool registered = [] {
    GDALAllRegister();
    return true;
  }();
  (void)registered;
}

}  // namespace

bool WriteRaster(const QString& path, const RasterContent& raster) {
  RegisterOnce();
  // Built in memory first: the SRTM and ASCII grid writers only copy.
  GDALDatasetH memory = GDALCreate(GDALGetDriverByName("MEM"), "", raster.columns, raster.rows,
                                   raster.bands, static_cast<GDALDataType>(raster.type), nullptr);
  if (!memory) {
    Complain("no memory raster for", path);
    return false;
  }
  bool written = true;
  std::vector<double> row(static_cast<std::size_t>(raster.columns));
  for (int b = 0; b < raster.bands; ++b) {
    GDALRasterBandH band = GDALGetRasterBand(memory, b + 1);
    for (int r = 0; r < raster.rows; ++r) {
      for (int c = 0; c < raster.columns; ++c)
        row[static_cast<std::size_t>(c)] = raster.value(c, r, b);
      written = written && GDALRasterIO(band, GF_Write, 0, r, raster.columns, 1, row.data(),
                                        raster.columns, 1, GDT_Float64, 0, 0) == CE_None;
    }
    if (raster.noData)
      GDALSetRasterNoDataValue(band, *raster.noData);
    if (raster.scale)
      GDALSetRasterScale(band, *raster.scale);
    if (raster.offset)
      GDALSetRasterOffset(band, *raster.offset);
    if (!raster.unit.empty())
      GDALSetRasterUnitType(band, raster.unit.c_str());
    if (raster.statistics && b == 0) {
      double low = HUGE_VAL, high = -HUGE_VAL;
      for (int r = 0; r < raster.rows; ++r) {
        for (int c = 0; c < raster.columns; ++c) {
          const double v = raster.value(c, r, 0);
          if (std::isfinite(v) && !(raster.noData && v == *raster.noData)) {
            low = std::min(low, v);
            high = std::max(high, v);
          }
        }
      }
      GDALSetRasterStatistics(band, low, high, 0.0, 0.0);
    }
  }
  if (raster.geoTransform) {
    std::array<double, 6> transform = *raster.geoTransform;
    GDALSetGeoTransform(memory, transform.data());
  }
  if (!raster.srs.empty()) {
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    written = written && OSRSetFromUserInput(srs, raster.srs.c_str()) == OGRERR_NONE &&
              GDALSetSpatialRef(memory, srs) == CE_None;
    OSRDestroySpatialReference(srs);
  }
  std::vector<char*> options;
  for (const char* option : raster.options)
    options.push_back(const_cast<char*>(option));
  options.push_back(nullptr);
  GDALDatasetH file =
      GDALCreateCopy(GDALGetDriverByName(raster.driver.c_str()), path.toUtf8().constData(), memory,
                     FALSE, options.data(), nullptr, nullptr);
  GDALClose(memory);
  if (!file) {
    Complain("GDAL's writer refused", path);
    return false;
  }
  if (!raster.overviews.empty()) {
    std::vector<int> factors = raster.overviews;
    written =
        written && GDALBuildOverviews(file, "AVERAGE", static_cast<int>(factors.size()),
                                      factors.data(), 0, nullptr, nullptr, nullptr) == CE_None;
  }
  GDALClose(file);
  if (!written)
    Complain("could not write all of", path);
  return written;
}

bool WriteSparseRaster(const QString& path, int columns, int rows,
                       const std::vector<RasterPatch>& patches,
                       const std::function<double(int column, int row)>& value) {
  RegisterOnce();
  const char* options[] = {"TILED=YES",      "BLOCKXSIZE=256", "BLOCKYSIZE=256", "COMPRESS=DEFLATE",
                           "SPARSE_OK=TRUE", "BIGTIFF=YES",    nullptr};
  GDALDatasetH file = GDALCreate(GDALGetDriverByName("GTiff"), path.toUtf8().constData(), columns,
                                 rows, 1, GDT_Float32, const_cast<char**>(options));
  if (!file) {
    Complain("GDAL's writer refused", path);
    return false;
  }
  GDALRasterBandH band = GDALGetRasterBand(file, 1);
  GDALSetRasterNoDataValue(band, -9999.0);
  bool written = true;
  for (const RasterPatch& patch : patches) {
    std::vector<double> cells(static_cast<std::size_t>(patch.columns) *
                              static_cast<std::size_t>(patch.rows));
    for (int r = 0; r < patch.rows; ++r) {
      for (int c = 0; c < patch.columns; ++c)
        cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(patch.columns) +
              static_cast<std::size_t>(c)] = value(patch.column + c, patch.row + r);
    }
    written = written &&
              GDALRasterIO(band, GF_Write, patch.column, patch.row, patch.columns, patch.rows,
                           cells.data(), patch.columns, patch.rows, GDT_Float64, 0, 0) == CE_None;
  }
  GDALClose(file);
  if (!written)
    Complain("could not write all of", path);
  return written;
}

bool BreakBlock(const QString& path, int x, int y) {
  RegisterOnce();
  GDALDatasetH file = GDALOpen(path.toUtf8().constData(), GA_ReadOnly);
  if (!file) {
    Complain("cannot open", path);
    return false;
  }
  GDALRasterBandH band = GDALGetRasterBand(file, 1);
  const std::string offsetName = "BLOCK_OFFSET_" + std::to_string(x) + "_" + std::to_string(y);
  const std::string sizeName = "BLOCK_SIZE_" + std::to_string(x) + "_" + std::to_string(y);
  const char* offsetText = GDALGetMetadataItem(band, offsetName.c_str(), "TIFF");
  const char* sizeText = GDALGetMetadataItem(band, sizeName.c_str(), "TIFF");
  const long long offset = offsetText ? std::atoll(offsetText) : 0;
  const long long size = sizeText ? std::atoll(sizeText) : 0;
  GDALClose(file);
  QFile bytes(path);
  if (offset <= 0 || size <= 0 || !bytes.open(QIODevice::ReadWrite) || !bytes.seek(offset)) {
    Complain("no block to break in", path);
    return false;
  }
  return bytes.write(QByteArray(static_cast<int>(size), '\xff')) == size;
}

std::vector<double> ReadRasterBand(const QString& path, int columns, int rows) {
  RegisterOnce();
  std::vector<double> values(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
  GDALDatasetH file = GDALOpen(path.toUtf8().constData(), GA_ReadOnly);
  if (!file) {
    Complain("cannot open", path);
    return {};
  }
  GDALRasterIOExtraArg extra;
  INIT_RASTERIO_EXTRA_ARG(extra);
  extra.eResampleAlg = GRIORA_Average;
  if (GDALRasterIOEx(GDALGetRasterBand(file, 1), GF_Read, 0, 0, GDALGetRasterXSize(file),
                     GDALGetRasterYSize(file), values.data(), columns, rows, GDT_Float64, 0, 0,
                     &extra) != CE_None) {
    Complain("cannot read", path);
    values.clear();
  }
  GDALClose(file);
  return values;
}
