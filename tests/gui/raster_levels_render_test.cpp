// Pictures of rasters held at levels of detail: where every cell in view
// spans a pixel or more, byte for byte the picture of the raster read whole;
// where a tile cannot be read its part stays coarse, joined to its
// neighbours without any gap.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "app/formroot.h"
#include "app/renderfile.h"
#include "app/windows.h"
#include "formats/rasterlevels.h"
#include "input/formstatus.h"
#include "support/rasterwriter.h"

namespace {

// Tiles and blocks of 16 cells; level 3 (25 x 19 cells) at hand.
LevelSizes SmallLevels() {
  LevelSizes s;
  s.wholeCells = 0;
  s.handCells = 512;
  s.tileSide = 16;
  return s;
}

// 200 x 150 cells of hills, with a void.
RasterContent Hills(bool overviews) {
  RasterContent raster;
  raster.columns = 200;
  raster.rows = 150;
  raster.noData = -9999.0;
  raster.value = [](int c, int r, int) {
    if (c >= 120 && c < 140 && r >= 40 && r < 52)
      return -9999.0;
    return 300.0 * std::sin(c / 17.0) * std::cos(r / 23.0) + 2.0 * c;
  };
  raster.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16", "COMPRESS=DEFLATE"};
  if (overviews) {
    raster.overviews = {2, 4, 8};
    raster.statistics = true;
  }
  return raster;
}

struct View {
  const char* name;
  int theta, height, zoom;
  Vec3 centre;
  bool light;
  bool flatXY;
};

// Zoomed in until a cell spans several pixels, looking at different parts.
const View kViews[] = {
    {"Middle", 4500, 5000, 1000, {0.5, 0.5, 0.5}, false, false},
    {"CornerLit", 12000, 6000, 800, {0.05, 0.9, 0.2}, true, false},
    {"VoidFromAbove", 0, 8900, 700, {0.65, 0.3, 0.0}, false, false},
    {"ShadowOnTheFloor", 30000, 3000, 1200, {0.8, 0.7, 0.4}, false, true},
};

// From straight above, turned, the surface covers its square whatever its
// heights: a pixel of it that shows anything else is a gap.
const View kTopViews[] = {
    {"Middle", 0, 9000, 1000, {0.5, 0.5, 0.5}, false, false},
    {"TurnedCorner", 3000, 9000, 800, {0.1, 0.85, 0.0}, true, false},
    {"ZoomedOut", 21000, 9000, 3000, {0.5, 0.5, 0.0}, false, false},
};

class RasterPictures : public testing::Test {
 protected:
  static QImage Picture(const QString& file, std::optional<LevelSizes> sizes, const View& v,
                        const PictureLook& look = PictureLook()) {
    std::optional<ScopedLevelSizes> levels;
    if (sizes)
      levels.emplace(*sizes);
    PictureRequest request;
    request.look = look;
    request.theta = v.theta;
    request.height = v.height;
    request.zoom = v.zoom;
    request.centre = v.centre;
    request.look.light = v.light;
    request.show[1] = v.flatXY;
    request.dataFile = file;
    cPictureScene scene(request);
    return scene.Draw().copy();
  }
  QString Write(const char* name, const RasterContent& raster) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(WriteRaster(path, raster));
    return path;
  }
  QTemporaryDir dir;
};

class LevelPictures : public RasterPictures, public testing::WithParamInterface<View> {};

TEST_P(LevelPictures, EqualTheRasterReadWholeWhereCellsSpanPixels) {
  for (const bool overviews : {false, true}) {
    SCOPED_TRACE(overviews ? "with overviews" : "without overviews");
    const QString path = Write("hills.tif", Hills(overviews));
    const QImage whole = Picture(path, std::nullopt, GetParam());
    EXPECT_TRUE(Picture(path, SmallLevels(), GetParam()) == whole);
  }
}

// Blocks that cannot be read keep the level at hand beside tiles of the
// raster's own cells: every pixel of the surface in the whole raster's
// picture, away from the outline of the surface and its void, is still the
// surface's (grey; the floor's grid is green, the background blue).
TEST_F(RasterPictures, CoarseTilesJoinFineOnesWithoutGaps) {
  const QString exactPath = Write("exact.tif", Hills(true));
  const QString brokenPath = Write("broken.tif", Hills(true));
  // A block in four of the 13 x 10, in a checkerboard of twos.
  for (int x = 0; x < 13; x += 2) {
    for (int y = 0; y < 10; y += 2)
      ASSERT_TRUE(BreakBlock(brokenPath, x, y));
  }
  const auto grey = [](QRgb p) { return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p); };
  for (const View& view : kTopViews) {
    SCOPED_TRACE(view.name);
    const QImage exact = Picture(exactPath, std::nullopt, view);
    const QImage mixed = Picture(brokenPath, SmallLevels(), view);
    const auto inside = [&](int x, int y) {
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (!grey(exact.pixel(x + dx, y + dy)))
            return false;
        }
      }
      return true;
    };
    int gaps = 0;
    int covered = 0;
    for (int y = 1; y + 1 < exact.height(); ++y) {
      for (int x = 1; x + 1 < exact.width(); ++x) {
        if (inside(x, y)) {
          ++covered;
          gaps += grey(mixed.pixel(x, y)) ? 0 : 1;
        }
      }
    }
    EXPECT_GT(covered, 10000);
    EXPECT_EQ(gaps, 0);
    EXPECT_FALSE(mixed == exact) << "no tile was left coarse";
  }
}

// A colour range of percentiles counts the raster's own cells, held at
// levels or read whole, into the same bins: the same range, the same
// picture, colour bar and all.
TEST_F(RasterPictures, ColourRangesOfLevelsEqualTheRasterReadWhole) {
  const QString path = Write("hills.tif", Hills(false));
  const struct {
    const char* name;
    ColourRange range;
    bool log;
  } rows[] = {
      {"2-98 %", {ColourRange::Kind::kPercentiles, 2, 98}, false},
      {"0.5-99.5 %, logarithmic", {ColourRange::Kind::kPercentiles, 0.5, 99.5}, true},
      {"values, logarithmic", {ColourRange::Kind::kValues, 50, 600}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PictureLook look;
    look.colourRange = row.range;
    look.logColours = row.log;
    look.colourBar = true;
    const QImage whole = Picture(path, std::nullopt, kViews[0], look);
    EXPECT_TRUE(Picture(path, SmallLevels(), kViews[0], look) == whole);
    EXPECT_FALSE(whole == Picture(path, std::nullopt, kViews[0])) << "the range changed nothing";
  }
}

// In the windows the count runs in the background after the choice and
// after each load; its range is the nearest-rank percentiles of the cells
// 0, 1, ..., 29 999 (column + 200 row): ranks 600 and 29 400, 599 and
// 29 399; of the next file, twice as much, 1198 and 58 798.
TEST_F(RasterPictures, WindowsCountPercentilesOfLevelsInTheBackground) {
  RasterContent ramp;
  ramp.columns = 200;
  ramp.rows = 150;
  ramp.value = [](int c, int r, int) { return c + 200.0 * r; };
  ramp.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16"};
  const QString path = Write("ramp.tif", ramp);
  ramp.value = [](int c, int r, int) { return 2.0 * (c + 200.0 * r); };
  const QString twice = Write("twice.tif", ramp);
  const ScopedLevelSizes levels(SmallLevels());
  const Windows windows = OpenWindows();
  QAction* range = nullptr;
  for (QAction* action : windows.root->lookMenu->Actions()) {
    if (action->text() == QStringLiteral("Colour range"))
      range = action;
  }
  ASSERT_TRUE(range && range->menu());
  for (QAction* item : range->menu()->actions()) {
    if (item->text() == QStringLiteral("2–98 %"))
      item->trigger();
  }
  ASSERT_TRUE(windows.root->overlays);
  const struct {
    const QString& file;
    double low, high;
  } loads[] = {{path, 599, 29399}, {twice, 1198, 58798}};
  for (const auto& load : loads) {
    SCOPED_TRACE(load.file.toStdString());
    windows.status->OpenFile(load.file, false);
    const std::optional<ColourScale>& shown = windows.root->overlays->colourScale;
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown && shown->high > load.high / 2; }, 60000));
    EXPECT_NEAR(shown->low, load.low, 1e-4 * 2 * load.high);
    EXPECT_NEAR(shown->high, load.high, 1e-4 * 2 * load.high);
  }
  // Cancelled, the count leaves the full range shown, and the menu says so.
  windows.status->OpenFile(path, false);
  ASSERT_TRUE(windows.root->loadBar->cancel);
  windows.root->loadBar->cancel();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !windows.root->percentiles->Running(); }, 60000));
  EXPECT_FALSE(windows.root->overlays->colourScale);
  for (QAction* item : range->menu()->actions()) {
    if (item->text() == QStringLiteral("Full")) {
      EXPECT_TRUE(item->isChecked());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Views, LevelPictures, testing::ValuesIn(kViews),
                         [](const testing::TestParamInfo<View>& info) { return info.param.name; });

}  // namespace
