// The value under the cursor, through real mouse moves over the shown
// program: the data point the picture shows there, in the data's terms,
// never a stale one, and hidden while the picture moves.
#include <gtest/gtest.h>

#include <functional>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/windows.h"
#include "formats/rasterlevels.h"
#include "scene/finaldetail.h"
#include "support/bmpwriter.h"
#include "support/dropfile.h"
#include "support/projection.h"
#include "support/rasterwriter.h"
#include "support/testfiles.h"

namespace {

class Readout : public testing::Test {
 public:
  void SetUp() override {
    // 8 x 4 grey levels, pixel (c, r) at 16 (c + 2r) + 15.
    Picture heights{8, 4, {}};
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 8; ++c) {
        const auto v = static_cast<std::uint8_t>(16 * (c + 2 * r) + 15);
        heights.pixels.push_back({v, v, v});
      }
    }
    picture = Write("heights.bmp", WriteBmp(heights, {}));
    grid = Write("grid.txt", "0,0,0.25\n1,0,0.5\n\n0,1,0.75\n1,1,1\n");
    oneColour = Write("colour.bmp", WriteBmp(PatternPicture(4, 4, {{200, 100, 50}}), {}));
    // Metres c + 10 r on 30 m cells, one missing.
    RasterContent dem;
    dem.columns = 8;
    dem.rows = 4;
    dem.value = [](int c, int r, int) { return c == 1 && r == 2 ? -9999.0 : c + 10.0 * r; };
    dem.noData = -9999.0;
    dem.unit = "m";
    dem.geoTransform = std::array<double, 6>{1000, 30, 0, 5000, 0, -30};
    raster = dir.filePath(QStringLiteral("dem.tif"));
    EXPECT_TRUE(WriteRaster(raster, dem));
    // The same on UTM 33N's central meridian.
    dem.srs = "EPSG:32633";
    dem.geoTransform = std::array<double, 6>{499850, 30, 0, 10060, 0, -30};
    utm = dir.filePath(QStringLiteral("utm.tif"));
    EXPECT_TRUE(WriteRaster(utm, dem));
  }
  QString Write(const char* name, const std::vector<unsigned char>& bytes) {
    return Write(name, std::string(bytes.begin(), bytes.end()));
  }
  QString Write(const char* name, const std::string& bytes) {
    return WriteTestFile(dir, QString::fromLatin1(name), bytes);
  }
  // Moves the cursor over the data point p and answers what the readout says.
  // The move goes to the picture's window itself: where the Status window
  // covers the spot on the screen, the window system would give it the move.
  std::string At(Vec3 p) {
    const QPoint spot = ProjectDataPoint(graph(), p);
    QMouseEvent move(QEvent::MouseMove, spot, graph().window->mapToGlobal(spot), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(graph().window, &move);
    return windows.root->overlays->ReadoutNow().toStdString();
  }
  cOpenGLGraph& graph() { return windows.root->ui.FrameCubiscope1->View(); }
  QScrollBar* turn() { return windows.root->ui.FrameCubiscope1->ui.ScrollBarTheta; }

  QTemporaryDir dir;
  QString picture, grid, oneColour, raster, utm;
  Windows windows = OpenWindows();
};

// Tiles of 2 x 2 cells, level 2 at hand: the view shows level 0 from the
// tiles once they came.
void OpenAtLevels(Readout& t, const QString& path) {
  LevelSizes small;
  small.wholeCells = 0;
  small.handCells = 4;
  small.tileSide = 2;
  const ScopedLevelSizes levels(small);
  t.windows.status->OpenFile(path, false);
  DrawFinalDetail(t.graph(), t.windows.status->surface);
}

TEST_F(Readout, TellsThePointUnderTheCursor) {
  const struct {
    const char* name;
    std::function<void(Readout&)> set;
    Vec3 at;
    const char* says;
  } rows[] = {
      {"picture",
       [](Readout& t) { t.windows.status->OpenFile(t.picture, false); },
       {5 / 7.0, 1 / 3.0, 127 / 255.0},
       "column 5, row 1\nbrightness 0.498 (127)"},
      {"raster",
       [](Readout& t) { t.windows.status->OpenFile(t.raster, false); },
       {5 / 7.0, 1 / 3.0, 15 / 37.0},
       "column 5, row 1\n15.00 m\nx 1165, y 4955"},
      {"hole in it", [](Readout&) {}, {1 / 7.0, 2 / 3.0, 0}, ""},
      {"raster at levels",
       [](Readout& t) { OpenAtLevels(t, t.raster); },
       {5 / 7.0, 1 / 3.0, 15 / 37.0},
       "column 5, row 1\n15.00 m\nx 1165, y 4955"},
      {"hole at levels", [](Readout&) {}, {1 / 7.0, 2 / 3.0, 0}, ""},
      {"point grid",
       [](Readout& t) { t.windows.status->OpenFile(t.grid, false); },
       {1, 0, 0.5},
       "x 1.000, y 0.000, z 0.500"},
      {"behind a plane",
       [](Readout& t) {
         t.windows.status->OpenFile(t.picture, false);
         t.windows.status->ui.TrackBarY->setValue(900);  // the plane in front of it
       },
       {2 / 7.0, 2 / 3.0, 111 / 255.0},
       "column 2, row 2\nbrightness 0.435 (111)"},
      {"volume",
       [](Readout& t) {
         t.windows.status->surface.Clear();
         t.windows.status->OpenFile(t.oneColour, true);
       },
       {12 / 63.0, 25 / 63.0, 50 / 63.0},
       "R 200–203, G 100–103, B 48–51\n16 pixels"},
      {"background", [](Readout&) {}, {-2, -2, -2}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    row.set(*this);
    EXPECT_EQ(At(row.at), row.says);
  }
}

// "Slope and aspect" in the picture's menu adds the slope line under what
// the readout says, and taken off leaves it as it was. Slopes by hand: the
// picture rises 16/255 a column and 32/255 a row; the rasters 1 m a column
// and 10 m a row (southwards), on 30 m cells that are 30/0.9996 m of ground
// on UTM's central meridian: atan(0.9996 sqrt(101) / 30) = 18.514 degrees,
// falling towards atan2(-1, 10) = -5.71 degrees.
TEST_F(Readout, TellsTheSlopeWhenAsked) {
  QAction* slope = nullptr;
  for (QAction* action : graph().window->actions()) {
    if (action->text() == QStringLiteral("Slope and aspect"))
      slope = action;
  }
  ASSERT_TRUE(slope);
  EXPECT_FALSE(slope->isChecked());
  const struct {
    const char* name;
    std::function<void(Readout&)> set;
    Vec3 at;
    const char* line;  // empty: none
  } rows[] = {
      {"picture",
       [](Readout& t) { t.windows.status->OpenFile(t.picture, false); },
       {5 / 7.0, 1 / 3.0, 127 / 255.0},
       "slope 0.140 per cell, facing 333°"},
      {"picture's edge", [](Readout&) {}, {7 / 7.0, 1 / 3.0, 159 / 255.0}, ""},
      {"raster",
       [](Readout& t) { t.windows.status->OpenFile(t.raster, false); },
       {5 / 7.0, 1 / 3.0, 15 / 37.0},
       "slope 10.0 per cell, facing 354°"},
      {"beside the hole", [](Readout&) {}, {2 / 7.0, 1 / 3.0, 12 / 37.0}, ""},
      {"raster at levels",
       [](Readout& t) { OpenAtLevels(t, t.raster); },
       {5 / 7.0, 1 / 3.0, 15 / 37.0},
       "slope 10.0 per cell, facing 354°"},
      {"on the ground",
       [](Readout& t) { t.windows.status->OpenFile(t.utm, false); },
       {5 / 7.0, 1 / 3.0, 15 / 37.0},
       "slope 18.5°, facing 354° (N)"},
      {"on the ground at levels",
       [](Readout& t) { OpenAtLevels(t, t.utm); },
       {5 / 7.0, 1 / 3.0, 15 / 37.0},
       "slope 18.5°, facing 354° (N)"},
      {"point grid of 2 x 2",
       [](Readout& t) { t.windows.status->OpenFile(t.grid, false); },
       {1, 0, 0.5},
       ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    row.set(*this);
    const std::string without = At(row.at);
    ASSERT_FALSE(without.empty());
    slope->trigger();
    EXPECT_EQ(At(row.at), *row.line ? without + "\n" + row.line : without);
    slope->trigger();
    EXPECT_EQ(At(row.at), without);
  }
}

// Nothing stale: after a turn the cursor's spot shows another point, after a
// load other data; a drag hides the label until the full picture is back.
TEST_F(Readout, FollowsTheDataAndTheCamera) {
  windows.status->OpenFile(picture, false);
  const Vec3 point{5 / 7.0, 1 / 3.0, 127 / 255.0};
  const std::string before = At(point);
  ASSERT_FALSE(before.empty());
  turn()->setValue(turn()->value() + 1500);
  EXPECT_NE(windows.root->overlays->ReadoutNow().toStdString(), before);
  EXPECT_EQ(At(point), before) << "the same point, where the camera puts it now";

  windows.status->OpenFile(grid, false);
  EXPECT_NE(windows.root->overlays->ReadoutNow().toStdString(), before);

  windows.status->OpenFile(picture, false);
  const QPoint spot = ProjectDataPoint(graph(), point);
  QTest::mousePress(graph().window, Qt::LeftButton, Qt::NoModifier, spot);
  EXPECT_EQ(windows.root->overlays->ReadoutNow(), QString());
  QTest::mouseRelease(graph().window, Qt::LeftButton, Qt::NoModifier, spot);
  EXPECT_EQ(At(point), before);
}

}  // namespace
