// The grey ramp's tables: band counts, greys, opacities, and copies.
#include <cstdint>

#include <gtest/gtest.h>

#include "objects/greyramp.h"

namespace {

struct Entry {
  int r, g, b, a;
};
Entry EntryOf(const GreyRamp& ramp, std::uint32_t i) {
  const std::uint8_t* e = ramp.Entries() + std::size_t{i} * 4;
  return {e[0], e[1], e[2], e[3]};
}

struct TableCase {
  std::uint32_t levels;
  std::uint32_t size;
  int first, step;  // greys first, first + step, ..., 255
};
void PrintTo(const TableCase& c, std::ostream* os) {
  *os << c.levels << " levels";
}

class RampTable : public testing::TestWithParam<TableCase> {};

TEST_P(RampTable, HoldsEvenlySpacedGreysUpToWhite) {
  const TableCase& c = GetParam();
  for (bool translucent : {false, true}) {
    SCOPED_TRACE(translucent ? "translucent" : "opaque");
    GreyRamp ramp;
    ramp.Build(c.levels, translucent);
    ASSERT_EQ(ramp.Size(), c.size);
    for (std::uint32_t i = 0; i < c.size; ++i) {
      const int grey = c.first + c.step * static_cast<int>(i);
      const Entry e = EntryOf(ramp, i);
      EXPECT_EQ(e.r, grey) << "entry " << i;
      EXPECT_EQ(e.g, grey) << "entry " << i;
      EXPECT_EQ(e.b, grey) << "entry " << i;
      // Opaque tables carry alpha 1 (unused without blending); translucent
      // ones the grey's top three bits, so the densest band is 7/255.
      EXPECT_EQ(e.a, translucent ? grey / 32 : 1) << "entry " << i;
    }
    EXPECT_EQ(EntryOf(ramp, c.size - 1).g, 255);
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, RampTable,
                         testing::Values(TableCase{1, 1, 255, 0}, TableCase{2, 2, 127, 128},
                                         TableCase{3, 2, 127, 128}, TableCase{4, 4, 63, 64},
                                         TableCase{8, 8, 31, 32}, TableCase{16, 16, 15, 16},
                                         TableCase{128, 128, 1, 2}),
                         [](const testing::TestParamInfo<TableCase>& info) {
                           return std::to_string(info.param.levels);
                         });

// Counts up to 2^32 - 1 arrive from callers; the table stops at the ceiling
// instead of asking for gigabytes, and still ends in white.
TEST(GreyRamp, CountsBeyondTheCeilingAreCapped) {
  GreyRamp ramp;
  ramp.Build(0xFFFFFFFFu, false);
  ASSERT_EQ(ramp.Size(), GreyRamp::kMaxSize);
  EXPECT_EQ(EntryOf(ramp, 0).g, 0);
  EXPECT_EQ(EntryOf(ramp, GreyRamp::kMaxSize / 2 - 1).g, 127);
  EXPECT_EQ(EntryOf(ramp, GreyRamp::kMaxSize - 1).g, 255);
}

TEST(GreyRamp, CopiesAreIndependent) {
  GreyRamp original;
  original.Build(4, false);
  GreyRamp copied(original);
  GreyRamp assigned;
  assigned = original;
  original.Build(2, true);

  for (const GreyRamp* ramp : {&copied, &assigned}) {
    ASSERT_EQ(ramp->Size(), 4u);
    EXPECT_NE(ramp->Entries(), original.Entries());
    EXPECT_EQ(EntryOf(*ramp, 0).g, 63);
    EXPECT_EQ(EntryOf(*ramp, 0).a, 1);
  }
}

}  // namespace
