#include "input/sectionsdialog.h"

#include <utility>

#include <QFileInfo>
#include <QStandardPaths>

#include "input/savefiledialog.h"

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
    path = AskSaveFile(owner, Directory,
                       {{QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv")},
                        {QStringLiteral("PNG pictures (*.png)"), QStringLiteral("png")}});
  }
  if (path)
    Directory = QFileInfo(*path).absolutePath();
  return path;
}
