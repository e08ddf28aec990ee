#include "view/messagebox.h"

#include <utility>
#include <vector>

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

// The GUI thread is the only one that shows boxes.
int openBoxes = 0;
std::vector<std::pair<QPointer<QObject>, std::function<void()>>> afterBoxes;

void Queue(QObject* context, std::function<void()> action) {
  QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
}

// Counts a box for as long as it is open, on every way out of it.
class OpenBox {
 public:
  OpenBox() { ++openBoxes; }
  OpenBox(const OpenBox&) = delete;
  OpenBox& operator=(const OpenBox&) = delete;
  ~OpenBox() {
    if (--openBoxes > 0)
      return;
    for (auto& [context, action] : std::exchange(afterBoxes, {})) {
      if (context)
        Queue(context, std::move(action));
    }
  }
};
}  // namespace

bool MessageBoxOpen() {
  return openBoxes > 0;
}

void AfterMessageBoxes(QObject* context, std::function<void()> action) {
  if (openBoxes > 0)
    afterBoxes.emplace_back(context, std::move(action));
  else
    Queue(context, std::move(action));
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

void ShowMessageBox(const MessageBoxRequest& request) {
  const OpenBox open;
  if (Hook()) {
    Hook()(request);
    return;
  }
  // QPointer: the active window may close while the box runs its own loop.
  QPointer<QWidget> active = QApplication::activeWindow();
  QPointer<QWidget> focus = QApplication::focusWidget();
  QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok, request.owner);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  if (active)
    active->activateWindow();
  if (focus)
    focus->setFocus(Qt::OtherFocusReason);
}
