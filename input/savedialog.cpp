#include "input/savedialog.h"

#include <utility>

#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
TSaveDialog::Chooser& ChooserSlot() {
  static TSaveDialog::Chooser chooser;
  return chooser;
}
}  // namespace

TSaveDialog::Chooser TSaveDialog::SetChooser(Chooser chooser) {
  return std::exchange(ChooserSlot(), std::move(chooser));
}

std::optional<QString> TSaveDialog::Execute(QWidget* owner) {
  if (Directory.isEmpty())
    Directory = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  std::optional<QString> path;
  if (ChooserSlot()) {
    path = ChooserSlot()(*this);
  } else {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("PNG (*.png)"), QStringLiteral("JPEG (*.jpg *.jpeg)"),
                           QStringLiteral("BMP (*.bmp)")});
    // A name typed without a suffix gets the one of the chosen type.
    dialog.setDefaultSuffix(QStringLiteral("png"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      dialog.setDefaultSuffix(f.startsWith(QLatin1String("JPEG"))  ? QStringLiteral("jpg")
                              : f.startsWith(QLatin1String("BMP")) ? QStringLiteral("bmp")
                                                                   : QStringLiteral("png"));
    });
    dialog.setDirectory(Directory);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      path = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
  }
  if (path)
    Directory = QFileInfo(*path).absolutePath();
  return path;
}
