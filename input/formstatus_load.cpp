// The three load handlers of the Status window. Each only opens the file,
// calls the plain functions that parse or decode it, and hands the result to
// its plot object with adopt set; the view is redrawn however the load ends,
// before any error reaches the message box.

#include <exception>

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

}  // namespace

void TFormStatus::ButtonLoadClick() {
  const RedrawOnExit redraw(graph);
  if (!OpenDialog.Execute(this))
    return;
  const FileBytes file = ReadFileBytes(OpenDialog.FileName);
  PointGrid grid = ReadPointGrid(reinterpret_cast<const char*>(file.data.get()), file.size,
                                 RegionalDecimalSeparator());
  surface.SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                  static_cast<std::uint32_t>(grid.rows), true);
}

void TFormStatus::ButtonLoadBMPClick() {
  const RedrawOnExit redraw(graph);
  OpenDialog.FilterIndex = 3;
  if (!OpenDialog.Execute(this))
    return;
  const RgbImage image = [&] {
    const FileBytes file = ReadFileBytes(OpenDialog.FileName);
    return DecodeBitmap(file.data.get(), file.size);
  }();
  std::unique_ptr<Vec3[]> points = BuildHeightField(image);
  surface.SetGrid(points.release(), static_cast<std::uint32_t>(image.width),
                  static_cast<std::uint32_t>(image.height), true);
}

void TFormStatus::ButtonLoadBMP2Click() {
  const RedrawOnExit redraw(graph);
  if (!OpenDialog.Execute(this))
    return;
  const RgbImage image = [&] {
    const FileBytes file = ReadFileBytes(OpenDialog.FileName);
    return DecodeBitmap(file.data.get(), file.size);
  }();
  std::unique_ptr<float[]> counts = CountColours(image);
  volume.SetVolume(counts.release(), 64, 64, 64, true);
}
