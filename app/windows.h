#pragma once
// The program's two windows, made in the order the program needs: the main
// window first, whose view the Status window then fills with its objects.
// While they exist, FormRoot and FormStatus point at them.

#include <memory>

#include "app/formroot.h"
#include "input/formstatus.h"

struct Windows {
  Windows() = default;
  Windows(Windows&&) = default;
  Windows& operator=(Windows&&) = delete;
  // The main window goes first, with its view; the Status window's objects
  // are only referenced by that view.
  ~Windows();

  std::unique_ptr<TFormRoot> root;
  std::unique_ptr<TFormStatus> status;
};

// Shows what the Status window's loads have to say over root's picture: its
// notes, and the progress of a load in the background, whose Cancel goes to
// the Status window.
void ConnectNotes(TFormRoot& root, TFormStatus& status);

// Creates and shows both windows and draws the first picture with the camera
// the bars describe and the Status window's objects in it. Throws what the
// windows' construction throws; nothing is left then.
Windows OpenWindows();
