#pragma once
// TProfileChart: one chart of the Profile window on screen. It paints its
// section (profilechart.h) at the widget's size and, while the cursor is
// over the plot, marks the sample nearest to it and tells what it reads.

#include <cstddef>
#include <optional>

#include <QPointF>
#include <QWidget>

#include "app/profilechart.h"

class TProfileChart : public QWidget {
  Q_OBJECT

 public:
  explicit TProfileChart(QWidget* parent = nullptr);

  // Shows section under titles from now on; a cursor that stays reads the
  // new curve.
  void Show(Section section, ChartTitles titles);
  const Section& Shown() const { return section; }
  const ChartTitles& Titles() const { return titles; }

  // Where everything goes at the widget's size and font.
  ChartLayout Layout() const;
  // What the cursor reads off the chart now; empty while it is elsewhere.
  const QString& Readout() const { return readout; }

 signals:
  void ReadoutChanged(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The marked sample and the readout anew for the cursor and the section.
  void Follow();

  Section section;
  ChartTitles titles;
  std::optional<QPointF> cursor;
  std::optional<std::size_t> marked;
  QString readout;
};
