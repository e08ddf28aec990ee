#include "input/formstatus.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTableWidgetItem>

#include "formats/commatext.h"
#include "formats/numbertext.h"
#include "formats/pointtext.h"
#include "input/decimalsymbol.h"
#include "scene/finaldetail.h"
#include "scene/graph.h"
#include "scene/startscene.h"
#include "view/handlerguard.h"
#include "view/picturefile.h"

TFormStatus* FormStatus = nullptr;

namespace {
constexpr int kColumns = 3;
}  // namespace

TFormStatus::TFormStatus(cOpenGLGraph& graph, QWidget* parent)
    : QWidget(parent),
      OpenDialog(QStringLiteral("CSV Files|*.csv|Text Files|*.txt|BMP Files|*.bmp|All Files|*.*")),
      graph(graph) {
  ui.setupUi(this);
  // A fixed dialog frame without system menu, close, minimise or maximise
  // buttons, above the other windows. Closing the main window alone ends the
  // program.
  setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint);
  setFixedSize(325, 399);
  setAttribute(Qt::WA_QuitOnClose, false);

  // The header row stays empty; the table's rows below it hold the points.
  ui.StringGridData->setHorizontalHeaderLabels({QString(), QString(), QString()});
  ui.StringGridData->horizontalHeader()->setFixedHeight(16);
  for (int row = 0; row < ui.StringGridData->rowCount(); ++row) {
    for (int column = 0; column < kColumns; ++column) {
      ui.StringGridData->setItem(row, column, new QTableWidgetItem());
    }
  }

  for (QCheckBox* box :
       {ui.CheckBoxDisp3D, ui.CheckBoxDispXY, ui.CheckBoxDispYZ, ui.CheckBoxDispZX}) {
    connect(box, &QCheckBox::clicked, this, Guarded(this, &TFormStatus::ChangeState));
  }
  for (QSlider* slider : {ui.TrackBarX, ui.TrackBarY, ui.TrackBarZ}) {
    connect(slider, &QSlider::valueChanged, this, Guarded(this, &TFormStatus::ChangeState));
    connect(slider, &QSlider::sliderReleased, this, [this] {
      this->graph.Settle();
      emit Changed();
    });
  }
  focusConnection =
      connect(qApp, &QApplication::focusChanged, this, Guarded(this, &TFormStatus::FocusChanged));
  connect(ui.UpDownLevel, &QSpinBox::valueChanged, this, [this](int position) {
    ui.EditLevel->setText(QString::number(position));
    RunHandler([this] { UpDownLevelClick(); });
  });
  connect(ui.EditLevel, &QLineEdit::editingFinished, this, [this] {
    bool ok = false;
    const int position = ui.EditLevel->text().toInt(&ok);
    if (ok)
      ui.UpDownLevel->setValue(position);
    ui.EditLevel->setText(QString::number(ui.UpDownLevel->value()));
  });
  connect(ui.ButtonCopy, &QPushButton::clicked, this, Guarded(this, &TFormStatus::ButtonCopyClick));
  connect(ui.ButtonLoad, &QPushButton::clicked, this, Guarded(this, &TFormStatus::ButtonLoadClick));
  connect(ui.ButtonLoadBMP, &QPushButton::clicked, this,
          Guarded(this, &TFormStatus::ButtonLoadBMPClick));
  connect(ui.ButtonLoadBMP2, &QPushButton::clicked, this,
          Guarded(this, &TFormStatus::ButtonLoadBMP2Click));
  connect(ui.ActionSavePicture, &QAction::triggered, this,
          Guarded(this, &TFormStatus::SavePictureClick));
  connect(ui.ActionLoad, &QAction::triggered, this, Guarded(this, &TFormStatus::ButtonLoadClick));
  connect(ui.ActionLoadBMP, &QAction::triggered, this,
          Guarded(this, &TFormStatus::ButtonLoadBMPClick));
  connect(ui.ActionReload, &QAction::triggered, this, Guarded(this, &TFormStatus::ReloadClick));
  connect(&watch, &cFileWatch::Settled, this, Guarded(this, &TFormStatus::FilesSettled));
  progressTimer.setInterval(100);
  connect(&progressTimer, &QTimer::timeout, this, [this] {
    if (job)
      emit LoadRunning(job->Progress().Fraction());
  });

  FormCreate();
}

TFormStatus::~TFormStatus() {
  // No handler may run from here on: the members go first, and the controls
  // only later with the base class, which hides the window and so takes the
  // focus from a control (a box with an edit then reports it finished); the
  // main window's view may be gone already.
  disconnect(focusConnection);
  for (const QObject* control : findChildren<QObject*>())
    disconnect(control, nullptr, this, nullptr);
}

void TFormStatus::FormCreate() {
  FillStartScene(graph, line, surface, volume);
  for (std::uint32_t i = 0; i < line.count; ++i)
    SetRowCommaText(static_cast<int>(i) + 1, PointToText(line.vertices[i]));
}

QString TFormStatus::Cell(int column, int row) const {
  const QTableWidgetItem* item = ui.StringGridData->item(row - 1, column);
  return item ? item->text() : QString();
}

void TFormStatus::SetRowCommaText(int row, std::string_view text) {
  QTableWidget* grid = ui.StringGridData;
  if (row < 1 || row > grid->rowCount())
    return;
  const std::vector<std::string> cells = CommaTextCells(text, kColumns);
  // One repaint for the whole row.
  grid->setUpdatesEnabled(false);
  for (int column = 0; column < kColumns; ++column) {
    grid->item(row - 1, column)->setText(QString::fromStdString(cells[column]));
  }
  grid->setUpdatesEnabled(true);
}

void TFormStatus::ChangeState() {
  tableExitPending = false;  // the table is read here
  // Also when a number overflows: the rows read before it are taken.
  const auto changed = qScopeGuard([this] { emit Changed(); });
  const auto byte = [](const QCheckBox* box) -> std::uint8_t { return box->isChecked() ? 1 : 0; };
  for (cOpenGLGraph_Data* object :
       {static_cast<cOpenGLGraph_Data*>(&surface), static_cast<cOpenGLGraph_Data*>(&line)}) {
    object->disp3D = byte(ui.CheckBoxDisp3D);
    object->dispXY = byte(ui.CheckBoxDispXY);
    object->dispYZ = byte(ui.CheckBoxDispYZ);
    object->dispZX = byte(ui.CheckBoxDispZX);
  }

  const DecimalSeparator separator = RegionalDecimalSeparator();
  for (std::uint32_t i = 0; i < line.count; ++i) {
    const int row = static_cast<int>(i) + 1;
    Vec3& point = line.vertices[i];
    double* coordinates[kColumns] = {&point.x, &point.y, &point.z};
    for (int column = 0; column < kColumns; ++column) {
      const QByteArray text = Cell(column, row).toUtf8();
      // Text that is not a number leaves the coordinate as it was; a number
      // too large for a double throws and ends the handler here.
      *coordinates[column] = TextToNumber(std::string_view(text.constData(), text.size()),
                                          *coordinates[column], separator);
    }
    SetRowCommaText(row, PointToText(point));
  }

  graph.planeX.origin.x = PlanePosition(ui.TrackBarX->value());
  graph.planeY.origin.y = PlanePosition(ui.TrackBarY->value());
  graph.planeZ.origin.z = PlanePosition(ui.TrackBarZ->value());

  QApplication::processEvents();
  // A held handle previews a slow scene until it is released.
  graph.Redraw(PlaneHeld() ? cOpenGLChildWindow::Input::kHeld : cOpenGLChildWindow::Input::kAtOnce);
}

bool TFormStatus::PlaneHeld() const {
  return ui.TrackBarX->isSliderDown() || ui.TrackBarY->isSliderDown() ||
         ui.TrackBarZ->isSliderDown();
}

void TFormStatus::UpDownLevelClick() {
  surface.SetLevels(1u << (ui.UpDownLevel->value() - 1));
  graph.Draw();
}

void TFormStatus::ButtonCopyClick() {
  TableExitFirst();
  DrawFinalDetail(graph, surface);
  graph.CopyToClipboard();
}

void TFormStatus::SavePictureClick() {
  if (const std::optional<QString> path = SaveDialog.Execute(this)) {
    DrawFinalDetail(graph, surface);
    WritePictureFile(graph.FullPicture(), *path);
  }
}

bool TFormStatus::InTable(const QWidget* widget) const {
  return widget && (widget == ui.StringGridData || ui.StringGridData->isAncestorOf(widget));
}

void TFormStatus::FocusChanged(QWidget* old, QWidget* now) {
  // Only a move to another control of this window is an exit: switching to
  // another window (or to a message box about this very table) is not.
  if (!InTable(old) || !now || InTable(now) || now->window() != this)
    return;
  // Queued, so that an error it raises ends this handler alone and does not
  // unwind through the toolkit's focus change. The click that moved the
  // focus often reads the table before the queue runs: a switch or a slider
  // runs ChangeState itself, a button the exit first (TableExitFirst);
  // reading it again would only repeat that run's error in a second box.
  tableExitPending = true;
  QMetaObject::invokeMethod(
      this, [this] { RunHandler([this] { TableExitFirst(); }); }, Qt::QueuedConnection);
}

void TFormStatus::TableExitFirst() {
  if (tableExitPending)
    ChangeState();
}

void TFormStatus::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LocaleChange)
    RunHandler([] { RereadDecimalSeparator(); });
  QWidget::changeEvent(event);
}
