#include "view/topenglchildwindow.h"

#include <QPainter>

#include "view/frameopengl.h"
#include "view/viewregistry.h"

TOpenGLChildWindow::TOpenGLChildWindow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("open_gl_child_window"));
  // The picture covers the whole window, so the background is never erased:
  // erasing first would flicker on every frame.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setCursor(Qt::ArrowCursor);
}

TOpenGLChildWindow::~TOpenGLChildWindow() {
  if (cOpenGLChildWindow* view = ViewRegistry::Find(this)) {
    view->Release();
    ViewRegistry::Remove(this);
  }
}

void TOpenGLChildWindow::paintEvent(QPaintEvent* event) {
  const cOpenGLChildWindow* view = ViewRegistry::Find(this);
  if (!view) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, view->Picture());
  if (view->paintOnWindow)
    view->paintOnWindow(painter);
}
