#include "input/loadobject.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "formats/loadfile.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

void HandOver(PointGrid grid, cOpenGLGraph_Surface& surface) {
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
  surface.values.source = HeightValues::Source::kPointGrid;
}

void HandOver(HeightFieldGrid grid, cOpenGLGraph_Surface& surface) {
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
  surface.SetPresent(std::move(grid.present));
  surface.values = std::move(grid.values);
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
  if (colours) {
    RefuseMeasuredColours(path);
  } else if (std::optional<HeightFieldGrid> measured = ReadMeasuredFile(path)) {
    HandOver(std::move(*measured), surface);
    return;
  }
  FileBytes file = ReadFileBytes(path);
  if (!HoldsPicture(file)) {
    HandOver(PointGridOf(file, separator), surface);
  } else if (colours) {
    HandOver(ColourCountOf(std::move(file)), volume);
  } else {
    HandOver(HeightFieldOf(std::move(file)), surface);
  }
}
