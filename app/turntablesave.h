#pragma once
// "Save turntable…" of the picture's context menu: pictures of one whole
// turn about the vertical axis through the look-at point, from the turn the
// bar shows, everything else as shown, written as one animated WebP or a
// picture file a frame (cTurntableFile). The frames are drawn in the main
// window's view, so that the picture turns while they are made; the load
// bar shows how far it is, and its Cancel, or Esc, stops it and leaves no
// file. Meanwhile every other input is held back, so that each frame shows
// the state the turntable started from; afterwards the picture is as it was.

#include <QObject>

#include "input/turntabledialog.h"

class QAction;
class TFrameCubiscope;
class TLoadBar;

class TTurntableSave : public QObject {
  Q_OBJECT

 public:
  // The action belongs to parent; frame and bar outlive this.
  TTurntableSave(TFrameCubiscope& frame, TLoadBar& bar, QObject* parent);

  // Asks (Dialog) and writes the turntable; cancel does nothing. Refuses
  // with cError while a load runs in the background (the bar is its).
  // Throws cFileWriteError when a file cannot be written, and what drawing
  // throws; nothing of the turntable is left then.
  void Save();
  bool Running() const { return running; }

  QAction* action = nullptr;
  TTurntableDialog Dialog;

 private:
  TFrameCubiscope& frame;
  TLoadBar& bar;
  bool running = false;
};
