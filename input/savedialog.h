#pragma once
// TSaveDialog: where Save picture asks for a file name. It remembers the folder
// of the last confirmed name for the next use (in this session only: the
// program stores nothing), and adds ".png" to a name typed without a suffix.

#include <functional>
#include <optional>

#include <QString>

class QWidget;

class TSaveDialog {
 public:
  // Stands in for the modal step (tests): receives the dialog as it would
  // open, returns the full path or nothing for cancel.
  using Chooser = std::function<std::optional<QString>(const TSaveDialog&)>;

  // Shows the dialog modally over owner, starting in Directory. Returns the
  // confirmed full path (Directory becomes its folder), or nothing on cancel.
  std::optional<QString> Execute(QWidget* owner);

  // Replaces the modal step for every dialog until reset with an empty one;
  // returns the previous chooser.
  static Chooser SetChooser(Chooser chooser);

  // The folder the dialog opens in: the user's pictures folder until a name
  // is confirmed, then that name's folder.
  QString Directory;
};
