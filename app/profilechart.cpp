#include "app/profilechart.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include "overlays/numbers.h"

namespace {

constexpr int kMargin = 6;  // from the area's edges
constexpr int kGap = 3;     // between a text and what it belongs to
constexpr int kTickLength = 4;
// Round values asked for about every so many pixels, and never more than
// kMostTicks: a chart is read for its shape, and its values off the cursor.
constexpr int kDistanceSpacing = 90;
constexpr int kValueSpacing = 40;
constexpr int kMostTicks = 5;
// Room above and below the values, of their span, so that the curve never
// runs along the frame where it cannot be told from it.
constexpr double kValueRoom = 0.05;
constexpr double kDotRadius = 2.0;
constexpr double kMarkRadius = 3.0;

const QColor kBackground(255, 255, 255);
const QColor kText(30, 30, 30);
const QColor kFrame(120, 120, 120);
const QColor kGrid(228, 228, 228);
const QColor kCurve(25, 95, 175);
const QColor kMarker(205, 45, 45);

// A gap, or a distance in metres that could not be measured, has no place
// on the curve.
bool Placed(const SectionSample& sample) {
  return std::isfinite(sample.distance) && std::isfinite(sample.value);
}

struct Span {
  double low, high;
};

// From the first distance to the last; a single one in the middle of a
// span of 1.
Span DistanceSpan(const Section& section) {
  Span span{HUGE_VAL, -HUGE_VAL};
  for (const SectionSample& sample : section.samples) {
    if (std::isfinite(sample.distance)) {
      span.low = std::min(span.low, sample.distance);
      span.high = std::max(span.high, sample.distance);
    }
  }
  if (!(span.low <= span.high))
    return {0.0, 1.0};
  if (span.low == span.high)
    return {span.low - 0.5, span.high + 0.5};
  return span;
}

// The values with room above and below; none without any value.
std::optional<Span> ValueSpan(const Section& section) {
  Span span{HUGE_VAL, -HUGE_VAL};
  for (const SectionSample& sample : section.samples) {
    if (Placed(sample)) {
      span.low = std::min(span.low, sample.value);
      span.high = std::max(span.high, sample.value);
    }
  }
  if (!(span.low <= span.high))
    return std::nullopt;
  // A level section still needs a span to stand in the middle of.
  const double room = span.low < span.high ? kValueRoom * (span.high - span.low)
                      : span.low != 0.0    ? 0.1 * std::fabs(span.low)
                                           : 0.5;
  return Span{span.low - room, span.high + room};
}

// The round values that mark an axis of span over so many pixels, and the
// step between them.
struct Marks {
  std::vector<double> values;
  double step = 0.0;
};

Marks MarksFor(Span span, int pixels, int spacing) {
  const int about = std::clamp(pixels / spacing, 1, kMostTicks);
  return {RoundValues(span.low, span.high, about), RoundStep(span.low, span.high, about)};
}

int WidestText(const Marks& marks, const QFontMetrics& metrics) {
  int widest = 0;
  for (const double v : marks.values)
    widest = std::max(widest, metrics.horizontalAdvance(FormatNumber(v, marks.step)));
  return widest;
}

// Gives the painter back as it came, however the painting ends.
class SavedPainter {
 public:
  explicit SavedPainter(QPainter& painter) : painter(painter) { painter.save(); }
  ~SavedPainter() { painter.restore(); }
  SavedPainter(const SavedPainter&) = delete;
  SavedPainter& operator=(const SavedPainter&) = delete;

 private:
  QPainter& painter;
};

}  // namespace

QString DistanceTitle(DistanceUnit unit) {
  switch (unit) {
    case DistanceUnit::kCells:
      return QStringLiteral("Distance (cells)");
    case DistanceUnit::kMetres:
      return QStringLiteral("Distance (m)");
    case DistanceUnit::kData:
      return QStringLiteral("Distance (data units)");
  }
  return QStringLiteral("Distance");
}

QString ValueTitle(const HeightValues& values) {
  switch (values.source) {
    case HeightValues::Source::kPicture:
      return QStringLiteral("Brightness");
    case HeightValues::Source::kMeasured:
      return values.unit.isEmpty() ? QStringLiteral("Value")
                                   : QStringLiteral("Value (%1)").arg(values.unit);
    case HeightValues::Source::kPointGrid:
      return QStringLiteral("Height (data units)");
    case HeightValues::Source::kNone:
      break;
  }
  return QStringLiteral("Value");
}

double ChartLayout::X(double distance) const {
  return plot.left() + 0.5 +
         (distance - distanceLow) / (distanceHigh - distanceLow) * (plot.width() - 1);
}

double ChartLayout::Y(double value) const {
  return plot.bottom() + 0.5 - (value - valueLow) / (valueHigh - valueLow) * (plot.height() - 1);
}

double ChartLayout::DistanceAt(double x) const {
  return distanceLow + (x - plot.left() - 0.5) / (plot.width() - 1) * (distanceHigh - distanceLow);
}

double ChartLayout::ValueAt(double y) const {
  return valueLow + (plot.bottom() + 0.5 - y) / (plot.height() - 1) * (valueHigh - valueLow);
}

ChartLayout LayOutChart(const QRect& area, const QFont& font, const Section& section) {
  ChartLayout layout;
  const QFontMetrics metrics(font);
  const int line = metrics.height();
  const Span distances = DistanceSpan(section);
  const std::optional<Span> values = ValueSpan(section);
  layout.empty = !values;
  layout.distanceLow = distances.low;
  layout.distanceHigh = distances.high;
  layout.valueLow = values ? values->low : 0.0;
  layout.valueHigh = values ? values->high : 1.0;

  // Rows, top down: the chart's title, the plot in its frame, the distance
  // ticks, their labels, the distance axis's title.
  const int top = area.top() + kMargin + line + kGap + 1;
  const int bottom = area.bottom() - kMargin - 2 * line - 2 * kGap - kTickLength;
  const int height = std::max(2, bottom - top + 1);
  const int labelsTop = top + height + kTickLength + kGap;
  const Marks valueMarks = values ? MarksFor(*values, height, kValueSpacing) : Marks{};

  // Columns, left to right: the value axis's title (upright), the value
  // labels, their ticks, the plot; on the right room for half a distance
  // label, the last standing centred under the plot's last column.
  const int left =
      area.left() + kMargin + line + 2 * kGap + WidestText(valueMarks, metrics) + kTickLength;
  const int roomy = std::max(2, area.right() - kMargin - left);
  const int overhang =
      (WidestText(MarksFor(distances, roomy, kDistanceSpacing), metrics) + 1) / 2 + 1;
  const int width = std::max(2, area.right() - kMargin - overhang - left + 1);
  layout.plot = QRect(left, top, width, height);
  const QRect& plot = layout.plot;

  const Marks distanceMarks = MarksFor(distances, width, kDistanceSpacing);
  layout.distanceStep = distanceMarks.step;
  for (const double d : distanceMarks.values) {
    ChartTick tick{d, FormatNumber(d, distanceMarks.step), 0, QRect()};
    tick.at = std::clamp(static_cast<int>(std::floor(layout.X(d))), plot.left(), plot.right());
    const int w = metrics.horizontalAdvance(tick.text);
    // Kept inside the area where a label would stick out of it.
    const int x = std::max(area.left(), std::min(tick.at - w / 2, area.right() + 1 - w));
    tick.box = QRect(x, labelsTop, w, line);
    layout.distanceTicks.push_back(tick);
  }
  layout.valueStep = valueMarks.step;
  for (const double v : valueMarks.values) {
    ChartTick tick{v, FormatNumber(v, valueMarks.step), 0, QRect()};
    tick.at = std::clamp(static_cast<int>(std::floor(layout.Y(v))), plot.top(), plot.bottom());
    const int w = metrics.horizontalAdvance(tick.text);
    tick.box = QRect(plot.left() - kTickLength - kGap - w, tick.at - line / 2, w, line);
    layout.valueTicks.push_back(tick);
  }
  layout.title = QRect(plot.left(), area.top() + kMargin, plot.width(), line);
  layout.distanceTitle = QRect(plot.left(), labelsTop + line + kGap, plot.width(), line);
  layout.valueTitle = QRect(area.left() + kMargin, plot.top(), line, plot.height());
  return layout;
}

std::vector<std::pair<std::size_t, std::size_t>> ValueRuns(const Section& section) {
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  const std::vector<SectionSample>& samples = section.samples;
  for (std::size_t k = 0; k < samples.size(); ++k) {
    if (!Placed(samples[k]))
      continue;
    const std::size_t first = k;
    while (k + 1 < samples.size() && Placed(samples[k + 1]))
      ++k;
    runs.emplace_back(first, k);
  }
  return runs;
}

std::optional<std::size_t> NearestSample(const Section& section, double distance) {
  std::optional<std::size_t> nearest;
  double off = HUGE_VAL;
  for (std::size_t k = 0; k < section.samples.size(); ++k) {
    // A distance that could not be measured is never nearer (NaN compares
    // false).
    const double d = std::fabs(section.samples[k].distance - distance);
    if (d < off) {
      off = d;
      nearest = k;
    }
  }
  return nearest;
}

QString ChartReadout(const ChartLayout& layout, const SectionSample& sample) {
  const QString where =
      QStringLiteral("distance %1").arg(FormatNumber(sample.distance, layout.distanceStep / 10));
  if (sample.Gap())
    return where + QStringLiteral(", no value");
  return where +
         QStringLiteral(", value %1").arg(FormatNumber(sample.value, layout.valueStep / 10));
}

QPolygonF PixelColumns(const QPolygonF& curve) {
  QPolygonF out;
  for (qsizetype first = 0; first < curve.size();) {
    const double column = std::floor(curve[first].x());
    qsizetype last = first, low = first, high = first;
    while (last + 1 < curve.size() && std::floor(curve[last + 1].x()) == column) {
      ++last;
      if (curve[last].y() < curve[low].y())
        low = last;
      if (curve[last].y() > curve[high].y())
        high = last;
    }
    qsizetype keep[4] = {first, std::min(low, high), std::max(low, high), last};
    for (int k = 0; k < 4; ++k) {
      if (k == 0 || keep[k] != keep[k - 1])
        out << curve[keep[k]];
    }
    first = last + 1;
  }
  return out;
}

void PaintChart(QPainter& painter, const QRect& area, const QFont& font, const Section& section,
                const ChartTitles& titles, std::optional<std::size_t> marked) {
  const SavedPainter saved(painter);
  const ChartLayout layout = LayOutChart(area, font, section);
  const QRect& plot = layout.plot;
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(area, kBackground);
  painter.setFont(font);

  painter.setPen(kGrid);
  for (const ChartTick& tick : layout.distanceTicks)
    painter.drawLine(tick.at, plot.top(), tick.at, plot.bottom());
  for (const ChartTick& tick : layout.valueTicks)
    painter.drawLine(plot.left(), tick.at, plot.right(), tick.at);
  painter.setPen(kFrame);
  painter.drawRect(plot.adjusted(-1, -1, 0, 0));
  for (const ChartTick& tick : layout.distanceTicks)
    painter.drawLine(tick.at, plot.bottom() + 1, tick.at, plot.bottom() + kTickLength);
  for (const ChartTick& tick : layout.valueTicks)
    painter.drawLine(plot.left() - kTickLength, tick.at, plot.left() - 1, tick.at);

  painter.setPen(kText);
  for (const ChartTick& tick : layout.distanceTicks)
    painter.drawText(tick.box, Qt::AlignHCenter | Qt::AlignTop, tick.text);
  for (const ChartTick& tick : layout.valueTicks)
    painter.drawText(tick.box, Qt::AlignRight | Qt::AlignVCenter, tick.text);
  painter.drawText(layout.title, Qt::AlignCenter, titles.chart);
  painter.drawText(layout.distanceTitle, Qt::AlignCenter, titles.distance);
  {
    const SavedPainter upright(painter);
    const QRect& box = layout.valueTitle;
    painter.translate(box.left(), box.bottom() + 1);
    painter.rotate(-90);
    painter.drawText(QRect(0, 0, box.height(), box.width()), Qt::AlignCenter, titles.value);
  }

  painter.setClipRect(plot);
  const std::vector<SectionSample>& samples = section.samples;
  const SectionSample* mark =
      marked && *marked < samples.size() && std::isfinite(samples[*marked].distance)
          ? &samples[*marked]
          : nullptr;
  if (mark) {
    painter.setPen(kMarker);
    const int x = static_cast<int>(std::floor(layout.X(mark->distance)));
    painter.drawLine(x, plot.top(), x, plot.bottom());
  }
  if (layout.empty) {
    painter.setPen(kText);
    painter.drawText(plot, Qt::AlignCenter, QStringLiteral("No section"));
    return;
  }

  painter.setRenderHint(QPainter::Antialiasing, true);
  // A pixel wide: Qt draws such a smooth line directly, and a wider one by
  // filling its outline, 46 times as long for a grainy photograph's section
  // (10 ms a chart), which a slider's every step would wait for.
  QPen curve(kCurve, 1);
  curve.setCosmetic(true);
  painter.setPen(curve);
  for (const auto& [first, last] : ValueRuns(section)) {
    if (first == last) {
      painter.setBrush(kCurve);
      painter.drawEllipse(
          QPointF(layout.X(samples[first].distance), layout.Y(samples[first].value)), kDotRadius,
          kDotRadius);
      continue;
    }
    QPolygonF run;
    run.reserve(static_cast<qsizetype>(last - first + 1));
    for (std::size_t k = first; k <= last; ++k)
      run << QPointF(layout.X(samples[k].distance), layout.Y(samples[k].value));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(PixelColumns(run));
  }
  if (mark && !mark->Gap()) {
    painter.setPen(kMarker);
    painter.setBrush(kMarker);
    painter.drawEllipse(QPointF(layout.X(mark->distance), layout.Y(mark->value)), kMarkRadius,
                        kMarkRadius);
  }
}
