#pragma once
// The loads of the Status window's handlers: a file read into its plot data
// (formats/loadfile.h) and handed to the plot object with adopt set. When a
// load throws, the object keeps the data it had.

#include <QString>

#include "formats/filebytes.h"
#include "formats/numbertext.h"
#include "input/loadedfiles.h"

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

// How a file named outside the dialog loads, by what it holds
// (HoldsPicture): a picture as height field or, with colours, as colour
// counts; anything else as point-grid text. Never throws.
LoadKind KindByContent(const FileBytes& file, bool colours);

// Gives the data of file, read as kind, to surface (point grid, height field)
// or volume (colour counts). Throws what PointGridOf, HeightFieldOf or
// ColourCountOf throws.
void LoadBytes(FileBytes file, LoadKind kind, DecimalSeparator separator,
               cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume);

// Reads the file at path once and loads it by KindByContent. Throws what
// ReadFileBytes throws, then what LoadBytes throws.
void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume);
