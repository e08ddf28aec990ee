// How the data looks beyond grey bands: the colour maps' bands, the light,
// the vertical scale, the volume in its cells' own colours and the colour
// bar, each read off the picture at projected points.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

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
// z = x is at the middle of a band. The colours are matplotlib's published
// tables (lib/matplotlib/_cm_listed.py), interpolated by hand between the two
// entries around (i + 1/2) / N * 255 and rounded: one band gives the middle of
// entries 127 and 128, two bands 1/4 of the way from entry 63 to 64 and from
// 191 to 192, 128 bands all but 1/256 of entries 1 and 254. Terrain's are its
// hypsometric stops (0: 38 115 77, .15: 86 153 72, .35: 196 200 120, .55: 181
// 140 88, .75: 133 92 61, .9: 190 182 176, 1: white), likewise interpolated.
TEST_F(LookScene, EachMapColoursItsBands) {
  struct Row {
    ColourMapKind kind;
    std::uint32_t bands, band;
    int r, g, b;
  };
  constexpr Row kRows[] = {
      {ColourMapKind::kViridis, 1, 0, 33, 144, 140},       // 0.5:  e127 [.128729 .563265 .551229]
      {ColourMapKind::kViridis, 2, 0, 59, 82, 139},        // 0.25: e64 [.229739 .322361 .545706]
      {ColourMapKind::kViridis, 2, 1, 93, 201, 99},        // 0.75: e191 [.360741 .785964 .387814]
      {ColourMapKind::kViridis, 128, 0, 68, 2, 86},        // e1 [.268510 .009605 .335427]
      {ColourMapKind::kViridis, 128, 127, 251, 231, 35},   // e254 [.983868 .904867 .136897]
      {ColourMapKind::kCividis, 1, 0, 124, 123, 120},      // e127 [.485141 .482451 .470384]
      {ColourMapKind::kCividis, 2, 0, 67, 78, 108},        // e64 [.263738 .307831 .422789]
      {ColourMapKind::kCividis, 2, 1, 187, 173, 108},      // e191 [.732422 .677364 .425717]
      {ColourMapKind::kCividis, 128, 0, 0, 35, 79},        // e1 [0 .138068 .311105]
      {ColourMapKind::kCividis, 128, 127, 254, 230, 54},   // e254 [.995503 .903866 .212370]
      {ColourMapKind::kInferno, 1, 0, 187, 55, 85},        // e127 [.729909 .212759 .333861]
      {ColourMapKind::kInferno, 2, 0, 87, 16, 109},        // e64 [.341500 .062325 .429425]
      {ColourMapKind::kInferno, 2, 1, 249, 141, 10},       // e191 [.977092 .550850 .039050]
      {ColourMapKind::kInferno, 128, 0, 1, 0, 5},          // e1 [.002267 .001270 .018570]
      {ColourMapKind::kInferno, 128, 127, 250, 254, 161},  // e254 [.982257 .994109 .631017]
      {ColourMapKind::kTerrain, 1, 0, 185, 155, 96},       // 3/4 of .35 to .55
      {ColourMapKind::kTerrain, 2, 1, 133, 92, 61},        // the stop at .75
      {ColourMapKind::kTerrain, 128, 0, 39, 116, 77},      // 1/256 of 0 to .15 (t = .026)
      {ColourMapKind::kTerrain, 128, 127, 252, 252, 252},  // .9 to 1, t = .961
  };
  SetHeights(2, [](double x, double) { return x; });
  LookFromAbove();
  for (const Row& row : kRows) {
    surface.SetLevels(row.bands);
    surface.SetColourMap(row.kind);
    graph.Draw();
    const double middle = (row.band + 0.5) / row.bands;
    EXPECT_TRUE(ColourAt({middle, 0.5, middle}, row.r, row.g, row.b))
        << NameOf(row.kind) << ", " << row.bands << " bands, band " << row.band;
  }
}

// Lit from the north-west at 45 degrees (the light towards (-1/2, -1/2,
// sin 45), north being -y), planes in viridis's one band (33, 144, 140):
// level ground keeps that colour exactly; slopes of 30 degrees are lit by
// amounts worked out by hand from the angle between their normal and the
// light, d the difference of its cosine from level ground's (sin 45 =
// .70711): brightened by .5 d / (d + .2), darkened by .34 d / (d + .3), in
// the overlay blend (red, darker than mid-grey, scaled; green and blue moved
// by that part of their distance from white). Facing the light the angle is
// 15 degrees: d = .96593 - .70711 = .25882, .28205, stored as 128 + 36 of
// 127 (.28347): red 33 * 1.28347 = 42.4, green 144 + 111 * .28347 = 175.5,
// blue 140 + 115 * .28347 = 172.6. Facing away it is 75 degrees: d =
// .70711 - .25882 = .44829, .20369, stored as 128 - 26 of 128 (.20313): red
// 33 * .79688 = 26.3, 20 % darker; green 144 - 111 * .20313 = 121.5, blue
// 140 - 115 * .20313 = 116.6. Lit from all sides, the slope facing away
// (aspect 135) weighs the lights from 225, 270, 315 and 360 degrees by the
// square of the sine between their azimuth and 135 (1, 1/2, 0, 1/2 of 2),
// which give cosines of .61237, .36237, .25882 and .36237: .48737 together,
// d = .21974, .14375, stored as 18 of 128 (.14063): red 33 * .85938 = 28.4,
// green 144 - 111 * .14063 = 128.4, blue 140 - 115 * .14063 = 123.8; never
// darker than the single light there.
TEST_F(LookScene, LightKeepsLevelColoursAndMovesSlopes) {
  surface.SetLevels(1);
  surface.SetColourMap(ColourMapKind::kViridis);
  LookFromAbove();
  const double p = std::tan(M_PI / 6) / std::sqrt(2.0);  // 30 degrees along x = y
  const struct {
    const char* name;
    double rise;  // z = base + rise * (x + y): +p faces north-west (the light), -p south-east
    bool allSides;
    int r, g, b;
  } rows[] = {
      {"level", 0.0, false, 33, 144, 140},         {"level, all sides", 0.0, true, 33, 144, 140},
      {"towards", p, false, 42, 175, 173},         {"away", -p, false, 26, 121, 117},
      {"away, all sides", -p, true, 28, 128, 124},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    LightSource source;
    source.allSides = row.allSides;
    surface.SetLight(true, source);
    const double base = row.rise < 0 ? 0.9 : 0.1;
    SetHeights(9, [&](double x, double y) { return base + row.rise * (x + y); });
    graph.Draw();
    const double x = 0.4, y = 0.55;
    EXPECT_TRUE(ColourAt({x, y, base + row.rise * (x + y)}, row.r, row.g, row.b)) << Save();
  }
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
  surface.SetLevels(2);
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
  // Viridis at 1/4 and 3/4, as in EachMapColoursItsBands.
  const int want[2][3] = {{59, 82, 139}, {93, 201, 99}};
  for (int band = 0; band < 2; ++band) {
    const int y = layout.bar.bottom() - (2 * band + 1) * layout.bar.height() / 4;
    EXPECT_TRUE(ColourNear(with.pixel(layout.bar.center().x(), y), want[band][0], want[band][1],
                           want[band][2]))
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

// The axes of a picture's height field of 41 x 41 pixels (columns and rows 0
// ... 40, brightness 0 ... 1) seen from azimuth 45 and elevation 30 degrees
// at half-height 1 in the 300 x 300 view. Worked out by hand: the eye is at
// (c, 1/2, c) in the scene (c = cos 30 / sqrt 2), so the picture's right is
// (1, 0, -1) / sqrt 2 and its up (-1, 2 sqrt 3, -1) / (2 sqrt 2) there; a data
// point (x, y, z) lands at column 150 + 106.066 (x - y) and row 150 - 129.904
// (z - 1/2) + 53.033 (x + y - 1). The nearest bottom edges are y = 1 (x axis)
// and x = 1 (y axis); the vertical edge furthest left is x = 0, y = 1.
TEST_F(LookScene, AxesLieOnTheCubesEdgesAtTheirValues) {
  SetHeights(41, [](double x, double y) { return 0.3 + 0.2 * x * y; });
  surface.values.source = HeightValues::Source::kPicture;
  AimView(graph, 4500, 3000, 5000);
  const AxesLayout layout =
      LayOutAxes(graph.Geometry(), &surface, QFont(QStringLiteral("DejaVu Sans"), 9));
  const QLineF edges[3] = {{43.934, 214.952, 150.0, 267.985},   // (0, 1, 0) to (1, 1, 0)
                           {256.066, 214.952, 150.0, 267.985},  // (1, 0, 0) to (1, 1, 0)
                           {43.934, 214.952, 43.934, 85.048}};  // (0, 1, 0) to (0, 1, 1)
  // Round values two or three an edge; the y axis' 40 and the z axis' 0 would
  // touch the labels of the x axis' 40 and 0 at the same corners.
  struct Tick {
    int axis;
    double value;
    const char* text;
    double x, y;
  };
  const Tick kTicks[] = {
      {0, 0, "0", 43.934, 214.952},    {0, 20, "20", 96.967, 241.468},
      {0, 40, "40", 150.0, 267.985},   {1, 0, "0", 256.066, 214.952},
      {1, 20, "20", 203.033, 241.468}, {2, 0.5, "0.5", 43.934, 150.0},
      {2, 1.0, "1.0", 43.934, 85.048},
  };
  std::vector<std::pair<int, const AxisTick*>> laidOut;
  for (int a = 0; a < 3; ++a) {
    SCOPED_TRACE(testing::Message() << "axis " << a);
    EXPECT_NEAR(layout.edges[a].x1(), edges[a].x1(), 0.01);
    EXPECT_NEAR(layout.edges[a].y1(), edges[a].y1(), 0.01);
    EXPECT_NEAR(layout.edges[a].x2(), edges[a].x2(), 0.01);
    EXPECT_NEAR(layout.edges[a].y2(), edges[a].y2(), 0.01);
    for (const AxisTick& tick : layout.ticks[a])
      laidOut.push_back({a, &tick});
  }
  ASSERT_EQ(laidOut.size(), std::size(kTicks));
  for (std::size_t k = 0; k < laidOut.size(); ++k) {
    const Tick& want = kTicks[k];
    const auto& [axis, tick] = laidOut[k];
    SCOPED_TRACE(testing::Message() << "axis " << want.axis << ", " << want.text);
    EXPECT_EQ(axis, want.axis);
    EXPECT_EQ(tick->value, want.value);
    EXPECT_EQ(tick->text.toStdString(), want.text);
    EXPECT_NEAR(tick->at.x(), want.x, 0.01);
    EXPECT_NEAR(tick->at.y(), want.y, 0.01);
  }
}

// From the start camera and three others: at least two marks an axis, no two
// labels touching, each label drawn.
TEST_F(LookScene, AxesLabelsAreDrawnAndNeverTouch) {
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

// Zoomed in to the scroll bar's least zoom and looking along the x axis,
// the marks lie millions of pixels off the picture: none is laid out there
// (their boxes' integers would overflow), and the marks that show remain.
TEST_F(LookScene, AxesFarOffThePictureAreLeftOut) {
  SetHeights(41, [](double x, double y) { return 0.3 + 0.2 * x * y; });
  surface.values.source = HeightValues::Source::kPicture;
  const QFont font(QStringLiteral("DejaVu Sans"), 9);
  for (const double along : {0.0, 0.5, 1.0e4}) {
    SCOPED_TRACE(testing::Message() << "looking at x = " << along);
    AimView(graph, 4500, 3000, 1);
    Camera camera = graph.ViewCamera();
    camera.LookAtData({along, 1.0, 0.0});
    graph.SetCamera(camera);
    const AxesLayout layout = LayOutAxes(graph.Geometry(), &surface, font);
    const QRectF near(-1000, -1000, graph.Geometry().Width() + 2000.0,
                      graph.Geometry().Height() + 2000.0);
    std::size_t count = 0;
    for (const auto& ticks : layout.ticks) {
      for (const AxisTick& tick : ticks) {
        EXPECT_TRUE(near.contains(tick.at)) << tick.text.toStdString();
        ++count;
      }
    }
    // Looking at the x axis' 0 or 20 (the edge y = 1 is the nearest), that
    // mark lies in the middle.
    EXPECT_TRUE(along > 0.5 || count >= 1);
  }
}

}  // namespace

namespace {

// A span of heights: 8 grey bands (grey floor(255 (i + 1) / 8): 31, 63, 95,
// ..., 255) divide [0.25, 0.75], heights outside take the end bands. A ramp z
// = x seen from above at x = 0.4 is (0.4 - 0.25) / 0.5 = 0.3 of the span,
// band 2; 0.55 is 0.6, band 4; 0.7 is 0.9, band 7. Drawn twice as high, and
// flattened onto the bottom face, the bands stay where the heights are.
TEST_F(LookScene, ColourSpanDividesItsHeightsIntoTheBands) {
  SetHeights(2, [](double x, double) { return x; });
  surface.SetLevels(8);
  surface.SetColourScale(0.25, 0.75, false);
  const struct {
    double x;
    int grey;
  } points[] = {{0.1, 31}, {0.3, 31}, {0.4, 95}, {0.55, 159}, {0.7, 255}, {0.9, 255}};
  const struct {
    const char* name;
    double zScale;
    bool flat;
  } passes[] = {{"3-D", 1.0, false}, {"3-D, twice as high", 2.0, false}, {"XY face", 2.0, true}};
  for (const auto& pass : passes) {
    SCOPED_TRACE(pass.name);
    surface.SetZScale(pass.zScale);
    surface.disp3D = !pass.flat;
    surface.dispXY = pass.flat;
    if (pass.flat)
      LookFromSide();
    else
      LookFromAbove();
    graph.Draw();
    const Vec3 scale{1, 1, pass.flat ? 0.0 : pass.zScale};
    for (const auto& p : points)
      EXPECT_TRUE(ColourAt({p.x, 0.5, p.x}, p.grey, p.grey, p.grey, scale)) << "x = " << p.x;
  }
}

// Logarithmic bands of values 1 ... 10 000 (a raster: heights (v - 1) /
// 9999): heights z = (10^(4x) - 1) / 9999 put log v = 4x at every point, so
// 4 bands turn at x = 1/4, 1/2 and 3/4 (10, 100, 1000) between the points too;
// linear bands show the same heights all but the last quarter in band 0
// (10^3.5 = 3162 is 0.32 of the range).
TEST_F(LookScene, LogarithmicBandsTurnAtThePowersOfTen) {
  SetHeights(9, [](double x, double) { return (std::pow(10.0, 4 * x) - 1) / 9999; });
  surface.values.source = HeightValues::Source::kMeasured;
  surface.values.minimum = 1;
  surface.values.maximum = 10000;
  surface.SetLevels(4);
  LookFromAbove();
  const struct {
    bool log;
    int greys[4];  // at x = 1/8, 3/8, 5/8, 7/8
  } rows[] = {{true, {63, 127, 191, 255}}, {false, {63, 63, 63, 127}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.log ? "logarithmic" : "linear");
    surface.SetColourScale(0.0, 1.0, row.log);
    graph.Draw();
    for (int q = 0; q < 4; ++q) {
      const double x = (2 * q + 1) / 8.0;
      EXPECT_TRUE(ColourAt({x, 0.5, (std::pow(10.0, 4 * x) - 1) / 9999}, row.greys[q], row.greys[q],
                           row.greys[q]))
          << "x = " << x;
    }
  }
}

// The full span draws the very picture of a surface never given one.
TEST_F(LookScene, FullSpanDrawsThePictureAsAlways) {
  SetHeights(9, [](double x, double y) { return 0.2 + 0.6 * x * y; });
  surface.SetLevels(8);
  LookFromSide();
  graph.Draw();
  const QImage never = graph.Picture();
  surface.SetColourScale(0.3, 0.6, true);
  surface.SetColourScale(0.0, 1.0, false);
  graph.Draw();
  EXPECT_EQ(graph.Picture(), never) << Save();
}

}  // namespace
