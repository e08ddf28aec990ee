// "Export mesh…" in the picture's context menu, through the real windows:
// the whole surface is written as the dialog asks, Cancel and Esc leave no
// file and hold back what the user did meanwhile, and without a surface it
// says so.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/windows.h"
#include "support/bmpwriter.h"
#include "support/meshcheck.h"
#include "support/picturemenu.h"
#include "support/testfiles.h"
#include "view/messagebox.h"

namespace {

class ExportMesh : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.root.get()));
    previousBox = SetMessageBoxHook(
        [this](const MessageBoxRequest& r) { messages.push_back(r.text.toStdString()); });
    previousChooser = TMeshExportDialog::SetChooser([this](const TMeshExportDialog&) {
      ++dialogs;
      if (meanwhile)
        QTimer::singleShot(0, meanwhile);
      return answer;
    });
  }
  void TearDown() override {
    SetMessageBoxHook(previousBox);
    TMeshExportDialog::SetChooser(previousChooser);
  }

  // A picture of 30 x 20 pixels, loaded as the surface.
  void LoadPicture() {
    const QString path = WriteTestFile(
        dir, QStringLiteral("p.bmp"),
        WriteBmp(PatternPicture(30, 20, {{250, 10, 10}, {10, 250, 10}, {40, 40, 240}}), {}));
    windows.status->OpenFile(path, false);
    ASSERT_EQ(windows.status->surface.columns * windows.status->surface.rows, 600u);
  }

  void Choose() { ChoosePictureMenuItem(graph.window, QStringLiteral("Export mesh…")); }

  Windows windows = OpenWindows();
  TFrameCubiscope& frame = *windows.root->ui.FrameCubiscope1;
  cOpenGLGraph& graph = frame.View();
  QTemporaryDir dir;
  std::optional<TMeshExportDialog::Choice> answer;
  std::function<void()> meanwhile;
  int dialogs = 0;
  std::vector<std::string> messages;
  MessageBoxHook previousBox;
  TMeshExportDialog::Chooser previousChooser;
};

TEST_F(ExportMesh, WritesTheWholeSurfaceAsTheDialogAsks) {
  LoadPicture();
  // Zoomed in, the picture shows a corner; the mesh is still all of it:
  // 2 x 29 x 19 triangles on top and in the base, two a wall for each of
  // the 2 x (29 + 19) edges around it.
  frame.ui.ScrollBarZoom->setValue(frame.ui.ScrollBarZoom->minimum());
  answer = TMeshExportDialog::Choice{dir.filePath(QStringLiteral("m.stl")), MeshSettings()};
  Choose();
  EXPECT_TRUE(messages.empty()) << messages.front();
  EXPECT_EQ(StlTriangles(answer->path), 2 * (2 * 29 * 19) + 2 * (2 * (29 + 19)));
  EXPECT_FALSE(windows.root->loadBar->isVisible());
}

TEST_F(ExportMesh, CancelledLeavesNoFileAndIgnoresOtherInput) {
  LoadPicture();
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
    answer = TMeshExportDialog::Choice{dir.filePath(QStringLiteral("m.ply")), MeshSettings()};
    meanwhile = [this, &row] {
      // A key that would turn the picture, held back.
      QTest::keyClick(graph.window, Qt::Key_Right);
      EXPECT_TRUE(windows.root->loadBar->isVisible());
      row.cancel();
    };
    Choose();
    EXPECT_EQ(frame.ui.ScrollBarTheta->value(), 4500);
    EXPECT_FALSE(windows.root->loadBar->isVisible());
    EXPECT_EQ(
        QDir(dir.path())
            .entryList({QStringLiteral("m*"), QStringLiteral(".m*")}, QDir::Files | QDir::Hidden),
        QStringList());
  }
  EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(ExportMesh, WithoutASurfaceSaysSoAndAsksNothing) {
  answer = TMeshExportDialog::Choice{dir.filePath(QStringLiteral("m.stl")), MeshSettings()};
  Choose();
  EXPECT_EQ(dialogs, 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("no surface"), std::string::npos) << messages[0];
  EXPECT_FALSE(QFileInfo::exists(answer->path));
}

}  // namespace
