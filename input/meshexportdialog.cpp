#include "input/meshexportdialog.h"

#include <utility>

#include <QDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>

#include "input/savefiledialog.h"
#include "ui_meshexportdialog.h"

namespace {

TMeshExportDialog::Chooser& ChooserSlot() {
  static TMeshExportDialog::Chooser chooser;
  return chooser;
}

QString Millimetres(double length) {
  return QString::number(length, 'g', 6) + QStringLiteral("mm");
}

// The settings the options' texts give; none while one of them is not a
// length.
std::optional<MeshSettings> SettingsOf(const Ui::TMeshOptions& ui) {
  MeshSettings settings;
  const std::optional<double> size = ParseLength(ui.EditSize->text(), true);
  const std::optional<double> base = ParseLength(ui.EditBase->text(), true);
  if (!size || !base)
    return std::nullopt;
  settings.sizeMm = *size;
  settings.baseMm = *base;
  if (!ui.EditError->text().trimmed().isEmpty()) {
    settings.maxError = ParseMeshError(ui.EditError->text());
    if (!settings.maxError)
      return std::nullopt;
  }
  if (ui.CheckLitho->isChecked()) {
    settings.litho = ParseLitho(ui.EditLitho->text());
    if (!settings.litho)
      return std::nullopt;
  }
  return settings;
}

// The options dialog, modal over owner, from settings.
std::optional<MeshSettings> AskSettings(QWidget* owner, const MeshSettings& settings) {
  QDialog dialog(owner);
  Ui::TMeshOptions ui;
  ui.setupUi(&dialog);
  ui.EditSize->setText(Millimetres(settings.sizeMm));
  ui.EditBase->setText(Millimetres(settings.baseMm));
  if (settings.maxError)
    ui.EditError->setText(QString::number(*settings.maxError, 'g', 6));
  const LithoSettings litho = settings.litho.value_or(LithoSettings());
  ui.CheckLitho->setChecked(settings.litho.has_value());
  ui.EditLitho->setText(
      Millimetres(litho.thinMm) + QLatin1Char(',') + Millimetres(litho.thickMm) +
      (litho.frameMm > 0.0 ? QLatin1Char(',') + Millimetres(litho.frameMm) : QString()));
  const auto check = [&ui] {
    ui.Buttons->button(QDialogButtonBox::Ok)->setEnabled(SettingsOf(ui).has_value());
  };
  for (QLineEdit* edit : {ui.EditSize, ui.EditBase, ui.EditError, ui.EditLitho})
    QObject::connect(edit, &QLineEdit::textChanged, &dialog, check);
  QObject::connect(ui.CheckLitho, &QCheckBox::toggled, &dialog, check);
  check();
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return SettingsOf(ui);
}

}  // namespace

TMeshExportDialog::Chooser TMeshExportDialog::SetChooser(Chooser chooser) {
  return std::exchange(ChooserSlot(), std::move(chooser));
}

std::optional<TMeshExportDialog::Choice> TMeshExportDialog::Execute(QWidget* owner) {
  if (Directory.isEmpty())
    Directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  std::optional<Choice> choice;
  if (ChooserSlot()) {
    choice = ChooserSlot()(*this);
  } else {
    const std::optional<QString> path =
        AskSaveFile(owner, Directory,
                    {{QStringLiteral("STL, binary, for printing (*.stl)"), QStringLiteral("stl")},
                     {QStringLiteral("3MF, for printing (*.3mf)"), QStringLiteral("3mf")},
                     {QStringLiteral("glTF 2.0, binary (*.glb)"), QStringLiteral("glb")},
                     {QStringLiteral("PLY, binary (*.ply)"), QStringLiteral("ply")}});
    if (!path)
      return std::nullopt;
    const std::optional<MeshSettings> settings = AskSettings(owner, Settings);
    if (!settings)
      return std::nullopt;
    choice = Choice{*path, *settings};
  }
  if (!choice)
    return std::nullopt;
  Directory = QFileInfo(choice->path).absolutePath();
  Settings = choice->settings;
  return choice;
}
