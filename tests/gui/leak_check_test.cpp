// The sanitizer build's leak check is what would catch a leak of ours, so it
// is checked too: a child run of this very program leaks on purpose while Qt's
// own D-Bus thread runs beside it, as in every test with widgets, and its
// report must name that leak and nothing else.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSlider>

namespace {

constexpr char kChildSwitch[] = "CUBISCOPE_LEAK_ON_PURPOSE";

// Volatile, so that the allocation is made and its last pointer forgotten.
char* volatile lost = nullptr;

// noinline: the report must be able to name the frame that allocated.
[[gnu::noinline]] void LeakOnPurpose() {
  lost = new char[4242];
  lost = nullptr;
}

bool QtDBusThreadRuns() {
  const QDir tasks(QStringLiteral("/proc/self/task"));
  for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile name(tasks.filePath(task + QStringLiteral("/comm")));
    if (name.open(QIODevice::ReadOnly) && name.readAll().startsWith("QDBusConnection"))
      return true;
  }
  return false;
}

}  // namespace

// Run only as the child of the test below (disabled tests run when asked for).
TEST(LeakCheck, DISABLED_LeaksOnPurpose) {
  if (qEnvironmentVariableIsEmpty(kChildSwitch))
    GTEST_SKIP() << "the child of LeakCheck.ReportsALeakOfOursAndNothingElse";
  // A slider's first value change is what makes Qt connect its accessibility
  // bridge to the session bus, from a thread of its own.
  QSlider slider;
  slider.setValue(1);
  QCoreApplication::processEvents();
  ASSERT_TRUE(QtDBusThreadRuns());
  LeakOnPurpose();
}

TEST(LeakCheck, ReportsALeakOfOursAndNothingElse) {
#ifndef CUBISCOPE_SANITIZE
  GTEST_SKIP() << "only the sanitizer build checks for leaks";
#endif
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromLatin1(kChildSwitch), QStringLiteral("1"));
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_also_run_disabled_tests"),
               QStringLiteral("--gtest_filter=LeakCheck.DISABLED_LeaksOnPurpose")});
  ASSERT_TRUE(child.waitForFinished(100000));
  const QByteArray out = child.readAllStandardOutput();
  const QByteArray report = child.readAllStandardError();
  EXPECT_TRUE(out.contains("[       OK ] LeakCheck.DISABLED_LeaksOnPurpose")) << out.constData();
  EXPECT_NE(child.exitCode(), 0);
  EXPECT_TRUE(report.contains("Direct leak of 4242 byte(s) in 1 object(s)")) << report.constData();
  EXPECT_TRUE(report.contains("LeakOnPurpose")) << report.constData();
  EXPECT_TRUE(report.contains("SUMMARY: AddressSanitizer: 4242 byte(s) leaked in 1 allocation(s)."))
      << report.constData();
}
