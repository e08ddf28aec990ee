#include "input.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

namespace input {

namespace {

bool quickStep = false;
bool boxShown = false;
QWidget* modalStandIn = nullptr;

// Where the next event goes: the widget, or the stand-in for the message box
// that would take it.
QWidget* To(QWidget* widget) {
  return boxShown ? modalStandIn : widget;
}

// What the event loop does between two events from the window system:
// between the press and the release of a quick click or key stroke, which
// come in one batch, nothing.
void BetweenEvents(bool sameStroke = false) {
  if (!sameStroke || !quickStep)
    QCoreApplication::processEvents();
}

// Long enough for the slowest step under the sanitizers, short enough that a
// program that never comes to rest is reported rather than waited for.
constexpr int kStuckMilliseconds = 60000;

// A timer of the program (a child of one of its windows) that is running:
// work still to come, such as a redraw after the input stops or the
// hand-over of a load in the background.
bool ProgramTimerRunning() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    for (const QTimer* timer : window->findChildren<QTimer*>()) {
      if (timer->isActive())
        return true;
    }
  }
  return false;
}

QAction* MenuItem(QMenu* menu, const QString& text, int pick) {
  std::vector<QAction*> items;
  for (QAction* action : menu->actions()) {
    if (action->isVisible() && action->isEnabled() && !action->isSeparator() && !action->menu())
      items.push_back(action);
  }
  if (!text.isEmpty()) {
    for (QAction* action : items) {
      if (action->text() == text)
        return action;
    }
    return nullptr;
  }
  if (pick < 0 || items.empty())
    return nullptr;
  return items[static_cast<std::size_t>(pick) * items.size() / 1000];
}

void ChooseInOpenMenu(const QString& text, int pick) {
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  if (!menu)
    return;
  // "Submenu/item": the submenu is opened as a click opens it, its item
  // chosen once it is shown.
  if (const auto slash = text.indexOf(QLatin1Char('/')); slash > 0) {
    for (QAction* action : menu->actions()) {
      if (action->menu() && action->text() == text.left(slash)) {
        const QPoint at = menu->actionGeometry(action).center();
        QTest::mouseMove(menu, at);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, at);
        QTimer::singleShot(0, qApp, [item = text.mid(slash + 1)] { ChooseInOpenMenu(item, 0); });
        return;
      }
    }
  }
  if (QAction* action = MenuItem(menu, text, pick)) {
    const QPoint at = menu->actionGeometry(action).center();
    QTest::mouseMove(menu, at);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, at);
  }
  if (menu->isVisible())
    QTest::keyClick(menu, Qt::Key_Escape);
}

}  // namespace

void StartStep(bool quick, QWidget* standIn) {
  quickStep = quick;
  modalStandIn = standIn;
  boxShown = false;
}

void BoxShown() {
  boxShown = true;
}

bool Settle() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  const QDeadlineTimer stuck(kStuckMilliseconds);
  while (!stuck.hasExpired()) {
    // A round trip to the window system first, so that its answers to what
    // the step asked of it (geometry, activation, the clipboard) are in.
    QGuiApplication::sync();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    bool busy = false;
    while (dispatcher->processEvents(QEventLoop::AllEvents) && !stuck.hasExpired())
      busy = true;
    if (busy)
      continue;
    if (!ProgramTimerRunning())
      return true;
    dispatcher->processEvents(QEventLoop::WaitForMoreEvents);
  }
  return false;
}

bool Activate(QWidget* window) {
  if (QApplication::activeWindow() == window)
    return true;
  window->raise();
  window->activateWindow();
  const QDeadlineTimer deadline(kStuckMilliseconds);
  // A window that was just shown (the Profile window) may take the focus
  // after this request, as its own activation arrives late: asked again
  // every so often, the window asked for ends up active.
  QDeadlineTimer again(200);
  while (QApplication::activeWindow() != window && !deadline.hasExpired()) {
    QGuiApplication::sync();
    if (QApplication::activeWindow() != window)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (again.hasExpired() && QApplication::activeWindow() != window) {
      window->raise();
      window->activateWindow();
      again.setRemainingTime(200);
    }
  }
  return QApplication::activeWindow() == window;
}

void Drag(QWidget* widget, Qt::MouseButton button, QPoint from, const std::vector<QPoint>& through,
          Qt::KeyboardModifiers modifiers) {
  QTest::mousePress(To(widget), button, modifiers, from);
  QPoint last = from;
  for (const QPoint& point : through) {
    BetweenEvents();
    QTest::mouseMove(To(widget), point);
    last = point;
  }
  BetweenEvents();
  QTest::mouseRelease(To(widget), button, modifiers, last);
  BetweenEvents();
}

void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mouseDClick(To(widget), Qt::LeftButton, Qt::NoModifier, at);
  BetweenEvents();
}

void Click(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  QTest::mousePress(To(widget), button, modifiers, at);
  BetweenEvents(true);
  QTest::mouseRelease(To(widget), button, modifiers, at);
  BetweenEvents();
}

void Hover(QWidget* widget, QPoint at) {
  if (!boxShown)
    QTest::mouseMove(widget, at);
}

void Wheel(QWidget* widget, QPoint at, int angle, Qt::Orientation orientation) {
  const QPoint delta = orientation == Qt::Vertical ? QPoint(0, angle) : QPoint(angle, 0);
  QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), delta, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(To(widget), &wheel);
  BetweenEvents();
}

void Key(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
  QWidget* target = QApplication::focusWidget();
  if (!target || target->window() != window)
    target = window;
  QTest::keyPress(To(target), static_cast<Qt::Key>(key), modifiers);
  BetweenEvents(true);
  // The release goes where the keys go by then.
  if (QApplication::focusWidget() && QApplication::focusWidget()->window() == window)
    target = QApplication::focusWidget();
  QTest::keyRelease(To(target), static_cast<Qt::Key>(key), modifiers);
  BetweenEvents();
}

void Type(QWidget* editor, const std::string& utf8, Typing typing) {
  const QString text = QString::fromUtf8(utf8);
  bool plain = true;
  for (QChar c : text)
    plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
  if (typing == Typing::Keys && !plain)
    typing = Typing::InputMethod;  // keys carry only plain characters
  switch (typing) {
    case Typing::Keys:
      for (QChar c : text) {
        QTest::keyClick(To(editor), c.toLatin1());
        BetweenEvents();
      }
      break;
    case Typing::InputMethod: {
      // Composed first, then committed, as an input method does.
      QInputMethodEvent compose(text, {});
      QApplication::sendEvent(To(editor), &compose);
      BetweenEvents();
      QInputMethodEvent commit;
      commit.setCommitString(text);
      QApplication::sendEvent(To(editor), &commit);
      BetweenEvents();
      break;
    }
    case Typing::Paste:
      QGuiApplication::clipboard()->setText(text);
      QTest::keyClick(To(editor), Qt::Key_V, Qt::ControlModifier);
      BetweenEvents();
      break;
  }
}

void ContextMenu(QWidget* widget, QPoint at, const QString& item, int pick) {
  // The right button's click gives the focus as any click does; the window
  // system then asks for the menu.
  Click(widget, at, Qt::RightButton);
  if (boxShown)
    return;
  // Queued before the request: it runs in the menu's own loop once the menu
  // is shown, or in the next Settle for a menu that does not wait.
  QTimer::singleShot(0, qApp, [item, pick] { ChooseInOpenMenu(item, pick); });
  QContextMenuEvent request(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at), Qt::NoModifier);
  QApplication::sendEvent(widget, &request);
}

}  // namespace input
