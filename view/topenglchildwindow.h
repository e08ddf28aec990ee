#pragma once
// The child window a view draws into. It never renders: a paint copies the
// view's last picture, and its destruction releases the view and unregisters
// it. A window that is not (or no longer) registered paints like any widget.

#include <QWidget>

class TOpenGLChildWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TOpenGLChildWindow(QWidget* parent);
  ~TOpenGLChildWindow() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
