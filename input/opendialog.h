#pragma once
// TOpenDialog: the Status window's one file-open dialog, shared by the three
// loaders. It keeps its filter choice and the last confirmed file name between
// uses, and accepts a typed name of a file that does not exist (the loader
// then reports that it cannot open it).

#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

class TOpenDialog {
 public:
  // What the user confirmed: the full path and the 1-based filter entry.
  struct Choice {
    QString fileName;
    int filterIndex;
  };
  // Stands in for the modal step (tests): receives the dialog as it would
  // open, returns the choice or nothing for cancel.
  using Chooser = std::function<std::optional<Choice>(const TOpenDialog&)>;

  // filter: "Description|pattern|Description|pattern|…".
  explicit TOpenDialog(QString filter);

  // Shows the dialog modally over owner. True when the user confirmed a file:
  // FileName and FilterIndex then hold the choice; on cancel both stay.
  bool Execute(QWidget* owner);

  // Replaces the modal step for every dialog until reset with an empty one;
  // returns the previous chooser.
  static Chooser SetChooser(Chooser chooser);

  // The entries of the filter as the toolkit's dialog lists them:
  // "CSV Files (*.csv)", …
  QStringList NameFilters() const;

  QString Filter;
  int FilterIndex = 1;  // 1-based
  QString FileName;
};
