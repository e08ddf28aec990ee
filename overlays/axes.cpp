#include "overlays/axes.h"

#include <cmath>
#include <functional>

#include <QFontMetrics>
#include <QPainter>

#include "base/viewgeometry.h"
#include "objects/surface.h"
#include "overlays/numbers.h"

namespace {

constexpr int kTickLength = 5;
constexpr int kLabelGap = 3;
// Beyond this many pixels outside the picture a mark and its label are not
// laid out: nothing of them could show.
constexpr double kReachBeyond = 1000.0;
const QColor kAxisColour(220, 220, 220);

// An axis in the data's terms: the values at the two ends of its edge and
// how a value of it maps to the cube's coordinate along the edge (0 ... 1).
struct Scale {
  double first, last;
  std::function<double(double)> toCube;
};

Scale Linear(double first, double last) {
  return {first, last,
          [first, last](double v) { return first == last ? 0.5 : (v - first) / (last - first); }};
}

// x (axis 0) or y (axis 1) of surface's data along the edge at `across` on
// the other axis (0 or 1 in the cube).
Scale PlaneScale(const cOpenGLGraph_Surface* surface, int axis, double across) {
  if (!surface || !surface->vertices || surface->columns < 2 || surface->rows < 2)
    return Linear(0.0, 1.0);
  const HeightValues& values = surface->values;
  const bool grid = values.source == HeightValues::Source::kPicture ||
                    values.source == HeightValues::Source::kMeasured;
  if (!grid)
    return Linear(0.0, 1.0);
  const double f = values.reduction;
  const double count = axis == 0 ? surface->DataColumns() - 1.0 : surface->DataRows() - 1.0;
  // The original raster's columns or rows at the grid's first and last.
  const double last = count * f;
  if (!values.geoTransform || values.source != HeightValues::Source::kMeasured)
    return Linear(0.0, last);
  // Map coordinates of cell centres along the edge.
  const double otherCount = axis == 0 ? surface->DataRows() - 1.0 : surface->DataColumns() - 1.0;
  const double other = across * otherCount * f + 0.5;
  const auto map = [&](double index) {
    const double c = axis == 0 ? index + 0.5 : other;
    const double r = axis == 0 ? other : index + 0.5;
    return values.MapPoint(c, r)[axis];
  };
  const double a = map(0.0), b = map(last);
  return {a, b, [a, b](double v) { return a == b ? 0.5 : (v - a) / (b - a); }};
}

Scale HeightScale(const cOpenGLGraph_Surface* surface) {
  if (!surface || !surface->vertices)
    return Linear(0.0, 1.0);
  const HeightValues& values = surface->values;
  const double s = surface->ZScale();
  const double low = values.Low();
  const double high = values.High();
  // The edge spans the cube's heights; the surface's are drawn s times as
  // high, so the edge shows the values of 0 ... 1 / s.
  const double top = low == high ? low : low + (high - low) / s;
  return {low, top, [low, high, s](double v) {
            return low == high ? 0.5 * s : (v - low) / (high - low) * s;
          }};
}

bool Overlaps(const QRect& box, const std::vector<QRect>& taken) {
  for (const QRect& other : taken) {
    if (box.intersects(other.adjusted(-2, -2, 2, 2)))
      return true;
  }
  return false;
}

}  // namespace

AxesLayout LayOutAxes(const ViewGeometry& view, const cOpenGLGraph_Surface* surface,
                      const QFont& font) {
  // The bottom edges nearest the eye, and the vertical edge furthest left.
  const double nearY = view.Nearness({0.5, 1.0, 0.0}) > view.Nearness({0.5, 0.0, 0.0}) ? 1 : 0;
  const double nearX = view.Nearness({1.0, 0.5, 0.0}) > view.Nearness({0.0, 0.5, 0.0}) ? 1 : 0;
  Vec3 corner{0, 0, 0};
  double leftmost = 1e300;
  for (const Vec3 c : {Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 1, 0}}) {
    const double x = view.ToPicture(c).x() + view.ToPicture(c + Vec3{0, 0, 1}).x();
    if (x < leftmost) {
      leftmost = x;
      corner = c;
    }
  }
  const Vec3 starts[3] = {{0, nearY, 0}, {nearX, 0, 0}, corner};
  const Vec3 along[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const Scale scales[3] = {PlaneScale(surface, 0, nearY), PlaneScale(surface, 1, nearX),
                           HeightScale(surface)};
  const QPointF centre = view.ToPicture({0.5, 0.5, 0.5});
  const QFontMetrics metrics(font);

  const QRectF reach = QRectF(0, 0, view.Width(), view.Height())
                           .adjusted(-kReachBeyond, -kReachBeyond, kReachBeyond, kReachBeyond);
  AxesLayout layout;
  std::vector<QRect> taken;
  for (int a = 0; a < 3; ++a) {
    const QPointF from = view.ToPicture(starts[a]);
    const QPointF to = view.ToPicture(starts[a] + along[a]);
    layout.edges[a] = QLineF(from, to);
    // Ticks point away from the cube, square to the edge as drawn.
    QPointF normal(-(to.y() - from.y()), to.x() - from.x());
    const double length = std::hypot(normal.x(), normal.y());
    if (length < 1.0)
      continue;  // the edge is seen end on
    normal /= length;
    if (QPointF::dotProduct(normal, (from + to) / 2 - centre) < 0)
      normal = -normal;
    const Scale& scale = scales[a];
    // About one mark per 50 pixels of edge, two to five.
    const int about = std::clamp(static_cast<int>(length / 50), 2, 5);
    const std::vector<double> values = RoundValues(scale.first, scale.last, about);
    const double step = RoundStep(scale.first, scale.last, about);
    for (const double v : values) {
      const double t = scale.toCube(v);
      if (!(t >= -1e-9 && t <= 1 + 1e-9))
        continue;
      AxisTick tick;
      tick.value = v;
      tick.text = FormatNumber(v, step);
      tick.at = view.ToPicture(starts[a] + t * along[a]);
      // Zoomed far in, a mark may lie millions of pixels away, beyond what a
      // QRect can hold; no part of it would be seen.
      if (!reach.contains(tick.at))
        continue;
      tick.end = tick.at + kTickLength * normal;
      const QPointF anchor = tick.end + kLabelGap * normal;
      const QSize size(metrics.horizontalAdvance(tick.text), metrics.height());
      // The text on the side the tick points to.
      const QPointF topLeft(anchor.x() - (1 - normal.x()) * 0.5 * size.width(),
                            anchor.y() - (1 - normal.y()) * 0.5 * size.height());
      tick.box = QRect(topLeft.toPoint(), size);
      if (Overlaps(tick.box, taken))
        continue;
      taken.push_back(tick.box);
      layout.ticks[a].push_back(tick);
    }
  }
  return layout;
}

void PaintAxes(QPainter& painter, const ViewGeometry& view, const cOpenGLGraph_Surface* surface,
               const QFont& font) {
  const AxesLayout layout = LayOutAxes(view, surface, font);
  painter.setFont(font);
  painter.setPen(kAxisColour);
  for (int a = 0; a < 3; ++a) {
    painter.drawLine(layout.edges[a]);
    for (const AxisTick& tick : layout.ticks[a]) {
      painter.drawLine(tick.at, tick.end);
      painter.drawText(tick.box, Qt::AlignCenter, tick.text);
    }
  }
}
