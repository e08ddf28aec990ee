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
    QTimer::singleShot(0, FormStatus, [file, colours] {
      if (FormStatus)
        RunHandler([&] { FormStatus->OpenFile(file, colours); });
    });
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
