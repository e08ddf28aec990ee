#include "input/loadobject.h"

#include <cstdint>

#include "formats/loadfile.h"
#include "objects/solid.h"
#include "objects/surface.h"

void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface) {
  PointGrid grid = ReadPointGridFile(path, separator);
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
}

void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface) {
  HeightFieldGrid grid = ReadHeightFieldFile(path);
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
}

void LoadColourCountFile(const QString& path, cOpenGLGraph_Solid& volume) {
  volume.SetVolume(ReadColourCountFile(path).release(), 64, 64, 64, true);
}
