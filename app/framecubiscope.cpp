#include "app/framecubiscope.h"

#include <QScrollBar>

#include "app/camera.h"
#include "view/handlerguard.h"

TFrameCubiscope::TFrameCubiscope(QWidget* parent) : QWidget(parent) {
  ui.setupUi(this);
  // Connected after the layout has set the positions, so that the camera stays
  // at the view's default until the user first moves a bar.
  for (QScrollBar* bar : {ui.ScrollBarTheta, ui.ScrollBarHeight, ui.ScrollBarZoom}) {
    connect(bar, &QScrollBar::valueChanged, this, Guarded(this, &TFrameCubiscope::ScrollBarChange));
  }
}

TFrameCubiscope::~TFrameCubiscope() {
  graph.Release();
}

bool TFrameCubiscope::AttachView() {
  if (!graph.Attach(ui.PanelDraw))
    return false;
  FrameResize();
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

void TFrameCubiscope::ScrollBarChange() {
  const Camera camera = CameraFromScrollBars(
      ui.ScrollBarTheta->value(), ui.ScrollBarHeight->value(), ui.ScrollBarZoom->value());
  graph.zoom = camera.zoom;
  for (int i = 0; i < 3; ++i)
    graph.eye[i] = camera.eye[i];
  graph.Draw();
}
