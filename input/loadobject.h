#pragma once
// The loads of the Status window's handlers: a file read into its plot data
// (formats/loadfile.h) and handed to the plot object with adopt set. When a
// load throws, the object keeps the data it had.

#include <QString>

#include "formats/numbertext.h"

class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;

// Reads the point-grid text file at path and gives its points to surface.
// Throws what ReadPointGridFile throws.
void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface);

// Gives the height field of the picture file at path to surface as a grid of
// width x height points. Throws what ReadHeightFieldFile throws.
void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface);

// Gives the scaled colour counts of the picture file at path to volume as a
// 64 x 64 x 64 field. Throws what ReadColourCountFile throws.
void LoadColourCountFile(const QString& path, cOpenGLGraph_Solid& volume);

// Loads the file at path by what it holds, for a file named outside the
// dialog: a measured raster (ReadMeasuredFile) as height field into surface,
// refused with colours (RefuseMeasuredColours); a picture (HoldsPicture) as
// height field into surface or, with colours, as colour counts into volume;
// anything else as point-grid text into surface. Throws what those reads
// throw.
void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume);
