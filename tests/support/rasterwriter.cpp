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

bool WriteRaster(const QString& path, const RasterSpec& spec) {
  RegisterOnce();
  // Built in memory first: the SRTM and ASCII grid writers only copy.
  GDALDatasetH memory = GDALCreate(GDALGetDriverByName("MEM"), "", spec.columns, spec.rows,
                                   spec.bands, static_cast<GDALDataType>(spec.type), nullptr);
  if (!memory) {
    Complain("no memory raster for", path);
    return false;
  }
  bool written = true;
  std::vector<double> row(static_cast<std::size_t>(spec.columns));
  for (int b = 0; b < spec.bands; ++b) {
    GDALRasterBandH band = GDALGetRasterBand(memory, b + 1);
    for (int r = 0; r < spec.rows; ++r) {
      for (int c = 0; c < spec.columns; ++c)
        row[static_cast<std::size_t>(c)] = spec.value(c, r, b);
      written = written && GDALRasterIO(band, GF_Write, 0, r, spec.columns, 1, row.data(),
                                        spec.columns, 1, GDT_Float64, 0, 0) == CE_None;
    }
    if (spec.noData)
      GDALSetRasterNoDataValue(band, *spec.noData);
    if (spec.scale)
      GDALSetRasterScale(band, *spec.scale);
    if (spec.offset)
      GDALSetRasterOffset(band, *spec.offset);
    if (!spec.unit.empty())
      GDALSetRasterUnitType(band, spec.unit.c_str());
  }
  if (spec.geoTransform) {
    std::array<double, 6> transform = *spec.geoTransform;
    GDALSetGeoTransform(memory, transform.data());
  }
  std::vector<char*> options;
  for (const char* option : spec.options)
    options.push_back(const_cast<char*>(option));
  options.push_back(nullptr);
  GDALDatasetH file =
      GDALCreateCopy(GDALGetDriverByName(spec.driver.c_str()), path.toUtf8().constData(), memory,
                     FALSE, options.data(), nullptr, nullptr);
  GDALClose(memory);
  if (!file) {
    Complain("GDAL's writer refused", path);
    return false;
  }
  if (!spec.overviews.empty()) {
    std::vector<int> factors = spec.overviews;
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
