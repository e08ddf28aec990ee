#include "app/entry.h"

#include <memory>

#include <QFont>

#include "app/application.h"
#include "app/formroot.h"
#include "input/errors.h"

int RunCubiscope(cApplication& application) {
  try {
    // The layouts name the Japanese face they were designed with; let an
    // installed Japanese font stand in for it.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
    auto root = std::make_unique<TFormRoot>();
    FormRoot = root.get();
    root->show();
    application.exec();
    FormRoot = nullptr;
  } catch (const cError&) {
    FormRoot = nullptr;
    ShowException(std::current_exception());
  } catch (...) {
    // Whatever else escaped is shown as an error of our own kind with no text.
    FormRoot = nullptr;
    ShowException(std::make_exception_ptr(cError(std::string())));
  }
  return 0;
}
