#include "app/entry.h"

#include <utility>

#include <QAction>
#include <QTimer>

#include "app/application.h"
#include "app/commandline.h"
#include "app/picturelook.h"
#include "app/windows.h"
#include "base/errors.h"
#include "view/handlerguard.h"

namespace {

// Opens file once no load runs in the background: the command line's two
// files both load, where a second load would otherwise replace the first.
// The wait is a timer of the Status window's, so that whoever waits for the
// program's work to end sees it.
void OpenWhenNoLoadRuns(const QString& file, bool colours) {
  if (!FormStatus)
    return;
  auto* wait = new QTimer(FormStatus);
  wait->setSingleShot(true);
  QObject::connect(wait, &QTimer::timeout, FormStatus, [wait, file, colours] {
    wait->deleteLater();
    if (FormStatus->LoadInBackground())
      OpenWhenNoLoadRuns(file, colours);
    else
      RunHandler([&] { FormStatus->OpenFile(file, colours); });
  });
  wait->start(FormStatus->LoadInBackground() ? 50 : 0);
}

}  // namespace

void OpenAfterStartUp(const CommandLine& commandLine) {
  if (!FormStatus)
    return;
  // Through the menu's switch, so that the menu shows it on.
  if (commandLine.watch && FormRoot)
    FormRoot->ui.ActionWatch->setChecked(true);
  for (const auto& [file, colours] :
       {std::pair{commandLine.coloursFile, true}, std::pair{commandLine.file, false}}) {
    if (file.isEmpty())
      continue;
    OpenWhenNoLoadRuns(file, colours);
  }
}

int RunCubiscope(cApplication& application, const CommandLine& commandLine) {
  try {
    WindowsFont();  // its substitutes, before the windows use the face
    const Windows windows = OpenWindows();
    OpenAfterStartUp(commandLine);
    application.exec();
  } catch (const cError&) {
    ShowException(std::current_exception());
  } catch (...) {
    // Whatever else escaped is shown as an error of our own kind with no text.
    ShowException(std::make_exception_ptr(cError(std::string())));
  }
  return 0;
}
