#pragma once
// A 300 x 300 scene for drawing plot objects, with helpers to aim the camera,
// clear the grid planes out of the picture and check colours at the projected
// positions of data points. A failed check saves the picture under the
// build's Testing/Temporary, named after the test.

#include <string>

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include "objects/vec3.h"
#include "scene/graph.h"
#include "support/projection.h"

class ObjectScene : public testing::Test {
 protected:
  static constexpr int kSize = 300;
  // The clear colour (0.1, 0.1, 0.2) as read back.
  static constexpr int kClear[3] = {26, 26, 51};

  void SetUp() override {
    ASSERT_TRUE(graph.Attach(&panel)) << "no OpenGL context";
    graph.Resize(0, 0, kSize, kSize);
    graph.zoom = 0.8;
  }

  void LookFrom(double x, double y, double z) {
    graph.eye[0] = x;
    graph.eye[1] = y;
    graph.eye[2] = z;
  }
  // Data z points up the screen's depth; the eye may not lie along the up
  // vector, hence the small sideways offset.
  void LookFromAbove() { LookFrom(0.001, 1.0, 0.001); }
  void LookFromBelow() { LookFrom(0.001, -1.0, 0.001); }
  // Elevation 30 degrees, azimuth 45: heights show as screen offsets.
  void LookFromSide() { LookFrom(0.6124, 0.5, 0.6124); }

  // Puts all three planes far outside the picture.
  void MovePlanesAway() {
    for (cOpenGLGraph_Grid* plane : {&graph.planeX, &graph.planeY, &graph.planeZ}) {
      plane->origin = {10.0, 10.0, 10.0};
    }
  }

  QRgb PixelAt(Vec3 p, Vec3 scale = {1, 1, 1}) const {
    return graph.Picture().pixel(ProjectDataPoint(graph, p, scale));
  }

  // The pixel showing p (drawn with the pass's scale) within 2 of (r, g, b).
  testing::AssertionResult ColourAt(Vec3 p, int r, int g, int b, Vec3 scale = {1, 1, 1}) const {
    const QRgb actual = PixelAt(p, scale);
    if (ColourNear(actual, r, g, b))
      return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "at (" << p.x << ", " << p.y << ", " << p.z << ") read (" << qRed(actual) << ", "
           << qGreen(actual) << ", " << qBlue(actual) << "), expected (" << r << ", " << g << ", "
           << b << "); picture saved as " << Save().toStdString();
  }

  // Whether some pixel within radius of the one showing p is near (r, g, b):
  // a one-pixel line may fall on either side of a projected point.
  bool ColourNearby(Vec3 p, int r, int g, int b, Vec3 scale = {1, 1, 1}, int radius = 2) const {
    const QPoint centre = ProjectDataPoint(graph, p, scale);
    for (int dy = -radius; dy <= radius; ++dy) {
      for (int dx = -radius; dx <= radius; ++dx) {
        if (ColourNear(graph.Picture().pixel(centre + QPoint(dx, dy)), r, g, b))
          return true;
      }
    }
    return false;
  }

  QString Save() const {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
      if (c == '/')
        c = '_';
    }
    return SaveForInspection(graph.Picture(), QString::fromStdString(name));
  }

  QWidget panel;
  cOpenGLGraph graph;
};
