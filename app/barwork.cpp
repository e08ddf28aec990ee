#include "app/barwork.h"

#include <utility>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "app/loadbar.h"
#include "base/errors.h"
#include "input/formstatus.h"

void RefuseWhileLoading() {
  if (FormStatus && FormStatus->LoadInBackground())
    throw cError(QStringLiteral("読み込みの途中です。読み込みが終わってから保存してください"));
}

TBarWork::TBarWork(TLoadBar& bar)
    : bar(bar), loadCancel(std::exchange(bar.cancel, [this] { cancelled = true; })) {
  QCoreApplication::instance()->installEventFilter(this);
  bar.Show(0);
}

TBarWork::~TBarWork() {
  QCoreApplication::instance()->removeEventFilter(this);
  bar.cancel = std::move(loadCancel);
  bar.hide();
}

bool TBarWork::Step(double done) {
  bar.Show(done);
  QCoreApplication::processEvents();
  return !cancelled;
}

bool TBarWork::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape)
        cancelled = true;
      return true;
    case QEvent::Shortcut:
      if (static_cast<const QShortcutEvent*>(event)->key() == QKeySequence(Qt::Key_Escape))
        cancelled = true;
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
      return watched->isWidgetType() && watched != bar.ui.ButtonCancel;
    default:
      return false;
  }
}
