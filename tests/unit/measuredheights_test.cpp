// The arithmetic of measured heights without any file: how far a raster is
// reduced, and the heights of values that are all equal.
#include <gtest/gtest.h>

#include <vector>

#include "base/errors.h"
#include "formats/measuredheights.h"
#include "formats/memorylimit.h"

namespace {

TEST(ReductionFactor, GivesTheLargestGridWithinTheLimits) {
  const struct {
    std::uint64_t columns, rows, maxPoints, memory;
    std::uint32_t factor;
  } rows[] = {
      {4096, 4096, std::uint64_t{1} << 28, ~0ull, 1},         // fits whole
      {90, 61, 1000, ~0ull, 3},                               // 30 x 21
      {100, 100, 2500, ~0ull, 2},                             // exactly 50 x 50
      {101, 100, 2500, ~0ull, 3},                             // 51 x 50 would not
      {1000000, 1000000, std::uint64_t{1} << 28, ~0ull, 62},  // 16130 x 16130
      {1000, 1, 10, ~0ull, 100},                              // a single row
      {1000, 1000, ~0ull, 25 * 10000, 10},                    // memory for 100 x 100
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.columns << " x " << r.rows);
    const ScopedMemoryLimit memory(r.memory);
    EXPECT_EQ(ReductionFactor(r.columns, r.rows, r.maxPoints, 25), r.factor);
  }
}

// A 2 x 2 raster of one value.
class Flat : public RasterFile {
 public:
  Flat() {
    header.columns = 2;
    header.rows = 2;
  }
  const RasterHeader& Header() const override { return header; }
  bool Read(RasterWindow, std::uint32_t columns, std::uint32_t rows, double* out,
            std::size_t pointStride, std::size_t rowStride, RasterProgress) override {
    ++reads;
    for (std::uint32_t r = 0; r < rows; ++r) {
      for (std::uint32_t c = 0; c < columns; ++c)
        out[r * rowStride + c * pointStride] = 7.5;
    }
    return true;
  }
  bool MayHoldData(RasterWindow) override { return true; }
  RasterFile* OpenAgain() const override { return nullptr; }
  MapDistances* Ground() const override { return nullptr; }
  RasterHeader header;
  int reads = 0;
};

// A tiny file may claim one block larger than the memory, which the reader
// would allocate whole: refused before anything is read.
TEST(ReadMeasuredHeights, RefusesABlockBeyondTheMemory) {
  Flat flat;
  const ScopedMemoryLimit memory(std::uint64_t{256} << 20);
  for (const std::uint64_t block : {std::uint64_t{256} << 20, std::uint64_t{1} << 63}) {
    flat.header.blockBytes = block;
    EXPECT_THROW(ReadMeasuredHeights(flat, 100), cOutOfMemory);
  }
  EXPECT_EQ(flat.reads, 0);
}

// Two cells of the same value: both at half height, the range one value.
TEST(ReadMeasuredHeights, EqualValuesLieAtHalfHeight) {
  Flat flat;
  const HeightFieldGrid grid = ReadMeasuredHeights(flat, 100);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(grid.points[k].z, 0.5);
  EXPECT_EQ(grid.present, nullptr);
  EXPECT_EQ(grid.values.minimum, 7.5);
  EXPECT_EQ(grid.values.ValueOf(0.5), 7.5);
}

}  // namespace
