#include "scene/viewgeometry.h"

#include <cmath>

#include "view/frameopengl.h"

namespace {

Vec3 Unit(Vec3 a) {
  const double length = std::sqrt(Dot(a, a));
  return length > 0 ? (1.0 / length) * a : a;
}
// Data space to the space the camera looks at: the cube centred, y and z
// swapped so that data z runs along the camera's up vector; and back.
Vec3 ToWorld(Vec3 p) {
  return {p.x - 0.5, p.z - 0.5, p.y - 0.5};
}
Vec3 ToData(Vec3 w) {
  return {w.x + 0.5, w.z + 0.5, w.y + 0.5};
}
Vec3 DirectionToData(Vec3 w) {
  return {w.x, w.z, w.y};
}

}  // namespace

ViewGeometry::ViewGeometry(const cOpenGLChildWindow& view)
    : eye{view.eye[0], view.eye[1], view.eye[2]},
      halfWidth(view.aspect * view.zoom),
      halfHeight(view.zoom),
      width(view.width),
      height(view.height) {
  const Vec3 centre{view.centre[0], view.centre[1], view.centre[2]};
  forward = Unit(centre - eye);
  side = Unit(Cross(forward, Vec3{view.up[0], view.up[1], view.up[2]}));
  up = Cross(side, forward);
}

QPointF ViewGeometry::ToPicture(Vec3 p, Vec3 scale) const {
  const Vec3 relative = ToWorld({p.x * scale.x, p.y * scale.y, p.z * scale.z}) - eye;
  const double x = (Dot(side, relative) / halfWidth + 1.0) * 0.5 * width;
  const double y = (Dot(up, relative) / halfHeight + 1.0) * 0.5 * height;
  return {x, height - y};
}

double ViewGeometry::Nearness(Vec3 p) const {
  return -Dot(forward, ToWorld(p) - eye);
}

ViewRay ViewGeometry::RayAt(QPointF at) const {
  const double ex = (2.0 * at.x() / width - 1.0) * halfWidth;
  const double ey = (2.0 * (height - at.y()) / height - 1.0) * halfHeight;
  // From the near plane of the view's volume, 100 units behind the eye.
  const Vec3 onNearPlane = eye + ex * side + ey * up - 100.0 * forward;
  return {ToData(onNearPlane), DirectionToData(forward)};
}
