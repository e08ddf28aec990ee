// How the data looks beyond grey bands: the colour maps' bands, the light,
// the vertical scale, the volume in its cells' own colours and the colour
// bar, each read off the picture at projected points.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "base/viewgeometry.h"
#include "object_scene.h"
#include "objects/colourmaps.h"
#include "objects/hillshade.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "overlays/axes.h"
#include "overlays/colourbar.h"
#include "overlays/pictureoverlays.h"

namespace {

class LookScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    MovePlanesAway();
    graph.preObjects.push_back(&surface);
    graph.postObjects.push_back(&volume);
  }
  // A grid of side x side points over the unit square at heights z(x, y).
  template <class Height>
  void SetHeights(int side, const Height& z) {
    std::vector<Vec3> grid;
    for (int r = 0; r < side; ++r) {
      for (int i = 0; i < side; ++i) {
        const double x = i / (side - 1.0);
        const double y = r / (side - 1.0);
        grid.push_back({x, y, z(x, y)});
      }
    }
    surface.SetGrid(grid.data(), side, side, false);
  }
  QRgb At(Vec3 p) const { return graph.Picture().pixel(ProjectDataPoint(graph, p)); }

  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid volume;
};

// Band i of N takes the map's colour at (i + 1/2) / N: read where a ramp
// z = x is at the middle of a band.
TEST_F(LookScene, EachMapColoursItsBands) {
  SetHeights(2, [](double x, double) { return x; });
  LookFromAbove();
  for (const ColourMapKind kind : {ColourMapKind::kViridis, ColourMapKind::kCividis,
                                   ColourMapKind::kInferno, ColourMapKind::kTerrain}) {
    for (const std::uint32_t bands : {1u, 8u, 128u}) {
      surface.SetLevels(bands);
      surface.SetColourMap(kind);
      graph.Draw();
      for (const std::uint32_t band : {0u, bands / 2, bands - 1}) {
        const double middle = (band + 0.5) / bands;
        std::uint8_t want[3];
        MapColour(kind, middle, want);
        EXPECT_TRUE(ColourAt({middle, 0.5, middle}, want[0], want[1], want[2]))
            << NameOf(kind) << ", " << bands << " bands, band " << band;
      }
    }
  }
}

// Lit from the north-west, a ridge running from south-west to north-east is
// bright on its north-west flank and dark on the other; a level surface is
// lit evenly, as the sine of the light's altitude says.
TEST_F(LookScene, LightShadesSlopesByTheirFacing) {
  surface.SetLevels(1);  // plain white, so that the shade is the colour
  surface.SetLight(true);
  // The ridge line x = 1 - y: points north-west of it have x + y < 1.
  SetHeights(65, [](double x, double y) { return 0.6 - 0.5 * std::fabs(x + y - 1.0); });
  LookFromAbove();
  graph.Draw();
  const QRgb northWest = At({0.3, 0.3, 0.5});
  const QRgb southEast = At({0.7, 0.7, 0.5});
  EXPECT_GT(qGray(northWest), qGray(southEast) + 60) << Save();

  SetHeights(9, [](double, double) { return 0.4; });
  graph.Draw();
  const int level = static_cast<int>(
      std::lround(255.0 * (kAmbientLight + (1 - kAmbientLight) * std::sin(M_PI / 4))));
  for (const Vec3 p : {Vec3{0.2, 0.3, 0.4}, Vec3{0.8, 0.6, 0.4}})
    EXPECT_TRUE(ColourAt(p, level, level, level));
}

// Heights drawn twice as high keep the band of their own height.
TEST_F(LookScene, VerticalScaleMovesPointsNotBands) {
  surface.SetLevels(8);
  SetHeights(5, [](double, double) { return 0.3; });
  surface.SetZScale(2.0);
  LookFromSide();
  graph.Draw();
  // Near the corner nearest the eye, where nothing lies in front or behind.
  EXPECT_TRUE(ColourAt({0.95, 0.95, 0.6}, 95, 95, 95));  // band of 0.3, drawn at 0.6
  EXPECT_TRUE(ColourAt({0.95, 0.95, 0.3}, 26, 26, 51)) << "still drawn where unscaled";
}

// A picture of one colour counts into one cell, drawn in that colour, nearly
// opaque where the pixel meets the cell's point (the opacity falls off
// towards the empty neighbours); the haze would show it grey and faint.
TEST_F(LookScene, VolumeCellInItsOwnColour) {
  auto field = std::make_unique<float[]>(64 * 64 * 64);
  const int r = 40, g = 20, b = 50;  // cell of colour (160 + 2, 80 + 2, 200 + 2)
  field[(r * 64 + g) * 64 + b] = 1.0f;
  volume.SetVolume(field.release(), 64, 64, 64, true);
  volume.SetLevels(8);
  volume.ownColours = true;
  LookFromAbove();
  graph.Draw();
  const QRgb seen = At({b / 63.0, g / 63.0, r / 63.0});
  // The same share of the cell's colour over the background in each channel.
  const double red = (qRed(seen) - 26) / (162.0 - 26);
  const double green = (qGreen(seen) - 26) / (82.0 - 26);
  const double blue = (qBlue(seen) - 51) / (202.0 - 51);
  EXPECT_GT(red, 0.6) << Save();
  EXPECT_LE(red, cOpenGLGraph_Solid::kMostOpaque + 0.02);
  EXPECT_NEAR(green, red, 0.05);
  EXPECT_NEAR(blue, red, 0.05);
}

// The bar at the right edge shows the bands, lowest at the bottom, and its
// labels' text.
TEST_F(LookScene, ColourBarShowsTheBandsAndTheirValues) {
  SetHeights(2, [](double x, double) { return x; });
  surface.values.source = HeightValues::Source::kPicture;
  surface.SetLevels(4);
  surface.SetColourMap(ColourMapKind::kViridis);
  const QFont font(QStringLiteral("DejaVu Sans"), 9);
  cPictureOverlays overlays(graph);
  overlays.surface = &surface;
  overlays.font = font;
  graph.Draw();
  const QImage without = graph.Picture();
  overlays.colourBar = true;
  graph.Draw();
  const QImage& with = graph.Picture();
  const ColourBarLayout layout = LayOutColourBar(with.size(), font, surface.values);
  for (int band = 0; band < 4; ++band) {
    std::uint8_t want[3];
    MapColour(ColourMapKind::kViridis, (band + 0.5) / 4, want);
    const int y = layout.bar.bottom() - (2 * band + 1) * layout.bar.height() / 8;
    EXPECT_TRUE(ColourNear(with.pixel(layout.bar.center().x(), y), want[0], want[1], want[2]))
        << "band " << band << "; " << Save();
  }
  for (const ColourBarLabel& label : layout.labels) {
    bool drawn = false;
    for (int y = label.box.top(); y <= label.box.bottom() && !drawn; ++y) {
      for (int x = label.box.left(); x <= label.box.right() && !drawn; ++x)
        drawn = with.pixel(x, y) != without.pixel(x, y);
    }
    EXPECT_TRUE(drawn) << label.text.toStdString();
  }
}

// The axes of a picture's height field: its columns, rows and brightness at
// round values, each mark where its data point lies, no two labels touching,
// each label drawn; from the start camera and three others.
TEST_F(LookScene, AxesMarkRoundValuesWhereTheyLie) {
  SetHeights(41, [](double x, double y) { return 0.3 + 0.2 * x * y; });
  surface.values.source = HeightValues::Source::kPicture;
  const QFont font(QStringLiteral("DejaVu Sans"), 9);
  cPictureOverlays overlays(graph);
  overlays.surface = &surface;
  overlays.font = font;
  for (const auto& [theta, height] :
       {std::pair{4500, 5000}, {-3000, 2000}, {12000, 6000}, {16000, -3000}}) {
    SCOPED_TRACE(testing::Message() << "turn " << theta << ", tilt " << height);
    AimView(graph, theta, height, 5001);
    overlays.axes = false;
    graph.Draw();
    const QImage without = graph.Picture();
    overlays.axes = true;
    graph.Draw();
    const AxesLayout layout = LayOutAxes(graph.Geometry(), &surface, font);
    std::vector<QRect> boxes;
    for (int a = 0; a < 3; ++a) {
      ASSERT_GE(layout.ticks[a].size(), 2u) << "axis " << a;
      for (const AxisTick& tick : layout.ticks[a]) {
        // Columns and rows 0 ... 40, brightness 0 ... 1: the mark lies where
        // the data point of its value on one of the axis' edges does.
        const double share = a < 2 ? tick.value / 40.0 : tick.value;
        double nearest = 1e9;
        for (const double u : {0.0, 1.0}) {
          for (const double v : {0.0, 1.0}) {
            const Vec3 p = a == 0   ? Vec3{share, u, 0}
                           : a == 1 ? Vec3{u, share, 0}
                                    : Vec3{u, v, share};
            const QPointF at = QPointF(ProjectDataPoint(graph, p)) + QPointF(0.5, 0.5);
            nearest = std::min(nearest, QLineF(at, tick.at).length());
          }
        }
        EXPECT_LT(nearest, 1.0) << tick.text.toStdString();
        for (const QRect& other : boxes)
          EXPECT_FALSE(tick.box.intersects(other)) << tick.text.toStdString();
        boxes.push_back(tick.box);
        bool drawn = false;
        for (int y = tick.box.top(); y <= tick.box.bottom() && !drawn; ++y) {
          for (int x = tick.box.left(); x <= tick.box.right() && !drawn; ++x)
            drawn =
                graph.Picture().valid(x, y) && graph.Picture().pixel(x, y) != without.pixel(x, y);
        }
        EXPECT_TRUE(drawn) << tick.text.toStdString() << "; " << Save();
      }
    }
  }
}

}  // namespace
