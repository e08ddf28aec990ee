// The view's redrawing while the user moves the picture: previews while the
// input goes on, the full picture when it stops.

#include <QCoreApplication>
#include <QScopedValueRollback>

#include "view/frameopengl.h"

void cOpenGLChildWindow::Redraw(Input input) {
  if (input == Input::kAtOnce || !PreviewsWanted()) {
    Draw();
    return;
  }
  changed = true;
  if (input == Input::kHeld)
    held = true;
  else
    settleTimer.start(settleDelay);
  previewTimer.start();
}

void cOpenGLChildWindow::Settle() {
  held = false;
  if (changed || pictureDetail == Detail::kPreview)
    settleTimer.start(0);
}

const QImage& cOpenGLChildWindow::FullPicture() {
  if (changed || pictureDetail == Detail::kPreview)
    Draw();
  return picture;
}

void cOpenGLChildWindow::DrawPreview() {
  // A preview started from the events below would draw a state the one
  // running here draws anyway, after them.
  if (previewing)
    return;
  const QScopedValueRollback running(previewing, true);
  // Input already waiting replaces what the preview would show: let it run
  // first, so that one preview shows the newest state.
  QCoreApplication::processEvents();
  if (!changed)
    return;
  const QScopedValueRollback preview(detail, Detail::kPreview);
  Draw();
}

void cOpenGLChildWindow::DrawSettled() {
  // A held thumb or drag still under way settles at its release.
  if (held || (!changed && pictureDetail == Detail::kFull))
    return;
  previewTimer.stop();
  const QScopedValueRollback holding(deferPresent, true);
  Draw();
}

void cOpenGLChildWindow::PresentSettled() {
  if (!unshownFrame)
    return;
  // Input that came while the full frame was drawn has waited until now; if
  // it changes the picture, the frame is stale and its preview comes next.
  QCoreApplication::processEvents();
  if (!unshownFrame)
    return;  // another frame was presented meanwhile
  unshownFrame = false;
  if (!changed)
    Present();
}
