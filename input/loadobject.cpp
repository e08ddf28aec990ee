#include "input/loadobject.h"

#include <cstdint>
#include <memory>
#include <utility>

#include "formats/loadfile.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

template <class Grid>
void HandOver(Grid grid, cOpenGLGraph_Surface& surface) {
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
}

void HandOver(std::unique_ptr<float[]> counts, cOpenGLGraph_Solid& volume) {
  volume.SetVolume(counts.release(), 64, 64, 64, true);
}

}  // namespace

void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface) {
  HandOver(ReadPointGridFile(path, separator), surface);
}

void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface) {
  HandOver(ReadHeightFieldFile(path), surface);
}

void LoadColourCountFile(const QString& path, cOpenGLGraph_Solid& volume) {
  HandOver(ReadColourCountFile(path), volume);
}

void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume) {
  FileBytes file = ReadFileBytes(path);
  if (!HoldsPicture(file)) {
    HandOver(PointGridOf(file, separator), surface);
  } else if (colours) {
    HandOver(ColourCountOf(std::move(file)), volume);
  } else {
    HandOver(HeightFieldOf(std::move(file)), surface);
  }
}
