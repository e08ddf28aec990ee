#include "view/messagebox.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}
}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

void ShowMessageBox(const MessageBoxRequest& request) {
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
