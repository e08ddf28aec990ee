#pragma once
// The camera on a picture of a given size: where data points land in it and
// which data points lie under a pixel, for what is painted over the picture
// and for what is picked from it. These are the frame's model-view (the
// camera's frame, after the scene's axis swap) and orthographic projection,
// followed by the viewport, worked out in double precision.

#include <QPointF>

#include "base/camera.h"
#include "base/vec3.h"

// A line of data points that all land on one spot of the picture: origin +
// t direction, t >= 0 from the nearest point drawn, growing away from the
// eye; direction of unit length.
struct ViewRay {
  Vec3 origin;
  Vec3 direction;
};

class ViewGeometry {
 public:
  // The size may be fractional: overlays drawn at a scale lay out on the
  // picture's size divided by it.
  ViewGeometry(const Camera& camera, double width, double height)
      : camera(camera), frame(camera.Axes()), width(width), height(height) {}

  // The spot of the picture, in pixels from its top left corner (a pixel's
  // centre at + 1/2), that shows p drawn under a pass's flattening scale.
  QPointF ToPicture(Vec3 p, Vec3 scale = {1, 1, 1}) const {
    const Vec3 relative =
        Camera::ToScene({p.x * scale.x, p.y * scale.y, p.z * scale.z}) - camera.eye;
    const double x = (Dot(frame.side, relative) / camera.HalfWidth() + 1.0) * 0.5 * width;
    const double y = (Dot(frame.up, relative) / camera.HalfHeight() + 1.0) * 0.5 * height;
    return {x, height - y};
  }
  // The spot at of the picture as the camera takes it: -1 to 1 from the
  // left edge to the right and from the bottom edge to the top.
  QPointF Normalised(QPointF at) const {
    return {2.0 * at.x() / width - 1.0, 2.0 * (height - at.y()) / height - 1.0};
  }
  // How near p is to the eye, in data units (larger is nearer).
  double Nearness(Vec3 p) const { return -Dot(frame.forward, Camera::ToScene(p) - camera.eye); }
  // The data points under the spot at of the picture (3-D pass), from the
  // near plane of the viewing volume on.
  ViewRay RayAt(QPointF at) const {
    const QPointF spot = Normalised(at);
    const double x = spot.x() * camera.HalfWidth();
    const double y = spot.y() * camera.HalfHeight();
    const Vec3 onNearPlane =
        camera.eye + x * frame.side + y * frame.up + Camera::kNear * frame.forward;
    return {Camera::ToData(onNearPlane), Camera::DirectionToData(frame.forward)};
  }

  double Width() const { return width; }
  double Height() const { return height; }

 private:
  Camera camera;
  Camera::Frame frame;
  double width, height;
};
