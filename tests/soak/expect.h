#pragma once
// What a load must come to, told by the readers alone (formats/loadfile.h),
// never by the windows: the data the plot object must hold afterwards, or
// the message its failure shows while the object keeps what it had.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QString>

#include "base/heightlevels.h"
#include "base/vec3.h"
#include "input/loadedfiles.h"

// The reader a load goes through: one of the three loaders' dialogs, or a
// file named outside them (a drop, the command line), told by its content,
// with or without Shift (colours).
enum class Reader { PointGrid, HeightField, ColourCount, ByContent, ByContentColours };

struct LoadOutcome {
  bool failed = false;
  QString message;      // failed: the text of the message box, as shown
  bool volume = false;  // the object the data goes to: the volume, else the surface
  // Set once the file was read, failed or not: what F5 then loads again.
  std::optional<LoadedFile> remembered;
  // Succeeded: the surface's grid and which of its points have a value (null:
  // all), or the volume's 64^3 counts.
  std::unique_ptr<Vec3[]> points;
  std::unique_ptr<std::uint8_t[]> present;
  std::uint32_t columns = 0, rows = 0;
  std::unique_ptr<float[]> counts;
  // Succeeded with a raster held at levels of detail: those levels (the
  // columns and rows are the raster's) and the range of its values.
  std::shared_ptr<HeightLevels> levels;
  double minimum = 0.0, maximum = 0.0;
  std::string what;  // for the action's description
};

// What loading the file at path through reader must do now.
LoadOutcome ExpectedLoad(Reader reader, const QString& path);

// The reader of a dialog's load of kind, which F5 loads a remembered file by.
Reader ReaderOf(LoadKind kind);

// The text the message box shows for error, as the guard around event
// dispatch shows it.
QString ShownText(std::exception_ptr error);
