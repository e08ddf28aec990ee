// The readout's slope line: Horn's gradient, the slope on the ground of
// rasters that GDAL's GeoTIFF writer georeferenced (against hand
// calculations on the ellipsoid and the transverse Mercator's published
// scale and convergence series), per cell and in data units elsewhere, and
// the words it is said in.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "base/hornslope.h"
#include "formats/measuredheights.h"
#include "formats/rastermodule.h"
#include "objects/surface.h"
#include "overlays/slopecells.h"
#include "overlays/slopetext.h"
#include "support/rasterwriter.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
using Measure = Slope::Measure;

TEST(HornGradient, WeighsTheMiddleRowAndColumnTwice) {
  const struct {
    std::array<double, 9> z;
    std::optional<Gradient> want;
  } rows[] = {
      {{0, 1, 2, 0, 1, 2, 0, 1, 2}, Gradient{1, 0}},
      {{0, 0, 0, 5, 5, 5, 10, 10, 10}, Gradient{0, 5}},
      {{0, 1, 2, 10, 11, 12, 20, 21, 22}, Gradient{1, 10}},
      // (2 + 2 * 4 + 2 - 0 - 0 - 0) / 8 along columns, 0 along rows.
      {{0, 0, 2, 0, 9, 4, 0, 0, 2}, Gradient{1.5, 0}},
      {{0, 0, 0, 0, 0, 0, 0, 0, 0}, Gradient{0, 0}},
      {{kNaN, 0, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
      {{0, 0, 0, 0, kNaN, 0, 0, 0, 0}, std::nullopt},
      {{0, 0, 0, 0, 0, 0, 0, 0, kNaN}, std::nullopt},
  };
  for (const auto& row : rows) {
    const std::optional<Gradient> got = HornGradient(row.z);
    ASSERT_EQ(got.has_value(), row.want.has_value());
    if (got) {
      EXPECT_EQ(got->alongColumns, row.want->alongColumns);
      EXPECT_EQ(got->alongRows, row.want->alongRows);
    }
  }
}

TEST(SlopeText, SaysTheSlopeInItsMeasure) {
  const auto slope = [](Measure m, double s, std::optional<double> f, std::uint32_t cells = 1,
                        const char* unit = "") {
    Slope out;
    out.measure = m;
    out.steepness = s;
    out.facing = f;
    out.cells = cells;
    out.unit = QString::fromUtf8(unit);
    return out;
  };
  const struct {
    Slope slope;
    const char* says;
  } rows[] = {
      {slope(Measure::kDegrees, 26.5651, 270.0), "slope 26.6°, facing 270° (W)"},
      {slope(Measure::kDegrees, 0.61709, 180.2), "slope 0.617°, facing 180° (S)"},
      {slope(Measure::kDegrees, 54.7356, 225.0), "slope 54.7°, facing 225° (SW)"},
      {slope(Measure::kDegrees, 0.0, std::nullopt), "slope 0°"},
      {slope(Measure::kDegrees, 26.5651, 359.7), "slope 26.6°, facing 0° (N)"},
      {slope(Measure::kDegrees, 26.5651, 275.2, 4),
       "slope 26.6° over 4 × 4 cells, facing 275° (W)"},
      {slope(Measure::kPerMetre, 0.4998, 90.0, 1, "K"), "gradient 0.500 K/m, facing 90° (E)"},
      {slope(Measure::kPerCells, 0.01, 270.0), "slope 0.0100 per cell, facing 270°"},
      {slope(Measure::kPerCells, 0.04, 180.0, 4), "slope 0.0400 per 4 cells, facing 180°"},
      {slope(Measure::kPerCells, 0.0, std::nullopt), "slope 0 per cell"},
      {slope(Measure::kPerUnit, 1234.4, 45.0), "slope 1234 per unit, facing 45°"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(SlopeText(row.slope).toStdString(), row.says);
}

TEST(SlopeText, NamesTheNearestCompassPoint) {
  const struct {
    double azimuth;
    const char* point;
  } rows[] = {{0, "N"},     {22.49, "N"}, {22.5, "NE"}, {90, "E"},   {135, "SE"},
              {180, "S"},   {225, "SW"},  {270, "W"},   {315, "NW"}, {337.49, "NW"},
              {337.5, "N"}, {359.9, "N"}, {-45, "NW"},  {-100, "W"}, {810, "E"}};
  for (const auto& row : rows)
    EXPECT_STREQ(CompassPoint(row.azimuth), row.point) << row.azimuth;
}

TEST(SlopeText, TakesHeightsInMetresAndFeet) {
  const struct {
    std::vector<const char*> units;
    std::optional<double> metres;
  } rows[] = {{{"", "m", "metre", "Meters", " metres "}, 1.0},
              {{"ft", "feet", "Foot"}, 0.3048},
              {{"us-ft", "US survey foot"}, 1200.0 / 3937.0},
              {{"km", "K", "mm/a"}, std::nullopt}};
  for (const auto& row : rows) {
    for (const char* unit : row.units)
      EXPECT_EQ(MetresPerUnit(QString::fromUtf8(unit)), row.metres) << unit;
  }
}

// Expected slopes, worked out by hand. WGS 84 (a = 6378137 m, 1/f =
// 298.257223563). On the central meridian of a transverse Mercator the
// ground is 1/0.9996 times the grid: a gradient g per grid metre is 0.9996 g
// per metre. At 60 N a step of 1/1200 degree is N cos(phi) dl = 46.500001 m
// east and M dl = 92.843573 m north, N and M the radii of curvature a / W
// and a (1 - e^2) / W^3, W = sqrt(1 - e^2 sin^2 phi). At 60 N 21 E, 6 degrees
// east of UTM 33N's meridian (E 834359.668, N 6666593.573 by Snyder's
// series, "Map Projections: A Working Manual" (8-9, 8-10)), its scale is k =
// 1.00097030 (8-11) and grid north lies gamma = 5.20092 degrees east of true
// north (dl sin phi [1 + dl^2 cos^2 phi (1 + 3 eta^2 + 2 eta^4) / 3 + ...]):
// a slope towards grid west faces 270 + gamma.
constexpr double kCm = 0.9996;
constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr double kUtmK = 1.0009703037, kUtmGamma = 5.2009224;
constexpr double kUtmEast = 834359.6676, kUtmNorth = 6666593.5730;
constexpr double kArc = 1.0 / 1200.0;

class SlopeOnGroundTest : public testing::Test {
 protected:
  // A surface of the raster read whole (or reduced to at most points
  // points) with its heights' values and ground.
  std::unique_ptr<cOpenGLGraph_Surface> Read(const RasterContent& content, std::uint64_t points) {
    const QString path = dir.filePath(QStringLiteral("%1.tif").arg(++files));
    EXPECT_TRUE(WriteRaster(path, content));
    HeightFieldGrid grid = ReadMeasuredHeights(*OpenRaster(path), points);
    auto surface = std::make_unique<cOpenGLGraph_Surface>();
    surface->SetGrid(grid.points.release(), static_cast<std::uint32_t>(grid.columns),
                     static_cast<std::uint32_t>(grid.rows), true);
    surface->SetPresent(std::move(grid.present));
    surface->values = grid.values;
    return surface;
  }
  QTemporaryDir dir;
  int files = 0;
};

TEST_F(SlopeOnGroundTest, MeasuresAsTheEllipsoidHasIt) {
  const double c30 = 30 * std::cos(30 * kDegree), s30 = 30 * std::sin(30 * kDegree);
  const struct {
    const char* name;
    std::string srs;
    // Where the middle of the raster lies, and its steps along columns and
    // rows: geotransform {x - 2.5 (cx + rx), cx, rx, y - 2.5 (cy + ry), cy, ry}
    // for 5 x 5 cells.
    double x, y, cx, cy, rx, ry;
    // The value at dx, dy in map units from the middle.
    std::function<double(double dx, double dy)> value;
    std::string unit = "m";
    int side = 5;
    std::uint64_t points = 1000;
    Measure measure = Measure::kDegrees;
    double steepness = 0.0;
    double facing = 0.0;
    std::uint32_t cells = 1;
  } rows[] = {
      {"UTM, z = east / 2", "EPSG:32633", 500000, 10000, 30, 0, 0, -30,
       [](double dx, double) { return dx / 2; }, "m", 5, 1000, Measure::kDegrees,
       std::atan(0.5 * kCm) / kDegree, 270},
      {"UTM, z = north / 30", "EPSG:32633", 500000, 10000, 30, 0, 0, -30,
       [](double, double dy) { return dy / 30; }, "m", 5, 1000, Measure::kDegrees,
       std::atan(kCm / 30) / kDegree, 180},
      {"UTM, z = east + north", "EPSG:32633", 500000, 10000, 30, 0, 0, -30,
       [](double dx, double dy) { return dx + dy; }, "", 5, 1000, Measure::kDegrees,
       std::atan(std::sqrt(2.0) * kCm) / kDegree, 225},
      {"UTM, grid turned 30 degrees", "EPSG:32633", 500000, 10000, c30, s30, s30, -c30,
       [](double dx, double) { return dx / 2; }, "m", 5, 1000, Measure::kDegrees,
       std::atan(0.5 * kCm) / kDegree, 270},
      {"UTM, feet", "EPSG:32633", 500000, 10000, 30, 0, 0, -30,
       [](double dx, double) { return 3 * dx; }, "ft", 5, 1000, Measure::kDegrees,
       std::atan(3 * kCm * 0.3048) / kDegree, 270},
      {"UTM, kelvin", "EPSG:32633", 500000, 10000, 30, 0, 0, 30,
       [](double, double dy) { return -dy / 2; }, "K", 5, 1000, Measure::kPerMetre, 0.5 * kCm, 0},
      {"UTM, read reduced", "EPSG:32633", 500000, 10000, 30, 0, 0, -30,
       [](double dx, double) { return dx / 2; }, "m", 20, 30, Measure::kDegrees,
       std::atan(0.5 * kCm) / kDegree, 270, 4},
      {"WGS 84 at 60 N, a metre a column", "EPSG:4326", 15, 60, kArc, 0, 0, -kArc,
       [](double dx, double) { return dx / kArc; }, "m", 5, 1000, Measure::kDegrees,
       std::atan(1 / 46.500001) / kDegree, 270},
      {"WGS 84 at 60 N, a metre a row north", "EPSG:4326", 15, 60, kArc, 0, 0, -kArc,
       [](double, double dy) { return dy / kArc; }, "m", 5, 1000, Measure::kDegrees,
       std::atan(1 / 92.843573) / kDegree, 180},
      {"UTM at 60 N 21 E", "EPSG:32633", kUtmEast, kUtmNorth, 30, 0, 0, -30,
       [](double dx, double) { return dx / 2; }, "m", 5, 1000, Measure::kDegrees,
       std::atan(0.5 * kUtmK) / kDegree, 270 + kUtmGamma},
      {"no coordinate system", "", 500000, 10000, 30, 0, 0, -30,
       [](double dx, double) { return dx / 2; }, "m", 5, 1000, Measure::kPerCells, 15, 270},
      {"no coordinate system, reduced", "", 500000, 10000, 30, 0, 0, -30,
       [](double dx, double) { return dx / 2; }, "m", 20, 30, Measure::kPerCells, 60, 270, 4},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RasterContent content;
    content.type = 7;  // Float64: the values' steps stay exact beside large eastings
    content.columns = content.rows = row.side;
    content.srs = row.srs;
    content.unit = row.unit;
    const double half = row.side / 2.0;
    content.geoTransform = std::array<double, 6>{row.x - half * (row.cx + row.rx), row.cx, row.rx,
                                                 row.y - half * (row.cy + row.ry), row.cy, row.ry};
    content.value = [&](int c, int r, int) {
      const double dc = c + 0.5 - half, dr = r + 0.5 - half;
      return row.value(dc * row.cx + dr * row.rx, dc * row.cy + dr * row.ry);
    };
    const std::unique_ptr<cOpenGLGraph_Surface> surface = Read(content, row.points);
    const std::optional<Slope> slope = SurfaceSlope(*surface, 2, 2);
    ASSERT_TRUE(slope);
    EXPECT_EQ(slope->measure, row.measure);
    EXPECT_NEAR(slope->steepness, row.steepness, 1e-7 * row.steepness);
    ASSERT_TRUE(slope->facing);
    EXPECT_NEAR(std::remainder(*slope->facing - row.facing, 360.0), 0.0, 1e-5) << *slope->facing;
    EXPECT_EQ(slope->cells, row.cells);
    EXPECT_EQ(slope->unit.toStdString(), row.measure == Measure::kPerMetre ? row.unit : "");
  }
}

// Pictures and point grids, made by hand: per cell, or in the points' own
// x and y; nothing where the 3 x 3 is not whole.
TEST(SlopeOfGrids, TellsWhereTheThreeByThreeIsWhole) {
  using Source = HeightValues::Source;
  using Points = std::function<Vec3(int c, int r)>;
  // A picture's points at their places, rising by dc a column and dr a row.
  const auto picture = [](double dc, double dr) -> Points {
    return [=](int c, int r) { return Vec3{c / 2.0, r / 2.0, 0.5 + dc * c + dr * r}; };
  };
  // A point grid's points a step of column and row apart.
  const auto grid = [](Vec3 column, Vec3 row) -> Points {
    return [=](int c, int r) { return c * column + r * row; };
  };
  const struct {
    const char* name;
    Source source;
    Points point;
    int missing = -1;  // the point k = 3 r + c without a value
    std::uint32_t column = 1;
    const char* says = nullptr;  // null: no slope
  } rows[] = {
      {"picture", Source::kPicture, picture(0.01, 0), -1, 1, "slope 0.0100 per cell, facing 270°"},
      {"picture, first missing", Source::kPicture, picture(0.01, 0), 0},
      {"picture, last missing", Source::kPicture, picture(0.01, 0), 8},
      {"picture, edge", Source::kPicture, picture(0.01, 0), -1, 0},
      {"picture, level", Source::kPicture, picture(0, 0), -1, 1, "slope 0 per cell"},
      {"picture, up to the first row", Source::kPicture, picture(0, -0.1), -1, 1,
       "slope 0.100 per cell, facing 180°"},
      {"point grid", Source::kPointGrid, grid({0.5, 0, 0.25}, {0, 0.25, 0}), -1, 1,
       "slope 0.500 per unit, facing 270°"},
      {"point grid, rows along x", Source::kPointGrid, grid({0, 0.5, 0}, {0.25, 0, 0.25}), -1, 1,
       "slope 1.00 per unit, facing 270°"},
      {"point grid, z = y", Source::kPointGrid, grid({0.5, 0, 0}, {0, 0.25, 0.25}), -1, 1,
       "slope 1.00 per unit, facing 0°"},
      {"point grid on a line", Source::kPointGrid, grid({0.1, 0.1, 0.1}, {0.1, 0.1, 0})},
      {"data of no meaning", Source::kNone, picture(0.01, 0)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::array<Vec3, 9> points;
    auto present = std::make_unique<std::uint8_t[]>(9);
    for (int k = 0; k < 9; ++k) {
      points[static_cast<std::size_t>(k)] = row.point(k % 3, k / 3);
      present[static_cast<std::size_t>(k)] = k != row.missing;
    }
    cOpenGLGraph_Surface surface;
    surface.SetGrid(points.data(), 3, 3, false);
    surface.SetPresent(std::move(present));
    surface.values.source = row.source;
    const std::optional<Slope> slope = SurfaceSlope(surface, row.column, 1);
    ASSERT_EQ(slope.has_value(), row.says != nullptr);
    if (slope) {
      EXPECT_EQ(SlopeText(*slope).toStdString(), row.says);
    }
  }
}

}  // namespace
