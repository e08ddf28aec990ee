#pragma once
// TSectionsDialog: where the Profile window's Save asks for a file name, as
// CSV text or as a PNG picture of the charts. It remembers the folder of the
// last confirmed name for the next use (in this session only: the program
// stores nothing), and adds the chosen type's suffix to a name typed without
// one.

#include <functional>
#include <optional>

#include <QString>

class QWidget;

class TSectionsDialog {
 public:
  // Stands in for the modal step (tests): receives the dialog as it would
  // open, returns the full path or nothing for cancel.
  using Chooser = std::function<std::optional<QString>(const TSectionsDialog&)>;

  // Shows the dialog modally over owner, starting in Directory. Returns the
  // confirmed full path (Directory becomes its folder), or nothing on cancel.
  std::optional<QString> Execute(QWidget* owner);

  // Replaces the modal step for every dialog until reset with an empty one;
  // returns the previous chooser.
  static Chooser SetChooser(Chooser chooser);

  // Whether path names a picture (".png", any case) rather than CSV text.
  static bool IsPicture(const QString& path);

  // The folder the dialog opens in: the user's documents folder until a
  // name is confirmed, then that name's folder.
  QString Directory;
};
