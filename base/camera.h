#pragma once
// The view's camera: an orthographic look at the data cube. The frame's GL
// set-up is given its numbers (glOrtho's box, gluLookAt's eye, centre and up,
// the scene's axis swap), and whatever places data on the picture or finds
// the data under a pixel computes with the same numbers in double precision,
// so that the two never drift apart.
//
// The camera lives in the scene's space: the data cube moved so that its
// centre is the origin, with data y and z swapped so that data z runs along
// the camera's up vector. It looks at centre, the point it turns about, from
// an eye one unit away.

#include <cmath>

#include "base/vec3.h"

struct Camera {
  double zoom = 1.0;    // half-height of the visible region, in data units
  double aspect = 1.0;  // width / height of the picture
  Vec3 eye{2.0, 2.0, 2.0};
  Vec3 centre{0.0, 0.0, 0.0};
  Vec3 up{0.0, 1.0, 0.0};

  // The viewing volume's planes, in data units along the view from the eye.
  // Fixed: wide enough that no part of the cube, nor a surface drawn many
  // times as high, is ever clipped, whatever the zoom; the near plane lies
  // behind the eye, so that an eye on the unit sphere sees all of the cube.
  static constexpr double kNear = -100.0;
  static constexpr double kFar = 400.0;
  // The scene's axis swap (column-major, for glMultMatrixd): data (x, y, z)
  // becomes (x, z, y). The scene then shifts the cube by kCubeShift along
  // every axis, so that its centre is the origin.
  static constexpr double kAxisSwap[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  static constexpr double kCubeShift = -0.5;

  // The camera's orthonormal frame, as gluLookAt builds it: forward from the
  // eye towards the centre, side to the right of the picture, up along its
  // height.
  struct Frame {
    Vec3 side, up, forward;
  };

  // The camera of the main window's scroll bars: theta and height are their
  // positions in hundredths of a degree (azimuth from the data x axis
  // towards y, elevation from the XY plane towards z), zoomPosition times
  // 0.0002 the half-height (ZoomOf). Sets zoom and puts the eye on the unit
  // sphere around centre; the rest stays. theta may lie anywhere and be
  // fractional (a turntable's frames): a whole number of hundredths gives
  // exactly the eye of the bar at that position.
  void Aim(long double theta, int height, int zoomPosition) {
    constexpr long double kQuarterTurn = 1.570796326794895L;
    constexpr long double kPerHundredthDegree = kQuarterTurn * (1.0L / 9000.0L);
    const long double phi = height * kPerHundredthDegree;
    const long double th = theta * kPerHundredthDegree;
    zoom = ZoomOf(zoomPosition);
    // The scene's y is the data z (up).
    eye = centre + Vec3{static_cast<double>(std::cos(th) * std::cos(phi)),
                        static_cast<double>(std::sin(phi)),
                        static_cast<double>(std::sin(th) * std::cos(phi))};
  }
  static double ZoomOf(int zoomPosition) { return static_cast<double>(zoomPosition * 0.0002L); }

  // Moves the look-at point, and the eye with it, by x half-widths to the
  // picture's right and y half-heights up it: what was seen at (x, y) (in
  // the units of ViewGeometry::Normalised) is then seen in the middle.
  void Shift(double x, double y) {
    const Frame frame = Axes();
    const Vec3 by = (x * HalfWidth()) * frame.side + (y * HalfHeight()) * frame.up;
    centre = centre + by;
    eye = eye + by;
  }
  // Zooms to newZoom about the spot (x, y) of the picture (as Shift takes
  // it), so that what is seen there stays there.
  void ZoomAbout(double x, double y, double newZoom) {
    const double keep = 1.0 - newZoom / zoom;
    Shift(keep * x, keep * y);
    zoom = newZoom;
  }
  // Looks at point p of the scene, or at data point p, from the same
  // direction and distance.
  void LookAt(Vec3 p) {
    const Vec3 from = eye - centre;
    centre = p;
    eye = centre + from;
  }
  void LookAtData(Vec3 p) { LookAt(ToScene(p)); }

  double HalfWidth() const { return aspect * zoom; }
  double HalfHeight() const { return zoom; }

  Frame Axes() const {
    const Vec3 forward = Unit(centre - eye);
    const Vec3 side = Unit(Cross(forward, up));
    return {side, Cross(side, forward), forward};
  }

  // Data space to the scene's space and back.
  static Vec3 ToScene(Vec3 p) { return {p.x + kCubeShift, p.z + kCubeShift, p.y + kCubeShift}; }
  static Vec3 ToData(Vec3 s) { return {s.x - kCubeShift, s.z - kCubeShift, s.y - kCubeShift}; }
  static Vec3 DirectionToData(Vec3 s) { return {s.x, s.z, s.y}; }

 private:
  static Vec3 Unit(Vec3 a) {
    const double length = std::sqrt(Dot(a, a));
    return length > 0 ? (1.0 / length) * a : a;
  }
};
