#include "input/opendialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {
TOpenDialog::Chooser& ChooserSlot() {
  static TOpenDialog::Chooser chooser;
  return chooser;
}
}  // namespace

TOpenDialog::TOpenDialog(QString filter) : Filter(std::move(filter)) {}

TOpenDialog::Chooser TOpenDialog::SetChooser(Chooser chooser) {
  Chooser previous = std::move(ChooserSlot());
  ChooserSlot() = std::move(chooser);
  return previous;
}

QStringList TOpenDialog::NameFilters() const {
  const QStringList parts = Filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return filters;
}

bool TOpenDialog::Execute(QWidget* owner) {
  std::optional<Choice> choice;
  if (ChooserSlot()) {
    choice = ChooserSlot()(*this);
  } else {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // AnyFile: a typed name need not exist; the loader reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = NameFilters();
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size()) {
      dialog.selectNameFilter(filters[FilterIndex - 1]);
    }
    if (!FileName.isEmpty()) {
      const QFileInfo last(FileName);
      dialog.setDirectory(last.absolutePath());
      dialog.selectFile(last.fileName());
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      choice = Choice{QFileInfo(dialog.selectedFiles().first()).absoluteFilePath(),
                      static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
    }
  }
  if (!choice)
    return false;
  FileName = choice->fileName;
  if (choice->filterIndex >= 1)
    FilterIndex = choice->filterIndex;
  return true;
}
