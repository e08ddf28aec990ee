// The three load handlers of the Status window and the load of a file named
// elsewhere. Each only asks for the file and calls the load that reads,
// parses or decodes it and hands the result to its plot object with adopt set
// (input/loadobject.h), remembering the file once read; the view is redrawn
// however the load ends, before any error reaches the message box.

#include <exception>

#include <QApplication>

#include "formats/measuredheights.h"
#include "input/decimalsymbol.h"
#include "input/formstatus.h"
#include "input/loadobject.h"
#include "scene/graph.h"

namespace {

// Redraws the view when the load ends, on every way out. While an error is
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

}  // namespace

bool TFormStatus::ChooseFile() {
  if (OpenDialog.Execute(this))
    return true;
  graph.Draw();
  return false;
}

void TFormStatus::ButtonLoadClick() {
  TableExitFirst();
  if (ChooseFile())
    LoadAs(OpenDialog.FileName, LoadKind::kPointGrid);
}

void TFormStatus::ButtonLoadBMPClick() {
  TableExitFirst();
  OpenDialog.FilterIndex = 3;
  if (ChooseFile())
    LoadAs(OpenDialog.FileName, LoadKind::kHeightField);
}

void TFormStatus::ButtonLoadBMP2Click() {
  TableExitFirst();
  if (ChooseFile())
    LoadAs(OpenDialog.FileName, LoadKind::kColourCount);
}

void TFormStatus::OpenFile(const QString& path, bool colours) {
  Load([&] {
    LoadFileByContent(path, RegionalDecimalSeparator(), colours, surface, volume,
                      [&](LoadKind kind) { Remember(path, kind); });
  });
}

void TFormStatus::LoadAs(const QString& path, LoadKind kind) {
  Load([&] {
    LoadFile(path, kind, RegionalDecimalSeparator(), surface, volume,
             [&](LoadKind read) { Remember(path, read); });
  });
}

void TFormStatus::Remember(const QString& path, LoadKind kind) {
  // Once read, whether or not its data is taken: F5 then tries a broken
  // file again once it has been mended, and a followed file stays followed.
  loaded.Remember(path, kind);
  if (watching)
    watch.Follow(loaded.Paths());
}

void TFormStatus::Load(const std::function<void()>& load) {
  const BusyCursor busy;  // outlives the redraw, which can take a while too
  const RedrawOnExit redraw(graph);
  const Vec3* before = surface.vertices;
  load();
  if (surface.vertices != before) {
    if (const QString notice = ReducedNotice(surface.values); !notice.isEmpty())
      emit Notice(notice);
  }
}
