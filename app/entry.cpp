#include "app/entry.h"

#include <QFont>

#include "app/application.h"
#include "app/windows.h"
#include "base/errors.h"

int RunCubiscope(cApplication& application) {
  try {
    // The layouts name the Japanese face they were designed with; let an
    // installed Japanese font stand in for it.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
    const Windows windows = OpenWindows();
    application.exec();
  } catch (const cError&) {
    ShowException(std::current_exception());
  } catch (...) {
    // Whatever else escaped is shown as an error of our own kind with no text.
    ShowException(std::make_exception_ptr(cError(std::string())));
  }
  return 0;
}
