#include "input/sectionsdialog.h"

#include <utility>

#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
TSectionsDialog::Chooser& ChooserSlot() {
  static TSectionsDialog::Chooser chooser;
  return chooser;
}
}  // namespace

TSectionsDialog::Chooser TSectionsDialog::SetChooser(Chooser chooser) {
  return std::exchange(ChooserSlot(), std::move(chooser));
}

bool TSectionsDialog::IsPicture(const QString& path) {
  return QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

std::optional<QString> TSectionsDialog::Execute(QWidget* owner) {
  if (Directory.isEmpty())
    Directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  std::optional<QString> path;
  if (ChooserSlot()) {
    path = ChooserSlot()(*this);
  } else {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QStringLiteral("CSV files (*.csv)"), QStringLiteral("PNG pictures (*.png)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      dialog.setDefaultSuffix(f.startsWith(QLatin1String("PNG")) ? QStringLiteral("png")
                                                                 : QStringLiteral("csv"));
    });
    dialog.setDirectory(Directory);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      path = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
  }
  if (path)
    Directory = QFileInfo(*path).absolutePath();
  return path;
}
