#include "input/savedialog.h"

#include <utility>

#include <QFileInfo>
#include <QStandardPaths>

#include "input/savefiledialog.h"

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
    // A name typed without a suffix gets the one of the chosen type.
    path = AskSaveFile(owner, Directory,
                       {{QStringLiteral("PNG (*.png)"), QStringLiteral("png")},
                        {QStringLiteral("JPEG (*.jpg *.jpeg)"), QStringLiteral("jpg")},
                        {QStringLiteral("BMP (*.bmp)"), QStringLiteral("bmp")}});
  }
  if (path)
    Directory = QFileInfo(*path).absolutePath();
  return path;
}
