// Test programs share this main: the application object exists before any
// test runs, as it does in the program.
#include <QFont>

#include <gtest/gtest.h>

#if defined(CUBISCOPE_SANITIZE)
#include <dlfcn.h>
#endif

#include "app/application.h"

int main(int argc, char** argv) {
#if defined(CUBISCOPE_SANITIZE)
  // Mesa unloads its software driver (and LLVM with it) when the last GL
  // context goes, so the leak report at exit could not name the frames of
  // the driver's own one-time allocations, nor match them to tests/lsan.supp.
  // Loaded once more here and never unloaded, the driver stays to be named.
  dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  cApplication application(argc, argv);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                             {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
  return RUN_ALL_TESTS();
}
