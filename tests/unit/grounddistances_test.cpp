// Lengths on the ground of paths over rasters that GDAL's GeoTIFF writer
// georeferenced, against published figures and arcs worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QTemporaryDir>

#include "formats/measuredheights.h"
#include "formats/rasterlevels.h"
#include "formats/rastermodule.h"
#include "support/rasterwriter.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
using Path = std::vector<std::array<double, 2>>;

// WGS 84: the quarter meridian as Wikipedia's "Meridian arc" gives it, and
// the meridian's degrees from 0 and from 45 degrees, all by Simpson's rule
// over its radius of curvature a (1 - e^2) / (1 - e^2 sin^2 phi)^1.5; the
// degrees agree within a millionth with the series 111132.92 - 559.82 cos
// 2phi + ... for a degree of latitude (Wikipedia, "Geographic coordinate
// system"). The equator's degree is pi a / 180.
constexpr double kQuarter = 10001965.729, kDegree0 = 110574.389, kDegree45 = 111141.548;
constexpr double kEquator = 111319.491;
// Clarke 1866 (NAD 27), a = 6378206.4 m, b = 6356583.8 m, and Clarke 1880
// (IGN, of the French NTF, counted in grads), a = 6378249.2 m, b = 6356515.0
// m: the same arcs, a grad being 0.9 degree.
constexpr double kClarkeDegree0 = 110567.324, kClarkeEquator = 111320.702;
constexpr double kIgnGradOfMeridian = 99507.751, kIgnGradOfEquator = 100189.304;
// A transverse Mercator keeps the central meridian's length times its scale.
constexpr double kUtm = 1000.0 / 0.9996;
// One of scale 1 over grads, which the module must take as such.
const char kGradsMercator[] =
    R"wkt(PROJCS["TM",GEOGCS["NTF (Paris)",DATUM["NTF_Paris",SPHEROID["Clarke 1880 (IGN)",)wkt"
    R"wkt(6378249.2,293.466021293627]],PRIMEM["Paris",2.33722917],UNIT["grad",)wkt"
    R"wkt(0.015707963267949]],PROJECTION["Transverse_Mercator"],UNIT["metre",1]])wkt";

// The meridian from the equator to the pole a tenth of a degree at a time:
// more points than the module takes to the ellipsoid at once.
Path ToThePole() {
  Path path;
  for (int tenth = 0; tenth <= 900; ++tenth)
    path.push_back({0.0, tenth / 10.0});
  return path;
}

class GroundDistancesTest : public testing::Test {
 protected:
  QString Write(const std::string& srs, bool geoTransform = true) {
    RasterContent content;
    content.srs = srs;
    if (geoTransform)
      content.geoTransform = std::array<double, 6>{10.0, 0.5, 0.0, 50.0, 0.0, -0.5};
    const QString path = dir.filePath(QStringLiteral("%1.tif").arg(++files));
    EXPECT_TRUE(WriteRaster(path, content));
    return path;
  }
  QTemporaryDir dir;
  int files = 0;
};

TEST_F(GroundDistancesTest, MeasuresPathsAsPublished) {
  const double kInf = HUGE_VAL;
  const struct {
    const char* srs;
    Path path;
    // The lengths up to the path's last points (NaN: from a point not on the
    // ellipsoid on); none: the raster has no ground.
    std::vector<double> metres;
    bool geoTransform = true;
  } cases[] = {
      {"EPSG:4326", {{0, 0}, {0, 1}}, {0, kDegree0}},
      {"EPSG:4326", {{10, 45}, {10, 46}}, {kDegree45}},
      {"EPSG:4326", {{30, 0}, {31, 0}}, {kEquator}},
      {"EPSG:4326",
       {{0, 0}, {0, 1}, {0, 0}, {1, 0}},
       {kDegree0, 2 * kDegree0, 2 * kDegree0 + kEquator}},
      {"EPSG:4326", ToThePole(), {kQuarter}},
      {"EPSG:4979", {{0, 0}, {0, 1}}, {kDegree0}},  // geographic 3-D
      {"EPSG:4267", {{0, 0}, {0, 1}}, {kClarkeDegree0}},
      {"EPSG:4267", {{0, 0}, {1, 0}}, {kClarkeEquator}},
      {"EPSG:4807", {{0, 0}, {0, 1}}, {kIgnGradOfMeridian}},
      {"EPSG:4807", {{0, 0}, {1, 0}}, {kIgnGradOfEquator}},
      {"EPSG:32632", {{500000, 0}, {500000, 1000}}, {kUtm}},  // UTM 32N
      {"EPSG:32632", {{500000, 5e6}, {500000, 5.001e6}, {500000, 5e6}}, {kUtm, 2 * kUtm}},
      {kGradsMercator, {{0, 0}, {0, 1000}}, {1000.0}},
      {"EPSG:4326", {{0, 0}, {0, 1}, {0, 100}, {0, 1}}, {0, kDegree0, kNaN, kNaN}},
      {"EPSG:4326", {{0, kInf}, {0, 0}}, {kNaN, kNaN}},
      {"EPSG:32632", {{500000, 0}, {kInf, 0}, {500000, 1000}}, {0, kNaN, kNaN}},
      {"", {}, {}},
      {"EPSG:4326", {}, {}, false},
      {R"(LOCAL_CS["site grid",UNIT["metre",1]])", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.srs << ", " << c.path.size() << " points");
    const std::unique_ptr<MapDistances> ground(OpenRaster(Write(c.srs, c.geoTransform))->Ground());
    ASSERT_EQ(ground != nullptr, !c.metres.empty());
    std::vector<double> metres(c.path.size(), -1.0);
    if (ground)
      ground->PathMetres(c.path.data(), c.path.size(), metres.data());
    for (std::size_t k = 0; k < c.metres.size(); ++k) {
      const double got = metres[c.path.size() - c.metres.size() + k];
      if (std::isnan(c.metres[k]))
        EXPECT_TRUE(std::isnan(got)) << got;
      else  // a centimetre in a hundred kilometres
        EXPECT_NEAR(got, c.metres[k], 1e-7 * c.metres[k] + 1e-9);
    }
  }
}

// Heights read whole or at levels carry the raster's ground, which outlives
// the raster and may be measured on another thread (GDAL keeps PROJ's state
// by thread).
TEST_F(GroundDistancesTest, HeightsCarryTheRastersGround) {
  for (const std::string srs : {"EPSG:4326", ""}) {
    const QString path = Write(srs);
    const HeightValues whole = ReadMeasuredHeights(*OpenRaster(path), 1000).values;
    const HeightValues levels = ReadRasterLevels(OpenRaster(path)).values;
    for (const HeightValues* values : {&whole, &levels}) {
      ASSERT_EQ(values->ground != nullptr, !srs.empty());
      const std::array<double, 2> points[] = {{0, 0}, {1, 0}};
      double metres[2] = {};
      if (values->ground)
        std::thread([&] { values->ground->PathMetres(points, 2, metres); }).join();
      EXPECT_NEAR(metres[1], srs.empty() ? 0.0 : kEquator, 1e-3);
    }
  }
}

}  // namespace
