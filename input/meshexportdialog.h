#pragma once
// TMeshExportDialog: where "Export mesh…" asks for the file and how the mesh
// is made. It remembers the folder and the settings last confirmed for the
// next use (in this session only: the program stores nothing).

#include <functional>
#include <optional>

#include <QString>

#include "meshes/meshsettings.h"

class QWidget;

class TMeshExportDialog {
 public:
  struct Choice {
    QString path;
    MeshSettings settings;
  };
  // Stands in for the modal steps (tests): receives the dialog as it would
  // open, returns the choice or nothing for cancel.
  using Chooser = std::function<std::optional<Choice>(const TMeshExportDialog&)>;

  // Asks modally over owner for a file (STL, 3MF, glTF binary or PLY),
  // starting in Directory, then for the settings, starting at Settings;
  // a setting whose text is not a length keeps OK disabled. Directory and
  // Settings become the choice's. Nothing on cancel.
  std::optional<Choice> Execute(QWidget* owner);

  // Replaces the modal steps for every dialog until reset with an empty
  // one; returns the previous chooser.
  static Chooser SetChooser(Chooser chooser);

  QString Directory;
  MeshSettings Settings;
};
