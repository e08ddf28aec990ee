#pragma once
// The colour bar: the surface's bands beside the values they stand for, at
// the right edge of the picture, in the data's own terms (brightness for
// pictures, the measured values with their unit, heights for point grids).

#include <vector>

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include "base/colourscale.h"
#include "base/heightvalues.h"

struct ColourBarLabel {
  double value;  // in the data's terms
  QString text;
  QRect box;  // where its text is drawn
  int y;      // the row of the bar it marks
};

struct ColourBarLayout {
  QRect bar;  // the bands, the lowest at the bottom
  std::vector<ColourBarLabel> labels;
  QRect title;  // the unit, above the bar; empty when there is none
  QString titleText;
  // Heights outside the bands' [0, 1] are drawn in the end bands: marked by a
  // triangle beyond the end.
  bool clampedBelow = false;
  bool clampedAbove = false;
};

// Where the bar and its labels go in a picture of size, in font. Labels at
// round values (numbers.h) of the data's range, or of scale's where the
// bands span another (null: the data's), as many as fit without touching
// each other; a logarithmic scale of a decade and more is marked at 1, 2 and
// 5 times its powers of ten, or fewer of them where they would touch.
ColourBarLayout LayOutColourBar(QSize size, const QFont& font, const HeightValues& values,
                                const ColourScale* scale = nullptr);

// Paints the bar of bands (their colours, lowest first) with painter, over
// a picture of size in painter's coordinates.
void PaintColourBar(QPainter& painter, QSize size, const QFont& font, const HeightValues& values,
                    const std::vector<QRgb>& bands, const ColourScale* scale = nullptr);
