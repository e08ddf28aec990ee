#include "app/profilewindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include "app/profileexport.h"
#include "objects/sectioncsv.h"
#include "scene/graph.h"
#include "view/handlerguard.h"
#include "view/picturefile.h"

TProfileWindow::TProfileWindow(cOpenGLGraph& graph) : graph(graph) {
  ui.setupUi(this);
  // Closing the main window alone ends the program.
  setAttribute(Qt::WA_QuitOnClose, false);
  // A line's height, so that the charts do not jump when a readout comes.
  ui.LabelReadout->setMinimumHeight(ui.LabelReadout->fontMetrics().height());
  connect(ui.ActionCopy, &QAction::triggered, this, Guarded(this, &TProfileWindow::Copy));
  connect(ui.ActionSave, &QAction::triggered, this, Guarded(this, &TProfileWindow::Save));
  for (TProfileChart* chart : {ui.ChartXPlane, ui.ChartYPlane, ui.ChartLine}) {
    connect(chart, &TProfileChart::ReadoutChanged, this,
            [this, chart](const QString& text) { ShowReadout(chart, text); });
  }
  graph.rested = [this] { RunHandler([this] { Rested(); }); };
}

TProfileWindow::~TProfileWindow() {
  graph.rested = nullptr;
}

void TProfileWindow::Connect() {
  if (status == FormStatus)
    return;
  disconnect(changed);
  status = FormStatus;
  if (status)
    changed = connect(status, &TFormStatus::Changed, this, Guarded(this, &TProfileWindow::Follow));
}

void TProfileWindow::Open() {
  Connect();
  Cut();
  show();
  raise();
  activateWindow();
}

void TProfileWindow::Cut() {
  Places now{FormStatus,
             FormStatus ? FormStatus->HandOvers() : 0,
             graph.planeX.origin.x,
             graph.planeY.origin.y,
             {},
             Moving() ? SectionDetail::kDrawn : SectionDetail::kFull};
  if (FormStatus && FormStatus->line.vertices)
    now.line.assign(FormStatus->line.vertices, FormStatus->line.vertices + FormStatus->line.count);
  // A slider moves one section: what has not moved since a final cut of the
  // same data stays as it was, uncut and unpainted.
  const bool same = shown.final && cut.status == now.status && cut.handOvers == now.handOvers &&
                    cut.detail == now.detail;
  const bool keepX = same && cut.x == now.x;
  const bool keepY = same && cut.y == now.y;
  const bool keepLine = same && cut.line == now.line;
  Sections sections;
  HeightValues values;
  if (FormStatus) {
    const SectionPlaces places{keepX ? NAN : now.x, keepY ? NAN : now.y,
                               keepLine ? nullptr : now.line.data(),
                               keepLine ? 0 : static_cast<std::uint32_t>(now.line.size())};
    sections = CutSections(FormStatus->surface, places, now.detail);
    values = FormStatus->surface.values;
  }
  const QString distance = DistanceTitle(sections.distanceUnit);
  const QString value = ValueTitle(values);
  if (keepX)
    sections.xPlane = std::move(shown.xPlane);
  else
    ui.ChartXPlane->Show(sections.xPlane, {QStringLiteral("x plane"), distance, value});
  if (keepY)
    sections.yPlane = std::move(shown.yPlane);
  else
    ui.ChartYPlane->Show(sections.yPlane, {QStringLiteral("y plane"), distance, value});
  if (keepLine)
    sections.line = std::move(shown.line);
  else
    ui.ChartLine->Show(sections.line, {QStringLiteral("Point line"), distance, value});
  shown = std::move(sections);
  cut = std::move(now);
}

bool TProfileWindow::Moving() const {
  // A fast picture is drawn whole while a handle moves it, but the cells of
  // a raster at every step of the handle would be read for nothing.
  return !graph.AtRest() || (FormStatus && FormStatus->PlaneHeld());
}

void TProfileWindow::Follow() {
  // Hidden, it has nothing to show; opening cuts anew.
  if (isVisible())
    Cut();
}

void TProfileWindow::Rested() {
  if (isVisible() && cut.detail == SectionDetail::kDrawn)
    Cut();
}

QImage TProfileWindow::ChartsPicture() const {
  const TProfileChart* charts[] = {ui.ChartXPlane, ui.ChartYPlane, ui.ChartLine};
  QRect bounds;
  for (const TProfileChart* chart : charts)
    bounds |= chart->geometry();
  QImage picture(bounds.size(), QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  for (const TProfileChart* chart : charts) {
    PaintChart(painter, chart->geometry().translated(-bounds.topLeft()), chart->font(),
               chart->Shown(), chart->Titles());
  }
  return picture;
}

void TProfileWindow::Copy() {
  std::unique_ptr<QMimeData> data = ProfileMimeData(SectionsCsv(shown), ChartsPicture());
  QGuiApplication::clipboard()->setMimeData(data.release());
}

void TProfileWindow::Save() {
  const std::optional<QString> path = Dialog.Execute(this);
  if (!path)
    return;
  if (TSectionsDialog::IsPicture(*path))
    WritePictureFile(ChartsPicture(), *path);
  else
    WriteTextFile(SectionsCsv(shown), *path);
}

void TProfileWindow::ShowReadout(const TProfileChart* chart, const QString& text) {
  if (!text.isEmpty()) {
    readoutFrom = chart;
    ui.LabelReadout->setText(chart->Titles().chart + QStringLiteral(": ") + text);
  } else if (readoutFrom == chart) {
    readoutFrom = nullptr;
    ui.LabelReadout->clear();
  }
}
