// The three load handlers of the Status window. Each only asks for the file
// and calls the load that reads, parses or decodes it and hands the result to
// its plot object with adopt set; the view is redrawn however the load ends,
// before any error reaches the message box.

#include <exception>

#include "input/decimalsymbol.h"
#include "input/formstatus.h"
#include "input/loadfile.h"
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
  LoadPointGridFile(OpenDialog.FileName, RegionalDecimalSeparator(), surface);
}

void TFormStatus::ButtonLoadBMPClick() {
  const RedrawOnExit redraw(graph);
  OpenDialog.FilterIndex = 3;
  if (!OpenDialog.Execute(this))
    return;
  LoadHeightFieldFile(OpenDialog.FileName, surface);
}

void TFormStatus::ButtonLoadBMP2Click() {
  const RedrawOnExit redraw(graph);
  if (!OpenDialog.Execute(this))
    return;
  LoadColourCountFile(OpenDialog.FileName, volume);
}
