#pragma once
// The loads of the Status window's handlers: a file read into its plot data
// (formats/loadfile.h) and handed to the plot object with adopt set. When a
// load throws, the object keeps the data it had.

#include <functional>

#include <QString>

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

// Told by a load once it has read the file and knows how it loads it, before
// the data goes to its object: from then on the load is worth repeating,
// whether or not the data is taken.
using ReadNotice = std::function<void(LoadKind)>;

// Loads the file at path as kind, as the loaders' dialogs do: point-grid text
// or the height field of a picture or a measured raster into surface, the
// colour counts of a picture into volume. Throws what ReadPointGridFile,
// ReadHeightFieldFile or ReadColourCountFile throws.
void LoadFile(const QString& path, LoadKind kind, DecimalSeparator separator,
              cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume,
              const ReadNotice& read = {});

// Loads the file at path by what it holds, for a file named outside the
// dialog: a measured raster (ReadMeasuredFile) as height field into surface,
// refused with colours (RefuseMeasuredColours); a picture (HoldsPicture) as
// height field into surface or, with colours, as colour counts into volume;
// anything else as point-grid text into surface. Throws what those reads
// throw.
void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume,
                       const ReadNotice& read = {});
