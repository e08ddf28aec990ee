#include "overlays/colourbar.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include "overlays/numbers.h"

namespace {

constexpr int kMargin = 10;  // from the picture's right edge
constexpr int kBarWidth = 14;
constexpr int kGap = 5;  // between the bar and its labels
constexpr int kTickLength = 4;
const QColor kText(235, 235, 235);
const QColor kFrame(160, 160, 160);

ColourBarLayout LayOutScaledBar(QSize size, const QFont& font, const HeightValues& values,
                                const ColourScale& scale);

// The values 1, 2 and 5 times the powers of ten in [low, high] (low > 0), or
// only 1, 3 or 1 times them, or every so many powers, whichever is the first
// to give at most most of them.
std::vector<double> DecadeValues(double low, double high, int most) {
  const int first = static_cast<int>(std::floor(std::log10(low)));
  const int last = static_cast<int>(std::ceil(std::log10(high)));
  const std::vector<std::vector<double>> steps = {{1.0, 2.0, 5.0}, {1.0, 3.0}, {1.0}};
  std::vector<double> marks;
  for (int every = 1;; ++every) {
    for (const std::vector<double>& multiples : steps) {
      marks.clear();
      for (int power = first; power <= last; ++power) {
        if ((power - first) % every != 0)
          continue;
        for (const double m : multiples) {
          const double v = m * std::pow(10.0, power);
          if (v >= low * (1 - 1e-12) && v <= high * (1 + 1e-12))
            marks.push_back(v);
        }
      }
      if (static_cast<int>(marks.size()) <= most || marks.size() <= 2)
        return marks;
    }
  }
}

}  // namespace

ColourBarLayout LayOutColourBar(QSize size, const QFont& font, const HeightValues& values,
                                const ColourScale* scale) {
  return LayOutScaledBar(size, font, values,
                         scale ? *scale : ColourScale{values.Low(), values.High(), false});
}

namespace {

// The bar of the values scale spans: the marks where scale puts them and
// the ends marked clipped where the data reaches beyond them.
ColourBarLayout LayOutScaledBar(QSize size, const QFont& font, const HeightValues& values,
                                const ColourScale& scale) {
  ColourBarLayout layout;
  const QFontMetrics metrics(font);
  const int lineHeight = metrics.height();
  const int barHeight = std::max(size.height() * 3 / 5, 2);
  const int top = (size.height() - barHeight) / 2;
  const int fit = std::max(barHeight / (2 * lineHeight), 1);
  const bool decades = scale.log && scale.high >= 10 * scale.low;
  const std::vector<double> marks = decades ? DecadeValues(scale.low, scale.high, fit)
                                            : RoundValues(scale.low, scale.high, std::min(fit, 5));
  const auto stepOf = [&](double v) {
    if (decades)
      return v == 0.0 ? 1.0 : std::pow(10.0, std::floor(std::log10(v) + 1e-9));
    return marks.size() > 1 ? marks[1] - marks[0]
                            : RoundStep(scale.low, scale.high, std::min(fit, 5));
  };
  int widest = 0;
  for (const double v : marks)
    widest = std::max(widest, metrics.horizontalAdvance(FormatNumber(v, stepOf(v))));
  layout.bar = QRect(size.width() - kMargin - widest - kGap - kBarWidth, top, kBarWidth, barHeight);
  for (const double v : marks) {
    ColourBarLabel label;
    label.value = v;
    label.text = FormatNumber(v, stepOf(v));
    label.y =
        layout.bar.bottom() - static_cast<int>(std::lround(scale.Position(v) * (barHeight - 1)));
    label.box = QRect(layout.bar.right() + 1 + kGap, label.y - lineHeight / 2,
                      metrics.horizontalAdvance(label.text), lineHeight);
    layout.labels.push_back(label);
  }
  if (!values.unit.isEmpty()) {
    layout.titleText = values.unit;
    layout.title = QRect(layout.bar.left(), layout.bar.top() - lineHeight - kGap,
                         metrics.horizontalAdvance(values.unit), lineHeight);
  }
  // Pictures' brightness spans 0 to 1 whatever the picture holds.
  const bool picture = values.source != HeightValues::Source::kMeasured &&
                       values.source != HeightValues::Source::kPointGrid;
  layout.clampedBelow = (picture ? 0.0 : values.minimum) < scale.low;
  layout.clampedAbove = (picture ? 1.0 : values.maximum) > scale.high;
  return layout;
}

}  // namespace

void PaintColourBar(QPainter& painter, QSize size, const QFont& font, const HeightValues& values,
                    const std::vector<QRgb>& bands, const ColourScale* scale) {
  if (bands.empty())
    return;
  const ColourBarLayout layout = LayOutColourBar(size, font, values, scale);
  painter.setFont(font);
  const QRect& bar = layout.bar;
  // Row by row from the bottom, each in the band its height falls in, as the
  // surface's texture looks it up.
  const auto n = static_cast<double>(bands.size());
  for (int row = 0; row < bar.height(); ++row) {
    const double z = (row + 0.5) / bar.height();
    const auto band = std::min(static_cast<std::size_t>(z * n), bands.size() - 1);
    const int y = bar.bottom() - row;
    painter.fillRect(QRect(bar.left(), y, bar.width(), 1), QColor(bands[band]));
  }
  painter.setPen(kFrame);
  painter.drawRect(bar.adjusted(-1, -1, 0, 0));
  painter.setPen(kText);
  for (const ColourBarLabel& label : layout.labels) {
    painter.drawLine(bar.right() + 1, label.y, bar.right() + kTickLength, label.y);
    painter.drawText(label.box, Qt::AlignLeft | Qt::AlignVCenter, label.text);
  }
  if (!layout.titleText.isEmpty())
    painter.drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter, layout.titleText);
  painter.setRenderHint(QPainter::Antialiasing);
  const int middle = bar.center().x() + 1;
  const int half = bar.width() / 2;
  if (layout.clampedAbove) {
    painter.setBrush(QColor(bands.back()));
    painter.drawPolygon(
        QPolygon({QPoint(middle - half, bar.top() - 2), QPoint(middle + half, bar.top() - 2),
                  QPoint(middle, bar.top() - 2 - half)}));
  }
  if (layout.clampedBelow) {
    painter.setBrush(QColor(bands.front()));
    painter.drawPolygon(
        QPolygon({QPoint(middle - half, bar.bottom() + 2), QPoint(middle + half, bar.bottom() + 2),
                  QPoint(middle, bar.bottom() + 2 + half)}));
  }
}
