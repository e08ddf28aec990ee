#include "input/loadobject.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "formats/loadfile.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

void HandOver(PointGrid grid, cOpenGLGraph_Surface& surface) {
  // The range of the heights, for a colour bar to mark where the bands,
  // which span [0, 1], clamp them.
  HeightValues values;
  values.source = HeightValues::Source::kPointGrid;
  const std::size_t n =
      std::size_t{static_cast<std::uint32_t>(grid.columns)} * static_cast<std::uint32_t>(grid.rows);
  for (std::size_t k = 0; k < n; ++k) {
    const double z = grid.points[k].z;
    if (std::isfinite(z)) {
      values.minimum = std::min(values.minimum, z);
      values.maximum = std::max(values.maximum, z);
    }
  }
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
  surface.values = values;
}

void HandOver(HeightFieldGrid grid, cOpenGLGraph_Surface& surface) {
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
  surface.SetPresent(std::move(grid.present));
  surface.SetPointColours(std::move(grid.colours));
  surface.values = std::move(grid.values);
}

void HandOver(std::unique_ptr<float[]> counts, float largest, cOpenGLGraph_Solid& volume) {
  volume.SetVolume(counts.release(), 64, 64, 64, true);
  volume.largestCount = largest;
}

}  // namespace

void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface) {
  HandOver(ReadPointGridFile(path, separator), surface);
}

void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface) {
  HandOver(ReadHeightFieldFile(path), surface);
}

namespace {

void Tell(const ReadNotice& read, LoadKind kind) {
  if (read)
    read(kind);
}

// Loads the measured raster at path into surface; false when it holds none.
bool LoadMeasured(const QString& path, cOpenGLGraph_Surface& surface, const ReadNotice& read) {
  std::optional<HeightFieldGrid> measured = ReadMeasuredFile(path);
  if (!measured)
    return false;
  Tell(read, LoadKind::kHeightField);
  HandOver(std::move(*measured), surface);
  return true;
}

// Gives the data of file, read from path, as kind to its object.
void LoadBytes(FileBytes file, LoadKind kind, DecimalSeparator separator,
               cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume, const ReadNotice& read) {
  Tell(read, kind);
  switch (kind) {
    case LoadKind::kPointGrid:
      HandOver(PointGridOf(file, separator), surface);
      break;
    case LoadKind::kHeightField:
      HandOver(HeightFieldOf(std::move(file)), surface);
      break;
    case LoadKind::kColourCount: {
      float largest = 0.0f;
      std::unique_ptr<float[]> counts = ColourCountOf(std::move(file), &largest);
      HandOver(std::move(counts), largest, volume);
      break;
    }
  }
}

}  // namespace

void LoadFile(const QString& path, LoadKind kind, DecimalSeparator separator,
              cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume, const ReadNotice& read) {
  if (kind == LoadKind::kColourCount)
    RefuseMeasuredColours(path);
  else if (kind == LoadKind::kHeightField && LoadMeasured(path, surface, read))
    return;
  LoadBytes(ReadFileBytes(path), kind, separator, surface, volume, read);
}

void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume,
                       const ReadNotice& read) {
  if (colours)
    RefuseMeasuredColours(path);
  else if (LoadMeasured(path, surface, read))
    return;
  FileBytes file = ReadFileBytes(path);
  LoadKind kind = LoadKind::kPointGrid;
  if (HoldsPicture(file))
    kind = colours ? LoadKind::kColourCount : LoadKind::kHeightField;
  LoadBytes(std::move(file), kind, separator, surface, volume, read);
}
