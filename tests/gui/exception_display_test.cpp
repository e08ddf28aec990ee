// The guard around event dispatch and the way it shows errors.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/application.h"
#include "base/errors.h"
#include "view/handlerguard.h"
#include "view/messagebox.h"

namespace {

struct PeriodCase {
  const char* message;
  const char* shown;
};

void PrintTo(const PeriodCase& c, std::ostream* os) {
  *os << '"' << c.message << '"';
}

class PeriodRule : public testing::TestWithParam<PeriodCase> {};

TEST_P(PeriodRule, AppendsAPeriodOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(ExceptionText(QString::fromUtf8(GetParam().message)).toStdString(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, PeriodRule,
    testing::Values(PeriodCase{"", ""}, PeriodCase{"abc", "abc."}, PeriodCase{"code 7", "code 7."},
                    PeriodCase{"done.", "done."}, PeriodCase{"(x)", "(x)"},
                    PeriodCase{"stop!", "stop!"}, PeriodCase{"a,", "a,"}, PeriodCase{"a-", "a-"},
                    PeriodCase{"a ", "a "}, PeriodCase{"line\r\n", "line\r\n"},
                    PeriodCase{"a/", "a/."},
                    PeriodCase{"ファイル x は開けません", "ファイル x は開けません."},
                    PeriodCase{"浮動小数点数のオーバーフロー", "浮動小数点数のオーバーフロー."}));

class Guard : public testing::Test {
 protected:
  void SetUp() override {
    previous = SetMessageBoxHook([this](const MessageBoxRequest& r) { shown.push_back(r); });
  }
  void TearDown() override { SetMessageBoxHook(previous); }

  // Clicks a real button whose handlers, connected as the program connects
  // its own, throw what the throwers throw.
  template <typename... Thrower>
  void ClickThrowing(Thrower... throwIt) {
    QPushButton button;
    button.resize(50, 20);
    button.show();
    (QObject::connect(&button, &QPushButton::clicked, [throwIt] { RunHandler(throwIt); }), ...);
    QTest::mouseClick(&button, Qt::LeftButton);
  }

  std::vector<MessageBoxRequest> shown;
  MessageBoxHook previous;
};

TEST_F(Guard, ShowsOurErrorsWithTitleStopIconAndPeriod) {
  ClickThrowing([] { throw cFileOpenError(QStringLiteral("/tmp/none.csv")); });
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, QStringLiteral("Cubiscope(ができるといいな...)"));
  EXPECT_EQ(shown[0].text, QStringLiteral("ファイル /tmp/none.csv は開けません."));
  EXPECT_EQ(shown[0].icon, QMessageBox::Critical);
}

TEST_F(Guard, DropsTheSilentKind) {
  ClickThrowing([] { throw cAbort(); });
  EXPECT_TRUE(shown.empty());
}

TEST_F(Guard, ShowsOtherExceptionsAndGoesOn) {
  ClickThrowing([] { throw std::runtime_error("plain failure"); });
  ClickThrowing([] { throw 42; });
  ClickThrowing([] { throw cError(std::string()); });
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, QStringLiteral("plain failure."));
  EXPECT_EQ(shown[1].text, QString());
  EXPECT_EQ(shown[2].text, QString());
}

// The first error ends the event's work; a second handler failing in the same
// event adds no second box.
TEST_F(Guard, ShowsOneBoxPerEvent) {
  ClickThrowing([] { throw cReadError(); }, [] { throw cInvalidGraphic(); });
  ClickThrowing([] { throw cInvalidOp(); });
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, QStringLiteral("ストリームからの読み込みエラー."));
  EXPECT_EQ(shown[1].text, QStringLiteral("不正な浮動小数点数演算命令."));
}

TEST_F(Guard, CleanUpOfTheHandlerRunsBeforeTheBox) {
  std::vector<std::string> order;
  SetMessageBoxHook([&](const MessageBoxRequest&) { order.push_back("box"); });
  ClickThrowing([&] {
    struct CleanUp {
      std::vector<std::string>& order;
      ~CleanUp() { order.push_back("clean-up"); }
    } cleanUp{order};
    throw cInvalidOp();
  });
  EXPECT_EQ(order, (std::vector<std::string>{"clean-up", "box"}));
}

// A box takes the mouse: the widget that took the press of a button still
// held gets its release before the box, outside itself. A bar whose page
// step failed stops repeating it (each repeat would fail and show a box of
// its own); a button pressed when an error came from elsewhere does not
// click.
TEST_F(Guard, EndsThePressOfAMouseButtonStillHeld) {
  struct Bar : QScrollBar {
    using QScrollBar::QScrollBar;
    using QScrollBar::repeatAction;
  } bar(Qt::Horizontal);
  bar.setRange(0, 100);
  bar.resize(200, 16);
  bar.show();
  QObject::connect(&bar, &QScrollBar::valueChanged, [] { RunHandler([] { throw cOverflow(); }); });
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(120, 8));  // the trough after the thumb
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(bar.repeatAction(), QAbstractSlider::SliderNoAction);
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(120, 8));

  QPushButton button;
  button.resize(50, 20);
  button.show();
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
  QTest::mousePress(&button, Qt::LeftButton);
  QMetaObject::invokeMethod(
      &button, [] { RunHandler([] { throw cInvalidOp(); }); }, Qt::QueuedConnection);
  QCoreApplication::processEvents();
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_FALSE(button.isDown());
  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_EQ(clicks, 0);
}

}  // namespace
