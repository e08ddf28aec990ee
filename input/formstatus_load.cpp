// The three load handlers of the Status window. Each only opens the file,
// calls the plain functions that parse or decode it, and hands the result to
// its plot object with adopt set; the view is redrawn however the load ends,
// before any error reaches the message box.

#include <exception>

#include <QApplication>

#include "input/bmpdecode.h"
#include "input/colourcount.h"
#include "input/decimalsymbol.h"
#include "input/filebytes.h"
#include "input/formstatus.h"
#include "input/heightfield.h"
#include "input/pointgrid.h"
#include "scene/graph.h"

namespace {

// Redraws the view when the handler ends, on every way out. While an error is
// on its way to the message box, a failing redraw must not replace it.
class RedrawOnExit {
 public:
  explicit RedrawOnExit(cOpenGLGraph& graph) : graph(graph) {}
  RedrawOnExit(const RedrawOnExit&) = delete;
  RedrawOnExit& operator=(const RedrawOnExit&) = delete;
  ~RedrawOnExit() noexcept(false) {
    if (std::uncaught_exceptions() == pending) {
      graph.Draw();
      return;
    }
    try {
      graph.Draw();
    } catch (...) {
    }
  }

 private:
  cOpenGLGraph& graph;
  const int pending = std::uncaught_exceptions();
};

// While a file is read and converted no events run; the cursor tells why.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

RgbImage ReadBitmap(const QString& path) {
  // The file's bytes go before the caller builds its array, which keeps the
  // peak of a large load lower.
  const FileBytes file = ReadFileBytes(path);
  return DecodeBitmap(file.data.get(), file.size);
}

}  // namespace

void TFormStatus::ButtonLoadClick() {
  if (!OpenDialog.Execute(this)) {
    graph.Draw();
    return;
  }
  LoadPointGridFile(OpenDialog.FileName);
}

void TFormStatus::ButtonLoadBMPClick() {
  OpenDialog.FilterIndex = 3;
  if (!OpenDialog.Execute(this)) {
    graph.Draw();
    return;
  }
  LoadHeightFieldFile(OpenDialog.FileName);
}

void TFormStatus::ButtonLoadBMP2Click() {
  if (!OpenDialog.Execute(this)) {
    graph.Draw();
    return;
  }
  LoadColourCountFile(OpenDialog.FileName);
}

void TFormStatus::LoadPointGridFile(const QString& path) {
  const BusyCursor busy;  // outlives the redraw, which can take a while too
  const RedrawOnExit redraw(graph);
  const FileBytes file = ReadFileBytes(path);
  PointGrid grid = ReadPointGrid(reinterpret_cast<const char*>(file.data.get()), file.size,
                                 RegionalDecimalSeparator());
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
}

void TFormStatus::LoadHeightFieldFile(const QString& path) {
  const BusyCursor busy;  // outlives the redraw, which can take a while too
  const RedrawOnExit redraw(graph);
  const RgbImage image = ReadBitmap(path);
  std::unique_ptr<Vec3[]> points = BuildHeightField(image);
  surface.SetGrid(points.release(), static_cast<std::uint32_t>(image.width),
                  static_cast<std::uint32_t>(image.height), true);
}

void TFormStatus::LoadColourCountFile(const QString& path) {
  const BusyCursor busy;  // outlives the redraw, which can take a while too
  const RedrawOnExit redraw(graph);
  const RgbImage image = ReadBitmap(path);
  std::unique_ptr<float[]> counts = CountColours(image);
  volume.SetVolume(counts.release(), 64, 64, 64, true);
}
