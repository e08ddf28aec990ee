#include "support/rasterwriter.h"

#include <cstdio>
#include <vector>

#include <gdal.h>

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
  }
  if (raster.geoTransform) {
    std::array<double, 6> transform = *raster.geoTransform;
    GDALSetGeoTransform(memory, transform.data());
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
