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

LoadOutcome ExpectedLoad(Reader reader, const QString& path) {
  LoadOutcome outcome;
  outcome.volume = reader == Reader::ColourCount;
  try {
    switch (reader) {
      case Reader::PointGrid:
        TakeGrid(outcome, ReadPointGridFile(path, RegionalDecimalSeparator()));
        break;
      case Reader::HeightField:
        TakeGrid(outcome, ReadHeightFieldFile(path));
        break;
      case Reader::ColourCount:
        TakeCounts(outcome, ReadColourCountFile(path));
        break;
      case Reader::ByContent:
      case Reader::ByContentColours: {
        if (reader == Reader::ByContentColours) {
          RefuseMeasuredColours(path);
        } else if (std::optional<HeightFieldGrid> measured = ReadMeasuredFile(path)) {
          TakeGrid(outcome, std::move(*measured));
          break;
        }
        FileBytes file = ReadFileBytes(path);
        if (!HoldsPicture(file))
          TakeGrid(outcome, PointGridOf(file, RegionalDecimalSeparator()));
        else if (reader == Reader::ByContentColours)
          TakeCounts(outcome, ColourCountOf(std::move(file)));
        else
          TakeGrid(outcome, HeightFieldOf(std::move(file)));
        break;
      }
    }
  } catch (...) {
    outcome.failed = true;
    outcome.message = ShownText(std::current_exception());
    outcome.what = "fails: " + outcome.message.toStdString();
  }
  return outcome;
}
