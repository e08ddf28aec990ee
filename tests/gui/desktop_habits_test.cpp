// Mouse camera and file drops on the main window, sent as real events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/formroot.h"
#include "input/formstatus.h"
#include "support/bmpwriter.h"
#include "support/dropfile.h"
#include "support/testfiles.h"
#include "view/messagebox.h"

namespace {

class Habits : public testing::Test {
 protected:
  void SetUp() override {
    FormStatus = &status;
    root.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&root));
    previousBox = SetMessageBoxHook([this](const MessageBoxRequest& r) {
      messages.push_back(r.text);
      cursorRestoredBeforeMessage = QApplication::overrideCursor() == nullptr;
    });
  }
  void TearDown() override {
    FormStatus = nullptr;
    SetMessageBoxHook(previousBox);
  }

  void Wheel(int angle) {
    const QPointF at(100, 100);
    QWheelEvent wheel(at, graph.window->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(graph.window, &wheel);
  }

  void Drop(const QString& path, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    ASSERT_TRUE(DropFile(root, path, modifiers));
  }

  QString Write(const char* name, const std::vector<unsigned char>& bytes) {
    return WriteTestFile(dir, QString::fromLatin1(name), bytes);
  }

  TFormRoot root;
  TFrameCubiscope& frame = *root.ui.FrameCubiscope1;
  cOpenGLGraph& graph = frame.View();
  TFormStatus status{graph};
  QTemporaryDir dir;
  QStringList messages;
  bool cursorRestoredBeforeMessage = false;
  MessageBoxHook previousBox;
};

TEST_F(Habits, DraggingThePictureMovesTheBarsAndTheCamera) {
  const QImage before = graph.Picture();
  QWidget* picture = graph.window;
  QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(picture, QPoint(110, 103));
  QTest::mouseMove(picture, QPoint(120, 110));
  QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(120, 110));
  EXPECT_EQ(frame.ui.ScrollBarTheta->value(), 4500 + 20 * TFrameCubiscope::kDragStep);
  EXPECT_EQ(frame.ui.ScrollBarHeight->value(), 5000 + 10 * TFrameCubiscope::kDragStep);
  Camera expected;
  expected.Aim(5500, 5500, 5001);
  EXPECT_EQ(graph.ViewCamera().eye, expected.eye);
  EXPECT_NE(graph.Picture(), before);

  // The bars clamp: a long drag ends at their limits.
  QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(picture, QPoint(600, 400));
  QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(600, 400));
  EXPECT_EQ(frame.ui.ScrollBarTheta->value(), 18000);
  EXPECT_EQ(frame.ui.ScrollBarHeight->value(), 8000);
}

TEST_F(Habits, WheelZoomsInForwardsAndAddsUpPartNotches) {
  Wheel(120);
  EXPECT_EQ(frame.ui.ScrollBarZoom->value(), 5001 - TFrameCubiscope::kWheelStep);
  Wheel(-240);
  EXPECT_EQ(frame.ui.ScrollBarZoom->value(), 5001 + TFrameCubiscope::kWheelStep);
  Wheel(60);
  EXPECT_EQ(frame.ui.ScrollBarZoom->value(), 5001 + TFrameCubiscope::kWheelStep);
  Wheel(60);
  EXPECT_EQ(frame.ui.ScrollBarZoom->value(), 5001);
  EXPECT_NEAR(graph.zoom, 5001 * 0.0002, 1e-12);
}

TEST_F(Habits, DroppedFilesLoadByKindWithoutTouchingTheDialog) {
  const QString text = dir.filePath(QStringLiteral("grid.txt"));
  {
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0,0,0\n1,0,0\n\n0,1,0\n1,1,1\n");
  }
  Drop(text);
  EXPECT_EQ(status.surface.columns, 2u);
  EXPECT_EQ(status.surface.rows, 2u);

  const QString bmp =
      Write("picture.BMP", WriteBmp(PatternPicture(3, 2, {{255, 0, 0}}), BmpOptions{}));
  Drop(bmp);
  EXPECT_EQ(status.surface.columns, 3u);
  EXPECT_EQ(status.surface.vertices[0].z, 1.0 / 3.0);
  EXPECT_EQ(status.volume.data, nullptr);

  Drop(bmp, Qt::ShiftModifier);
  ASSERT_NE(status.volume.data, nullptr);
  EXPECT_EQ(status.volume.data[258048], 1.0f);

  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(status.OpenDialog.FilterIndex, 1);
  EXPECT_TRUE(status.OpenDialog.FileName.isEmpty());
}

TEST_F(Habits, DroppedMissingOrBrokenFilesShowTheMessageAndChangeNothing) {
  auto* points = new Vec3[4]{{0, 0, 0}, {1, 0, 0}, {0, 1, 1}, {1, 1, 1}};
  status.surface.SetGrid(points, 2, 2, true);
  const QString missing = dir.filePath(QStringLiteral("gone.csv"));
  Drop(missing);
  Drop(Write("broken.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0}));
  EXPECT_EQ(messages, (QStringList{QStringLiteral("ファイル %1 は開けません.").arg(missing),
                                   QStringLiteral("ストリームからの読み込みエラー.")}));
  EXPECT_TRUE(cursorRestoredBeforeMessage);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(status.surface.vertices, points);
}

}  // namespace
