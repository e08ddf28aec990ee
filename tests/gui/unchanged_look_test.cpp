// Pictures that must not change while new ways of drawing are added beside
// them, all switched off: each scene's pixels hash to what they hashed to
// before. A change here is a change of every user's picture; when one is
// meant, the new hash is taken with the reason in the commit.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

#include <QCryptographicHash>
#include <QTemporaryDir>

#include "app/renderfile.h"
#include "formats/rasterlevels.h"
#include "support/bmpwriter.h"
#include "support/rasterwriter.h"
#include "support/testfiles.h"

namespace {

class UnchangedLook : public testing::Test {
 protected:
  void SetUp() override {
    Picture heights{96, 64, {}};
    for (int row = 0; row < heights.height; ++row) {
      for (int col = 0; col < heights.width; ++col) {
        const double v = 0.5 + 0.45 * std::sin(col / 9.0) * std::cos(row / 7.0);
        const auto b = static_cast<std::uint8_t>(255 * v);
        heights.pixels.push_back({b, static_cast<std::uint8_t>(b / 2), 200});
      }
    }
    picture = WriteTestFile(dir, QStringLiteral("hills.bmp"), WriteBmp(heights, {}));

    RasterContent raster;
    raster.columns = 120;
    raster.rows = 90;
    raster.noData = -9999.0;
    raster.value = [](int c, int r, int) {
      if (c >= 60 && c < 70 && r >= 30 && r < 38)
        return -9999.0;
      return 400.0 * std::sin(c / 13.0) * std::cos(r / 17.0) + 3.0 * c;
    };
    raster.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16"};
    raster.unit = "m";
    raster.srs = "EPSG:32633";
    raster.geoTransform = std::array<double, 6>{500000, 30, 0, 6650000, 0, -30};
    measured = dir.filePath(QStringLiteral("hills.tif"));
    EXPECT_TRUE(WriteRaster(measured, raster));

    std::string text;
    for (int row = 0; row < 12; ++row) {
      for (int col = 0; col < 15; ++col) {
        const double x = col / 14.0, y = row / 11.0;
        text += std::to_string(x) + ',' + std::to_string(y) + ',' +
                std::to_string(0.3 + 0.6 * x * y) + '\n';
      }
      text += '\n';
    }
    points = WriteTestFile(dir, QStringLiteral("points.txt"),
                           std::vector<unsigned char>(text.begin(), text.end()));
  }

  static std::string Hash(const PictureRequest& request, std::optional<LevelSizes> sizes) {
    std::optional<ScopedLevelSizes> levels;
    if (sizes)
      levels.emplace(*sizes);
    cPictureScene scene(request);
    const QImage image = scene.Draw().convertToFormat(QImage::Format_RGB32);
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(image.constBits()),
                                                   image.sizeInBytes()),
                                    QCryptographicHash::Sha256)
        .toHex()
        .left(16)
        .toStdString();
  }

  QTemporaryDir dir;
  QString picture, measured, points;
};

TEST_F(UnchangedLook, ScenesWithEveryNewWayOfDrawingOffKeepTheirPixels) {
  LevelSizes small;
  small.wholeCells = 0;
  small.handCells = 512;
  small.tileSide = 16;
  const struct {
    const char* name;
    const QString* file;
    std::function<void(PictureRequest&)> change;
    bool levels;
    const char* hash;
  } scenes[] = {
      {"picture", &picture, [](PictureRequest&) {}, false, "843ec222933fb8ec"},
      {"picture, all passes, terrain, bar, axes", &picture,
       [](PictureRequest& r) {
         r.show[1] = r.show[2] = r.show[3] = true;
         r.look.colourMap = ColourMapKind::kTerrain;
         r.look.colourBar = r.look.axes = true;
       },
       false, "2d744f016cfd4c74"},
      {"picture lit, own colours", &picture,
       [](PictureRequest& r) {
         r.look.colourMap = ColourMapKind::kPicture;
         r.look.light = true;
         r.look.zScale = 0.5;
       },
       false, "816673db7003b2c1"},
      {"raster whole, viridis, bar, axes", &measured,
       [](PictureRequest& r) {
         r.look.colourMap = ColourMapKind::kViridis;
         r.look.colourBar = r.look.axes = true;
         r.bands = 32;
       },
       false, "8fc20a564866f277"},
      {"raster at levels, lit from all sides, flat XY", &measured,
       [](PictureRequest& r) {
         r.look.light = r.look.lightSource.allSides = true;
         r.show[1] = true;
         r.zoom = 2000;
       },
       true, "334153ffc05fc2e0"},
      {"point grid, inferno, turned", &points,
       [](PictureRequest& r) {
         r.look.colourMap = ColourMapKind::kInferno;
         r.theta = 12000;
         r.height = 3000;
         r.look.colourBar = true;
       },
       false, "1298d0ff6252e4d7"},
      {"picture smoothed", &picture,
       [](PictureRequest& r) {
         r.look.antialias = 2;
         r.look.light = true;
       },
       false, "aae7f3a3bc0243c6"},
  };
  for (const auto& scene : scenes) {
    SCOPED_TRACE(scene.name);
    PictureRequest request;
    request.size = {320, 240};
    request.dataFile = *scene.file;
    scene.change(request);
    EXPECT_EQ(Hash(request, scene.levels ? std::optional(small) : std::nullopt),
              std::string(scene.hash));
  }
}

}  // namespace
