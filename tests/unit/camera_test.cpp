#include <cmath>

#include <gtest/gtest.h>

#include "base/camera.h"

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;

double ElevationDegrees(const Camera& c) {
  return std::asin(c.eye.y) / kDegree;
}
double AzimuthDegrees(const Camera& c) {
  return std::atan2(c.eye.z, c.eye.x) / kDegree;
}

struct CameraCase {
  long double theta;
  int height, zoom;
  double azimuth, elevation, halfHeight;
};

void PrintTo(const CameraCase& c, std::ostream* os) {
  *os << "bars " << static_cast<double>(c.theta) << ", " << c.height << ", " << c.zoom;
}

class CameraFromBars : public testing::TestWithParam<CameraCase> {};

TEST_P(CameraFromBars, GivesAnglesAndZoom) {
  const CameraCase& c = GetParam();
  Camera camera;
  camera.Aim(c.theta, c.height, c.zoom);
  EXPECT_NEAR(ElevationDegrees(camera), c.elevation, 1e-9);
  if (std::abs(c.elevation) < 89.0) {
    EXPECT_NEAR(AzimuthDegrees(camera), c.azimuth, 1e-9);
  }
  EXPECT_NEAR(camera.zoom, c.halfHeight, 1e-15);
  // The eye stays on the unit sphere.
  EXPECT_NEAR(std::hypot(camera.eye.x, camera.eye.y, camera.eye.z), 1.0, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Bars, CameraFromBars,
                         testing::Values(
                             // Start positions: azimuth 45°, elevation 50°, half-height 1.0002.
                             CameraCase{4500, 5000, 5001, 45.0, 50.0, 1.0002},
                             // The height bar at its minimum looks from below.
                             CameraCase{4500, -8000, 5001, 45.0, -80.0, 1.0002},
                             CameraCase{4500, 8000, 5001, 45.0, 80.0, 1.0002},
                             CameraCase{-9000, 0, 1, -90.0, 0.0, 0.0002},
                             CameraCase{18000, 0, 10001, 180.0, 0.0, 2.0002},
                             CameraCase{0, 0, 5001, 0.0, 0.0, 1.0002},
                             // A turntable's frames: between the bar's steps and
                             // beyond its end (225.5° is -134.5° round the circle).
                             CameraCase{1234.5L, 0, 5001, 12.345, 0.0, 1.0002},
                             CameraCase{22550, 3000, 5001, -134.5, 30.0, 1.0002}));

TEST(CameraFromBars, HeightBarAtMinimumPutsEyeBelowTheCube) {
  Camera camera;
  camera.Aim(4500, -8000, 5001);
  EXPECT_LT(camera.eye.y, -0.98);
}

}  // namespace
