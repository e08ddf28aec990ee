#include "app/formroot.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>

TFormRoot* FormRoot = nullptr;

TFormRoot::TFormRoot(QWidget* parent) : QWidget(parent) {
  ui.setupUi(this);
  move(194, 107);
  // Lay the frame out at the window's size now, so that the first picture is
  // drawn at its final size rather than the frame's design size.
  layout()->activate();
  FormCreate();
}

void TFormRoot::FormCreate() {
  ui.FrameCubiscope1->AttachView();
}

void TFormRoot::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted())
    QApplication::quit();
}
