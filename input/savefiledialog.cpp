#include "input/savefiledialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

std::optional<QString> AskSaveFile(QWidget* owner, const QString& directory,
                                   const std::vector<SaveFileType>& types) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  QStringList filters;
  for (const SaveFileType& type : types)
    filters << type.filter;
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(types.front().suffix);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, &types](const QString& filter) {
                     for (const SaveFileType& type : types) {
                       if (type.filter == filter)
                         dialog.setDefaultSuffix(type.suffix);
                     }
                   });
  dialog.setDirectory(directory);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
}
