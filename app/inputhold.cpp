#include "app/inputhold.h"

#include <utility>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

TInputHold::TInputHold(const QWidget* cancelButton, std::function<void()> cancel)
    : cancelButton(cancelButton), cancel(std::move(cancel)) {
  QCoreApplication::instance()->installEventFilter(this);
}

TInputHold::~TInputHold() {
  QCoreApplication::instance()->removeEventFilter(this);
}

bool TInputHold::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape)
        cancel();
      return true;
    case QEvent::Shortcut:
      if (static_cast<const QShortcutEvent*>(event)->key() == QKeySequence(Qt::Key_Escape))
        cancel();
      return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Wheel:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return watched->isWidgetType();
    case QEvent::Close:
      // A close event that comes back accepted closes the window.
      if (!watched->isWidgetType())
        return false;
      event->ignore();
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      // The window passes its mouse on to the widget under it, where the
      // Cancel button alone takes it.
      return watched->isWidgetType() && watched != cancelButton;
    default:
      return false;
  }
}
