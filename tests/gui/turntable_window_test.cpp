// "Save turntable…" in the picture's context menu, through the real windows:
// its frames are the pictures the turn bar shows at each frame's turn, the
// picture is as it was afterwards, and a cancelled turntable leaves no file
// and holds back what the user did meanwhile.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/windows.h"
#include "support/picturemenu.h"
#include "support/turntableframes.h"
#include "view/messagebox.h"

namespace {

class SaveTurntable : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.root.get()));
    previousBox = SetMessageBoxHook(
        [this](const MessageBoxRequest& r) { messages.push_back(r.text.toStdString()); });
    previousChooser = TTurntableDialog::SetChooser([this](const TTurntableDialog&) {
      // Runs as the turntable starts: whatever it schedules comes while
      // the frames are drawn.
      if (meanwhile)
        QTimer::singleShot(0, meanwhile);
      return answer;
    });
  }
  void TearDown() override {
    SetMessageBoxHook(previousBox);
    TTurntableDialog::SetChooser(previousChooser);
    EXPECT_TRUE(messages.empty()) << messages.front();
  }

  // Chooses "Save turntable…" in the picture's menu.
  void Choose() { ChoosePictureMenuItem(graph.window, QStringLiteral("Save turntable…")); }

  Windows windows = OpenWindows();
  TFrameCubiscope& frame = *windows.root->ui.FrameCubiscope1;
  cOpenGLGraph& graph = frame.View();
  QTemporaryDir dir;
  std::optional<TTurntableDialog::Choice> answer;
  std::function<void()> meanwhile;
  std::vector<std::string> messages;
  MessageBoxHook previousBox;
  TTurntableDialog::Chooser previousChooser;
};

TEST_F(SaveTurntable, FramesAreWhatTheTurnBarShowsAtTheirTurns) {
  // From 30 degrees in eighths of a turn: 30, 75, 120, 165, (210, 255), 300
  // told as -60, 345 as -15.
  const std::vector<std::pair<int, int>> inRange = {{1, 3000},  {2, 7500},  {3, 12000},
                                                    {4, 16500}, {7, -6000}, {8, -1500}};
  for (const char* name : {"spin.png", "spin.webp"}) {
    SCOPED_TRACE(name);
    frame.ui.ScrollBarTheta->setValue(3000);
    const QImage shown = graph.FullPicture();
    answer = TTurntableDialog::Choice{dir.filePath(QString::fromUtf8(name)), 8};
    Choose();
    EXPECT_EQ(graph.Picture(), shown);
    EXPECT_FALSE(windows.root->loadBar->isVisible());
    const std::vector<QImage> frames =
        ReadTurntableFrames(TTurntableDialog::PatternOf(answer->path), 8);
    ASSERT_EQ(frames.size(), std::size_t{8});
    for (const auto& [k, theta] : inRange) {
      frame.ui.ScrollBarTheta->setValue(theta);
      EXPECT_EQ(frames[k - 1], graph.FullPicture()) << "frame " << k;
    }
  }
}

TEST_F(SaveTurntable, CancelledLeavesNoFileAndIgnoresOtherInput) {
  const struct {
    const char* how;
    std::function<void()> cancel;
  } rows[] = {
      {"the bar's Cancel",
       [this] { QTest::mouseClick(windows.root->loadBar->ui.ButtonCancel, Qt::LeftButton); }},
      {"Esc", [this] { QTest::keyClick(graph.window, Qt::Key_Escape); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.how);
    const QImage shown = graph.FullPicture();
    answer = TTurntableDialog::Choice{dir.filePath(QStringLiteral("spin.png")), 36};
    meanwhile = [this, &row] {
      // A key that would turn the picture, held back.
      QTest::keyClick(graph.window, Qt::Key_Right);
      EXPECT_TRUE(windows.root->loadBar->isVisible());
      row.cancel();
    };
    Choose();
    EXPECT_EQ(frame.ui.ScrollBarTheta->value(), 4500);
    EXPECT_EQ(graph.Picture(), shown);
    EXPECT_FALSE(windows.root->loadBar->isVisible());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  }
}

// A reload that comes while the frames are drawn (F5 as the file watch
// asks for it, not held back like a key) waits for the turntable to end:
// every frame shows the data it started from.
TEST_F(SaveTurntable, AReloadWaitsUntilItEnds) {
  const QString grid = dir.filePath(QStringLiteral("grid.csv"));
  const auto write = [&grid](const char* text) {
    QFile file(grid);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  };
  // Two rows of two points, then of three: the surface's points tell which.
  write("0,0,0\n1,0,1\n\n0,1,1\n1,1,0\n");
  windows.status->OpenFile(grid, false);
  ASSERT_EQ(windows.status->surface.columns * windows.status->surface.rows, 4u);
  // The last frame's turn: 45 + 270 = 315 degrees, told as -45.
  frame.ui.ScrollBarTheta->setValue(-4500);
  const QImage last = graph.FullPicture();
  frame.ui.ScrollBarTheta->setValue(4500);
  answer = TTurntableDialog::Choice{dir.filePath(QStringLiteral("spin.webp")), 4};
  meanwhile = [&] {
    write("0,0,0\n1,0,1\n2,0,0\n\n0,1,1\n1,1,0\n2,1,1\n");
    windows.status->ReloadClick();
  };
  Choose();
  const std::vector<QImage> frames = ReadTurntableFrames(answer->path, 4);
  ASSERT_EQ(frames.size(), std::size_t{4});
  EXPECT_EQ(frames[3], last);
  QTRY_COMPARE(windows.status->surface.columns * windows.status->surface.rows, 6u);
}

}  // namespace
