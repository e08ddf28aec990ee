#include "app/entry.h"

#include <memory>

#include <QFont>
#include <QTimer>

#include "app/application.h"
#include "app/commandline.h"
#include "app/formroot.h"
#include "base/errors.h"
#include "input/formstatus.h"
#include "view/handlerguard.h"

void OpenAfterStartUp(const CommandLine& commandLine) {
  if (commandLine.file.isEmpty() || !FormStatus)
    return;
  QTimer::singleShot(0, FormStatus, [file = commandLine.file, colours = commandLine.colours] {
    RunHandler([&] { FormStatus->OpenFile(file, colours); });
  });
}

int RunCubiscope(cApplication& application, const CommandLine& commandLine) {
  try {
    // The layouts name the Japanese face they were designed with; let an
    // installed Japanese font stand in for it.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
    auto root = std::make_unique<TFormRoot>();
    FormRoot = root.get();
    root->show();
    // Second: the Status window puts its objects into the main window's view.
    auto status = std::make_unique<TFormStatus>(root->ui.FrameCubiscope1->View());
    FormStatus = status.get();
    status->show();
    OpenAfterStartUp(commandLine);
    application.exec();
    // The main window goes first, with its view; the Status window's objects
    // are only referenced by that view.
    FormRoot = nullptr;
    root.reset();
    FormStatus = nullptr;
    status.reset();
  } catch (const cError&) {
    FormRoot = nullptr;
    FormStatus = nullptr;
    ShowException(std::current_exception());
  } catch (...) {
    // Whatever else escaped is shown as an error of our own kind with no text.
    FormRoot = nullptr;
    FormStatus = nullptr;
    ShowException(std::make_exception_ptr(cError(std::string())));
  }
  return 0;
}
