// The contour lines' labels: where they may go and where they may not.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include <QPolygonF>

#include "overlays/contourlabels.h"

namespace {

// A straight line from a to b in n steps, its data points all at the origin.
ProjectedLine Straight(QPointF a, QPointF b, const char* text, bool major = false) {
  ProjectedLine line{QString::fromLatin1(text), major, {}, {}};
  for (int j = 0; j <= 20; ++j) {
    line.points.push_back(a + (b - a) * (j / 20.0));
    line.data.push_back({0, 0, 0});
  }
  return line;
}

QPolygonF Polygon(const ContourLabel& label) {
  const auto corners = LabelCorners(label);
  return QPolygonF({corners[0], corners[1], corners[2], corners[3], corners[0]});
}

QFont Font() {
  QFont font;
  font.setPixelSize(12);
  return font;
}

const auto kSeen = [](QPointF, const Vec3&) { return true; };

TEST(ContourLabels, NeverMeetEachOtherTheKeptBoxesOrTheEdge) {
  // Twenty lines 10 px apart, closer than a label is high, across a bar.
  std::vector<ProjectedLine> lines;
  for (int k = 0; k < 20; ++k)
    lines.push_back(Straight({10, 20.0 + 10 * k}, {590, 40.0 + 10 * k}, "123.5", k % 5 == 0));
  const QRectF bar(500, 0, 100, 300);
  const QSizeF size(600, 260);
  const auto labels = LayOutContourLabels(lines, Font(), size, {bar}, kSeen);
  ASSERT_GE(labels.size(), 3u);
  for (std::size_t a = 0; a < labels.size(); ++a) {
    const QPolygonF box = Polygon(labels[a]);
    EXPECT_FALSE(box.intersects(QPolygonF(bar))) << a;
    EXPECT_TRUE(QRectF(QPointF(0, 0), size).contains(box.boundingRect())) << a;
    for (std::size_t b = a + 1; b < labels.size(); ++b)
      EXPECT_FALSE(box.intersects(Polygon(labels[b]))) << a << " and " << b;
    // The line rises 20 px over 580.
    EXPECT_NEAR(labels[a].degrees, std::atan2(20.0, 580.0) * 180 / std::numbers::pi, 0.01);
  }
  // The stronger lines (every fifth) go first: the first label is on one.
  const QPointF first = labels[0].centre;
  const double k = (first.y() - 20 - 20 * (first.x() - 10) / 580) / 10;
  EXPECT_NEAR(k, std::round(k), 0.01);
  EXPECT_EQ(std::lround(k) % 5, 0);
}

TEST(ContourLabels, StandUprightFollowTheLineAndSkipBendsAndHiddenPlaces) {
  const QSizeF size(400, 400);
  const struct {
    const char* name;
    ProjectedLine line;
    bool seen;
    int labels;
    double degrees;
  } rows[] = {
      {"left to right", Straight({50, 200}, {350, 200}, "10"), true, 1, 0},
      {"right to left, upright all the same", Straight({350, 200}, {50, 200}, "10"), true, 1, 0},
      {"down the picture", Straight({200, 50}, {200, 350}, "10"), true, 1, 90},
      {"up the picture", Straight({200, 350}, {200, 50}, "10"), true, 1, 90},
      {"rising at 45 degrees", Straight({50, 350}, {350, 50}, "10"), true, 1, -45},
      {"hidden", Straight({50, 200}, {350, 200}, "10"), false, 0, 0},
      {"too short", Straight({190, 200}, {205, 200}, "10"), true, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto labels = LayOutContourLabels({row.line}, Font(), size, {},
                                            [&row](QPointF, const Vec3&) { return row.seen; });
    ASSERT_EQ(static_cast<int>(labels.size()), row.labels);
    if (row.labels) {
      EXPECT_NEAR(labels[0].degrees, row.degrees, 0.01);
      EXPECT_NEAR(labels[0].centre.x(), 200, 0.5);
      EXPECT_NEAR(labels[0].centre.y(), 200, 0.5);
    }
  }
  // A zigzag of 20 px teeth every 10 px bends under any label.
  ProjectedLine zigzag{QStringLiteral("10"), false, {}, {}};
  for (int j = 0; j <= 30; ++j) {
    zigzag.points.push_back({50.0 + 10 * j, j % 2 ? 220.0 : 200.0});
    zigzag.data.push_back({0, 0, 0});
  }
  EXPECT_TRUE(LayOutContourLabels({zigzag}, Font(), size, {}, kSeen).empty());
}

}  // namespace
