#pragma once
// What the three loads do once a file is named: read it whole and parse or
// decode it into the array that a plot object adopts. Kept apart from the
// windows so that every caller (the Status window's handlers, the benchmarks)
// runs the very steps the user waits for.

#include <memory>

#include <QString>

#include "base/vec3.h"
#include "formats/numbertext.h"
#include "formats/pointgrid.h"

// Reads the point-grid text file at path (ReadPointGrid, with separator).
// Throws what ReadFileBytes and ReadPointGrid throw.
PointGrid ReadPointGridFile(const QString& path, DecimalSeparator separator);

// A picture's height field: columns x rows points, row after row from the top
// (BuildHeightField). The array is ready to be handed over with adopt set.
struct HeightFieldGrid {
  std::unique_ptr<Vec3[]> points;
  int columns = 0;
  int rows = 0;
};

// Decodes the bitmap file at path into its height field. Throws what
// ReadFileBytes, DecodeBitmap and BuildHeightField throw.
HeightFieldGrid ReadHeightFieldFile(const QString& path);

// Decodes the bitmap file at path into its scaled colour counts, 64^3 cells
// (CountColours). Throws what ReadFileBytes, DecodeBitmap and CountColours
// throw.
std::unique_ptr<float[]> ReadColourCountFile(const QString& path);
