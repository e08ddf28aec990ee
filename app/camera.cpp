#include "app/camera.h"

#include <cmath>

#include "view/frameopengl.h"

Camera CameraFromScrollBars(int theta, int height, int zoom) {
  constexpr long double kQuarterTurn = 1.570796326794895L;
  constexpr long double kPerHundredthDegree = kQuarterTurn * (1.0L / 9000.0L);
  const long double phi = height * kPerHundredthDegree;
  const long double th = theta * kPerHundredthDegree;
  Camera camera;
  camera.zoom = static_cast<double>(zoom * 0.0002L);
  // The view swaps data y and z, so the camera's y is the data z (up).
  camera.eye[0] = static_cast<double>(std::cos(th) * std::cos(phi));
  camera.eye[1] = static_cast<double>(std::sin(phi));
  camera.eye[2] = static_cast<double>(std::sin(th) * std::cos(phi));
  return camera;
}

void AimView(cOpenGLChildWindow& view, int theta, int height, int zoom) {
  const Camera camera = CameraFromScrollBars(theta, height, zoom);
  view.zoom = camera.zoom;
  for (int i = 0; i < 3; ++i)
    view.eye[i] = camera.eye[i];
}
