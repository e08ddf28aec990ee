#pragma once
// A 300 x 300 scene for plot objects: camera helpers, the planes moved out of
// the picture on request, and colour checks at projected data points that
// save the picture under Testing/Temporary when they fail.

#include <string>

#include <QWidget>

#include <gtest/gtest.h>

#include "scene/graph.h"
#include "support/projection.h"

class ObjectScene : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(graph.Attach(&panel)) << "no OpenGL context";
    graph.Resize(0, 0, 300, 300);
    graph.zoom = 0.8;
  }
  // The eye may not lie along the up vector, hence the small offsets. From the
  // side: elevation 30 degrees, azimuth 45, so heights show as screen offsets.
  void LookFrom(double x, double y, double z) {
    graph.eye[0] = x;
    graph.eye[1] = y;
    graph.eye[2] = z;
  }
  void LookFromAbove() { LookFrom(0.001, 1.0, 0.001); }
  void LookFromBelow() { LookFrom(0.001, -1.0, 0.001); }
  void LookFromSide() { LookFrom(0.6124, 0.5, 0.6124); }
  void MovePlanesAway() {
    for (cOpenGLGraph_Grid* plane : {&graph.planeX, &graph.planeY, &graph.planeZ}) {
      plane->origin = {10.0, 10.0, 10.0};
    }
  }

  // The pixel showing p (drawn under the pass's scale) within 2 of (r, g, b).
  testing::AssertionResult ColourAt(Vec3 p, int r, int g, int b, Vec3 scale = {1, 1, 1}) const {
    const QRgb actual = graph.Picture().pixel(ProjectDataPoint(graph, p, scale));
    if (ColourNear(actual, r, g, b))
      return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "at (" << p.x << ", " << p.y << ", " << p.z << ") read (" << qRed(actual) << ", "
           << qGreen(actual) << ", " << qBlue(actual) << "), expected (" << r << ", " << g << ", "
           << b << "); " << Save();
  }

  // Whether a pixel within 2 of the one showing p is white: a one-pixel line
  // may fall on either side of a projected point.
  bool WhiteNear(Vec3 p, Vec3 scale = {1, 1, 1}) const {
    const QPoint centre = ProjectDataPoint(graph, p, scale);
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        if (ColourNear(graph.Picture().pixel(centre + QPoint(dx, dy)), 255, 255, 255))
          return true;
      }
    }
    return false;
  }

  std::string Save() const {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
      if (c == '/')
        c = '_';
    }
    return "picture saved as " +
           SaveForInspection(graph.Picture(), QString::fromStdString(name)).toStdString();
  }

  QWidget panel;
  cOpenGLGraph graph;
};
