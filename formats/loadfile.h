#pragma once
// What the three load handlers do once the dialog has named a file: read it
// whole, parse or decode it, and hand the array to the plot object with adopt
// set. Kept apart from the window so that the benchmarks time the very steps
// the user waits for.

#include <QString>

#include "input/numbertext.h"

class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;

// Reads the point-grid text file at path (ReadPointGrid, with separator) and
// gives its points to surface. Throws what ReadFileBytes and ReadPointGrid
// throw; the surface then keeps its previous grid.
void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface);

// Decodes the bitmap file at path and gives its height field to surface as a
// grid of width x height points. Throws what ReadFileBytes, DecodeBitmap and
// BuildHeightField throw; the surface then keeps its previous grid.
void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface);

// Decodes the bitmap file at path and gives its scaled colour counts to volume
// as a 64 x 64 x 64 field. Throws what ReadFileBytes, DecodeBitmap and
// CountColours throw; the volume then keeps its previous field.
void LoadColourCountFile(const QString& path, cOpenGLGraph_Solid& volume);
