#include "expect.h"

#include <exception>
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
  TakeGrid(outcome, std::move(grid.points), grid.columns, grid.rows);
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
  switch (kind) {
    case LoadKind::kPointGrid:
      return Reader::PointGrid;
    case LoadKind::kHeightField:
      return Reader::HeightField;
    default:
      return Reader::ColourCount;
  }
}

LoadOutcome ExpectedLoad(Reader reader, const QString& path) {
  LoadOutcome outcome;
  try {
    FileBytes file = ReadFileBytes(path);
    LoadKind kind = LoadKind::kPointGrid;
    switch (reader) {
      case Reader::PointGrid:
        break;
      case Reader::HeightField:
        kind = LoadKind::kHeightField;
        break;
      case Reader::ColourCount:
        kind = LoadKind::kColourCount;
        break;
      case Reader::ByContent:
      case Reader::ByContentColours:
        if (HoldsPicture(file)) {
          kind =
              reader == Reader::ByContentColours ? LoadKind::kColourCount : LoadKind::kHeightField;
        }
        break;
    }
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
