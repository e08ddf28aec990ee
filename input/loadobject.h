#pragma once
// The loads of the Status window's handlers: a file read into its plot data
// (formats/loadfile.h), then handed to the plot object with adopt set. The
// two are apart, so that the reading can run on a thread of its own while
// the objects are only ever touched on the windows' thread. When a load
// throws, the object keeps the data it had.

#include <functional>
#include <memory>

#include <QString>

#include "formats/heightfield.h"
#include "formats/numbertext.h"
#include "formats/pointgrid.h"
#include "input/loadedfiles.h"

class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;

// What a load made of its file, for the object that kind says.
struct LoadedData {
  LoadKind kind = LoadKind::kPointGrid;
  PointGrid points;                 // kPointGrid
  HeightFieldGrid field;            // kHeightField: a picture's or a measured raster's
  std::unique_ptr<float[]> counts;  // kColourCount: 64^3 cells
  float largestCount = 0.0f;
};

// Told by a load once it has read the file and knows how it loads it, before
// the data goes to its object: from then on the load is worth repeating,
// whether or not the data is taken. Called on the thread that reads.
using ReadNotice = std::function<void(LoadKind)>;

// Reads the file at path as kind, as the loaders' dialogs do: point-grid
// text, the height field of a picture or a measured raster, the colour
// counts of a picture. Touches no object; reports its progress and stops
// when cancelled (formats/loadprogress.h). Throws what ReadPointGridFile,
// ReadHeightFieldFile or ReadColourCountFile throws, cAbort when cancelled.
LoadedData ReadFileAs(const QString& path, LoadKind kind, DecimalSeparator separator,
                      const ReadNotice& read = {});

// Reads the file at path by what it holds, for a file named outside the
// dialog: a measured raster (ReadMeasuredFile) as height field, refused with
// colours (RefuseMeasuredColours); a picture (HoldsPicture) as height field
// or, with colours, as colour counts; anything else as point-grid text.
// Throws what those reads throw, cAbort when cancelled.
LoadedData ReadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                             const ReadNotice& read = {});

// Gives data to its object, surface or volume, with adopt set. Never throws.
void HandOver(LoadedData data, cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume);

// Reads and hands over in one go (ReadFileByContent, HandOver).
void LoadFileByContent(const QString& path, DecimalSeparator separator, bool colours,
                       cOpenGLGraph_Surface& surface, cOpenGLGraph_Solid& volume);

// The same for one kind into surface, for the benchmarks of each reader.
void LoadPointGridFile(const QString& path, DecimalSeparator separator,
                       cOpenGLGraph_Surface& surface);
void LoadHeightFieldFile(const QString& path, cOpenGLGraph_Surface& surface);
