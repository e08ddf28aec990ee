// The numbers the picture shows: round values to mark a range, and how each
// is written, for every range a colour bar or an axis may meet.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "base/heightvalues.h"
#include "overlays/colourbar.h"
#include "overlays/numbers.h"

namespace {

TEST(RoundValues, MarkEveryRange) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double low, high;
    std::vector<double> values;
    std::vector<const char*> texts;
  } rows[] = {
      {0, 1, {0, 0.2, 0.4, 0.6, 0.8, 1}, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
      {236, 1076, {400, 600, 800, 1000}, {"400", "600", "800", "1000"}},
      {1076, 236, {400, 600, 800, 1000}, {"400", "600", "800", "1000"}},  // either order
      {-10, 550, {0, 100, 200, 300, 400, 500}, {"0", "100", "200", "300", "400", "500"}},
      {-0.3, 0.25, {-0.3, -0.2, -0.1, 0, 0.1, 0.2}, {"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2"}},
      {1e-9, 5e-9, {1e-9, 2e-9, 3e-9, 4e-9, 5e-9}, {"1e-09", "2e-09", "3e-09", "4e-09", "5e-09"}},
      {0,
       3e9,
       {0, 5e8, 1e9, 1.5e9, 2e9, 2.5e9, 3e9},
       {"0", "5e+08", "1.0e+09", "1.5e+09", "2.0e+09", "2.5e+09", "3.0e+09"}},
      {7.5, 7.5, {7.5}, {"7.5"}},  // a single value
      {0, inf, {}, {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.low << " ... " << r.high);
    const std::vector<double> values = RoundValues(r.low, r.high);
    ASSERT_EQ(values.size(), r.values.size());
    const double step = RoundStep(r.low, r.high);
    for (std::size_t i = 0; i < values.size(); ++i) {
      EXPECT_NEAR(values[i], r.values[i], 1e-12 * std::max(1.0, std::fabs(r.values[i])));
      EXPECT_EQ(FormatNumber(values[i], step).toStdString(), r.texts[i]);
    }
  }
}

TEST(FormatNumber, WritesWhatTheStepNeeds) {
  const struct {
    double value, step;
    const char* text;
  } rows[] = {{0.25, 0.25, "0.25"}, {-0.0001, 0.1, "0.0"},     {1234.5678, 1, "1235"},
              {0.5, 0, "0.5"},      {1.0 / 3, 0.001, "0.333"}, {-2.5, 0.5, "-2.5"}};
  for (const auto& r : rows)
    EXPECT_EQ(FormatNumber(r.value, r.step).toStdString(), r.text) << r.value << " by " << r.step;
}

// The bar's labels are the data's values, where the bands stand for them.
TEST(ColourBar, LabelsTheDatasValues) {
  HeightValues picture;
  picture.source = HeightValues::Source::kPicture;
  HeightValues measured;
  measured.source = HeightValues::Source::kMeasured;
  measured.minimum = 236;
  measured.maximum = 1076;
  measured.unit = QStringLiteral("m");
  HeightValues points;
  points.source = HeightValues::Source::kPointGrid;
  points.minimum = -0.2;
  points.maximum = 0.9;
  const QFont font(QStringLiteral("DejaVu Sans"), 9);
  const struct {
    const HeightValues& values;
    std::vector<double> labels;
    bool below, above, title;
  } rows[] = {{picture, {0, 0.2, 0.4, 0.6, 0.8, 1}, false, false, false},
              {measured, {400, 600, 800, 1000}, false, false, true},
              {points, {0, 0.2, 0.4, 0.6, 0.8, 1}, true, false, false}};
  for (const auto& r : rows) {
    const ColourBarLayout layout = LayOutColourBar(QSize(640, 480), font, r.values);
    ASSERT_EQ(layout.labels.size(), r.labels.size());
    for (std::size_t i = 0; i < r.labels.size(); ++i) {
      EXPECT_NEAR(layout.labels[i].value, r.labels[i], 1e-9);
      // Higher values higher up, within the bar, clear of each other.
      EXPECT_TRUE(layout.bar.top() <= layout.labels[i].y &&
                  layout.labels[i].y <= layout.bar.bottom());
      if (i > 0) {
        EXPECT_LT(layout.labels[i].box.bottom(), layout.labels[i - 1].box.top());
      }
    }
    EXPECT_EQ(layout.clampedBelow, r.below);
    EXPECT_EQ(layout.clampedAbove, r.above);
    EXPECT_EQ(!layout.titleText.isEmpty(), r.title);
    EXPECT_LE(layout.labels.back().box.right(), 640);
  }
}

}  // namespace
