#pragma once
// The file dialog of every Save: the types a file can be written as, each a
// filter and the suffix a name typed without one gets while that type is
// chosen.

#include <optional>
#include <vector>

#include <QString>

class QWidget;

struct SaveFileType {
  QString filter;  // "PNG (*.png)"
  QString suffix;  // "png"
};

// Asks for a file to write in directory, the first type chosen at first.
// The absolute path, or nothing when cancelled.
std::optional<QString> AskSaveFile(QWidget* owner, const QString& directory,
                                   const std::vector<SaveFileType>& types);
