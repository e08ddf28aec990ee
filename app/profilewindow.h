#pragma once
// TProfileWindow: the Profile window. Three charts, one above the other, of
// the Status window's surface cut along the x plane, the y plane and the
// point line (objects/sections.h), with what the cursor reads off them
// below. While shown it follows every change the Status window applies
// (TFormStatus::Changed): it cuts at the detail drawn while the picture or
// a plane's handle moves and at the data's own cells once both rest, and
// again as a raster's tiles come. Copy (Ctrl+C) puts the sections as
// CSV and the charts as a picture on the clipboard; Save… (Ctrl+S) writes
// one of them, by the name's suffix. Both are in its context menu too.
//
// The main window owns it, shown or not; it belongs to no window itself, so
// that it stays behind whatever the user brings forward, and closing it
// only hides it.

#include <cmath>
#include <cstdint>
#include <vector>

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include "input/formstatus.h"
#include "input/sectionsdialog.h"
#include "objects/sections.h"
#include "ui_profilewindow.h"

class cOpenGLGraph;

class TProfileWindow : public QWidget {
  Q_OBJECT

 public:
  // graph: the main window's view, whose planes place the sections and
  // whose coming to rest ends the cuts of a moving picture; it must outlive
  // the window.
  explicit TProfileWindow(cOpenGLGraph& graph);
  ~TProfileWindow() override;

  // Shows the window with the sections as they are now; raises it when it
  // is shown already.
  void Open();
  // Cuts the sections of the Status window's surface (none without one)
  // and shows them: at the level the picture drew last while it is not at
  // rest, at the surface's own cells when it is. Throws std::bad_alloc.
  void Cut();
  // The sections as CSV text and the charts' picture to the clipboard.
  void Copy();
  // Asks for a name (Dialog) and writes the sections there as CSV, or the
  // charts as PNG for a name ending in ".png". Cancel does nothing. Throws
  // cFileWriteError; nothing of the file is left then.
  void Save();

  // The three charts as the window shows them, without the cursor's mark.
  QImage ChartsPicture() const;

  const Sections& Shown() const { return shown; }
  SectionDetail ShownDetail() const { return cut.detail; }

  Ui::TProfileWindow ui;
  TSectionsDialog Dialog;

 private:
  // Follows the Status window now in FormStatus, which may have been
  // replaced since the last opening.
  void Connect();
  // Whether the picture or a plane is moving: sections are then cut at the
  // detail drawn.
  bool Moving() const;
  // A change the Status window applied, or the view came to rest.
  void Follow();
  void Rested();
  // The readout of chart, or of none when it has nothing to say.
  void ShowReadout(const TProfileChart* chart, const QString& text);

  cOpenGLGraph& graph;
  QPointer<TFormStatus> status;
  QMetaObject::Connection changed;
  // Where the sections shown were cut, and of what.
  struct Places {
    const TFormStatus* status = nullptr;
    std::uint64_t handOvers = 0;
    double x = NAN, y = NAN;
    std::vector<Vec3> line;
    SectionDetail detail = SectionDetail::kFull;
  };
  Sections shown;
  Places cut;
  const TProfileChart* readoutFrom = nullptr;
};
