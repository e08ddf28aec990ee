// The scene's own picture, read back from the off-screen view, checked at the
// screen positions of known data points.
#include <gtest/gtest.h>

#include <QWidget>

#include "scene/graph.h"
#include "support/projection.h"

namespace {

// Read back from this renderer: the clear colour, one plane's fill blended
// over it, and a second fill blended over the first.
constexpr int kClear[3] = {26, 26, 51};
constexpr int kOnePlane[3] = {26, 56, 36};
constexpr int kTwoPlanes[3] = {26, 68, 30};

class SceneRender : public testing::Test {
 protected:
  void SetUp() override {
    panel.resize(300, 300);
    ASSERT_TRUE(graph.Attach(&panel));
    graph.Resize(0, 0, 300, 300);
  }

  // Checks the colour at data point p; on failure saves the picture.
  void ExpectColourAt(Vec3 p, const int (&rgb)[3], const char* name) {
    const QPoint at = ProjectDataPoint(graph, p);
    const QRgb actual = graph.Picture().pixel(at);
    EXPECT_TRUE(ColourNear(actual, rgb[0], rgb[1], rgb[2]))
        << name << " at (" << at.x() << ", " << at.y() << "): got " << qRed(actual) << ", "
        << qGreen(actual) << ", " << qBlue(actual) << "; picture saved as "
        << SaveForInspection(graph.Picture(), QString::fromLatin1(name)).toStdString();
  }

  QWidget panel;
  cOpenGLGraph graph;
};

TEST_F(SceneRender, PictureHasTheViewSize) {
  graph.Draw();
  EXPECT_EQ(graph.Picture().size(), QSize(300, 300));
}

// Seen from the default corner the three planes tile the back faces of the
// cube; moving a plane forwards lays its fill over another one.
TEST_F(SceneRender, PlanesBlendOverClearAndOverEachOther) {
  graph.Draw();
  ExpectColourAt({0.85, 0.15, 0.0}, kOnePlane, "bottom_plane");
  ExpectColourAt({0.0, 0.45, 0.65}, kOnePlane, "x_plane");
  ExpectColourAt({0.35, 0.0, 0.75}, kOnePlane, "y_plane");
  EXPECT_TRUE(ColourNear(graph.Picture().pixel(2, 2), kClear[0], kClear[1], kClear[2]));

  // planeX moved to the front face lies over planeZ where both project.
  graph.planeX.origin.x = 1.0;
  graph.Draw();
  ExpectColourAt({1.0, 0.73, 0.36}, kTwoPlanes, "x_plane_over_bottom");
}

TEST_F(SceneRender, PlaneFollowsItsOrigin) {
  graph.Draw();
  ExpectColourAt({1.0, 0.73, 0.36}, kOnePlane, "before_move");
  graph.planeX.origin.x = 1.0;
  graph.Draw();
  ExpectColourAt({1.0, 0.73, 0.36}, kTwoPlanes, "after_move");
}

// The axis swap puts data z up on screen: the top face, where planeZ goes at
// height 1, lies above the bottom face.
TEST_F(SceneRender, DataZPointsUp) {
  graph.planeZ.origin.z = 1.0;
  graph.Draw();
  const Vec3 top{0.85, 0.15, 1.0};
  const Vec3 bottom{0.85, 0.15, 0.0};
  EXPECT_LT(ProjectDataPoint(graph, top).y(), ProjectDataPoint(graph, bottom).y());
  ExpectColourAt(top, kOnePlane, "top_plane");
  // Nothing covers the bottom face's front corner any more.
  ExpectColourAt({0.95, 0.95, 0.0}, kClear, "bottom_corner_empty");
}

TEST_F(SceneRender, PictureScalesWithZoom) {
  const Vec3 corner{0.85, 0.15, 0.0};
  graph.Draw();
  const QPoint atOne = ProjectDataPoint(graph, corner);

  graph.zoom = 0.5;
  graph.Draw();
  const QPoint atHalf = ProjectDataPoint(graph, corner);
  ExpectColourAt(corner, kOnePlane, "zoom_half");
  // Half the visible region: the point lies twice as far from the centre.
  EXPECT_NEAR(atHalf.x() - 150, 2 * (atOne.x() - 150), 2);
  EXPECT_NEAR(atHalf.y() - 150, 2 * (atOne.y() - 150), 2);

  // Zoomed far out, the whole cube shrinks to the middle.
  graph.zoom = 4.0;
  graph.Draw();
  EXPECT_TRUE(ColourNear(graph.Picture().pixel(atOne), kClear[0], kClear[1], kClear[2]));
  ExpectColourAt(corner, kOnePlane, "zoom_four");
}

TEST_F(SceneRender, HeightBarAtMinimumShowsTheCubeFromBelow) {
  // Elevation -80 degrees: the bottom plane is seen from below, over nothing.
  graph.eye[0] = 0.1736 * 0.7071;
  graph.eye[1] = -0.9848;
  graph.eye[2] = 0.1736 * 0.7071;
  graph.planeX.origin.x = 2.0;  // out of the cube and the view's way
  graph.planeY.origin.y = 2.0;
  graph.Draw();
  ExpectColourAt({0.55, 0.45, 0.0}, kOnePlane, "from_below");
  // The eye is below the cube: the bottom face is nearer than the top face.
  EXPECT_GT(Nearness(graph, {0.5, 0.5, 0.0}), Nearness(graph, {0.5, 0.5, 1.0}));
}

}  // namespace
