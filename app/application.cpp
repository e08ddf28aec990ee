#include "app/application.h"

#if defined(CUBISCOPE_SANITIZE)
#include <dlfcn.h>
#endif

#include <new>
#include <string>

#include <QWidget>

#include "base/errors.h"
#include "view/handlerguard.h"
#include "view/messagebox.h"

cApplication::cApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(kApplicationTitle);
}

bool cApplication::notify(QObject* receiver, QEvent* event) {
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
