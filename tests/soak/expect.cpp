#include "expect.h"

#include <exception>
#include <optional>
#include <utility>

#include "app/application.h"
#include "formats/loadfile.h"
#include "input/decimalsymbol.h"
#include "view/messagebox.h"

namespace {

void TakeGrid(LoadOutcome& outcome, std::unique_ptr<Vec3[]> points, int columns, int rows) {
  outcome.points = std::move(points);
  outcome.columns = static_cast<std::uint32_t>(columns);
  outcome.rows = static_cast<std::uint32_t>(rows);
  outcome.what = "grid " + std::to_string(columns) + "x" + std::to_string(rows);
}
void TakeGrid(LoadOutcome& outcome, PointGrid grid) {
  TakeGrid(outcome, std::move(grid.points), grid.columns, grid.rows);
}
void TakeGrid(LoadOutcome& outcome, HeightFieldGrid grid) {
  if (grid.levels) {
    outcome.columns = grid.levels->Columns();
    outcome.rows = grid.levels->Rows();
    outcome.levels = std::move(grid.levels);
    outcome.minimum = grid.values.minimum;
    outcome.maximum = grid.values.maximum;
    outcome.what =
        "levels of " + std::to_string(outcome.columns) + "x" + std::to_string(outcome.rows);
    return;
  }
  TakeGrid(outcome, std::move(grid.points), grid.columns, grid.rows);
  outcome.present = std::move(grid.present);
}
void TakeCounts(LoadOutcome& outcome, std::unique_ptr<float[]> counts) {
  outcome.volume = true;
  outcome.counts = std::move(counts);
  outcome.what = "colour counts";
}

}  // namespace

QString ShownText(std::exception_ptr error) {
  QString text;
  const MessageBoxHook previous =
      SetMessageBoxHook([&text](const MessageBoxRequest& request) { text = request.text; });
  ShowException(std::move(error));
  SetMessageBoxHook(previous);
  return text;
}

Reader ReaderOf(LoadKind kind) {
  return kind == LoadKind::kPointGrid     ? Reader::PointGrid
         : kind == LoadKind::kHeightField ? Reader::HeightField
                                          : Reader::ColourCount;
}

LoadOutcome ExpectedLoad(Reader reader, const QString& path) {
  LoadOutcome outcome;
  try {
    // A measured raster goes its own way, and colour counts refuse one.
    if (reader == Reader::ColourCount || reader == Reader::ByContentColours) {
      RefuseMeasuredColours(path);
    } else if (reader != Reader::PointGrid) {
      if (std::optional<HeightFieldGrid> measured = ReadMeasuredFile(path)) {
        outcome.remembered = LoadedFile{path, LoadKind::kHeightField};
        TakeGrid(outcome, std::move(*measured));
        return outcome;
      }
    }
    FileBytes file = ReadFileBytes(path);
    // A dialog's reader decides the kind, a file named elsewhere its content.
    LoadKind kind = reader == Reader::HeightField   ? LoadKind::kHeightField
                    : reader == Reader::ColourCount ? LoadKind::kColourCount
                                                    : LoadKind::kPointGrid;
    if ((reader == Reader::ByContent || reader == Reader::ByContentColours) && HoldsPicture(file))
      kind = reader == Reader::ByContentColours ? LoadKind::kColourCount : LoadKind::kHeightField;
    outcome.remembered = LoadedFile{path, kind};
    switch (kind) {
      case LoadKind::kPointGrid:
        TakeGrid(outcome, PointGridOf(file, RegionalDecimalSeparator()));
        break;
      case LoadKind::kHeightField:
        TakeGrid(outcome, HeightFieldOf(std::move(file)));
        break;
      case LoadKind::kColourCount:
        TakeCounts(outcome, ColourCountOf(std::move(file)));
        break;
    }
  } catch (...) {
    outcome.failed = true;
    outcome.message = ShownText(std::current_exception());
    outcome.what = "fails: " + outcome.message.toStdString();
  }
  return outcome;
}
