// The raster module: rasters of measured values read through GDAL. A library
// of its own, so that the program loads GDAL and its hundred libraries only
// when a file needs them. Only the formats we mean are opened, nothing is
// written beside the user's file, GDAL's messages are taken in rather than
// printed, and the network is reached only for a web address the user gave
// (webfiles.h).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_frmts.h>
#include <ogr_spatialref.h>

#include "formats/gdal/grounddistances.h"
#include "formats/gdal/webfiles.h"
#include "formats/rasterfile.h"
#include "formats/webaddress.h"

namespace {

// The readers we mean: GeoTIFF and plain TIFF, SRTM tiles, ESRI ASCII grids,
// and mosaics of them as virtual rasters, whose sources the readers have
// checked before (vrtmosaic.h). No network, no text of points (which has its
// own reader).
const char* const kAllowedDrivers[] = {"GTiff", "SRTMHGT", "AAIGrid", "VRT", nullptr};
const char* const kWebDrivers[] = {"GTiff", nullptr};

// GDAL's block cache: enough for the tiles of a few rows of a large raster,
// so that a read does not hold the raster twice.
constexpr GIntBig kCacheBytes = GIntBig{64} << 20;

void Configure() {
  static std::once_flag once;
  std::call_once(once, [] {
    // GDAL's messages are ours to take (ErrorCatcher), never printed; that
    // also covers the TIFF library's, which GDAL routes to itself for every
    // reader in the process once its TIFF driver is there.
    CPLSetErrorHandler(CPLQuietErrorHandler);
    // No .aux.xml beside the user's file, no folder listings.
    CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
    CPLSetConfigOption("GDAL_DISABLE_READDIR_ON_OPEN", "EMPTY_DIR");
    GDALSetCacheMax64(kCacheBytes);
    GDALRegister_GTiff();
    GDALRegister_SRTMHGT();
    GDALRegister_AAIGrid();
    GDALRegister_VRT();
  });
}

// Collects GDAL's errors while it lives instead of letting them print.
class ErrorCatcher {
 public:
  ErrorCatcher() { CPLPushErrorHandlerEx(&ErrorCatcher::Handle, this); }
  ~ErrorCatcher() { CPLPopErrorHandler(); }
  ErrorCatcher(const ErrorCatcher&) = delete;
  ErrorCatcher& operator=(const ErrorCatcher&) = delete;
  bool Failed() const { return failed; }

 private:
  static void CPL_STDCALL Handle(CPLErr kind, CPLErrorNum, const char*) {
    auto* self = static_cast<ErrorCatcher*>(CPLGetErrorHandlerUserData());
    if (self && kind >= CE_Failure)
      self->failed = true;
  }
  bool failed = false;
};

bool Numeric(GDALDataType type) {
  return type != GDT_Unknown && !GDALDataTypeIsComplex(type);
}

RasterFile* Open(const char* utf8Path, const RasterWebLimits& limits, RasterOpened* opened);

// The file's own statistics of band 1 when they are exact: GDAL keeps them
// in the file's metadata, and marks those it only estimated.
std::optional<std::array<double, 2>> ExactRange(GDALRasterBandH band) {
  const char* approximate = GDALGetMetadataItem(band, "STATISTICS_APPROXIMATE", nullptr);
  if (approximate && CPLTestBool(approximate))
    return std::nullopt;
  double low = 0, high = 0, mean = 0, deviation = 0;
  // Neither estimated nor computed here: only what the file says.
  if (GDALGetRasterStatistics(band, FALSE, FALSE, &low, &high, &mean, &deviation) != CE_None ||
      !std::isfinite(low) || !std::isfinite(high) || low > high)
    return std::nullopt;
  return std::array<double, 2>{low, high};
}

class GdalRaster : public RasterFile {
 public:
  GdalRaster(GDALDatasetH dataset, GDALRasterBandH band, std::string path,
             const RasterWebLimits& limits)
      : dataset(dataset), band(band), path(std::move(path)), limits(limits) {
    header.columns = static_cast<std::uint32_t>(GDALGetRasterXSize(dataset));
    header.rows = static_cast<std::uint32_t>(GDALGetRasterYSize(dataset));
    int has = 0;
    const double noData = GDALGetRasterNoDataValue(band, &has);
    if (has)
      header.noData = noData;
    const double scale = GDALGetRasterScale(band, &has);
    if (has && scale != 0.0)
      header.scale = scale;
    const double offset = GDALGetRasterOffset(band, &has);
    if (has)
      header.offset = offset;
    if (const char* unit = GDALGetRasterUnitType(band))
      header.unit = unit;
    std::array<double, 6> transform{};
    if (GDALGetGeoTransform(dataset, transform.data()) == CE_None)
      header.geoTransform = transform;
    int blockColumns = 0;
    int blockRows = 0;
    GDALGetBlockSize(band, &blockColumns, &blockRows);
    header.blockColumns = static_cast<std::uint32_t>(std::max(blockColumns, 1));
    header.blockRows = static_cast<std::uint32_t>(std::max(blockRows, 1));
    header.sampleRange = ExactRange(band);
    header.overviews = GDALGetOverviewCount(band) > 0;
    // In doubles, held below 2^63: the product of a hostile header's sizes
    // overflows 64 bits.
    const double bytes = static_cast<double>(blockColumns) * blockRows *
                         GDALGetDataTypeSizeBytes(GDALGetRasterDataType(band)) *
                         GDALGetRasterCount(dataset);
    header.blockBytes = bytes < 0x1p63 ? static_cast<std::uint64_t>(bytes) : std::uint64_t{1} << 63;
  }
  ~GdalRaster() override { GDALClose(dataset); }
  GdalRaster(const GdalRaster&) = delete;
  GdalRaster& operator=(const GdalRaster&) = delete;

  const RasterHeader& Header() const override { return header; }

  bool Read(RasterWindow window, std::uint32_t outColumns, std::uint32_t outRows, double* out,
            std::size_t pointStride, std::size_t rowStride, RasterProgress progress) override {
    const ErrorCatcher errors;
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_Average;
    if (progress.report) {
      extra.pfnProgress = [](double done, const char*, void* data) -> int {
        const auto* p = static_cast<const RasterProgress*>(data);
        return p->report(done, p->context) ? TRUE : FALSE;
      };
      extra.pProgressData = &progress;
    }
    const CPLErr result =
        GDALRasterIOEx(band, GF_Read, static_cast<int>(window.column), static_cast<int>(window.row),
                       static_cast<int>(window.columns), static_cast<int>(window.rows), out,
                       static_cast<int>(outColumns), static_cast<int>(outRows), GDT_Float64,
                       static_cast<GSpacing>(pointStride * sizeof(double)),
                       static_cast<GSpacing>(rowStride * sizeof(double)), &extra);
    return result == CE_None && !errors.Failed();
  }

  bool MayHoldData(RasterWindow window) override {
    const ErrorCatcher errors;
    const int status = GDALGetDataCoverageStatus(
        band, static_cast<int>(window.column), static_cast<int>(window.row),
        static_cast<int>(window.columns), static_cast<int>(window.rows), 0, nullptr);
    return status != GDAL_DATA_COVERAGE_STATUS_EMPTY;
  }

  RasterFile* OpenAgain() const override {
    RasterOpened opened;
    return Open(path.c_str(), limits, &opened);
  }

  MapDistances* Ground() const override {
    if (!header.geoTransform)
      return nullptr;
    return NewGroundDistances(OGRSpatialReference::FromHandle(GDALGetSpatialRef(dataset)));
  }

 private:
  GDALDatasetH dataset;
  GDALRasterBandH band;
  std::string path;
  RasterWebLimits limits;
  RasterHeader header;
};

RasterFile* Open(const char* utf8Path, const RasterWebLimits& limits, RasterOpened* opened) {
  opened->how = RasterOpening::kNotRaster;
  // GDAL's virtual file systems (memory, archives, the network) are not
  // files of the user's.
  if (!utf8Path || std::strncmp(utf8Path, "/vsi", 4) == 0)
    return nullptr;
  Configure();
  const ErrorCatcher errors;
  // A file on a web server is a GeoTIFF: a mosaic there could point the
  // reader at anything, here or elsewhere.
  const bool web = IsWebAddress(utf8Path);
  const char* const* drivers = web ? kWebDrivers : kAllowedDrivers;
  std::string name = utf8Path;
  if (web) {
    SetWebLimits(limits);
    name = WebFileName(utf8Path);
    TakeWebFailure();
  }
  // One opening per thread: GDAL 3.6's TIFF driver was seen to deadlock here
  // with several threads in one opening (NUM_THREADS).
  GDALDatasetH dataset =
      GDALOpenEx(name.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, nullptr, nullptr);
  if (!dataset) {
    if (const std::string why = web ? TakeWebFailure() : std::string(); !why.empty()) {
      opened->how = RasterOpening::kUnreachable;
      std::snprintf(opened->why, sizeof(opened->why), "%s", why.c_str());
    }
    return nullptr;
  }
  GDALRasterBandH band = GDALGetRasterCount(dataset) > 0 ? GDALGetRasterBand(dataset, 1) : nullptr;
  if (!band || !Numeric(GDALGetRasterDataType(band)) || GDALGetRasterXSize(dataset) <= 0 ||
      GDALGetRasterYSize(dataset) <= 0) {
    GDALClose(dataset);
    opened->how = RasterOpening::kUnreadable;
    return nullptr;
  }
  opened->how = RasterOpening::kOpened;
  return new GdalRaster(dataset, band, utf8Path, limits);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) RasterFile* CubiscopeOpenRaster(
    const char* utf8Path, const RasterWebLimits* limits, RasterOpened* opened) {
  return Open(utf8Path, limits ? *limits : RasterWebLimits{}, opened);
}
