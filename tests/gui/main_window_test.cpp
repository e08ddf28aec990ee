// The main window and its view-control frame, driven through their widgets.
#include <gtest/gtest.h>

#include <cmath>

#include <QScrollBar>
#include <QTest>

#include "app/formroot.h"
#include "support/projection.h"
#include "view/viewregistry.h"

namespace {

double ElevationDegrees(const cOpenGLChildWindow& view) {
  const double r = std::hypot(view.eye[0], view.eye[1], view.eye[2]);
  return std::asin(view.eye[1] / r) * 180.0 / 3.14159265358979323846;
}

class MainWindow : public testing::Test {
 protected:
  TFormRoot root;
  TFrameCubiscope& frame = *root.ui.FrameCubiscope1;
  cOpenGLGraph& graph = frame.View();
};

TEST_F(MainWindow, OpensWithTitleSizeAndAFirstPicture) {
  EXPECT_EQ(root.windowTitle(), QStringLiteral("Cubiscope(ができるといいな...)"));
  EXPECT_EQ(root.size(), QSize(640, 480));
  ASSERT_NE(graph.window, nullptr);
  EXPECT_EQ(ViewRegistry::Find(graph.window), &graph);
  // The view is the size of the whole frame, anchored in the drawing panel.
  EXPECT_EQ(graph.Picture().size(), frame.size());
  EXPECT_EQ(graph.window->parentWidget(), frame.ui.PanelDraw);
  // The first picture shows the planes with the camera of the bars.
  Camera bars;
  bars.Aim(4500, 5000, 5001);
  EXPECT_EQ(graph.ViewCamera().zoom, bars.zoom);
  EXPECT_EQ(graph.ViewCamera().eye, bars.eye);
  EXPECT_TRUE(
      ColourNear(graph.Picture().pixel(ProjectDataPoint(graph, {0.85, 0.15, 0.0})), 26, 56, 36));
}

TEST_F(MainWindow, ScrollBarsStartWhereTheLayoutPutsThem) {
  struct Bar {
    QScrollBar* bar;
    int min, max, value, page;
    Qt::Orientation orientation;
  };
  for (const Bar& b : {Bar{frame.ui.ScrollBarTheta, -9000, 18000, 4500, 500, Qt::Horizontal},
                       Bar{frame.ui.ScrollBarHeight, -8000, 8000, 5000, 50, Qt::Vertical},
                       Bar{frame.ui.ScrollBarZoom, 1, 10001, 5001, 500, Qt::Vertical}}) {
    EXPECT_EQ(b.bar->minimum(), b.min) << b.bar->objectName().toStdString();
    EXPECT_EQ(b.bar->maximum(), b.max);
    EXPECT_EQ(b.bar->value(), b.value);
    EXPECT_EQ(b.bar->pageStep(), b.page);
    EXPECT_EQ(b.bar->singleStep(), 1);
    EXPECT_EQ(b.bar->orientation(), b.orientation);
  }
}

TEST_F(MainWindow, MovingOnlyTheZoomBarKeepsTheElevationOfTheHeightBar) {
  EXPECT_NEAR(ElevationDegrees(graph), 50.0, 1e-9);
  frame.ui.ScrollBarZoom->setValue(6001);
  EXPECT_NEAR(ElevationDegrees(graph), 50.0, 1e-9);
  EXPECT_NEAR(graph.zoom, 1.2002, 1e-12);
}

TEST_F(MainWindow, ZoomBarAtOneFillsTheViewWithPlanes) {
  frame.ui.ScrollBarZoom->setValue(1);
  EXPECT_NEAR(graph.zoom, 0.0002, 1e-15);
  const QImage& picture = graph.Picture();
  const QRgb centre = picture.pixel(picture.width() / 2, picture.height() / 2);
  EXPECT_GT(qGreen(centre), qBlue(centre)) << "expected a plane's green, not the clear colour";
}

TEST_F(MainWindow, DraggingTheBottomBarTurnsThePicture) {
  root.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&root));
  const QImage before = graph.Picture();
  QScrollBar* bar = frame.ui.ScrollBarTheta;
  // Drag the thumb to the right: the picture must change and follow.
  const int y = bar->height() / 2;
  const int thumbX = static_cast<int>(bar->width() * (4500.0 + 9000.0) / 27000.0);
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(thumbX, y));
  QTest::mouseMove(bar, QPoint(thumbX + 40, y));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(thumbX + 40, y));
  EXPECT_GT(bar->value(), 4500);
  EXPECT_NE(graph.Picture(), before);
}

TEST(MainWindowLife, ClosingAndDestroyingReleasesTheView) {
  const std::size_t before = ViewRegistry::Size();
  {
    TFormRoot root;
    root.show();
    EXPECT_EQ(ViewRegistry::Size(), before + 1);
  }
  EXPECT_EQ(ViewRegistry::Size(), before);
}

}  // namespace
