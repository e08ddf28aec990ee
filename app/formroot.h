#pragma once
// TFormRoot: the main window. Its only content is the view-control frame and
// its logic is attaching the plot view once everything exists, loading a file
// dropped on it through the Status window's loaders, and its keys and the
// picture's context menu: Copy (Ctrl+C), Save picture (Ctrl+S), Save
// turntable, the Profile window (P), the loaders' dialogs (Ctrl+O, Ctrl+B),
// Reload (F5), Cancel the load (Esc), the frame's
// Open URL…, Reset view, and the switch "Reload when the file changes".

#include <memory>

#include <QWidget>

#include "app/loadbar.h"
#include "app/lookmenu.h"
#include "app/percentilecount.h"
#include "app/profilewindow.h"
#include "app/transientnote.h"
#include "app/meshexportsave.h"
#include "app/turntablesave.h"
#include "overlays/pictureoverlays.h"
#include "ui_formroot.h"

class TFormRoot : public QWidget {
  Q_OBJECT

 public:
  explicit TFormRoot(QWidget* parent = nullptr);

  void FormCreate();

  Ui::TFormRoot ui;
  // Notes over the picture (a raster read reduced).
  TTransientNote* note = nullptr;
  // The progress of a load in the background, with Cancel.
  TLoadBar* loadBar = nullptr;
  // How the data is drawn (the picture's menu and keys), and what is painted
  // over the picture; the Status window's objects take the look.
  TLookMenu* lookMenu = nullptr;
  // "Save turntable…" of the picture's menu.
  TTurntableSave* turntable = nullptr;
  // "Export mesh…" of the picture's menu.
  TMeshExportSave* meshExport = nullptr;
  std::unique_ptr<cPictureOverlays> overlays;
  // Gives the Status window's objects and the overlays look, and redraws.
  void ShowLook(const PictureLook& look);
  // Says over the picture why the contour lines asked for cannot be drawn
  // over the data shown, once for each reason.
  void TellContourProblem();
  // The same without the redraw, for new data that a redraw follows anyway:
  // the colour range is worked out for it. Percentiles of a raster held at
  // levels are counted first in the background (percentiles): the full
  // range shows meanwhile, and their look comes when they are counted.
  void ApplyLookAgain(const PictureLook& look);
  // Opens the Profile window, made at its first opening, or raises it.
  void OpenProfile();
  // Goes before the frame and its view, which it follows.
  std::unique_ptr<TProfileWindow> profile;
  // Goes before the load bar, which it shows.
  std::unique_ptr<TPercentileCount> percentiles;
  // The surface's data whose percentiles were counted last.
  std::uint64_t countedStamp = 0;

 protected:
  // Closing the main window ends the program, whatever else is still open.
  void closeEvent(QCloseEvent* event) override;
  // A dropped picture, told by its content, loads as height field (with Shift
  // held: as colour-count volume), any other file as point-grid text.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QString toldContourProblem;
};

// The main window while the program runs (set by the entry function).
extern TFormRoot* FormRoot;
