#include "app/profilefile.h"

#include <QSaveFile>

#include "base/errors.h"
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
  const std::string text = SectionsCsv(FinalSections(surface, {planeX, planeY, nullptr, 0}));
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    throw cFileWriteError(path, file.errorString());
  if (file.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !file.commit())
    throw cFileWriteError(path, file.errorString());
}
