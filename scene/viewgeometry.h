#pragma once
// Where the scene puts data points on the view's picture and which data
// points lie under a pixel, computed from the view's camera in double
// precision with the matrices the scene draws with (orthographic volume,
// look-at camera, the data's y and z swapped, the cube centred), for what is
// painted over the picture and for what is picked from it.

#include <QPointF>

#include "base/vec3.h"

class cOpenGLChildWindow;

// A line of data points that all land on one spot of the picture: origin +
// t direction, t >= 0 from the nearest point drawn, growing away from the
// eye; direction of unit length.
struct ViewRay {
  Vec3 origin;
  Vec3 direction;
};

class ViewGeometry {
 public:
  // The camera and picture size view has now; nothing of the view is kept.
  explicit ViewGeometry(const cOpenGLChildWindow& view);

  // The spot of the picture, in pixels from its top left corner (a pixel's
  // centre at + 1/2), that shows p drawn under a pass's flattening scale.
  QPointF ToPicture(Vec3 p, Vec3 scale = {1, 1, 1}) const;
  // How near p is to the eye, in data units (larger is nearer).
  double Nearness(Vec3 p) const;
  // The data points under the spot at of the picture (3-D pass).
  ViewRay RayAt(QPointF at) const;

  int Width() const { return width; }
  int Height() const { return height; }

 private:
  Vec3 eye, side, up, forward;   // the camera's frame, in the swapped space
  double halfWidth, halfHeight;  // of the visible region, in data units
  int width, height;
};
