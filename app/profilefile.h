#pragma once
// The sections along the x and y planes written to a CSV file (sectioncsv.h),
// as --profile writes them.

#include <QString>

#include "objects/sections.h"

class cOpenGLGraph_Surface;

// The full-resolution sections of surface at places: for a raster held at
// levels, once the tiles they cross have been read (a tile that fails keeps
// its coarser level, as the picture does). Throws std::bad_alloc.
Sections FinalSections(cOpenGLGraph_Surface& surface, const SectionPlaces& places);

// Writes the FinalSections along the planes at x = planeX and y = planeY as
// CSV to path, whole or not at all. Throws cFileWriteError when it cannot be
// written.
void WriteProfileFile(cOpenGLGraph_Surface& surface, double planeX, double planeY,
                      const QString& path);
