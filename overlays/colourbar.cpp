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

}  // namespace

ColourBarLayout LayOutColourBar(QSize size, const QFont& font, const HeightValues& values) {
  ColourBarLayout layout;
  const QFontMetrics metrics(font);
  const int lineHeight = metrics.height();
  const int barHeight = std::max(size.height() * 3 / 5, 2);
  const int top = (size.height() - barHeight) / 2;

  const double low = values.Low();
  const double high = values.High();
  // As many round values as fit with a line between each two.
  int about = std::clamp(barHeight / (2 * lineHeight), 1, 5);
  std::vector<double> marks = RoundValues(low, high, about);
  const double step = marks.size() > 1 ? marks[1] - marks[0] : RoundStep(low, high, about);
  int widest = 0;
  for (const double v : marks)
    widest = std::max(widest, metrics.horizontalAdvance(FormatNumber(v, step)));
  layout.bar = QRect(size.width() - kMargin - widest - kGap - kBarWidth, top, kBarWidth, barHeight);

  for (const double v : marks) {
    const double z = high == low ? 0.5 : (v - low) / (high - low);
    ColourBarLabel label;
    label.value = v;
    label.text = FormatNumber(v, step);
    label.y = layout.bar.bottom() - static_cast<int>(std::lround(z * (barHeight - 1)));
    label.box = QRect(layout.bar.right() + 1 + kGap, label.y - lineHeight / 2,
                      metrics.horizontalAdvance(label.text), lineHeight);
    layout.labels.push_back(label);
  }
  if (!values.unit.isEmpty()) {
    layout.titleText = values.unit;
    layout.title = QRect(layout.bar.left(), layout.bar.top() - lineHeight - kGap,
                         metrics.horizontalAdvance(values.unit), lineHeight);
  }
  if (values.source == HeightValues::Source::kPointGrid) {
    layout.clampedBelow = values.minimum < 0.0;
    layout.clampedAbove = values.maximum > 1.0;
  }
  return layout;
}

void PaintColourBar(QPainter& painter, QSize size, const QFont& font, const HeightValues& values,
                    const std::vector<QRgb>& bands) {
  if (bands.empty())
    return;
  const ColourBarLayout layout = LayOutColourBar(size, font, values);
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
