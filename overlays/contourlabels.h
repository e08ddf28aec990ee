#pragma once
// The values of contour lines written along them, as maps write them: the
// text turned along the line where it runs nearly straight, upright rather
// than upside down, the stronger lines first, never over another label, the
// colour bar or the picture's edge, and never where the line is hidden.

#include <functional>
#include <vector>

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

#include "base/vec3.h"

class QPainter;
class ViewGeometry;
struct ContourLines;

// A line as the picture shows it.
struct ProjectedLine {
  QString text;  // the value it lies at
  bool major = false;
  std::vector<QPointF> points;  // on the picture
  std::vector<Vec3> data;       // the same points in data space
};

struct ContourLabel {
  QString text;
  QPointF centre;
  double degrees = 0;  // clockwise on the picture, -90 to 90
  QRectF box;          // the text's box about the origin, before turning
};

// The four corners of label's box as it lies on the picture.
std::array<QPointF, 4> LabelCorners(const ContourLabel& label);

// Labels for lines (majors first, each line at its middle and then every
// spacing pixels of its length on both sides) in a picture of size, clear
// of keepClear's boxes. visible tells whether the line's point on the
// picture at is seen there (not behind nearer relief).
std::vector<ContourLabel> LayOutContourLabels(
    const std::vector<ProjectedLine>& lines, const QFont& font, QSizeF size,
    const std::vector<QRectF>& keepClear,
    const std::function<bool(QPointF at, const Vec3& point)>& visible, double spacing = 250.0);

// The surface's lines as the picture of view shows them: in 3-D at the
// vertical scale zScale, or, flat, on the XY face.
std::vector<ProjectedLine> ProjectContourLines(const ContourLines& lines, const ViewGeometry& view,
                                               double zScale, bool flat);

// Paints labels, dark text in a light halo.
void PaintContourLabels(QPainter& painter, const std::vector<ContourLabel>& labels,
                        const QFont& font);
