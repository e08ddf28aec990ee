// The Profile window's charts without a window: where the axes' round values
// and a section's samples land in the chart's rectangle, how gaps break the
// curve, and what the cursor reads.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include <QImage>
#include <QPainter>

#include "app/profilechart.h"

namespace {

const double gap = NAN;

Section Of(const std::vector<std::pair<double, double>>& samples) {
  Section section;
  for (const auto& [distance, value] : samples)
    section.samples.push_back({distance, 0.0, 0.0, value});
  return section;
}

// What an axis spans and the labels of its ticks, and one value on it at a
// known fraction of the span.
struct Axis {
  double low, high;
  std::vector<const char*> ticks;
  double known, fraction;
};

class ProfileChart : public testing::Test {
 protected:
  // Where fraction f of an axis lies, as the layout's rectangle puts it: the
  // middle of the first pixel at f = 0, of the last at f = 1.
  double Across(double f) const { return layout.plot.left() + 0.5 + f * (layout.plot.width() - 1); }
  double Up(double f) const { return layout.plot.bottom() + 0.5 - f * (layout.plot.height() - 1); }

  const QFont font{QStringLiteral("DejaVu Sans"), 9};
  ChartLayout layout;
};

// Room above and below the values is a twentieth of their span (a tenth of
// a level value, or 0.5 about zero). A chart of 600 x 300 has room for five
// ticks on each axis, one of 200 x 120 for one.
TEST_F(ProfileChart, PutsRoundValuesAndSamplesWhereTheRectangleSays) {
  const struct {
    const char* name;
    QRect area;
    Section section;
    Axis distance, value;
  } rows[] = {
      {"x plane of a picture",
       QRect(0, 0, 600, 300),
       Of({{0, 0}, {1, 0.2}, {2, 0.4}}),
       {0, 2, {"0.0", "0.5", "1.0", "1.5", "2.0"}, 1, 0.5},
       {-0.02, 0.42, {"0.0", "0.1", "0.2", "0.3", "0.4"}, 0.2, 0.5}},
      {"small and elsewhere",
       QRect(40, 500, 200, 120),
       Of({{0, 0}, {1, 0.2}, {2, 0.4}}),
       {0, 2, {"0", "2"}, 0.5, 0.25},
       {-0.02, 0.42, {"0.0"}, 0.09, 0.25}},
      {"metres with a gap",
       QRect(0, 0, 600, 300),
       Of({{0, 100}, {30, gap}, {60, 130}, {90, 160}}),
       {0, 90, {"0", "20", "40", "60", "80"}, 45, 0.5},
       {97, 163, {"100", "110", "120", "130", "140", "150", "160"}, 130, 0.5}},
      {"level",
       QRect(0, 0, 600, 300),
       Of({{0, 0.5}, {2, 0.5}, {4, 0.5}}),
       {0, 4, {"0", "1", "2", "3", "4"}, 1, 0.25},
       {0.45, 0.55, {"0.46", "0.48", "0.50", "0.52", "0.54"}, 0.5, 0.5}},
      {"one sample at zero",
       QRect(0, 0, 600, 300),
       Of({{3, 0}}),
       {2.5, 3.5, {"2.6", "2.8", "3.0", "3.2", "3.4"}, 3, 0.5},
       {-0.5, 0.5, {"-0.4", "-0.2", "0.0", "0.2", "0.4"}, 0, 0.5}},
      {"gaps only",
       QRect(0, 0, 600, 300),
       Of({{0, gap}, {1, gap}}),
       {0, 1, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}, 0.6, 0.6},
       {0, 1, {}, 0.5, 0.5}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    layout = LayOutChart(row.area, font, row.section);
    EXPECT_TRUE(row.area.contains(layout.plot.adjusted(-1, -1, 1, 1))) << "the frame too";
    EXPECT_EQ(layout.empty, row.value.ticks.empty());
    const auto check = [&](const std::vector<ChartTick>& ticks, const Axis& axis, double low,
                           double high, double known, bool across) {
      EXPECT_NEAR(low, axis.low, 1e-12);
      EXPECT_NEAR(high, axis.high, 1e-12);
      const auto at = [&](double f) { return across ? Across(f) : Up(f); };
      EXPECT_NEAR(known, at(axis.fraction), 1e-9);
      ASSERT_EQ(ticks.size(), axis.ticks.size());
      for (std::size_t k = 0; k < ticks.size(); ++k) {
        EXPECT_EQ(ticks[k].text.toStdString(), axis.ticks[k]);
        const double v = QString::fromLatin1(axis.ticks[k]).toDouble();
        EXPECT_NEAR(ticks[k].value, v, 1e-12);
        EXPECT_EQ(ticks[k].at, static_cast<int>(std::floor(at((v - low) / (high - low)))));
        EXPECT_TRUE(row.area.contains(ticks[k].box));
        EXPECT_FALSE(k > 0 && ticks[k].box.intersects(ticks[k - 1].box)) << axis.ticks[k];
      }
    };
    check(layout.distanceTicks, row.distance, layout.distanceLow, layout.distanceHigh,
          layout.X(row.distance.known), true);
    check(layout.valueTicks, row.value, layout.valueLow, layout.valueHigh,
          layout.Y(row.value.known), false);
    // The middles of the plot's end pixels stand for the axes' ends.
    EXPECT_NEAR(layout.DistanceAt(Across(1)), row.distance.high, 1e-9);
    EXPECT_NEAR(layout.ValueAt(Up(0)), row.value.low, 1e-9);
    for (const QRect& text : {layout.title, layout.distanceTitle, layout.valueTitle})
      EXPECT_TRUE(row.area.contains(text) && !text.intersects(layout.plot));
  }
}

TEST_F(ProfileChart, GapsBreakTheCurveAndTheCursorReadsTheNearestSample) {
  const Section section =
      Of({{0, 1}, {1, 2}, {2, gap}, {3, 4}, {4, gap}, {5, 5}, {6, 6}, {6, 7}, {7, gap}});
  const std::vector<std::pair<std::size_t, std::size_t>> runs = {{0, 1}, {3, 3}, {5, 7}};
  EXPECT_EQ(ValueRuns(section), runs);
  EXPECT_TRUE(ValueRuns(Of({{0, gap}})).empty());

  // Distances 0 to 7 and values 1 to 7 with room, 0.7 to 7.3, both in ticks
  // of 1: the readout in tenths.
  layout = LayOutChart(QRect(0, 0, 600, 300), font, section);
  const struct {
    double at;
    std::optional<std::size_t> nearest;
    const char* says;
  } reads[] = {
      {-3, 0, "distance 0.0, value 1.0"},
      {0.5, 0, "distance 0.0, value 1.0"},  // the first of equals
      {2.2, 2, "distance 2.0, no value"},
      {6.1, 6, "distance 6.0, value 6.0"},  // the first of two at one distance
      {40, 8, "distance 7.0, no value"},
  };
  for (const auto& read : reads) {
    const std::optional<std::size_t> nearest = NearestSample(section, read.at);
    ASSERT_EQ(nearest, read.nearest) << read.at;
    EXPECT_EQ(ChartReadout(layout, section.samples[*nearest]).toStdString(), read.says);
  }
  EXPECT_EQ(NearestSample(Of({}), 1.0), std::nullopt);
}

// Painted: the curve between samples with values, none across a gap, a dot
// for a lone sample, the marker's column at the marked sample.
TEST_F(ProfileChart, PaintsRunsDotsAndTheMarker) {
  const Section section = Of({{0, 0}, {2, 1}, {4, gap}, {6, 0}, {8, gap}, {10, 1}, {12, 0}});
  const QRect area(0, 0, 600, 300);
  QImage picture(area.size(), QImage::Format_RGB32);
  {
    QPainter painter(&picture);
    PaintChart(painter, area, font, section, {}, std::size_t{5});
  }
  layout = LayOutChart(area, font, section);
  const auto pixel = [&](double distance, double value) {
    return picture.pixelColor(static_cast<int>(std::floor(layout.X(distance))),
                              static_cast<int>(std::floor(layout.Y(value))));
  };
  const auto curve = [](const QColor& c) { return c.blue() > c.red() + 60; };
  // A smooth line a pixel wide may fall between the pixel under a point of
  // it and the next.
  const auto nearCurve = [&](double distance, double value) {
    const int x = static_cast<int>(std::floor(layout.X(distance)));
    const int y = static_cast<int>(std::floor(layout.Y(value)));
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (curve(picture.pixelColor(x + dx, y + dy)))
          return true;
    return false;
  };
  EXPECT_TRUE(nearCurve(1, 0.5) && nearCurve(11, 0.5)) << "within the runs";
  EXPECT_TRUE(curve(pixel(6, 0))) << "the lone sample's dot";
  for (const double d : {3.0, 4.0, 5.0, 7.0, 8.0, 9.0}) {
    for (const double v : {0.0, 0.25, 0.5, 0.75, 1.0})
      EXPECT_FALSE(curve(pixel(d, v))) << "across a gap at " << d << ", " << v;
  }
  EXPECT_GT(pixel(10, 0.5).red(), pixel(10, 0.5).blue() + 60) << "the marker's column";
  EXPECT_EQ(picture.pixelColor(area.right(), area.top()), QColor(Qt::white));
}

TEST_F(ProfileChart, TitlesNameTheUnits) {
  HeightValues picture, measured, unitless, points;
  picture.source = HeightValues::Source::kPicture;
  measured.source = unitless.source = HeightValues::Source::kMeasured;
  measured.unit = QStringLiteral("m");
  points.source = HeightValues::Source::kPointGrid;
  const QStringList titles = {DistanceTitle(DistanceUnit::kCells),
                              DistanceTitle(DistanceUnit::kMetres),
                              DistanceTitle(DistanceUnit::kData),
                              ValueTitle(picture),
                              ValueTitle(measured),
                              ValueTitle(unitless),
                              ValueTitle(points),
                              ValueTitle(HeightValues())};
  EXPECT_EQ(titles.join(QStringLiteral("|")).toStdString(),
            "Distance (cells)|Distance (m)|Distance (data units)|Brightness|Value (m)|Value|"
            "Height (data units)|Value");
}

}  // namespace

TEST(PixelColumns, KeepFirstLowestHighestAndLastOfEachColumn) {
  const struct {
    QPolygonF curve;
    QPolygonF kept;
  } rows[] = {
      {{}, {}},
      {{{0.5, 3}}, {{0.5, 3}}},
      // One column: its first, lowest (smallest y), highest and last, in
      // the curve's order.
      {{{0.1, 5}, {0.2, 9}, {0.3, 1}, {0.4, 4}, {0.9, 6}},
       {{0.1, 5}, {0.2, 9}, {0.3, 1}, {0.9, 6}}},
      // Extremes at the ends are kept once.
      {{{2.0, 1}, {2.5, 2}, {2.9, 3}}, {{2.0, 1}, {2.9, 3}}},
      // Each column by itself, whatever the next holds.
      {{{0.2, 1}, {0.7, 1}, {1.1, 7}, {1.5, 0}, {1.6, 3}, {3.0, 2}},
       {{0.2, 1}, {0.7, 1}, {1.1, 7}, {1.5, 0}, {1.6, 3}, {3.0, 2}}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(PixelColumns(row.curve), row.kept) << row.curve.size() << " points";
}
