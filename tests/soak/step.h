#pragma once
// One action of the soak: its description for the reports, the input that
// performs it, and what it must come to beyond what every action must keep.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "expect.h"
#include "files.h"
#include "input/opendialog.h"
#include "meshes/meshsettings.h"

class SoakWorld;

struct Step {
  std::string description;
  // Sends the action's input; the event loop is settled afterwards.
  std::function<void(SoakWorld&)> perform;

  // What the replaced dialogs answer: the open dialog's choice (nothing:
  // cancel) and the save dialog's path (nothing: cancel).
  std::optional<TOpenDialog::Choice> openAnswer;
  std::optional<QString> saveAnswer;
  // What the address dialog is given (nothing: cancel).
  std::optional<QString> addressAnswer;

  // The loads the action makes, in order, each with its outcome.
  std::vector<LoadOutcome> loads;
  // The message boxes it must show before its loads' failures, by their text.
  std::vector<QString> messages;
  // The open dialogs it shows, by the filter entry each must open with (0:
  // any). A cancelled dialog only redraws.
  std::vector<int> dialogs;
  bool cancelled = false;
  // The address dialogs it shows, by the address each must open with.
  std::vector<QString> addressDialogs;
  // Save picture, once, to this target (an empty path: the dialog is
  // cancelled).
  std::optional<SaveTarget> save;
  // Save turntable…, once, to this target with this many frames (an empty
  // path: the dialog is cancelled).
  std::optional<SaveTarget> turntable;
  int turntableFrames = 0;
  // Export mesh…, once, to this target with these settings (an empty path:
  // the dialog is cancelled).
  std::optional<SaveTarget> mesh;
  MeshSettings meshSettings;
  // Copy the picture to the clipboard.
  bool copy = false;
};
