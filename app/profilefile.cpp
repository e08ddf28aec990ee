#include "app/profilefile.h"

#include "app/profileexport.h"
#include "objects/sectioncsv.h"
#include "objects/surface.h"

Sections FinalSections(cOpenGLGraph_Surface& surface, const SectionPlaces& places) {
  Sections sections = CutSections(surface, places);
  // Each round asks for the tiles still missing; tiles are only let go of
  // beyond a cache far larger than two sections need, so a few rounds end it.
  for (int round = 0; !sections.final && round < 8; ++round) {
    surface.LevelsOfDetail()->WaitForTiles();
    sections = CutSections(surface, places);
  }
  return sections;
}

void WriteProfileFile(cOpenGLGraph_Surface& surface, double planeX, double planeY,
                      const QString& path) {
  WriteTextFile(SectionsCsv(FinalSections(surface, {planeX, planeY, nullptr, 0})), path);
}
