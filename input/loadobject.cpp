#include "input/loadobject.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "formats/loadfile.h"
#include "formats/loadprogress.h"
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
  if (grid.levels) {
    surface.SetLevelsOfDetail(std::move(grid.levels));
    surface.values = std::move(grid.values);
    return;
  }
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
  surface.SetPresent(std::move(grid.present));
  surface.SetPointColours(std::move(grid.colours));
  surface.values = std::move(grid.values);
}

void Tell(const ReadNotice& read, LoadKind kind) {
  if (read)
    read(kind);
}

// The measured raster at path as a height field; nothing when it holds none.
std::optional<LoadedData> ReadMeasured(const QString& path, const ReadNotice& read) {
  std::optional<HeightFieldGrid> measured = ReadMeasuredFile(path);
  if (!measured)
    return std::nullopt;
  Tell(read, LoadKind::kHeightField);
  LoadedData data;
  data.kind = LoadKind::kHeightField;
  data.field = std::move(*measured);
  return data;
}

// Reading the bytes is a small part of a load; converting them the rest.
constexpr double kBytesRead = 0.1;

FileBytes ReadBytes(const QString& path) {
  const LoadStage reading(0.0, kBytesRead);
  return ReadFileBytes(path);
}

// The data of file, read from path, as kind.
LoadedData ConvertBytes(FileBytes file, LoadKind kind, DecimalSeparator separator,
                        const ReadNotice& read) {
  Tell(read, kind);
  const LoadStage converting(kBytesRead, 1.0);
  LoadedData data;
  data.kind = kind;
  switch (kind) {
    case LoadKind::kPointGrid:
      data.points = PointGridOf(file, separator);
      break;
    case LoadKind::kHeightField:
      data.field = HeightFieldOf(std::move(file));
      break;
    case LoadKind::kColourCount:
      data.counts = ColourCountOf(std::move(file), &data.largestCount);
      break;
  }
  return data;
}

}  // namespace

LoadedData ReadFileAs(const QString& path, LoadKind kind, DecimalSeparator separator,
                      const ReadNotice& read) {
  if (kind == LoadKind::kColourCount)
    RefuseMeasuredColours(path);
  else if (kind == LoadKind::kHeightField) {
    if (std::optional<LoadedData> measured = ReadMeasured(path, read))
      return std::move(*measured);
  }
  return ConvertBytes(ReadBytes(path), kind, separator, read);
}

LoadedData ReadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                             const ReadNotice& read) {
  if (colours)
    RefuseMeasuredColours(path);
  else if (std::optional<LoadedData> measured = ReadMeasured(path, read))
    return std::move(*measured);
  FileBytes file = ReadBytes(path);
  LoadKind kind = LoadKind::kPointGrid;
  if (HoldsPicture(file))
    kind = colours ? LoadKind::kColourCount : LoadKind::kHeightField;
  return ConvertBytes(std::move(file), kind, separator, read);
}

void HandOver(LoadedData data, cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume) {
  switch (data.kind) {
    case LoadKind::kPointGrid:
      HandOver(std::move(data.points), surface);
      break;
    case LoadKind::kHeightField:
      HandOver(std::move(data.field), surface);
      break;
    case LoadKind::kColourCount:
      volume.SetVolume(data.counts.release(), 64, 64, 64, true);
      volume.largestCount = data.largestCount;
      break;
  }
}

void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume) {
  HandOver(ReadFileByContent(path, separator, colours), surface, volume);
}

void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface) {
  HandOver(ReadPointGridFile(path, separator), surface);
}

void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface) {
  HandOver(ReadHeightFieldFile(path), surface);
}
