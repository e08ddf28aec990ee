// Rasters of measured values, written by GDAL's own drivers, through every way
// in: each loads with its size, its values' range and unit, and its missing
// cells, or stays the picture or point grid it is; nothing is written beside
// the file; broken rasters change nothing.
#include <cmath>
#include <limits>

#include <QSignalSpy>

#include "app/renderfile.h"
#include "app/windows.h"
#include "formats/measuredheights.h"
#include "formats/rasterlevels.h"
#include "formats/rastermodule.h"
#include "loaders.h"
#include "scene/finaldetail.h"
#include "support/allocations.h"
#include "support/projection.h"
#include "support/rasterwriter.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::array<double, 6> kUtm{500000.0, 30.0, 0.0, 4100000.0, 0.0, -30.0};

// A cell and the value it holds (NaN: none).
struct Cell {
  int column, row;
  double value;
};

struct RasterCase {
  const char* name;
  const char* file;
  RasterContent raster;  // written through GDAL, unless text is given
  const char* text;      // written as it stands
  HeightValues::Source source;
  double minimum, maximum;  // of a measured raster's values
  const char* unit;
  std::vector<Cell> cells;  // a few cells, the missing ones among them
};
void PrintTo(const RasterCase& c, std::ostream* os) {
  *os << c.name;
}

RasterContent Content(int type, std::function<double(int, int, int)> value) {
  RasterContent raster;
  raster.type = type;
  raster.value = std::move(value);
  return raster;
}

// GDALDataType values.
enum Type { kByte = 1, kUInt16 = 2, kInt16 = 3, kInt32 = 5, kFloat32 = 6, kFloat64 = 7 };

std::vector<RasterCase> Cases() {
  using S = HeightValues::Source;
  std::vector<RasterCase> cases;
  {
    // Sea floor below zero, and a void.
    RasterContent s = Content(kInt16, [](int c, int r, int) {
      return c == 3 && r == 2 ? -9999.0 : 10.0 * (c - 2) + 100.0 * r;
    });
    s.noData = -9999;
    s.unit = "m";
    cases.push_back({"Int16",
                     "dem.tif",
                     s,
                     nullptr,
                     S::kMeasured,
                     -20,
                     550,
                     "m",
                     {{1, 0, -10}, {2, 0, 0}, {3, 2, kNaN}, {7, 5, 550}}});
  }
  {
    // A 0 ... 3000 m model in unsigned samples: values, not brightness.
    RasterContent s =
        Content(kUInt16, [](int c, int r, int) { return 1000.0 + 200.0 * c + 300.0 * r; });
    s.geoTransform = kUtm;
    s.unit = "m";
    cases.push_back({"UInt16Georeferenced",
                     "dem16.tif",
                     s,
                     nullptr,
                     S::kMeasured,
                     1000,
                     3900,
                     "m",
                     {{0, 0, 1000}, {7, 5, 3900}}});
  }
  {
    RasterContent s = Content(kByte, [](int c, int r, int b) { return 30.0 * c + 40.0 * r + b; });
    s.bands = 3;
    s.geoTransform = kUtm;
    cases.push_back({"RgbGeoreferenced", "ortho.tif", s, nullptr, S::kPicture, 0, 1, "", {}});
  }
  cases.push_back({"Int32",
                   "counts.tif",
                   Content(kInt32, [](int c, int r, int) { return 100000.0 * c - 7.0 * r; }),
                   nullptr,
                   S::kMeasured,
                   -35,
                   700000,
                   "",
                   {{0, 5, -35}, {7, 0, 700000}}});
  cases.push_back(
      {"Float32WithNaN",
       "heights.tif",
       Content(kFloat32,
               [](int c, int r, int) { return c == 5 && r == 4 ? kNaN : 0.5 * c + 0.25 * r; }),
       nullptr,
       S::kMeasured,
       0,
       4.75,
       "",
       {{5, 4, kNaN}, {7, 5, 4.75}}});
  cases.push_back({"Float64",
                   "field.tif",
                   Content(kFloat64, [](int c, int r, int) { return 1e-3 * c * c + r; }),
                   nullptr,
                   S::kMeasured,
                   0,
                   5.049,
                   "",
                   {{7, 5, 5.049}}});
  {
    RasterContent s = Content(kInt16, [](int c, int r, int) { return 7.0 * c + 11.0 * r; });
    s.scale = 0.1;
    s.offset = 100;
    cases.push_back({"PackedInt16",
                     "packed.tif",
                     s,
                     nullptr,
                     S::kMeasured,
                     100,
                     110.4,
                     "",
                     {{0, 0, 100}, {7, 5, 110.4}}});
  }
  {
    RasterContent s = Content(kInt16, [](int c, int r, int) {
      return c == 600 && r == 600 ? -32768.0 : (c + 2.0 * r) / 4.0;
    });
    s.driver = "SRTMHGT";
    s.columns = s.rows = 1201;
    s.geoTransform = {11 - 0.5 / 1200, 1.0 / 1200, 0, 48 + 0.5 / 1200, 0, -1.0 / 1200};
    cases.push_back({"SrtmTile",
                     "N47E011.hgt",
                     s,
                     nullptr,
                     S::kMeasured,
                     0,
                     900,
                     "m",
                     {{600, 600, kNaN}, {1200, 1200, 900}}});
  }
  {
    RasterContent s = Content(
        kFloat32, [](int c, int r, int) { return c == 3 && r == 2 ? -9999.0 : c - 2.0 * r; });
    s.driver = "AAIGrid";
    s.noData = -9999;
    cases.push_back({"AsciiGrid",
                     "grid.asc",
                     s,
                     nullptr,
                     S::kMeasured,
                     -10,
                     7,
                     "",
                     {{3, 2, kNaN}, {0, 5, -10}}});
  }
  cases.push_back({"AsciiGridByHand",
                   "hand.asc",
                   {},
                   "NCOLS 4\r\nnrows 3\r\nxllcenter 0.5\r\nyllcenter 0.5\r\ncellsize 1\r\n"
                   "1 2 3 4\r\n5 6 7 8\r\n9 10 11 12\r\n",
                   S::kMeasured,
                   1,
                   12,
                   "",
                   {{0, 0, 1}, {3, 2, 12}}});
  cases.push_back({"PointsStayPoints",
                   "points.csv",
                   {},
                   "0,0,0\n1,0,0.5\n\n0,1,1\n1,1,0.25\n",
                   S::kPointGrid,
                   0,
                   1,
                   "",
                   {}});
  return cases;
}

class RasterLoads : public Ways, public testing::WithParamInterface<RasterCase> {
 protected:
  QString WriteCase(const RasterCase& c) {
    const QString path = dir.filePath(QString::fromLatin1(c.file));
    if (c.text)
      Write(path, c.text);
    else
      EXPECT_TRUE(WriteRaster(path, c.raster));
    return path;
  }
  void ExpectLoaded(const RasterCase& c) {
    const cOpenGLGraph_Surface& surface = status.surface;
    const HeightValues& values = surface.values;
    ASSERT_EQ(values.source, c.source);
    if (c.source == HeightValues::Source::kPointGrid)
      return;
    EXPECT_EQ(surface.columns, static_cast<std::uint32_t>(c.text ? 4 : c.raster.columns));
    if (c.source != HeightValues::Source::kMeasured)
      return;
    EXPECT_NEAR(values.minimum, c.minimum, 1e-9);
    EXPECT_NEAR(values.maximum, c.maximum, 1e-9);
    EXPECT_EQ(values.unit.toStdString(), c.unit);
    const GridRef grid = surface.Grid();
    for (const Cell& cell : c.cells) {
      const std::size_t k =
          grid.Index(static_cast<std::uint32_t>(cell.row), static_cast<std::uint32_t>(cell.column));
      SCOPED_TRACE(testing::Message() << "cell " << cell.column << ", " << cell.row);
      EXPECT_EQ(grid.Present(k), !std::isnan(cell.value));
      if (!std::isnan(cell.value)) {
        EXPECT_NEAR(values.ValueOf(grid.points[k].z), cell.value, 1e-9);
      }
    }
  }
};

TEST_P(RasterLoads, EveryWayInGivesItsValues) {
  const RasterCase& c = GetParam();
  const QString path = WriteCase(c);
  const QStringList before = QDir(dir.path()).entryList(QDir::Files);
  const struct {
    const char* name;
    std::function<void()> load;
  } ways[] = {
      // Text goes by the text loader's button.
      {"button",
       [&] {
         const bool text = c.source == HeightValues::Source::kPointGrid;
         Click(text ? status.ui.ButtonLoad : status.ui.ButtonLoadBMP, path, 3);
       }},
      {"drop", [&] { Drop(path); }},
      {"command line", [&] { StartWith({path}); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    PutKnownData();
    way.load();
    ExpectLoaded(c);
  }
  EXPECT_TRUE(messages.empty()) << messages.front();

  // A measured raster has no colours to count; a picture does.
  PutKnownData();
  const PlotState kept = Snapshot();
  Drop(path, Qt::ShiftModifier);
  if (c.source == HeightValues::Source::kMeasured) {
    EXPECT_EQ(messages, std::vector<std::string>{"計測値のラスターには色がありません."});
    ExpectUnchanged(kept);
  } else if (c.source == HeightValues::Source::kPicture) {
    EXPECT_EQ(status.volume.nx, 64u);
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before) << "a file written beside";

  PictureRequest request;
  request.dataFile = path;
  EXPECT_NO_THROW(cPictureScene(request).Draw());
}

INSTANTIATE_TEST_SUITE_P(Rasters, RasterLoads, testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Missing cells leave holes through which what lies behind shows: the
// picture there is the picture without the surface.
TEST_F(Ways, HolesShowWhatLiesBehind) {
  // Flat at the top but for the first column, which gives the range; four
  // cells around (0.5, 0.36) missing.
  RasterContent s = Content(kFloat32, [](int c, int r, int) {
    return (c >= 3 && c <= 4 && r >= 2 && r <= 3) ? kNaN : c == 0 ? 0.0 : 1.0;
  });
  s.columns = 8;
  s.rows = 8;
  const QString path = dir.filePath(QStringLiteral("holes.tif"));
  ASSERT_TRUE(WriteRaster(path, s));
  Drop(path);
  AimView(graph, 4500, 8000, 5001);  // nearly from above
  graph.Draw();
  const QImage with = graph.Picture();
  const QPoint hole = ProjectDataPoint(graph, {0.5, 0.36, 1.0});
  const QPoint solid = ProjectDataPoint(graph, {0.5, 0.8, 1.0});
  status.surface.Clear();
  graph.Draw();
  EXPECT_EQ(with.pixel(hole), graph.Picture().pixel(hole));
  EXPECT_NE(with.pixel(solid), graph.Picture().pixel(solid));
}

// Broken rasters: the message, no allocation of the size they claim, the
// data shown unchanged.
TEST_F(Ways, BrokenRastersChangeNothing) {
  const QString whole = dir.filePath(QStringLiteral("whole.tif"));
  RasterContent big = Content(kFloat32, [](int c, int r, int) { return c * r; });
  big.columns = big.rows = 256;
  ASSERT_TRUE(WriteRaster(whole, big));
  QFile file(whole);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();

  // A TIFF header claiming 10^6 x 10^6 float samples in one strip it does not
  // hold: width, height, bits, format, strip offset, rows per strip, byte count.
  std::string claim("II*\0\x08\0\0\0\x08\0", 10);
  const auto entry = [&](int tag, int type, std::uint32_t value) {
    const char e[12] = {static_cast<char>(tag & 255),
                        static_cast<char>(tag >> 8),
                        static_cast<char>(type),
                        0,
                        1,
                        0,
                        0,
                        0,
                        static_cast<char>(value & 255),
                        static_cast<char>((value >> 8) & 255),
                        static_cast<char>((value >> 16) & 255),
                        static_cast<char>(value >> 24)};
    claim.append(e, 12);
  };
  entry(256, 4, 1000000);
  entry(257, 4, 1000000);
  entry(258, 3, 32);
  entry(262, 3, 1);
  entry(273, 4, 200);
  entry(278, 4, 1000000);
  entry(279, 4, 4000000);
  entry(339, 3, 3);
  claim.append(4, '\0');

  const struct {
    const char* name;
    std::string bytes;
    std::string message;
  } rows[] = {
      {"truncated.tif", bytes.left(bytes.size() / 2).toStdString(),
       "ストリームからの読み込みエラー."},
      {"claims.tif", claim, "ストリームからの読み込みエラー."},
      {"short.asc", "ncols 4\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3 4\n5 6\n",
       "ストリームからの読み込みエラー."},
      {"void.asc",
       "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -1\n-1 -1\n-1 -1\n",
       "ラスターに値のあるセルがありません."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    messages.clear();
    const QString path = Write(row.name, row.bytes);
    const PlotState before = Snapshot();
    StartWatchingAllocations();
    Drop(path);
    EXPECT_LT(LargestAllocationWatched(), std::size_t{64} << 20);
    EXPECT_EQ(messages, std::vector<std::string>{row.message});
    ExpectUnchanged(before);
  }
}

// Above the point limit a raster is read reduced, by GDAL's averaging, and the
// user is told over the picture, not in a box; the values keep the original
// size.
TEST_F(Ways, LargeRasterIsReadReducedWithANote) {
  RasterContent s =
      Content(kFloat32, [](int c, int r, int) { return std::sin(0.1 * c) + 0.01 * r; });
  s.columns = 90;
  s.rows = 61;
  const QString path = dir.filePath(QStringLiteral("large.tif"));
  ASSERT_TRUE(WriteRaster(path, s));
  ConnectNotes(root, status);
  QSignalSpy notices(&status, &TFormStatus::Notice);
  const ScopedRasterPointLimit limit(1000);
  Drop(path);
  // 1/3 per side: 30 x 21 points, the largest grid within 1000.
  ASSERT_EQ(status.surface.columns, 30u);
  ASSERT_EQ(status.surface.rows, 21u);
  const HeightValues& values = status.surface.values;
  EXPECT_EQ(values.reduction, 3u);
  EXPECT_EQ(values.originalColumns, 90u);
  const std::vector<double> averaged = ReadRasterBand(path, 30, 21);
  ASSERT_EQ(averaged.size(), 30u * 21u);
  const auto [low, high] = std::minmax_element(averaged.begin(), averaged.end());
  EXPECT_EQ(values.minimum, *low);
  EXPECT_EQ(values.maximum, *high);
  for (std::size_t k = 0; k < averaged.size(); ++k)
    ASSERT_EQ(status.surface.vertices[k].z, (averaged[k] - *low) / (*high - *low)) << k;
  ASSERT_EQ(notices.size(), 1);
  EXPECT_EQ(notices[0][0].toString(),
            QStringLiteral("90 × 61 のラスターを各辺 1/3 に縮小して読み込みました"));
  EXPECT_TRUE(root.note->isVisibleTo(&root));
  EXPECT_TRUE(messages.empty());
}

// Held at levels, a block that cannot be read leaves its part coarse and is
// told once over the picture, however many tiles fail; the data stays.
TEST_F(Ways, BrokenTilesAreToldOnce) {
  RasterContent s = Content(kFloat32, [](int c, int r, int) { return c + 0.5 * r; });
  s.columns = s.rows = 64;
  s.options = {"TILED=YES", "BLOCKXSIZE=16", "BLOCKYSIZE=16", "COMPRESS=DEFLATE"};
  s.overviews = {2, 4};
  s.statistics = true;
  const QString path = dir.filePath(QStringLiteral("broken.tif"));
  ASSERT_TRUE(WriteRaster(path, s));
  ASSERT_TRUE(BreakBlock(path, 1, 1));
  ASSERT_TRUE(BreakBlock(path, 2, 2));
  ConnectNotes(root, status);
  QSignalSpy notices(&status, &TFormStatus::Notice);
  LevelSizes small;
  small.wholeCells = 0;
  small.handCells = 64;
  small.tileSide = 16;
  const ScopedLevelSizes levels(small);
  Drop(path);
  ASSERT_NE(status.surface.LevelsOfDetail(), nullptr);
  DrawFinalDetail(graph, status.surface);
  QCoreApplication::processEvents();
  ASSERT_EQ(notices.size(), 1);
  EXPECT_EQ(notices[0][0].toString(), TileFailureNotice());
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(status.surface.values.maximum, 63 + 0.5 * 63);
}

// Without its module the program says so and keeps what it shows.
TEST_F(Ways, MissingModuleIsAMessage) {
  const QString path = dir.filePath(QStringLiteral("heights.tif"));
  ASSERT_TRUE(WriteRaster(path, Content(kFloat32, [](int c, int, int) { return c; })));
  const PlotState before = Snapshot();
  {
    const ScopedRasterModule nowhere(dir.filePath(QStringLiteral("missing.so")));
    Drop(path);
  }
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("ラスターを読むモジュールを読み込めません", 0), 0u) << messages[0];
  ExpectUnchanged(before);
}

}  // namespace
