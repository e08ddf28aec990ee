#pragma once
// TTurntableDialog: where "Save turntable…" asks how many frames and which
// file. It remembers the folder and the number of frames last confirmed for
// the next use (in this session only: the program stores nothing).

#include <functional>
#include <optional>

#include <QString>

class QWidget;

class TTurntableDialog {
 public:
  // What was chosen: the frames of one turn, and the file the user named.
  struct Choice {
    QString path;
    int frames = 0;
  };
  // Stands in for the modal steps (tests): receives the dialog as it would
  // open, returns the choice or nothing for cancel.
  using Chooser = std::function<std::optional<Choice>(const TTurntableDialog&)>;

  // Asks modally over owner for the number of frames (1 to 3600, starting
  // at Frames), then for a file, starting in Directory. Returns the choice
  // with its path made a pattern (PatternOf); Frames and Directory become
  // the choice's. Nothing on cancel.
  std::optional<Choice> Execute(QWidget* owner);

  // Replaces the modal steps for every dialog until reset with an empty
  // one; returns the previous chooser.
  static Chooser SetChooser(Chooser chooser);

  // What cTurntableFile writes for a chosen path: a name ending in ".webp"
  // as it is; any other gets "-{frame}" before its suffix ("spin.png" gives
  // "spin-{frame}.png"; "spin" gives "spin-{frame}.png"), unless it holds
  // "{frame}" already.
  static QString PatternOf(const QString& path);

  QString Directory;
  int Frames = 36;
};
