// Mosaics as GDAL's virtual rasters: four tiles load exactly as the one file
// that holds their cells, read whole or at levels; a VRT that would make
// GDAL reach anything but local rasters of ours is refused, naming what,
// before GDAL opens it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/errors.h"
#include "formats/loadfile.h"
#include "formats/rasterlevels.h"
#include "support/levelcells.h"
#include "support/rasterwriter.h"

namespace {

constexpr int kColumns = 40;
constexpr int kRows = 30;

double Value(int c, int r) {
  return c == 7 && r == 5 ? -9999.0 : 3.0 * c - 2.0 * r + 0.25 * ((c * r) % 7);
}

// A source of a VRT band: the file and the cells it covers.
std::string Source(const std::string& file, int x, int y, int w, int h) {
  const std::string rect = "xOff=\"0\" yOff=\"0\" xSize=\"" + std::to_string(w) + "\" ySize=\"" +
                           std::to_string(h) + "\"";
  const std::string place = "xOff=\"" + std::to_string(x) + "\" yOff=\"" + std::to_string(y) +
                            "\" xSize=\"" + std::to_string(w) + "\" ySize=\"" + std::to_string(h) +
                            "\"";
  return "<SimpleSource><SourceFilename relativeToVRT=\"1\">" + file +
         "</SourceFilename><SourceBand>1</SourceBand><SrcRect " + rect + "/><DstRect " + place +
         "/></SimpleSource>";
}

// A VRT of the whole raster's size with band 1 of the given sources.
std::string Vrt(const std::string& sources, const std::string& band = "",
                const std::string& dataset = "") {
  return "<?xml version=\"1.0\"?>\n<!-- tiles -->\n<VRTDataset rasterXSize=\"40\" "
         "rasterYSize=\"30\"" +
         dataset + "><VRTRasterBand dataType=\"Float32\" band=\"1\"" + band +
         "><NoDataValue>-9999</NoDataValue>" + sources + "</VRTRasterBand></VRTDataset>\n";
}

class VrtMosaic : public testing::Test {
 protected:
  void SetUp() override {
    RasterContent whole;
    whole.columns = kColumns;
    whole.rows = kRows;
    whole.noData = -9999.0;
    whole.value = [](int c, int r, int) { return Value(c, r); };
    ASSERT_TRUE(WriteRaster(Path("whole.tif"), whole));
    for (int ty = 0; ty < 2; ++ty) {
      for (int tx = 0; tx < 2; ++tx) {
        RasterContent tile = whole;
        tile.columns = kColumns / 2;
        tile.rows = kRows / 2;
        tile.value = [tx, ty](int c, int r, int) {
          return Value(c + tx * kColumns / 2, r + ty * kRows / 2);
        };
        ASSERT_TRUE(WriteRaster(Path(Tile(tx, ty).c_str()), tile));
        tiles += Source(Tile(tx, ty), tx * kColumns / 2, ty * kRows / 2, kColumns / 2, kRows / 2);
      }
    }
    Write("notes.tif", "not a raster at all");
    Write("inner.vrt", Vrt(tiles));
  }
  static std::string Tile(int tx, int ty) {
    return "tile" + std::to_string(tx) + std::to_string(ty) + ".tif";
  }
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  QString Write(const char* name, const std::string& text) {
    QFile file(Path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
    return Path(name);
  }

  QTemporaryDir dir;
  std::string tiles;
};

TEST_F(VrtMosaic, FourTilesLoadAsTheOneFile) {
  const QString mosaic = Write("mosaic.vrt", Vrt(tiles));
  {
    const std::optional<HeightFieldGrid> a = ReadMeasuredFile(mosaic);
    const std::optional<HeightFieldGrid> b = ReadMeasuredFile(Path("whole.tif"));
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->columns, kColumns);
    ASSERT_EQ(a->rows, kRows);
    const std::size_t n = std::size_t{kColumns} * kRows;
    EXPECT_EQ(std::memcmp(a->points.get(), b->points.get(), n * sizeof(Vec3)), 0);
    ASSERT_TRUE(a->present && b->present);
    EXPECT_EQ(std::memcmp(a->present.get(), b->present.get(), n), 0);
  }
  // Held at levels, in tiles that straddle the mosaic's: the same cells at
  // every level.
  LevelSizes small;
  small.wholeCells = 0;
  small.handCells = 16;
  small.tileSide = 8;
  const ScopedLevelSizes levels(small);
  const std::optional<HeightFieldGrid> a = ReadMeasuredFile(mosaic);
  const std::optional<HeightFieldGrid> b = ReadMeasuredFile(Path("whole.tif"));
  ASSERT_TRUE(a && a->levels && b && b->levels);
  EXPECT_EQ(a->values.minimum, b->values.minimum);
  EXPECT_EQ(a->values.maximum, b->values.maximum);
  for (int level = 0; level < a->levels->LevelCount(); ++level) {
    SCOPED_TRACE(level);
    const LevelWindow window{level, 0, 0, LevelCells(level, kColumns), LevelCells(level, kRows)};
    const std::vector<double> za = CellsAfterTiles(*a->levels, window);
    const std::vector<double> zb = CellsAfterTiles(*b->levels, window);
    ASSERT_EQ(za.size(), zb.size());
    for (std::size_t k = 0; k < za.size(); ++k) {
      if (std::isnan(zb[k])) {
        EXPECT_TRUE(std::isnan(za[k])) << k;
      } else {
        EXPECT_DOUBLE_EQ(za[k], zb[k]) << k;
      }
    }
  }
}

TEST_F(VrtMosaic, RefusesWhatIsNoLocalRasterOfOurs) {
  const struct {
    const char* name;
    std::string vrt;
    const char* names;  // in the message
  } rows[] = {
      {"archive or network", Vrt(Source("/vsicurl/http://127.0.0.1:9/x.tif", 0, 0, 40, 30)),
       "/vsicurl/"},
      {"address", Vrt(Source("https://example.org/dem.tif", 0, 0, 40, 30)), "https://"},
      {"derived band",
       Vrt(tiles + "<PixelFunctionType>sum</PixelFunctionType>",
           " subClass=\"VRTDerivedRasterBand\""),
       "VRTDerivedRasterBand"},
      {"Python", Vrt(tiles + "<PixelFunctionLanguage>Python</PixelFunctionLanguage>"),
       "PixelFunctionLanguage"},
      {"warped", Vrt(tiles, "", " subClass=\"VRTWarpedDataset\""), "VRTWarpedDataset"},
      {"no raster", Vrt(Source("notes.tif", 0, 0, 40, 30)), "notes.tif"},
      {"another VRT", Vrt(Source("inner.vrt", 0, 0, 40, 30)), "inner.vrt"},
      {"missing", Vrt(Source("gone.tif", 0, 0, 40, 30)), "gone.tif"},
      {"device", Vrt("<SimpleSource><SourceFilename>/dev/zero</SourceFilename></SimpleSource>"),
       "/dev/zero"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QString path = Write("refused.vrt", row.vrt);
    try {
      ReadMeasuredFile(path);
      ADD_FAILURE() << "taken";
    } catch (const cError& error) {
      EXPECT_TRUE(error.Message().contains(QString::fromLatin1(row.names)))
          << error.Message().toStdString();
    }
  }
}

}  // namespace
