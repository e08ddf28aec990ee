#include "support/picturemenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

void ChoosePictureMenuItem(QWidget* picture, const QString& text) {
  for (QAction* action : picture->actions()) {
    if (action->text() == text) {
      QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
      QCoreApplication::processEvents();
      return;
    }
  }
  ADD_FAILURE() << "the picture's menu has no " << text.toStdString();
}
