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
    std::vector<Vec3> sample;
    std::uint32_t columns = 0, rows = 0;
    SampleGrid(points.data(), c.n, 2, c.step, sample, columns, rows);
    ASSERT_EQ(columns, c.lines.size()) << c.n << " by " << c.step;
    EXPECT_EQ(rows, 2u);
    for (std::uint32_t u = 0; u < columns; ++u) {
      EXPECT_EQ(sample[u].x, c.lines[u]);
      EXPECT_EQ(sample[columns + u].y, 1.0);
    }
  }
}

}  // namespace
