#include "app/framecubiscope.h"

#include <algorithm>

#include <QAction>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include "view/frameopengl.h"
#include "view/handlerguard.h"

TFrameCubiscope::TFrameCubiscope(QWidget* parent) : QWidget(parent) {
  ui.setupUi(this);
  startTheta = ui.ScrollBarTheta->value();
  startHeight = ui.ScrollBarHeight->value();
  startZoom = ui.ScrollBarZoom->value();
  for (QScrollBar* bar : {ui.ScrollBarTheta, ui.ScrollBarHeight, ui.ScrollBarZoom}) {
    connect(bar, &QScrollBar::valueChanged, this, Guarded(this, &TFrameCubiscope::ScrollBarChange));
    connect(bar, &QScrollBar::sliderReleased, this, [this] { graph.Settle(); });
  }
  connect(ui.ActionResetView, &QAction::triggered, this,
          Guarded(this, &TFrameCubiscope::ResetView));
  StepOn(ui.ActionTurnLeft, ui.ScrollBarTheta, -kKeyStep);
  StepOn(ui.ActionTurnRight, ui.ScrollBarTheta, kKeyStep);
  StepOn(ui.ActionTiltUp, ui.ScrollBarHeight, -kKeyStep);
  StepOn(ui.ActionTiltDown, ui.ScrollBarHeight, kKeyStep);
  StepOn(ui.ActionTurnLeftFine, ui.ScrollBarTheta, -ui.ScrollBarTheta->singleStep());
  StepOn(ui.ActionTurnRightFine, ui.ScrollBarTheta, ui.ScrollBarTheta->singleStep());
  StepOn(ui.ActionTiltUpFine, ui.ScrollBarHeight, -ui.ScrollBarHeight->singleStep());
  StepOn(ui.ActionTiltDownFine, ui.ScrollBarHeight, ui.ScrollBarHeight->singleStep());
  StepOn(ui.ActionZoomIn, ui.ScrollBarZoom, -ui.ScrollBarZoom->pageStep());
  StepOn(ui.ActionZoomOut, ui.ScrollBarZoom, ui.ScrollBarZoom->pageStep());
  PanOn(ui.ActionPanLeft, -1, 0);
  PanOn(ui.ActionPanRight, 1, 0);
  PanOn(ui.ActionPanUp, 0, 1);
  PanOn(ui.ActionPanDown, 0, -1);
}

bool TFrameCubiscope::AttachView() {
  if (!graph.Attach(ui.PanelDraw))
    return false;
  graph.window->installEventFilter(this);
  // A click on the picture gives the main window's keys to it.
  graph.window->setFocusPolicy(Qt::ClickFocus);
  // Moves without a button held tell where the cursor is (hover).
  graph.window->setMouseTracking(true);
  FrameResize();
  // The first picture already shows what the bars say.
  ApplyCamera();
  graph.Draw();
  return true;
}

void TFrameCubiscope::FrameResize() {
  // The frame's own client rectangle, not the panel's: the child window is as
  // large as the whole frame and the panel clips its right and bottom edges.
  const QRect r = rect();
  graph.Resize(r.left(), r.top(), r.width(), r.height());
}

void TFrameCubiscope::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RunHandler([this] { FrameResize(); });
}

void TFrameCubiscope::ApplyCamera() {
  AimView(graph, ui.ScrollBarTheta->value(), ui.ScrollBarHeight->value(),
          ui.ScrollBarZoom->value());
}

void TFrameCubiscope::StepOn(QAction* action, QScrollBar* bar, int units) {
  // Keys come in bursts (auto-repeat), like wheel notches; the bar clamps.
  connect(action, &QAction::triggered, bar, [this, bar, units] {
    const QScopedValueRollback burst(stepping, true);
    bar->setValue(bar->value() + units);
  });
}

void TFrameCubiscope::PanOn(QAction* action, int x, int y) {
  connect(action, &QAction::triggered, this, [this, x, y] {
    const QScopedValueRollback burst(stepping, true);
    Camera camera = graph.ViewCamera();
    // A tenth of the height is two tenths of a half-height, and across, of a
    // half-height rather than of a half-width.
    camera.Shift(2.0 * kPanStep * x / camera.aspect, 2.0 * kPanStep * y);
    RunHandler([&] { MoveCentre(camera); });
  });
}

void TFrameCubiscope::MoveCentre(Camera camera) {
  graph.SetCamera(camera);
  ApplyCamera();
  graph.Redraw(CurrentInput());
}

cOpenGLChildWindow::Input TFrameCubiscope::CurrentInput() const {
  if (drag != Drag::kNone || ui.ScrollBarTheta->isSliderDown() ||
      ui.ScrollBarHeight->isSliderDown() || ui.ScrollBarZoom->isSliderDown()) {
    return cOpenGLChildWindow::Input::kHeld;
  }
  return stepping ? cOpenGLChildWindow::Input::kBurst : cOpenGLChildWindow::Input::kAtOnce;
}

void TFrameCubiscope::ScrollBarChange() {
  ApplyCamera();
  graph.Redraw(CurrentInput());
}

void TFrameCubiscope::ResetView() {
  {
    const QSignalBlocker quietTheta(ui.ScrollBarTheta);
    const QSignalBlocker quietHeight(ui.ScrollBarHeight);
    const QSignalBlocker quietZoom(ui.ScrollBarZoom);
    ui.ScrollBarTheta->setValue(startTheta);
    ui.ScrollBarHeight->setValue(startHeight);
    ui.ScrollBarZoom->setValue(startZoom);
  }
  Camera camera = graph.ViewCamera();
  camera.LookAt(Camera{}.centre);
  graph.SetCamera(camera);
  ScrollBarChange();
}

bool TFrameCubiscope::eventFilter(QObject* watched, QEvent* event) {
  if (watched != graph.window)
    return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return MousePress(static_cast<const QMouseEvent&>(*event));
    case QEvent::MouseMove:
      return MouseMove(static_cast<const QMouseEvent&>(*event));
    case QEvent::MouseButtonRelease:
      return MouseRelease(static_cast<const QMouseEvent&>(*event));
    case QEvent::MouseButtonDblClick:
      return DoubleClick(static_cast<const QMouseEvent&>(*event));
    case QEvent::Wheel:
      return Wheel(static_cast<const QWheelEvent&>(*event));
    case QEvent::Leave:
      Hover(std::nullopt);
      return false;
    default:
      return false;
  }
}

void TFrameCubiscope::Hover(std::optional<QPointF> at) {
  if (hover)
    hover(at);
}

bool TFrameCubiscope::MousePress(const QMouseEvent& event) {
  Hover(std::nullopt);
  const bool pan = event.button() == Qt::MiddleButton ||
                   (event.button() == Qt::LeftButton && event.modifiers() & Qt::ShiftModifier);
  if (!pan && event.button() != Qt::LeftButton)
    return false;
  drag = pan ? Drag::kPan : Drag::kTurn;
  dragButton = event.button();
  lastDragPosition = pressPosition = event.position().toPoint();
  pressCentre = graph.ViewCamera().centre;
  return true;
}

bool TFrameCubiscope::MouseMove(const QMouseEvent& event) {
  if (drag == Drag::kNone) {
    if (event.buttons() == Qt::NoButton)
      Hover(event.position());
    return false;
  }
  const QPoint position = event.position().toPoint();
  if (drag == Drag::kPan) {
    if (graph.width > 0 && graph.height > 0) {
      // From the press, not from the last move, so that the point under the
      // cursor then stays under it exactly, however many moves come.
      Camera camera = graph.ViewCamera();
      camera.LookAt(pressCentre);
      const QPoint moved = position - pressPosition;
      camera.Shift(-2.0 * moved.x() / graph.width, 2.0 * moved.y() / graph.height);
      RunHandler([&] { MoveCentre(camera); });
    }
    return true;
  }
  const QPoint delta = position - lastDragPosition;
  lastDragPosition = position;
  // Right turns the near side of the cube to the right; down raises the
  // camera, as moving the right bar's thumb down does.
  QScrollBar* theta = ui.ScrollBarTheta;
  QScrollBar* height = ui.ScrollBarHeight;
  const int newTheta =
      std::clamp(theta->value() + delta.x() * kDragStep, theta->minimum(), theta->maximum());
  const int newHeight =
      std::clamp(height->value() + delta.y() * kDragStep, height->minimum(), height->maximum());
  {
    // When both move, one redraw, from the second bar's change event, is
    // enough (it reads all three bars).
    const QSignalBlocker quiet(newHeight != height->value() ? theta : nullptr);
    theta->setValue(newTheta);
  }
  height->setValue(newHeight);
  return true;
}

bool TFrameCubiscope::MouseRelease(const QMouseEvent& event) {
  if (drag == Drag::kNone || event.button() != dragButton)
    return false;
  drag = Drag::kNone;
  graph.Settle();
  return true;
}

bool TFrameCubiscope::DoubleClick(const QMouseEvent& event) {
  if (event.button() != Qt::LeftButton || !pick || graph.width <= 0 || graph.height <= 0)
    return false;
  if (const std::optional<Vec3> point = pick(event.position())) {
    Camera camera = graph.ViewCamera();
    camera.LookAtData(*point);
    RunHandler([&] { MoveCentre(camera); });
  }
  return true;
}

bool TFrameCubiscope::Wheel(const QWheelEvent& event) {
  // 120 units make one notch; fine-grained wheels send parts of one, which
  // add up. Forwards zooms in, that is, shows a smaller region.
  wheelPending += event.angleDelta().y();
  const int notches = wheelPending / 120;
  wheelPending -= notches * 120;
  QScrollBar* zoom = ui.ScrollBarZoom;
  if (notches != 0) {
    const QScopedValueRollback burst(stepping, true);
    const int value = std::clamp(zoom->value() - notches * zoom->singleStep() * kWheelStep,
                                 zoom->minimum(), zoom->maximum());
    if (value != zoom->value() && graph.width > 0 && graph.height > 0) {
      // About the point under the cursor; the bar's change then aims the eye
      // at the new look-at point.
      Camera camera = graph.ViewCamera();
      const QPointF at = graph.Geometry().Normalised(event.position());
      camera.ZoomAbout(at.x(), at.y(), Camera::ZoomOf(value));
      graph.SetCamera(camera);
    }
    zoom->setValue(value);
  }
  return true;
}
