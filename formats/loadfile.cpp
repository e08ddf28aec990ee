#include "formats/loadfile.h"

#include <type_traits>
#include <utility>

#include <QImage>
#include <QSize>

#include "base/errors.h"
#include "formats/bmpdecode.h"
#include "formats/colourcount.h"
#include "formats/heightfield.h"
#include "formats/imagedecode.h"
#include "formats/loadprogress.h"
#include "formats/measuredheights.h"
#include "formats/rasterkind.h"
#include "formats/rasterlevels.h"
#include "formats/rastermodule.h"
#include "formats/vrtmosaic.h"
#include "formats/webaddress.h"

namespace {

bool ForOurBitmapDecoder(const FileBytes& file) {
  const unsigned char* p = file.data.get();
  return file.size == 0 || (p[0] == 'B' && (file.size == 1 || p[1] == 'M'));
}

int SampleBits(const QImage& picture) {
  switch (picture.format()) {
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
      return 16;
    default:
      return 8;
  }
}

// Decodes the picture in file, frees the file's bytes and hands the picture
// to build, which may take its pixels: the decoder of its kind and build's
// overload for it.
template <class Build>
auto BuildFromPicture(FileBytes file, std::size_t resultBytesPerPixel, const Build& build) {
  // Decoding takes most of a load, building from the pixels the rest.
  constexpr double kDecoded = 0.8;
  if (ForOurBitmapDecoder(file)) {
    RgbImage image;
    {
      const LoadStage decoding(0.0, kDecoded);
      image = DecodeBitmap(file.data.get(), file.size);
    }
    file = FileBytes();
    const LoadStage building(kDecoded, 1.0);
    return build(image);
  }
  QImage picture;
  {
    const LoadStage decoding(0.0, kDecoded);
    picture = DecodeImage(file.data.get(), file.size, resultBytesPerPixel);
  }
  file = FileBytes();
  const LoadStage building(kDecoded, 1.0);
  return build(picture);
}

}  // namespace

bool HoldsPicture(const FileBytes& file) {
  const unsigned char* p = file.data.get();
  return (file.size >= 2 && p[0] == 'B' && p[1] == 'M') || ImageReaderRecognises(p, file.size);
}

PointGrid PointGridOf(const FileBytes& file, DecimalSeparator separator) {
  return ReadPointGrid(reinterpret_cast<const char*>(file.data.get()), file.size, separator);
}

std::optional<HeightFieldGrid> ReadMeasuredFile(const QString& path) {
  const bool web = IsWebAddress(path.toStdString());
  if (!web && !HoldsMeasuredRaster(path))
    return std::nullopt;
  // A mosaic's sources are checked before GDAL follows any of them.
  if (!web && HoldsVrtFile(path))
    CheckVrtMosaic(path);
  std::unique_ptr<RasterFile> raster = OpenRaster(path);
  if (!raster && web)
    throw cError(QStringLiteral("%1 は GeoTIFF ではありません").arg(path));
  if (!raster)
    return std::nullopt;
  if (HoldsAtLevels(raster->Header())) {
    RasterLevelsRead read = ReadRasterLevels(std::move(raster));
    HeightFieldGrid grid;
    grid.levels = std::move(read.levels);
    grid.values = std::move(read.values);
    return grid;
  }
  return ReadMeasuredHeights(*raster, RasterPointLimit());
}

void RefuseMeasuredColours(const QString& path) {
  if (IsWebAddress(path.toStdString()) ||
      (HoldsMeasuredRaster(path) && (HoldsVrtFile(path) || OpenRaster(path))))
    throw cError(QStringLiteral("計測値のラスターには色がありません"));
}

HeightFieldGrid HeightFieldOf(FileBytes file) {
  return BuildFromPicture(std::move(file), sizeof(Vec3) + kPictureExtraBytes, [](auto& picture) {
    HeightFieldGrid grid;
    grid.values.source = HeightValues::Source::kPicture;
    grid.points = BuildHeightField(picture);
    if constexpr (std::is_same_v<std::decay_t<decltype(picture)>, RgbImage>) {
      grid.columns = picture.width;
      grid.rows = picture.height;
      // The decoded pixels are the colours already, three bytes each.
      grid.colours = std::move(picture.pixels);
    } else {
      grid.colours = PixelColours(picture);
      grid.columns = picture.width();
      grid.rows = picture.height();
      grid.values.sampleBits = SampleBits(picture);
    }
    return grid;
  });
}

std::unique_ptr<float[]> ColourCountOf(FileBytes file, float* largest) {
  // The counts take the same megabyte whatever the picture's size.
  return BuildFromPicture(std::move(file), 0, [largest](const auto& picture) {
    return CountColours(picture, largest);
  });
}

PointGrid ReadPointGridFile(const QString& path, DecimalSeparator separator) {
  return PointGridOf(ReadFileBytes(path), separator);
}

HeightFieldGrid ReadHeightFieldFile(const QString& path) {
  if (std::optional<HeightFieldGrid> measured = ReadMeasuredFile(path))
    return std::move(*measured);
  return HeightFieldOf(ReadFileBytes(path));
}

std::unique_ptr<float[]> ReadColourCountFile(const QString& path) {
  RefuseMeasuredColours(path);
  return ColourCountOf(ReadFileBytes(path));
}
