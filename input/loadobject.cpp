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

LoadKind KindByContent(const FileBytes& file, bool colours) {
  if (!HoldsPicture(file))
    return LoadKind::kPointGrid;
  return colours ? LoadKind::kColourCount : LoadKind::kHeightField;
}

void LoadBytes(FileBytes file, LoadKind kind, DecimalSeparator separator,
               cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume) {
  switch (kind) {
    case LoadKind::kPointGrid:
      HandOver(PointGridOf(file, separator), surface);
      break;
    case LoadKind::kHeightField:
      HandOver(HeightFieldOf(std::move(file)), surface);
      break;
    case LoadKind::kColourCount:
      HandOver(ColourCountOf(std::move(file)), volume);
      break;
  }
}

void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume) {
  FileBytes file = ReadFileBytes(path);
  const LoadKind kind = KindByContent(file, colours);
  LoadBytes(std::move(file), kind, separator, surface, volume);
}
