// The sample a preview draws of a grid: its lines always reach the grid's
// last one and never repeat it (a repeated line would draw empty strips).
#include <gtest/gtest.h>

#include <vector>

#include "objects/gridsample.h"

namespace {

TEST(SampleGrid, KeepsEveryStepthLineAndTheLastOnce) {
  struct Case {
    std::uint32_t n, step;
    std::vector<std::uint32_t> lines;
  };
  const Case cases[] = {
      {1, 4, {0}},       {2, 4, {0, 1}},    {5, 4, {0, 4}},
      {6, 4, {0, 4, 5}}, {9, 4, {0, 4, 8}}, {7, 1, {0, 1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    // A grid of n x 2 points whose x is the column: the sample's x are the
    // columns it kept, its rows the two rows.
    std::vector<Vec3> points;
    for (std::uint32_t r = 0; r < 2; ++r) {
      for (std::uint32_t i = 0; i < c.n; ++i)
        points.push_back({static_cast<double>(i), static_cast<double>(r), 0.0});
    }
    // Each point's shade is its column too, and every point is present.
    std::vector<std::uint8_t> shades;
    for (const Vec3& p : points)
      shades.push_back(static_cast<std::uint8_t>(p.x));
    const std::vector<std::uint8_t> present(points.size(), 1);
    GridSample buffers;
    const GridRef sample = SampleGrid(
        {points.data(), c.n, 2, present.data(), nullptr, shades.data(), 2.0}, c.step, buffers);
    ASSERT_EQ(sample.columns, c.lines.size()) << c.n << " by " << c.step;
    EXPECT_EQ(sample.rows, 2u);
    EXPECT_EQ(sample.zScale, 2.0);
    EXPECT_EQ(sample.colours, nullptr);
    for (std::uint32_t u = 0; u < sample.columns; ++u) {
      EXPECT_EQ(sample.points[u].x, c.lines[u]);
      EXPECT_EQ(sample.points[sample.columns + u].y, 1.0);
      EXPECT_EQ(sample.shades[sample.columns + u], c.lines[u]);
      EXPECT_EQ(sample.present[u], 1);
    }
  }
}

}  // namespace
