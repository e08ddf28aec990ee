#pragma once
// What the soak acts on and watches: the program's two windows as the
// program opens them (OpenWindows, which also sets FormRoot and FormStatus),
// the generator, the files and the web servers, and the modal steps
// replaced by answers given in advance: the file and address dialogs answer
// what the step chose, message boxes are recorded instead of shown.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "app/windows.h"
#include "expect.h"
#include "files.h"
#include "formats/rastermodule.h"
#include "input/addressdialog.h"
#include "input/loadedfiles.h"
#include "input/meshexportdialog.h"
#include "input/opendialog.h"
#include "input/savedialog.h"
#include "random.h"
#include "view/messagebox.h"
#include "web.h"

class SoakWorld {
 public:
  // Opens the windows and installs the replacements of the modal steps;
  // folder holds the generated files.
  SoakWorld(std::uint64_t seed, const QString& folder);
  // Restores the modal steps, then closes the windows, main window first.
  ~SoakWorld();
  SoakWorld(const SoakWorld&) = delete;
  SoakWorld& operator=(const SoakWorld&) = delete;

  // Forgets what the last step recorded, stops the servers no longer read,
  // and starts the step's input (input.h).
  void StartStep(bool quick);
  // Draws the scene as it stands just before a load and keeps the picture:
  // after a load that fails or a dialog that is cancelled, the picture must
  // be this one again. (The picture shown may be older than the scene: the
  // new picture after a resize is black until the next redraw.) The open
  // and address dialogs call it as they open, after whatever the step did
  // before.
  void DrawSceneBeforeLoad();
  // Takes the files that loads read into what F5 loads again, and the file
  // whose data the surface shows.
  void NoteLoads(const std::vector<LoadOutcome>& loads);

  SoakRandom random;
  SoakFiles files;
  // Before the windows: a surface held at levels reads from its server until
  // the windows have gone.
  SoakServers servers;
  const ScopedWebLimits webLimits{kSoakWebLimits};
  Windows windows;
  TFormRoot& root;
  TFrameCubiscope& frame;
  cOpenGLGraph& graph;
  TFormStatus& status;

  // The answers of the step's dialogs: the open dialog's choice (nothing:
  // cancel), the save dialog's path, the text the address dialog is given
  // (nothing: cancel).
  std::optional<TOpenDialog::Choice> openAnswer;
  std::optional<QString> saveAnswer;
  std::optional<QString> addressAnswer;
  std::optional<TTurntableDialog::Choice> turntableAnswer;
  std::optional<TMeshExportDialog::Choice> meshAnswer;
  // What the step showed: the open dialogs by the filter entry they opened
  // with, the number of save dialogs, the address dialogs by the address
  // they opened with, the texts of the message boxes.
  std::vector<int> openDialogs;
  int saveDialogs = 0;
  int turntableDialogs = 0;
  int meshDialogs = 0;
  std::vector<QString> addressDialogs;
  std::vector<QString> messages;
  // Faults of the harness's own input (a window that would not activate).
  std::vector<std::string> inputFaults;
  // What DrawSceneBeforeLoad drew, and the frames presented by then.
  QImage pictureBeforeLoad;
  std::uint64_t framesBeforeLoad = 0;
  // What the steps so far leave F5 to load, and whether the picture's menu
  // has "Reload when the file changes" switched on.
  cLoadedFiles remembered;
  bool watching = false;
  // The file or address whose data the surface shows (empty: none loaded),
  // and the address the address dialog was given last.
  QString surfaceFile;
  QString lastAddress;

 private:
  // Takes the input that a message box, modal, would take.
  QWidget modalStandIn;
  MessageBoxHook previousBox;
  TOpenDialog::Chooser previousOpen;
  TSaveDialog::Chooser previousSave;
  TTurntableDialog::Chooser previousTurntable;
  TMeshExportDialog::Chooser previousMesh;
  TAddressDialog::Asker previousAsker;
};
