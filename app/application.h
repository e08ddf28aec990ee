#pragma once
// The application object and the last-resort display of errors. Every event
// runs inside a guard: an error that ended a handler (kept at the handler's
// boundary, view/handlerguard.h, after the handler's own clean-up has run) is
// shown in a stop-icon box once the event's dispatch returns, and the program
// goes on. cAbort is dropped silently.

#include <exception>

#include <QApplication>
#include <QString>

inline const QString kApplicationTitle = QStringLiteral("Cubiscope(ができるといいな...)");

class cApplication : public QApplication {
 public:
  cApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// The message as shown: a period is appended when the last character, taken
// whole, sorts after "." byte by byte (every Japanese text, a letter, a digit);
// a text ending in ".", ")", "!", ",", "-", a blank or a line break, and the
// empty text, stay as they are.
QString ExceptionText(const QString& message);

// In the sanitizer build: Mesa unloads its software driver (and LLVM with it)
// when the last GL context goes, so the leak report at exit could not name
// the frames of the driver's own one-time allocations, nor match them to the
// suppressions of the libraries' leaks. Loaded once more here and never
// unloaded, the driver stays to be named. Elsewhere nothing happens.
void KeepGlDriverForLeakReports();

// Releases any mouse grab and ends the press of a mouse button still held
// (the widget that took it gets a release outside itself), then shows the
// exception (see above). Anything that is not one of our own errors is shown
// with its text where it has one.
void ShowException(std::exception_ptr error);
