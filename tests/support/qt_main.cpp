// Test programs share this main: the application object exists before any
// test runs, as it does in the program.
#include <QFont>

#include <gtest/gtest.h>

#include "app/application.h"
#include "input/formstatus.h"
#include "view/frameopengl.h"

int main(int argc, char** argv) {
  KeepGlDriverForLeakReports();
  ::testing::InitGoogleTest(&argc, argv);
  cApplication application(argc, argv);
  TFormStatus::defaultBackgroundAfter = std::chrono::milliseconds::max();
  cOpenGLChildWindow::defaultFrameBudget = cOpenGLChildWindow::Duration::max();
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                             {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
  return RUN_ALL_TESTS();
}
