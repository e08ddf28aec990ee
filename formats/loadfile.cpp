#include "formats/loadfile.h"

#include "formats/bmpdecode.h"
#include "formats/colourcount.h"
#include "formats/filebytes.h"
#include "formats/heightfield.h"

namespace {

// The file's bytes go as soon as the pixels are decoded, before the much
// larger height field is allocated: the peak of a load is then the decoded
// picture and its height field, not the file on top of them.
RgbImage DecodeBitmapFile(const QString& path) {
  const FileBytes file = ReadFileBytes(path);
  return DecodeBitmap(file.data.get(), file.size);
}

}  // namespace

PointGrid ReadPointGridFile(const QString& path, DecimalSeparator separator) {
  const FileBytes file = ReadFileBytes(path);
  return ReadPointGrid(reinterpret_cast<const char*>(file.data.get()), file.size, separator);
}

HeightFieldGrid ReadHeightFieldFile(const QString& path) {
  const RgbImage image = DecodeBitmapFile(path);
  return {BuildHeightField(image), image.width, image.height};
}

std::unique_ptr<float[]> ReadColourCountFile(const QString& path) {
  return CountColours(DecodeBitmapFile(path));
}
