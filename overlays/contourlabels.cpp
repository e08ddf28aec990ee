#include "overlays/contourlabels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "base/viewgeometry.h"
#include "objects/contourlines.h"
#include "overlays/numbers.h"

namespace {

using Corners = std::array<QPointF, 4>;

Corners CornersOf(const QRectF& r) {
  return {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
}

// Whether two convex quadrilaterals overlap: no edge of either separates
// them.
bool Overlap(const Corners& a, const Corners& b) {
  for (const Corners* quad : {&a, &b}) {
    for (int e = 0; e < 4; ++e) {
      const QPointF edge = (*quad)[(e + 1) % 4] - (*quad)[e];
      const QPointF normal(-edge.y(), edge.x());
      const auto span = [&normal](const Corners& q) {
        double low = INFINITY, high = -INFINITY;
        for (const QPointF& p : q) {
          const double d = QPointF::dotProduct(p, normal);
          low = std::min(low, d);
          high = std::max(high, d);
        }
        return std::pair(low, high);
      };
      const auto [aLow, aHigh] = span(a);
      const auto [bLow, bHigh] = span(b);
      if (aHigh <= bLow || bHigh <= aLow)
        return false;
    }
  }
  return true;
}

// A polyline's points by their distance along it.
struct Walk {
  const std::vector<QPointF>& points;
  std::vector<double> along;

  explicit Walk(const std::vector<QPointF>& p) : points(p), along(p.size(), 0.0) {
    for (std::size_t j = 1; j < p.size(); ++j)
      along[j] = along[j - 1] + std::hypot(p[j].x() - p[j - 1].x(), p[j].y() - p[j - 1].y());
  }
  double Length() const { return along.empty() ? 0.0 : along.back(); }
  // The segment holding distance s and the part of the way along it.
  std::pair<std::size_t, double> At(double s) const {
    const auto it = std::upper_bound(along.begin(), along.end(), s);
    std::size_t j = it == along.begin() ? 0 : static_cast<std::size_t>(it - along.begin()) - 1;
    j = std::min(j, points.size() - 2);
    const double part = along[j + 1] - along[j];
    return {j, part > 0 ? std::clamp((s - along[j]) / part, 0.0, 1.0) : 0.0};
  }
  QPointF Point(double s) const {
    const auto [j, t] = At(s);
    return points[j] + t * (points[j + 1] - points[j]);
  }
};

}  // namespace

std::array<QPointF, 4> LabelCorners(const ContourLabel& label) {
  const double r = label.degrees * std::numbers::pi / 180.0;
  const double c = std::cos(r), s = std::sin(r);
  Corners corners = CornersOf(label.box);
  for (QPointF& p : corners)
    p = label.centre + QPointF(p.x() * c - p.y() * s, p.x() * s + p.y() * c);
  return corners;
}

std::vector<ContourLabel> LayOutContourLabels(
    const std::vector<ProjectedLine>& lines, const QFont& font, QSizeF size,
    const std::vector<QRectF>& keepClear,
    const std::function<bool(QPointF at, const Vec3& point)>& visible, double spacing) {
  const QFontMetricsF metrics(font);
  const double height = metrics.height();
  std::vector<Corners> taken;
  for (const QRectF& r : keepClear)
    taken.push_back(CornersOf(r));
  const Corners picture = CornersOf(QRectF(QPointF(0, 0), size));
  std::vector<ContourLabel> labels;
  for (const bool major : {true, false}) {
    for (const ProjectedLine& line : lines) {
      if (line.major != major || line.points.size() < 2)
        continue;
      const Walk walk(line.points);
      const double width = metrics.horizontalAdvance(line.text) + 4.0;
      const double length = walk.Length();
      if (length < width * 1.5)
        continue;
      // The middle first, then further out on both sides.
      std::vector<double> places{length / 2};
      for (double d = spacing; d < length / 2; d += spacing)
        places.insert(places.end(), {length / 2 - d, length / 2 + d});
      for (const double s : places) {
        if (s < width / 2 || s > length - width / 2)
          continue;
        const QPointF from = walk.Point(s - width / 2), to = walk.Point(s + width / 2);
        const QPointF chord = to - from;
        const double chordLength = std::hypot(chord.x(), chord.y());
        if (chordLength < width * 0.8)
          continue;  // bends back on itself under the text
        // Straight enough under the text: no point further than a third of
        // the text's height from the chord.
        bool straight = true;
        const auto [first, firstPart] = walk.At(s - width / 2);
        const auto [last, lastPart] = walk.At(s + width / 2);
        for (std::size_t j = first + 1; j <= last && straight; ++j) {
          const QPointF p = line.points[j] - from;
          straight = std::fabs(p.x() * chord.y() - p.y() * chord.x()) / chordLength < height / 3;
        }
        if (!straight)
          continue;
        double degrees = std::atan2(chord.y(), chord.x()) * 180.0 / std::numbers::pi;
        if (degrees > 90.0)
          degrees -= 180.0;
        else if (degrees <= -90.0)
          degrees += 180.0;
        ContourLabel label{line.text, walk.Point(s), degrees,
                           QRectF(-width / 2, -height / 2, width, height)};
        const Corners corners = LabelCorners(label);
        const bool inside = std::all_of(corners.begin(), corners.end(), [&](const QPointF& p) {
          return picture[0].x() <= p.x() && p.x() <= picture[2].x() && picture[0].y() <= p.y() &&
                 p.y() <= picture[2].y();
        });
        if (!inside || std::any_of(taken.begin(), taken.end(),
                                   [&](const Corners& other) { return Overlap(corners, other); }))
          continue;
        const auto [j, t] = walk.At(s);
        const Vec3 point = line.data[j] + t * (line.data[j + 1] - line.data[j]);
        if (visible && !visible(label.centre, point))
          continue;
        taken.push_back(corners);
        labels.push_back(label);
      }
    }
  }
  return labels;
}

std::vector<ProjectedLine> ProjectContourLines(const ContourLines& lines, const ViewGeometry& view,
                                               double zScale, bool flat) {
  std::vector<ProjectedLine> projected;
  projected.reserve(lines.lines.size());
  const Vec3 scale{1.0, 1.0, flat ? 0.0 : zScale};
  for (const ContourLine& line : lines.lines) {
    ProjectedLine p;
    p.text = FormatNumber(static_cast<double>(line.k) * lines.step, lines.step);
    p.major = ContourLines::Major(line.k);
    for (std::uint32_t j = 0; j < line.count; ++j) {
      const float* f = &lines.points[3 * std::size_t{line.first + j}];
      const Vec3 point{f[0], f[1], f[2]};
      p.data.push_back(point);
      p.points.push_back(view.ToPicture(point, scale));
    }
    projected.push_back(std::move(p));
  }
  return projected;
}

void PaintContourLabels(QPainter& painter, const std::vector<ContourLabel>& labels,
                        const QFont& font) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QFontMetricsF metrics(font);
  for (const ContourLabel& label : labels) {
    QPainterPath text;
    text.addText(label.box.left() + 2.0, label.box.top() + metrics.ascent(), font, label.text);
    painter.save();
    painter.translate(label.centre);
    painter.rotate(label.degrees);
    painter.strokePath(text, QPen(QColor(255, 255, 255), 3.0));
    painter.fillPath(text, QColor(0, 0, 0));
    painter.restore();
  }
  painter.restore();
}
