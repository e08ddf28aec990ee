#pragma once
// One chart of the Profile window: a section's values over the distance
// along it, in a rectangle, with round values marked on both axes
// (numbers.h), and what the cursor reads off it. No window needed: the
// window paints what this lays out, and Copy and Save paint the same into a
// picture.

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include <QFont>
#include <QPolygonF>
#include <QRect>
#include <QString>

#include "base/heightvalues.h"
#include "objects/sections.h"

class QPainter;

// What a chart's texts say: its name and what its two axes measure.
struct ChartTitles {
  QString chart;     // "x plane"
  QString distance;  // "Distance (cells)"
  QString value;     // "Brightness", "Value (m)"
};

// The distance axis's title for sections measured in unit.
QString DistanceTitle(DistanceUnit unit);
// The value axis's title for the data that values describes, with its unit
// where the file gives one.
QString ValueTitle(const HeightValues& values);

struct ChartTick {
  double value;
  QString text;
  int at;     // the pixel column (distance) or row (value) it marks
  QRect box;  // where its text is drawn
};

struct ChartLayout {
  QRect plot;  // the curve's pixels; the frame lies just outside
  QRect title;
  QRect distanceTitle;
  QRect valueTitle;  // upright; its text runs up the left edge
  // What the plot's edges stand for: the section's distances from end to
  // end, its values with a little room above and below.
  double distanceLow = 0.0;
  double distanceHigh = 1.0;
  double valueLow = 0.0;
  double valueHigh = 1.0;
  // Between two ticks; 0 on an axis without ticks.
  double distanceStep = 0.0;
  double valueStep = 0.0;
  std::vector<ChartTick> distanceTicks;
  std::vector<ChartTick> valueTicks;
  // No sample has a value: the frame and "No section" only.
  bool empty = true;

  // Where a distance or a value lies across or up the plot, in the
  // painter's coordinates (pixel column c spans c to c + 1): the low ends at
  // the middle of the plot's left or bottom pixels, the high ends at the
  // middle of its right or top ones. DistanceAt and ValueAt go back.
  double X(double distance) const;
  double Y(double value) const;
  double DistanceAt(double x) const;
  double ValueAt(double y) const;
};

// Where everything of the chart of section goes in area, in font: round
// values about every 90 pixels across and every 40 up, never asked for more
// than five an axis. Each title gets its row whatever it says.
ChartLayout LayOutChart(const QRect& area, const QFont& font, const Section& section);

// The runs of samples in a row that have a value and a place, first and
// last index of each, in order: a gap sample ends a run, and a run of one
// is a lone sample between gaps.
std::vector<std::pair<std::size_t, std::size_t>> ValueRuns(const Section& section);

// The sample whose distance lies nearest to distance, the first of equals;
// none for a section without samples.
std::optional<std::size_t> NearestSample(const Section& section, double distance);

// What the cursor reads at sample: "distance 1.50, value 0.25" or, in a
// gap, "distance 1.50, no value", each number a digit finer than its axis.
QString ChartReadout(const ChartLayout& layout, const SectionSample& sample);

// The points of a curve that a chart can show, in order: of each run of
// points in one pixel column, the first, the lowest, the highest and the
// last. A curve of many thousand samples is drawn as fast as one of a few
// hundred, and looks the same.
QPolygonF PixelColumns(const QPolygonF& curve);

// Paints the whole chart of section into area (background, frame, ticks,
// titles, the curve), with a marker at sample `marked` if any.
void PaintChart(QPainter& painter, const QRect& area, const QFont& font, const Section& section,
                const ChartTitles& titles, std::optional<std::size_t> marked = std::nullopt);
