// The colour range: its text, percentiles counted in bins against the exact
// order statistics, the ranges chosen for a surface's data with the bands
// they divide it into, and the colour bar's marks for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <QFont>

#include "app/colourrange.h"
#include "app/colourrangetext.h"
#include "base/valuehistogram.h"
#include "objects/surface.h"
#include "overlays/colourbar.h"

namespace {

using Kind = ColourRange::Kind;

TEST(ColourRangeText, ReadsRangesAndRefusesTheRest) {
  const struct {
    const char* text;
    bool ok;
    ColourRange want;
  } rows[] = {
      {"full", true, {}},
      {" FULL ", true, {}},
      {"200,9800", true, {Kind::kValues, 200, 9800}},
      {" -5 , 1e2 ", true, {Kind::kValues, -5, 100}},
      {"2%,98%", true, {Kind::kPercentiles, 2, 98}},
      {"0.5 %, 99.5%", true, {Kind::kPercentiles, 0.5, 99.5}},
      {"0%,100%", true, {Kind::kPercentiles, 0, 100}},
      {"100,50", false, {}},   // falling
      {"7,7", false, {}},      // one value
      {"2%,101%", false, {}},  // beyond 100
      {"-1%,50%", false, {}},  // below 0
      {"5%,800", false, {}},   // mixed
      {"", false, {}},         // empty
      {"1,2,3", false, {}},    // three
      {"1;2", false, {}},      // not comma-separated
      {"nan,5", false, {}},    // not finite
      {"0,inf", false, {}},    // not finite
      {"1,5 m", false, {}},    // a unit
      {"2%%,98%", false, {}},  // doubled sign
      {"0,5", true, {Kind::kValues, 0, 5}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const auto read = ReadColourRange(QString::fromUtf8(row.text));
    ASSERT_EQ(std::holds_alternative<ColourRange>(read), row.ok);
    if (!row.ok) {
      EXPECT_TRUE(std::get<QString>(read).contains(QString::fromUtf8(row.text)));
      continue;
    }
    EXPECT_EQ(std::get<ColourRange>(read), row.want);
    // What the menu's "Other…" shows reads back as the same range.
    EXPECT_EQ(std::get<ColourRange>(ReadColourRange(ColourRangeText(row.want))), row.want);
  }
}

// Nearest-rank percentiles of 10 000 random values against the k-th
// smallest found by sorting, k = max(1, ceil(p n / 100)).
TEST(ValueHistogram, PercentilesLieWithinATenThousandthOfTheRange) {
  std::mt19937 random(20240611);
  std::uniform_real_distribution<double> uniform(-50.0, 150.0);
  std::vector<double> values(10000);
  for (double& v : values)
    v = uniform(random);
  // A cluster, so that some bins hold many values.
  for (std::size_t k = 0; k < 2000; ++k)
    values[k] = 20.0 + values[k] / 1000.0;
  const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
  const ValueHistogram counts =
      HistogramOf(values.data(), 1, nullptr, values.size(), *lowest, *highest);
  const double range = *highest - *lowest;
  for (const double p : {0.0, 0.5, 2.0, 50.0, 98.0, 99.5, 100.0}) {
    std::vector<double> sorted = values;
    const auto k = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(p * 100.0)));
    std::nth_element(sorted.begin(), sorted.begin() + (k - 1), sorted.end());
    EXPECT_NEAR(counts.Percentile(p), sorted[k - 1], 1e-4 * range) << "p = " << p;
    if (p == 0.0 || p == 100.0) {
      EXPECT_EQ(counts.Percentile(p), sorted[k - 1]) << "the ends are exact";
    }
  }
}

// Cells left out (present 0, NaN) are not counted; a stride skips the
// other coordinates.
TEST(ValueHistogram, CountsOnlyTheCellsThatHaveAValue) {
  const double xyz[] = {9, 9, 1, 9, 9, NAN, 9, 9, 3, 9, 9, 7, 9, 9, 5};
  const std::uint8_t present[] = {1, 1, 1, 0, 1};
  const ValueHistogram counts = HistogramOf(xyz + 2, 3, present, 5, 0.0, 10.0);
  EXPECT_EQ(counts.count, 3u);
  EXPECT_EQ(counts.minimum, 1.0);
  EXPECT_EQ(counts.maximum, 5.0);
  EXPECT_NEAR(counts.Percentile(50), 3.0, 1e-4 * 10);
}

// A measured raster of values as the loaders hand it over: heights (v -
// minimum) / (maximum - minimum).
void SetRaster(cOpenGLGraph_Surface& surface, const std::vector<double>& v) {
  const auto [lowest, highest] = std::minmax_element(v.begin(), v.end());
  const auto side = static_cast<std::uint32_t>(std::lround(std::sqrt(v.size())));
  std::vector<Vec3> points;
  for (std::size_t k = 0; k < v.size(); ++k)
    points.push_back({double(k % side), double(k / side), (v[k] - *lowest) / (*highest - *lowest)});
  surface.SetGrid(points.data(), side, side, false);
  surface.values.source = HeightValues::Source::kMeasured;
  surface.values.minimum = *lowest;
  surface.values.maximum = *highest;
}

// 1 ... 10 000 with the last a spike of 10^6; 1 % of cells an undeclared
// fill of -9999 and 99 % even from 0 to 1000.
std::vector<double> Spiked() {
  std::vector<double> v(10000);
  for (std::size_t k = 0; k < v.size(); ++k)
    v[k] = k + 1.0;
  v.back() = 1e6;
  return v;
}
std::vector<double> Filled() {
  std::vector<double> v(10000, -9999.0);
  for (std::size_t j = 0; j < 9900; ++j)
    v[100 + j] = 1000.0 * (j + 0.5) / 9900;
  return v;
}

// The share of cells in each of 8 bands, in percent, and the range chosen.
// Worked out by hand: spiked, full: everything below 1 + 999 999 / 8 is band
// 0 (9 999 of 10 000); 2 %, 98 %: ranks 200 and 9 800 are 200 and 9 800,
// bands 1 200 wide, band 0 takes 1 ... 1 399 and band 7 8 600 ... 10 000
// with the spike. Filled, full: the fill alone lies below 7/8 of the range;
// 2 %, 98 %: rank 200 is the 100th even value, 1000 * 99.5 / 9900 = 10.05,
// rank 9 800 the 9 700th, 979.75; bands of 121.2 hold 12.0 % of the cells,
// the end bands 14.0 % with what lies beyond; 0 to 800: bands of 100 hold
// 9.9 %, band 0 the fill besides, band 7 everything from 700 on.
TEST(ColourRange, PercentilesDivideTheCellsIntoBands) {
  const struct {
    const char* name;
    std::vector<double> values;
    ColourRange range;
    double low, high;
    std::vector<double> percent;
  } rows[] = {
      {"spiked, full", Spiked(), {}, 1, 1e6, {99.99, 0, 0, 0, 0, 0, 0, 0.01}},
      {"spiked, 2-98",
       Spiked(),
       {Kind::kPercentiles, 2, 98},
       200,
       9800,
       {14.0, 12.0, 12.0, 12.0, 12.0, 12.0, 12.0, 14.0}},
      {"filled, full", Filled(), {}, -9999, 999.95, {1, 0, 0, 0, 0, 0, 0, 99}},
      {"filled, 2-98",
       Filled(),
       {Kind::kPercentiles, 2, 98},
       10.05,
       979.75,
       {14.0, 12.0, 12.0, 12.0, 12.0, 12.0, 12.0, 14.0}},
      {"filled, values",
       Filled(),
       {Kind::kValues, 0, 800},
       0,
       800,
       {10.9, 9.9, 9.9, 9.9, 9.9, 9.9, 9.9, 29.7}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cOpenGLGraph_Surface surface;
    SetRaster(surface, row.values);
    const ColourChoice choice = ChooseColours(row.range, false, surface);
    EXPECT_TRUE(choice.message.isEmpty()) << choice.message.toStdString();
    const ColourScale scale =
        choice.scale.value_or(ColourScale{surface.values.minimum, surface.values.maximum, false});
    const double range = surface.values.maximum - surface.values.minimum;
    EXPECT_NEAR(scale.low, row.low, 1e-4 * range);
    EXPECT_NEAR(scale.high, row.high, 1e-4 * range);
    std::vector<int> cells(8);
    for (const double v : row.values)
      ++cells[std::clamp(static_cast<int>(std::floor(scale.Position(v) * 8)), 0, 7)];
    for (int band = 0; band < 8; ++band)
      EXPECT_NEAR(cells[band] / 100.0, row.percent[band], 0.2) << "band " << band;
  }
}

// What cannot be had falls back with a message; what can has none.
TEST(ColourRange, FallsBackWhereTheRangeCannotBeHad) {
  const struct {
    const char* name;
    std::vector<double> values;
    ColourRange range;
    bool log;
    std::optional<ColourScale> want;
    const char* message;  // a part of it; empty: none
  } rows[] = {
      {"log of 1 ... 10^6", Spiked(), {}, true, ColourScale{1, 1e6, true}, ""},
      {"log of 1 ... 10 000",
       Spiked(),
       {Kind::kValues, 1, 10000},
       true,
       ColourScale{1, 10000, true},
       ""},
      {"log with -5",
       Spiked(),
       {Kind::kValues, -5, 100},
       true,
       ColourScale{-5, 100, false},
       "Option 'log': the colour range -5 to 100 holds values ≤ 0; the colours stay linear."},
      {"log of the fill", Filled(), {}, true, std::nullopt, "holds values ≤ 0"},
      {"a fill of most cells",
       std::vector<double>(100, -9999.0),
       {Kind::kPercentiles, 2, 98},
       false,
       std::nullopt,
       "the range 2–98 % holds one value (-9999); the full range is kept."},
      {"full, linear", Filled(), {}, false, std::nullopt, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cOpenGLGraph_Surface surface;
    std::vector<double> values = row.values;
    if (values.front() == values.back())
      values.back() += 1.0;  // a raster of one value has no range at all
    SetRaster(surface, values);
    const ColourChoice choice = ChooseColours(row.range, row.log, surface);
    EXPECT_EQ(choice.scale, row.want);
    if (*row.message == '\0') {
      EXPECT_TRUE(choice.message.isEmpty()) << choice.message.toStdString();
    } else {
      EXPECT_TRUE(choice.message.contains(QString::fromUtf8(row.message)))
          << choice.message.toStdString();
    }
  }
}

// Bands by the logarithm: 4 bands of 1 ... 10 000 turn at 10, 100 and 1000.
TEST(ColourScale, LogarithmicBandsTurnAtThePowersOfTen) {
  const ColourScale scale{1, 10000, true};
  const struct {
    double v;
    int band;
  } rows[] = {{0.5, 0}, {-3, 0},  {9.9, 0},  {10.1, 1}, {99, 1},
              {101, 2}, {999, 2}, {1001, 3}, {20000, 3}};
  for (const auto& row : rows) {
    const int band = std::clamp(static_cast<int>(std::floor(scale.Position(row.v) * 4)), 0, 3);
    EXPECT_EQ(band, row.band) << row.v;
  }
}

// The bar of a chosen range: its marks where the scale puts them, the ends
// marked where the data reaches beyond, powers of ten for a logarithmic one.
TEST(ColourBar, MarksTheChosenRange) {
  HeightValues measured;
  measured.source = HeightValues::Source::kMeasured;
  measured.minimum = -9999;
  measured.maximum = 1000;
  const QFont font(QStringLiteral("DejaVu Sans"), 9);
  const struct {
    const char* name;
    ColourScale scale;
    std::vector<double> some;  // among the labels
    bool below, above;
  } rows[] = {
      {"inside", {10, 980, false}, {200, 400, 600, 800}, true, true},
      {"up to the top", {0, 1000, false}, {0, 200, 400, 600, 800, 1000}, true, false},
      {"logarithmic", {1, 1000, true}, {1, 10, 100, 1000}, true, false},
      {"beyond both", {-20000, 2000, false}, {-20000, -10000, 0}, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ColourBarLayout layout = LayOutColourBar(QSize(640, 480), font, measured, &row.scale);
    EXPECT_EQ(layout.clampedBelow, row.below);
    EXPECT_EQ(layout.clampedAbove, row.above);
    for (const double v : row.some) {
      const auto found = std::find_if(layout.labels.begin(), layout.labels.end(),
                                      [v](const ColourBarLabel& l) { return l.value == v; });
      ASSERT_NE(found, layout.labels.end()) << v;
      // Linear: (v - low) / (high - low); logarithmic: its power of ten of 3.
      const double at = row.scale.log ? std::log10(v) / 3
                                      : (v - row.scale.low) / (row.scale.high - row.scale.low);
      EXPECT_EQ(found->y, layout.bar.bottom() - std::lround(at * (layout.bar.height() - 1))) << v;
    }
    for (const ColourBarLabel& label : layout.labels) {
      EXPECT_GE(label.value, row.scale.low);
      EXPECT_LE(label.value, row.scale.high);
    }
  }
}

}  // namespace
