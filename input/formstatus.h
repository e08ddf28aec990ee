#pragma once
// TFormStatus: the always-on-top control window. It owns the three plot
// objects (point line, surface, volume), puts them into the plot view's lists
// when created, and drives the view from its controls: the point table, the
// display switches, the plane sliders, the grey-band spinner, Copy and the
// loaders. It remembers what each load read, to load it again on F5 or when
// the file changes.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include <QTimer>
#include <QWidget>

#include "input/addressdialog.h"
#include "input/filewatch.h"
#include "input/loadedfiles.h"
#include "input/loadjob.h"
#include "input/opendialog.h"
#include "input/savedialog.h"
#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "ui_formstatus.h"

class cOpenGLGraph;

class TFormStatus : public QWidget {
  Q_OBJECT

 public:
  // graph: the main window's plot view, which must exist already; the window
  // appends its objects to the view's lists and draws through it.
  explicit TFormStatus(cOpenGLGraph& graph, QWidget* parent = nullptr);
  ~TFormStatus() override;

  // Handlers.
  void FormCreate();
  // Shared by the switches, the sliders and the table losing the focus: copies
  // the switches into line and surface, re-reads every row into the line and
  // rewrites it, moves the planes, lets pending events run, redraws (while a
  // plane slider's handle is held, as held input: the view may preview).
  // Throws cOverflow for a number beyond the double range; the rows read
  // before it stay taken, nothing after it happens.
  void ChangeState();
  void UpDownLevelClick();
  // Copy and the loaders first read the table when the click that got here
  // has just left it (TableExitFirst); its error then ends them.
  void ButtonCopyClick();
  // Loaders: each shows OpenDialog, reads the chosen file and replaces the
  // data of one object (text file -> surface, picture -> surface as height
  // field, picture -> volume as colour counts; a picture of any format that
  // loads, told by its content). Cancel and every error leave the object as
  // it was; the view is redrawn in every case. Errors are thrown for the
  // display (file not opened, bad picture, index error, overflow, invalid
  // operation for a picture with a single row or column, out of memory).
  void ButtonLoadClick();
  void ButtonLoadBMPClick();
  void ButtonLoadBMP2Click();
  // Asks for a file name (SaveDialog) and writes the picture there, as PNG,
  // JPEG or BMP by the name's suffix. Cancel does nothing. Throws
  // cFileWriteError when the file cannot be written; no part of it is left.
  void SavePictureClick();

  // A file named elsewhere (a drop, the command line), told by its content:
  // a picture as height field or, with colours, as colour-count volume;
  // anything else as point-grid text (ReadFileByContent). The same errors,
  // clean-up and redraw as the loaders, in the background when it takes long
  // (backgroundAfter). The dialog's remembered name and filter stay as they
  // are.
  void OpenFile(const QString& path, bool colours);
  // Asks for the web address of a GeoTIFF (AddressDialog) and opens it as
  // OpenFile does. Cancel does nothing; an address of another kind is
  // refused with cError before anything is reached.
  void OpenAddressClick();

  // Every load reads its file on a thread of its own (cLoadJob) and waits
  // this long for it with a busy cursor, processing nothing: a load that ends
  // by then is handed over at once, as if read on this thread. A longer one
  // goes on in the background, the windows stay alive, and LoadRunning tells
  // how far it is; once it ends it is handed over, with its redraw and its
  // message, as soon as no other handler runs (EventNesting) and no message
  // box is open. Tests set 0, or milliseconds::max() for never.
  std::chrono::milliseconds backgroundAfter = defaultBackgroundAfter;
  // What backgroundAfter starts at: 300 ms. The test programs make it never,
  // so that a load that happens to take long on a busy machine goes as a
  // quick one does, except where a test asks for the background.
  static std::chrono::milliseconds defaultBackgroundAfter;
  // Stops the load running in the background, if any, and what F5 or a
  // changed file still had to load: the data and the picture stay as they
  // are, and nothing is said. A new load does the same to one running.
  void CancelLoad();
  // Whether a load runs in the background now.
  bool LoadInBackground() const { return job != nullptr; }

  // Loads the files last read into the surface and the volume again, each
  // as it was loaded (LoadedFiles), surface first; each load as a loader's,
  // with its errors, clean-up and redraw. After a failure the next load
  // waits until its message box has been closed. Nothing remembered: does
  // nothing.
  void ReloadClick();
  // On: a remembered file that another program changes is loaded again once
  // it has settled (cFileWatch), as ReloadClick would, except that a file
  // empty or missing by then is left until its next change. While a message
  // box is open the changes wait, and one load each follows it. Off at start.
  void SetWatching(bool on);

  // Whether the handle of a plane's slider is held.
  bool PlaneHeld() const;

  const cLoadedFiles& LoadedFiles() const { return loaded; }
  // How many loads have handed data over so far: what the surface holds is
  // the same while this is.
  std::uint64_t HandOvers() const { return handOvers; }
  cFileWatch& FileWatch() { return watch; }

  // The text of cell (column, row); row 0 is the empty header row, points
  // start at row 1. Outside the table: empty.
  QString Cell(int column, int row) const;
  // Splits text as comma text into the cells of row: every cell is emptied,
  // item k goes to column k, an empty item is stored as one blank, items past
  // the third are dropped.
  void SetRowCommaText(int row, std::string_view text);

  Ui::TFormStatus ui;
  TOpenDialog OpenDialog;
  TSaveDialog SaveDialog;
  TAddressDialog AddressDialog;
  // Declared in this order so that they are destroyed volume first, line last.
  cOpenGLGraph_Line line;
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid volume;

 signals:
  // A load has something to tell that is no error (a raster read reduced):
  // shown over the picture for a while, never in a box.
  void Notice(const QString& text);
  // A load runs in the background, so far done (0 to 1, never less than
  // before): when it goes there, and a few times a second after.
  void LoadRunning(double done);
  // The load that ran in the background has ended, been cancelled or been
  // replaced.
  void LoadEnded();
  // What the surface holds, the planes or the point line may have changed:
  // the controls were applied (ChangeState), a plane's handle was let go, a
  // load handed its data over, or tiles of a raster held at levels came.
  void Changed();
  // A load replaced the surface's data: what was worked out from the old
  // data is to be worked out again, before the redraw.
  void DataReplaced();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // The table's exit: the focus went from the table (or its cell editor) to
  // something outside it.
  void FocusChanged(QWidget* old, QWidget* now);
  // Runs the table's exit if it is still to come: a quick click on a button
  // (press and release in one batch) reaches the button before the queued
  // exit has run, and the button must act after the exit, as after a slower
  // click; an error of the exit ends the click.
  void TableExitFirst();
  bool InTable(const QWidget* widget) const;
  // The load dialog; on cancel the view is redrawn and false returned.
  bool ChooseFile();
  // Starts read, which reads the file at path, as a load (backgroundAfter):
  // at once or later, FinishLoad hands its data over.
  void Load(const QString& path, cLoadJob::Read read);
  // The load's data to its object, or its error thrown, and the view redrawn
  // however it ends; tells what a new surface has to say (Notice).
  void FinishLoad();
  // Told on this thread that the reading of load id has ended.
  void LoadThreadEnded(std::uint64_t id);
  // Tiles of the surface's levels of detail have come: the picture refines,
  // and a tile that failed is told once. TileCame runs on the reading
  // threads and asks for one TilesCame at a time.
  void TileCame();
  void TilesCame();
  // The load in the background cancelled and let go: its thread ends by
  // itself, and the next load waits for it.
  void DropBackgroundLoad();
  // Loads the file at path as kind (Load, ReadFileAs).
  void LoadAs(const QString& path, LoadKind kind);
  // The file at path was read as kind: what F5 loads again, and follows.
  void Remember(const QString& path, LoadKind kind);

  struct PendingReload {
    LoadedFile file;
    bool watched;  // asked for by the file's change, not by the user
  };
  void FilesSettled(const QStringList& paths);
  void QueueReloads(const std::vector<LoadedFile>& files, bool watched);
  void RunReloads();
  // Runs the reloads still pending once no message box is open.
  void ResumeReloadsAfterBoxes();

  cOpenGLGraph& graph;
  QMetaObject::Connection focusConnection;
  // The table has been left and not read since (FocusChanged).
  bool tableExitPending = false;

  std::unique_ptr<cLoadJob> job;  // the load running, if any
  std::uint64_t handOvers = 0;
  std::atomic<bool> tilesCameQueued{false};
  QString jobPath;
  std::uint64_t jobId = 0;
  // Cancelled loads whose threads may still be ending; each is waited for
  // before the next load starts, so that one reading thread runs at a time.
  std::vector<std::unique_ptr<cLoadJob>> dropped;
  // A child, as every timer of the window's: whoever waits for the program's
  // work to end sees a load in the background by it.
  QTimer progressTimer{this};

  cLoadedFiles loaded;
  cFileWatch watch{this};
  bool watching = false;
  std::vector<PendingReload> reloads;  // in the order they run
  bool resumePending = false;          // ResumeReloadsAfterBoxes is waiting
};

// The Status window while the program runs (set by the entry function).
extern TFormStatus* FormStatus;
