#include "app/application.h"

#if defined(CUBISCOPE_SANITIZE)
#include <dlfcn.h>
#endif

#include <new>
#include <string>

#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include "base/errors.h"
#include "view/handlerguard.h"
#include "view/messagebox.h"

namespace {

// The widget that took the press of the mouse button still held, and that
// button: the widget gets the release, and it is where a press mode lives (a
// bar repeating its page step, a drag in the picture).
QPointer<QWidget> pressedWidget;
Qt::MouseButton pressedButton = Qt::NoButton;

void NotePress(QObject* receiver, const QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
       type != QEvent::MouseButtonRelease) ||
      !event->spontaneous() || !receiver->isWidgetType())
    return;
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  if (type != QEvent::MouseButtonRelease) {
    pressedWidget = static_cast<QWidget*>(receiver);
    pressedButton = mouse->button();
  } else if (mouse->buttons() == Qt::NoButton) {
    pressedWidget.clear();
  }
}

// A message box takes the mouse, and the release of the button still held
// would never reach the widget that took its press: that widget would go on
// in its press mode under the box (a bar stepping on and on, each step with
// an error and a box of its own). It gets its release now, outside itself,
// so that it ends that mode without acting on it (a button does not click).
void EndPress() {
  const QPointer<QWidget> widget = pressedWidget;
  pressedWidget.clear();
  if (!widget)
    return;
  const QPointF outside(-1, -1);
  QMouseEvent release(QEvent::MouseButtonRelease, outside, widget->mapToGlobal(outside),
                      pressedButton, Qt::NoButton, QGuiApplication::keyboardModifiers());
  QCoreApplication::sendEvent(widget, &release);
}

}  // namespace

cApplication::cApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(kApplicationTitle);
}

bool cApplication::notify(QObject* receiver, QEvent* event) {
  const EventDispatch dispatch;
  NotePress(receiver, event);
  bool handled = false;
  try {
    handled = QApplication::notify(receiver, event);
  } catch (...) {
    // Only a handler that forgot RunHandler gets here, past Qt's frames.
    ShowException(std::current_exception());
    return false;
  }
  if (std::exception_ptr error = TakeHandlerError())
    ShowException(error);
  return handled;
}

QString ExceptionText(const QString& message) {
  const std::string bytes = message.toStdString();
  if (bytes.empty())
    return message;
  // Step back over UTF-8 continuation bytes to the start of the last character.
  std::size_t start = bytes.size() - 1;
  while (start > 0 && (static_cast<unsigned char>(bytes[start]) & 0xC0) == 0x80)
    --start;
  if (bytes.compare(start, std::string::npos, ".") > 0)
    return message + QLatin1Char('.');
  return message;
}

namespace {
void ShowText(const QString& message) {
  ShowMessageBox(MessageBoxRequest{QApplication::activeWindow(), kApplicationTitle,
                                   ExceptionText(message), QMessageBox::Critical});
}
}  // namespace

void ShowException(std::exception_ptr error) {
  if (QWidget* grabber = QWidget::mouseGrabber())
    grabber->releaseMouse();
  EndPress();
  try {
    std::rethrow_exception(error);
  } catch (const cAbort&) {
  } catch (const cError& e) {
    ShowText(e.Message());
  } catch (const std::bad_alloc&) {
    ShowText(cOutOfMemory().Message());
  } catch (const std::exception& e) {
    ShowText(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    ShowText(QString());
  }
}

void KeepGlDriverForLeakReports() {
#if defined(CUBISCOPE_SANITIZE)
  dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
#endif
}
