// Pictures drawn in tiles and supersampled: put together, tiles give the
// picture drawn in one piece but for pixels here and there on edges; smooth
// edges are the larger picture averaged down, and change the picture only at
// its edges; the scale widens what is painted over the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>

#include <QTemporaryDir>

#include "app/renderfile.h"
#include "formats/rasterlevels.h"
#include "support/bmpwriter.h"
#include "support/projection.h"
#include "support/rasterwriter.h"
#include "support/testfiles.h"

namespace {

int ChannelGap(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b))});
}

// Pixels of a and b (of one size) further apart than tolerance in a channel.
int Differing(const QImage& a, const QImage& b, int tolerance) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x)
      count += ChannelGap(a.pixel(x, y), b.pixel(x, y)) > tolerance ? 1 : 0;
  }
  return count;
}

// The first few pixels of a and b further apart than tolerance, for a
// failure's message.
std::string FirstDifferences(const QImage& a, const QImage& b, int tolerance) {
  std::string text;
  int shown = 0;
  for (int y = 0; y < a.height() && shown < 8; ++y) {
    for (int x = 0; x < a.width() && shown < 8; ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (ChannelGap(p, q) <= tolerance)
        continue;
      ++shown;
      text += "(" + std::to_string(x) + "," + std::to_string(y) + "): " + std::to_string(qRed(p)) +
              " " + std::to_string(qGreen(p)) + " " + std::to_string(qBlue(p)) + " / " +
              std::to_string(qRed(q)) + " " + std::to_string(qGreen(q)) + " " +
              std::to_string(qBlue(q)) + "; ";
    }
  }
  return text;
}

// Whether b is a but for pixels here and there on edges: fewer than 1 in
// 300 differ by more than 2, and no 16 x 16 block holds more than 48 of
// them (a line may move along its length). A tile a pixel out of place
// moves every line and outline in it.
testing::AssertionResult EdgesMovedAtMost(const QImage& a, const QImage& b) {
  constexpr int kBlock = 16;
  int differing = 0;
  for (int by = 0; by < a.height(); by += kBlock) {
    for (int bx = 0; bx < a.width(); bx += kBlock) {
      int inBlock = 0;
      for (int y = by; y < std::min(by + kBlock, a.height()); ++y) {
        for (int x = bx; x < std::min(bx + kBlock, a.width()); ++x)
          inBlock += ChannelGap(a.pixel(x, y), b.pixel(x, y)) > 2 ? 1 : 0;
      }
      if (inBlock > 3 * kBlock)
        return testing::AssertionFailure()
               << inBlock << " pixels differ in the block at (" << bx << ", " << by << ")";
      differing += inBlock;
    }
  }
  if (differing * 300 >= a.width() * a.height())
    return testing::AssertionFailure() << differing << " pixels differ";
  return testing::AssertionSuccess() << differing << " pixels differ";
}

// Each n x n block of large as one pixel, the rounded mean of each channel.
QImage BoxFiltered(const QImage& large, int n) {
  QImage small(large.width() / n, large.height() / n, QImage::Format_RGB32);
  for (int y = 0; y < small.height(); ++y) {
    for (int x = 0; x < small.width(); ++x) {
      int sum[3] = {};
      for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
          const QRgb p = large.pixel(x * n + i, y * n + j);
          sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p);
        }
      }
      const int half = n * n / 2;
      small.setPixel(
          x, y,
          qRgb((sum[0] + half) / (n * n), (sum[1] + half) / (n * n), (sum[2] + half) / (n * n)));
    }
  }
  return small;
}

class PictureTiles : public testing::Test {
 protected:
  void SetUp() override {
    // A curved height field, so that bands, slopes and outlines all show.
    Picture heights{48, 40, {}};
    for (int row = 0; row < heights.height; ++row) {
      for (int col = 0; col < heights.width; ++col) {
        const double x = col / 47.0, y = row / 39.0;
        const auto v = static_cast<std::uint8_t>(255 * (x * x * 0.7 + 0.3 * std::sin(6 * y)));
        heights.pixels.push_back({v, v, v});
      }
    }
    heightsFile = Write("heights.bmp", WriteBmp(heights, {}));
    coloursFile =
        Write("colours.bmp",
              WriteBmp(PatternPicture(20, 10, {{250, 10, 10}, {10, 250, 10}, {40, 40, 240}}), {}));
    // A measured raster held at levels of detail, whose level follows the
    // frame's resolution.
    RasterContent raster;
    raster.columns = 300;
    raster.rows = 260;
    raster.value = [](int c, int r, int) { return 50.0 * std::sin(c / 9.0) * std::cos(r / 13.0); };
    raster.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16"};
    raster.overviews = {2, 4};
    rasterFile = dir.filePath(QStringLiteral("hills.tif"));
    EXPECT_TRUE(WriteRaster(rasterFile, raster));
  }

  QString Write(const char* name, const std::vector<unsigned char>& bytes) {
    return WriteTestFile(dir, QString::fromLatin1(name), bytes);
  }

  // Every kind of edge: a lit surface in a colour map, its flat shadow, the
  // volume of a picture's colours, the grid planes across the cube, axes and
  // colour bar.
  PictureRequest Busy(QSize size) const {
    PictureRequest r;
    r.size = size;
    r.dataFile = heightsFile;
    r.coloursFile = coloursFile;
    r.theta = 3300;
    r.bands = 16;
    r.show[1] = true;
    r.planes[0] = 400, r.planes[1] = 700, r.planes[2] = 200;
    r.look.colourMap = ColourMapKind::kViridis;
    r.look.light = true;
    r.look.axes = r.look.colourBar = true;
    return r;
  }

  static QImage Draw(const PictureRequest& request, int tileLimit = 0, int projectionLimit = 0) {
    cPictureScene scene(request.size);
    scene.View().tileLimit = tileLimit;
    scene.View().projectionLimit = projectionLimit;
    scene.Show(request);
    return scene.Draw().copy();
  }

  static std::string Saved(const QImage& image, const char* name) {
    return SaveForInspection(image, QString::fromLatin1(name)).toStdString();
  }

  QTemporaryDir dir;
  QString heightsFile, coloursFile, rasterFile;
};

// Tiles drawn with the whole frame's projection and viewport, moved under
// each tile, give every vertex the window position it has in one piece, but
// for the last bits of a float: the renderer rounds the position within the
// tile, not within the frame, and now and then a line's or a triangle's edge
// takes the pixel beside. Those are the only differences.
TEST_F(PictureTiles, TilesPutTogetherEqualThePictureDrawnInOnePiece) {
  const struct {
    const char* name;
    bool raster;
    int antialias;
    int tileLimit;
  } rows[] = {
      {"BusyInTilesOf64", false, 1, 64},       {"BusyInTilesOf100", false, 1, 100},
      {"BusySmoothInTilesOf64", false, 2, 64}, {"BusySmoothBy3InTilesOf90", false, 3, 90},
      {"RasterInTilesOf128", true, 1, 128},    {"RasterSmoothInTilesOf96", true, 2, 96},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PictureRequest request = Busy({301, 203});
    // Tiles of 16 cells and a level of 38 x 33 at hand: the detail drawn
    // depends on the frame's pixels.
    std::optional<ScopedLevelSizes> levels;
    if (row.raster) {
      request.dataFile = rasterFile;
      LevelSizes sizes;
      sizes.wholeCells = 0;
      sizes.handCells = 1300;
      sizes.tileSide = 16;
      levels.emplace(sizes);
    }
    request.look.antialias = row.antialias;
    const QImage whole = Draw(request);
    const QImage tiled = Draw(request, row.tileLimit);
    EXPECT_TRUE(EdgesMovedAtMost(whole, tiled)) << FirstDifferences(whole, tiled, 2);
  }
}

// Beyond the largest viewport each tile has a projection of its own part.
TEST_F(PictureTiles, TilesOfTheirOwnProjectionMatchThePictureDrawnInOnePiece) {
  for (const int antialias : {1, 2}) {
    PictureRequest request = Busy({301, 203});
    request.look.antialias = antialias;
    const QImage whole = Draw(request);
    const QImage tiled = Draw(request, 100, 200);
    EXPECT_TRUE(EdgesMovedAtMost(whole, tiled))
        << Saved(whole, "OwnProjectionWhole") << " " << Saved(tiled, "OwnProjectionTiled");
  }
}

// The overlays are painted on the averaged picture, at its size, so they are
// left out here: what is compared is the scene.
TEST_F(PictureTiles, SmoothPictureIsTheLargerOneAveragedAndChangesOnlyEdges) {
  for (const int n : {2, 3}) {
    SCOPED_TRACE(n);
    PictureRequest request = Busy({160, 120});
    request.look.axes = request.look.colourBar = false;
    const QImage plain = Draw(request);
    request.look.antialias = n;
    const QImage smooth = Draw(request);
    // The larger picture draws its lines n times as wide, as the frame of the
    // smooth one does.
    PictureRequest large = request;
    large.look.antialias = 1;
    large.look.scale = n;
    large.size = request.size * n;
    const QImage larger = Draw(large);
    EXPECT_EQ(Differing(smooth, BoxFiltered(larger, n), 2), 0)
        << Saved(smooth, "Smooth") << " " << Saved(BoxFiltered(larger, n), "Averaged");

    // An edge: colours beyond the steps of a shaded slope side by side,
    // within a pixel of (x, y) in the plain picture or within its block
    // and the blocks around it in the larger one (where a thin line may
    // show that the plain picture's pixel centres miss).
    const auto steep = [](const QImage& image, int x, int y, int reach) {
      for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
          const int u = std::clamp(x + dx, 0, image.width() - 1);
          const int v = std::clamp(y + dy, 0, image.height() - 1);
          if (ChannelGap(image.pixel(x, y), image.pixel(u, v)) > 6)
            return true;
        }
      }
      return false;
    };
    const auto nearEdge = [&](int x, int y) {
      if (steep(plain, x, y, 1))
        return true;
      for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
          if (steep(larger, x * n + i, y * n + j, n))
            return true;
        }
      }
      return false;
    };
    int changed = 0, awayFromEdges = 0;
    for (int y = 0; y < plain.height(); ++y) {
      for (int x = 0; x < plain.width(); ++x) {
        if (ChannelGap(plain.pixel(x, y), smooth.pixel(x, y)) <= 2)
          continue;
        ++changed;
        awayFromEdges += nearEdge(x, y) ? 0 : 1;
      }
    }
    EXPECT_GT(changed, 200);
    EXPECT_EQ(awayFromEdges, 0) << Saved(plain, "Plain") << " " << Saved(smooth, "Smooth");
  }
}

// The colour bar's frame, a grey of its own, spans the bar 14 pixels wide
// and a pixel at each side: at scale 2 twice that.
TEST_F(PictureTiles, ScaleWidensWhatIsPaintedOver) {
  const auto frameSpan = [this](double scale) {
    PictureRequest request = Busy({640, 480});
    request.look.axes = false;
    request.look.scale = scale;
    const QImage picture = Draw(request);
    int left = picture.width(), right = -1;
    for (int x = picture.width() / 2; x < picture.width(); ++x) {
      if (ColourNear(picture.pixel(x, picture.height() / 2), 160, 160, 160, 0)) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    return right - left;
  };
  EXPECT_EQ(frameSpan(1), 15);
  EXPECT_NEAR(frameSpan(2), 31, 1);
}

}  // namespace
