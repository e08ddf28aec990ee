#pragma once
// Every message box of the program goes through ShowMessageBox, so that tests
// can read what would be shown instead of facing a modal box.

#include <functional>

#include <QMessageBox>
#include <QString>

class QObject;
class QWidget;

struct MessageBoxRequest {
  QWidget* owner = nullptr;
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

using MessageBoxHook = std::function<void(const MessageBoxRequest&)>;

// Shows a modal box with an OK button; while it is open the other windows of
// the application take no input, and the window that was active gets the
// activation and its focus back afterwards. With a hook installed, the hook
// receives the request and nothing is shown.
void ShowMessageBox(const MessageBoxRequest& request);

// Installs hook (an empty function restores the real box) and returns the
// previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Whether ShowMessageBox is showing a box (or has handed one to the hook)
// right now: the box runs its own event loop, in which other work may come.
bool MessageBoxOpen();

// Calls action once no box is open any more, from the event loop (queued),
// so that the box has gone when it runs; nothing when context is destroyed
// first. With no box open it is queued at once.
void AfterMessageBoxes(QObject* context, std::function<void()> action);
