#include "input/loadfile.h"

#include "input/bmpdecode.h"
#include "input/colourcount.h"
#include "input/filebytes.h"
#include "input/heightfield.h"
#include "input/pointgrid.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

// The file's bytes go as soon as the pixels are decoded, before the much
// larger height field is allocated: the peak of a load is then the decoded
// picture and its height field, not the file on top of them.
RgbImage DecodeBitmapFile(const QString& path) {
  const FileBytes file = ReadFileBytes(path);
  return DecodeBitmap(file.data.get(), file.size);
}

}  // namespace

void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface) {
  const FileBytes file = ReadFileBytes(path);
  PointGrid grid =
      ReadPointGrid(reinterpret_cast<const char*>(file.data.get()), file.size, separator);
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
}

void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface) {
  const RgbImage image = DecodeBitmapFile(path);
  std::unique_ptr<Vec3[]> points = BuildHeightField(image);
  surface.SetGrid(points.release(), static_cast<std::uint32_t>(image.width),
                  static_cast<std::uint32_t>(image.height), true);
}

void LoadColourCountFile(const QString& path, cOpenGLGraph_Solid& volume) {
  const RgbImage image = DecodeBitmapFile(path);
  std::unique_ptr<float[]> counts = CountColours(image);
  volume.SetVolume(counts.release(), 64, 64, 64, true);
}
