#include "input/turntabledialog.h"

#include <utility>

#include <QFileInfo>
#include <QInputDialog>
#include <QStandardPaths>

#include "input/savefiledialog.h"

namespace {

TTurntableDialog::Chooser& ChooserSlot() {
  static TTurntableDialog::Chooser chooser;
  return chooser;
}

const QString kFrame = QStringLiteral("{frame}");

}  // namespace

TTurntableDialog::Chooser TTurntableDialog::SetChooser(Chooser chooser) {
  return std::exchange(ChooserSlot(), std::move(chooser));
}

QString TTurntableDialog::PatternOf(const QString& path) {
  if (path.endsWith(QLatin1String(".webp"), Qt::CaseInsensitive) || path.contains(kFrame))
    return path;
  const QFileInfo file(path);
  // The last suffix only, as the dialog's filters name it; a name without
  // one is a series of PNG pictures.
  const QString suffix = file.suffix();
  const QString base =
      suffix.isEmpty() ? file.fileName() : file.fileName().chopped(suffix.size() + 1);
  const QString folder = path.chopped(file.fileName().size());
  return folder + base + QStringLiteral("-") + kFrame + QStringLiteral(".") +
         (suffix.isEmpty() ? QStringLiteral("png") : suffix);
}

std::optional<TTurntableDialog::Choice> TTurntableDialog::Execute(QWidget* owner) {
  if (Directory.isEmpty())
    Directory = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  std::optional<Choice> choice;
  if (ChooserSlot()) {
    choice = ChooserSlot()(*this);
  } else {
    bool ok = false;
    const int frames = QInputDialog::getInt(owner, QStringLiteral("Save turntable"),
                                            QStringLiteral("Pictures in one turn (1 to 3600):"),
                                            Frames, 1, 3600, 1, &ok);
    if (!ok)
      return std::nullopt;
    if (const std::optional<QString> path = AskSaveFile(
            owner, Directory,
            {{QStringLiteral("Animated WebP (*.webp)"), QStringLiteral("webp")},
             {QStringLiteral("PNG, one file a picture (*.png)"), QStringLiteral("png")}}))
      choice = Choice{*path, frames};
  }
  if (!choice)
    return std::nullopt;
  Directory = QFileInfo(choice->path).absolutePath();
  Frames = choice->frames;
  choice->path = PatternOf(choice->path);
  return choice;
}
