#include "support/projection.h"

#include <cmath>
#include <cstdlib>

#include <QDir>

#include "view/frameopengl.h"

namespace {

Vec3 Normalised(Vec3 a) {
  return (1.0 / std::sqrt(Dot(a, a))) * a;
}

// Eye coordinates of data point p: scale, centre the cube, swap y and z, then
// the look-at camera.
Vec3 EyeCoordinates(const cOpenGLChildWindow& view, Vec3 p, Vec3 scale) {
  const Vec3 scaled{p.x * scale.x, p.y * scale.y, p.z * scale.z};
  const Vec3 centred = scaled - Vec3{0.5, 0.5, 0.5};
  const Vec3 world{centred.x, centred.z, centred.y};
  const Vec3 eye{view.eye[0], view.eye[1], view.eye[2]};
  const Vec3 centre{view.centre[0], view.centre[1], view.centre[2]};
  const Vec3 up{view.up[0], view.up[1], view.up[2]};
  const Vec3 f = Normalised(centre - eye);
  const Vec3 s = Normalised(Cross(f, up));
  const Vec3 u = Cross(s, f);
  const Vec3 rel = world - eye;
  return {Dot(s, rel), Dot(u, rel), -Dot(f, rel)};
}

}  // namespace

QPointF ProjectToPicture(const cOpenGLChildWindow& view, Vec3 p, Vec3 scale) {
  const Vec3 e = EyeCoordinates(view, p, scale);
  const double ndcX = e.x / (view.aspect * view.zoom);
  const double ndcY = e.y / view.zoom;
  const double wx = (ndcX + 1.0) * 0.5 * view.width;
  const double wy = (ndcY + 1.0) * 0.5 * view.height;
  return {wx, view.height - wy};
}

QPoint ProjectDataPoint(const cOpenGLChildWindow& view, Vec3 p, Vec3 scale) {
  const QPointF at = ProjectToPicture(view, p, scale);
  return QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
}

double Nearness(const cOpenGLChildWindow& view, Vec3 p) {
  return EyeCoordinates(view, p, {1, 1, 1}).z;
}

bool ColourNear(QRgb actual, int r, int g, int b, int tolerance) {
  return std::abs(qRed(actual) - r) <= tolerance && std::abs(qGreen(actual) - g) <= tolerance &&
         std::abs(qBlue(actual) - b) <= tolerance;
}

QString SaveForInspection(const QImage& image, const QString& name) {
  const QString folder = QStringLiteral(CUBISCOPE_TEST_OUTPUT);
  QDir().mkpath(folder);
  const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
  image.save(path);
  return path;
}
