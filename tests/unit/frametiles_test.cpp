// How a frame is cut into tiles: whole blocks of the average in each tile,
// every pixel in one tile, and a projection of each tile's own only beyond
// the largest viewport.
#include <gtest/gtest.h>

#include <algorithm>

#include <QImage>

#include "view/frametiles.h"

namespace {

TEST(FramePlan, CutsTheFrameIntoTilesOfWholeBlocks) {
  const struct {
    int width, height, scale, limit, viewport;
    int frameWidth, frameHeight;
    std::size_t tiles;
    int lastWidth, lastHeight;  // the top right tile
    bool ownProjection, plain;
  } rows[] = {
      {640, 480, 1, 16384, 16384, 640, 480, 1, 640, 480, false, true},
      {640, 480, 2, 16384, 16384, 1280, 960, 1, 1280, 960, false, false},
      // 301 x 3 = 903 in tiles of 99 (the limit 100 cut to whole blocks of 3):
      // 10 a row, the last 12 wide; 7 rows, the last 15 high.
      {301, 203, 3, 100, 16384, 903, 609, 10 * 7, 12, 15, false, false},
      {300, 200, 1, 100, 16384, 300, 200, 6, 100, 100, false, false},
      {32768, 100, 1, 16384, 16384, 32768, 100, 2, 16384, 100, true, false},
      {8192, 8192, 4, 16384, 16384, 32768, 32768, 4, 16384, 16384, true, false},
      {7, 5, 4, 4, 16384, 28, 20, 35, 4, 4, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " by " << row.scale);
    const FramePlan plan = PlanFrame(row.width, row.height, row.scale, row.limit, row.viewport);
    EXPECT_EQ(plan.width, row.frameWidth);
    EXPECT_EQ(plan.height, row.frameHeight);
    EXPECT_EQ(plan.ownProjection, row.ownProjection);
    EXPECT_EQ(plan.Plain(), row.plain);
    ASSERT_EQ(plan.tiles.size(), row.tiles);
    EXPECT_EQ(plan.tiles.back().w, row.lastWidth);
    EXPECT_EQ(plan.tiles.back().h, row.lastHeight);
    // Every frame pixel in exactly one tile: tiles inside the frame, apart,
    // and as large as it together; every tile whole blocks.
    long long area = 0;
    for (const FrameTile& t : plan.tiles) {
      EXPECT_EQ(t.x % row.scale + t.y % row.scale + t.w % row.scale + t.h % row.scale, 0);
      EXPECT_LE(std::max(t.w, t.h), row.limit);
      EXPECT_TRUE(t.x >= 0 && t.y >= 0 && t.x + t.w <= plan.width && t.y + t.h <= plan.height);
      area += static_cast<long long>(t.w) * t.h;
      for (const FrameTile& u : plan.tiles) {
        const bool apart =
            u.x >= t.x + t.w || t.x >= u.x + u.w || u.y >= t.y + t.h || t.y >= u.y + u.h;
        EXPECT_TRUE(&u == &t || apart);
      }
    }
    EXPECT_EQ(area, static_cast<long long>(plan.width) * plan.height);
  }
}

// A 2 x 2 tile of blocks of 2: rows come bottom first, the picture top first,
// and each block's mean is rounded.
TEST(FramePlan, PlacesEachBlocksRoundedMeanWhereThePictureShowsIt) {
  const FramePlan plan = PlanFrame(2, 2, 2, 16, 16);
  QImage picture(2, 2, QImage::Format_RGB32);
  picture.fill(Qt::black);
  const unsigned int rows[16] = {
      // bottom row of the frame first: the picture's lower left block is
      // red 10, 11, 12, 12 (mean 11.25 -> 11), its lower right green 1, 2, 2, 2 (1.75 -> 2)
      0x0a0000, 0x0b0000, 0x000100, 0x000200,  //
      0x0c0000, 0x0c0000, 0x000200, 0x000200,  //
      // the upper blocks: blue 255 x 4, and grey 0, 0, 1, 1 (0.5 -> 1)
      0x0000ff, 0x0000ff, 0x000000, 0x000000,  //
      0x0000ff, 0x0000ff, 0x010101, 0x010101,  //
  };
  PlaceTile(plan, plan.tiles.front(), rows, picture);
  EXPECT_EQ(picture.pixel(0, 1), qRgb(11, 0, 0));
  EXPECT_EQ(picture.pixel(1, 1), qRgb(0, 2, 0));
  EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 255));
  EXPECT_EQ(picture.pixel(1, 0), qRgb(1, 1, 1));
}

}  // namespace
