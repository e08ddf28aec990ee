#include "app/profilechartview.h"

#include <cmath>
#include <utility>

#include <QMouseEvent>
#include <QPainter>

#include "view/handlerguard.h"

TProfileChart::TProfileChart(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The charts share whatever room the window has; the readout line below
  // them keeps its one line.
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMinimumSize(160, 100);
}

void TProfileChart::Show(Section s, ChartTitles t) {
  section = std::move(s);
  titles = std::move(t);
  Follow();
  update();
}

ChartLayout TProfileChart::Layout() const {
  return LayOutChart(rect(), font(), section);
}

void TProfileChart::Follow() {
  std::optional<std::size_t> now;
  QString text;
  if (cursor) {
    const ChartLayout layout = Layout();
    // The pixel under the cursor, at its middle; only over the plot.
    const int x = static_cast<int>(std::floor(cursor->x()));
    const int y = static_cast<int>(std::floor(cursor->y()));
    if (layout.plot.contains(x, y))
      now = NearestSample(section, layout.DistanceAt(x + 0.5));
    if (now)
      text = ChartReadout(layout, section.samples[*now]);
  }
  marked = now;
  if (text != readout) {
    readout = text;
    emit ReadoutChanged(readout);
  }
}

void TProfileChart::paintEvent(QPaintEvent*) {
  RunHandler([this] {
    QPainter painter(this);
    PaintChart(painter, rect(), font(), section, titles, marked);
  });
}

void TProfileChart::mouseMoveEvent(QMouseEvent* event) {
  RunHandler([this, event] {
    cursor = event->position();
    const std::optional<std::size_t> before = marked;
    Follow();
    if (marked != before)
      update();
  });
}

void TProfileChart::leaveEvent(QEvent*) {
  RunHandler([this] {
    cursor.reset();
    Follow();
    update();
  });
}
