#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "base/parallelrows.h"

namespace {

struct Split {
  std::size_t rows;
  std::size_t itemsPerRow;
};

class RowBlocks : public testing::TestWithParam<Split> {};

// Every row exactly once, whether the array is split or not.
TEST_P(RowBlocks, CoverEveryRowOnce) {
  const Split split = GetParam();
  const auto visits = std::make_unique<std::atomic<int>[]>(split.rows + 1);
  std::atomic<int> badRanges = 0;
  ForEachRowBlock(split.rows, split.itemsPerRow, [&](std::size_t begin, std::size_t end) {
    if (begin > end || end > split.rows)
      ++badRanges;
    for (std::size_t row = begin; row < end && row < split.rows; ++row)
      ++visits[row];
  });
  EXPECT_EQ(badRanges, 0);
  for (std::size_t row = 0; row < split.rows; ++row)
    ASSERT_EQ(visits[row], 1) << "row " << row;
}

INSTANTIATE_TEST_SUITE_P(Sizes, RowBlocks,
                         testing::Values(Split{0, 0}, Split{0, 1 << 20}, Split{1, 1 << 30},
                                         Split{2, 1 << 20}, Split{3, 1 << 20}, Split{7, 1 << 19},
                                         Split{1000, 16}, Split{4097, 4096}, Split{100003, 64}));

}  // namespace
