// Sections of surfaces whose values are known everywhere: planes, where a
// bilinear or a triangle section is exact, and a ramp with a hole, where the
// gaps fall where the hole's cell weighs in.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "app/profilefile.h"
#include "formats/heightfield.h"
#include "formats/rasterlevels.h"
#include "input/decimalsymbol.h"
#include "input/loadobject.h"
#include "objects/sectioncsv.h"
#include "objects/sections.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "support/rasterwriter.h"

namespace {

struct Surface {
  std::string name;
  std::function<void(cOpenGLGraph_Surface&)> make;
  // The value at data (x, y), none in a gap.
  std::function<std::optional<double>(double x, double y)> value;
  // Data (x, y) of a sample's place as the section names it.
  std::function<std::array<double, 2>(const SectionSample&)> data;
  // Whether the x plane, the y plane and the line have gaps.
  std::array<bool, 3> gaps;
};

// z = 0.3 x + 0.5 y on 5 x 4 points, as given in a point file.
std::vector<Vec3> PlanePoints(bool bent) {
  std::vector<Vec3> points;
  for (int r = 0; r < 4; ++r) {
    for (int i = 0; i < 5; ++i) {
      // Bent: each row's x shifted, so the columns are not lines of one x
      // and the section follows the triangles.
      const double x = i / 4.0 + (bent ? 0.03 * r : 0.0);
      const double y = r / 3.0;
      points.push_back({x, y, 0.3 * x + 0.5 * y});
    }
  }
  return points;
}

void SetPointGrid(cOpenGLGraph_Surface& s, bool bent) {
  std::vector<Vec3> points = PlanePoints(bent);
  s.SetGrid(points.data(), 5, 4, false);
  s.values.source = HeightValues::Source::kPointGrid;
}

// A 5 x 4 picture whose grey is 10 column + 20 row: its brightness is
// (10 c + 20 r) / 255 with c = 4 x, r = 3 y.
void SetPicture(cOpenGLGraph_Surface& s) {
  RgbImage image{5, 4, std::make_unique<std::uint8_t[]>(60)};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c)
      for (int k = 0; k < 3; ++k)
        image.pixels[static_cast<std::size_t>((r * 5 + c) * 3 + k)] =
            static_cast<std::uint8_t>(10 * c + 20 * r);
  s.SetGrid(BuildHeightField(image).release(), 5, 4, true);
  s.values.source = HeightValues::Source::kPicture;
}

// A measured ramp of 5 x 4 cells from 100 at the left to 200 at the right,
// cell (column 2, row 1) without value.
void SetRamp(cOpenGLGraph_Surface& s) {
  std::vector<Vec3> points;
  for (int r = 0; r < 4; ++r)
    for (int i = 0; i < 5; ++i)
      points.push_back({i / 4.0, r / 3.0, i / 4.0});
  s.SetGrid(points.data(), 5, 4, false);
  auto present = std::make_unique<std::uint8_t[]>(20);
  std::fill_n(present.get(), 20, 1);
  present[1 * 5 + 2] = 0;
  s.SetPresent(std::move(present));
  s.values.source = HeightValues::Source::kMeasured;
  s.values.minimum = 100;
  s.values.maximum = 200;
}

// The values of a surface that covers the unit square, none beside it.
std::function<std::optional<double>(double, double)> OnUnitSquare(
    std::function<std::optional<double>(double, double)> value) {
  return [value](double x, double y) -> std::optional<double> {
    if (x < -1e-12 || x > 1 + 1e-12 || y < -1e-12 || y > 1 + 1e-12)
      return std::nullopt;
    return value(x, y);
  };
}

std::array<double, 2> AsData(const SectionSample& s) {
  return {s.x, s.y};
}
std::array<double, 2> FromCells(const SectionSample& s) {
  return {s.x / 4.0, s.y / 3.0};
}

std::optional<double> Plane(double x, double y) {
  return 0.3 * x + 0.5 * y;
}

// Inside the sheared grid only.
std::optional<double> BentPlane(double x, double y) {
  if (x < 0.09 * y - 1e-12 || x > 1 + 0.09 * y + 1e-12)
    return std::nullopt;
  return Plane(x, y);
}

std::optional<double> PictureValue(double x, double y) {
  return (40 * x + 60 * y) / 255;
}

// The hole's cell weighs in within one cell of it.
std::optional<double> Ramp(double x, double y) {
  const double c = 4 * x, r = 3 * y;
  if (std::abs(c - 2) < 1 - 1e-9 && std::abs(r - 1) < 1 - 1e-9)
    return std::nullopt;
  return 100 + 100 * x;
}

const Surface kSurfaces[] = {
    {"point grid",
     [](cOpenGLGraph_Surface& s) { SetPointGrid(s, false); },
     OnUnitSquare(Plane),
     AsData,
     {false, false, true}},
    {"bent point grid",
     [](cOpenGLGraph_Surface& s) { SetPointGrid(s, true); },
     BentPlane,
     AsData,
     {false, true, true}},
    {"picture", SetPicture, OnUnitSquare(PictureValue), FromCells, {false, false, true}},
    {"ramp with hole", SetRamp, OnUnitSquare(Ramp), FromCells, {true, true, true}},
};

// The point line: a path over the surface and beyond its edge.
const Vec3 kLine[] = {{0.1, 0.2, 0}, {0.9, 0.7, 0}, {0.6, 0.1, 0}, {1.3, 0.1, 0}};

TEST(Sections, ValuesGapsAndDistancesOfEverySurfaceAlongEverySection) {
  for (const Surface& surface : kSurfaces) {
    SCOPED_TRACE(surface.name);
    cOpenGLGraph_Surface s;
    surface.make(s);
    const Sections sections = CutSections(s, {0.6, 0.5, kLine, 4});
    EXPECT_TRUE(sections.final);
    for (const Section* section : {&sections.xPlane, &sections.yPlane, &sections.line}) {
      SCOPED_TRACE(SectionName(section->kind));
      ASSERT_FALSE(section->samples.empty());
      int values = 0, gaps = 0;
      double before = -1;
      for (const SectionSample& sample : section->samples) {
        const auto [x, y] = surface.data(sample);
        if (section->kind == SectionKind::kXPlane) {
          EXPECT_NEAR(x, 0.6, 1e-12);
        } else if (section->kind == SectionKind::kYPlane) {
          EXPECT_NEAR(y, 0.5, 1e-12);
        }
        EXPECT_GE(sample.distance, before - 1e-12);
        before = sample.distance;
        const std::optional<double> expected = surface.value(x, y);
        if (sample.Gap()) {
          ++gaps;
          EXPECT_FALSE(expected) << "a gap at " << x << ", " << y;
        } else {
          ++values;
          ASSERT_TRUE(expected) << "a value at " << x << ", " << y;
          EXPECT_NEAR(sample.value, *expected, 1e-6) << "at " << x << ", " << y;
        }
      }
      EXPECT_GT(values, 1);
      EXPECT_EQ(gaps > 0, surface.gaps[static_cast<std::size_t>(section->kind)]);
    }
  }
}

TEST(Sections, SampleEveryLineOfCellCentresAPlaneCrosses) {
  // The picture: the x plane at 0.6 (column 2.4) meets rows 0 ... 3 and the
  // y plane at 0.5 (row 1.5) columns 0 ... 4; distances in cells.
  cOpenGLGraph_Surface s;
  SetPicture(s);
  const Sections sections = CutSections(s, {0.6, 0.5, kLine, 4});
  EXPECT_EQ(sections.distanceUnit, DistanceUnit::kCells);
  const auto distances = [](const Section& section) {
    std::vector<double> out;
    for (const SectionSample& sample : section.samples)
      out.push_back(sample.distance);
    return out;
  };
  EXPECT_EQ(distances(sections.xPlane), (std::vector<double>{0, 1, 2, 3}));
  EXPECT_EQ(distances(sections.yPlane), (std::vector<double>{0, 1, 2, 3, 4}));
  // The line's first leg, (0.4, 0.6) to (3.6, 2.1) in cells, crosses columns
  // 1, 2, 3 and rows 1, 2: seven samples with its ends, the first at 0 and
  // the last at its length.
  const std::vector<double> line = distances(sections.line);
  ASSERT_GE(line.size(), 7u);
  EXPECT_NEAR(line[6], std::hypot(3.2, 1.5), 1e-12);
}

TEST(Sections, NothingToCutGivesNoSamples) {
  cOpenGLGraph_Surface empty;
  const Sections none = CutSections(empty, {0.5, 0.5, kLine, 4});
  EXPECT_TRUE(none.xPlane.samples.empty() && none.yPlane.samples.empty() &&
              none.line.samples.empty());
  // Planes beside a point grid, and a line of one point.
  cOpenGLGraph_Surface s;
  SetPointGrid(s, false);
  const Sections beside = CutSections(s, {1.5, -0.5, kLine, 1});
  EXPECT_TRUE(beside.xPlane.samples.empty() && beside.yPlane.samples.empty() &&
              beside.line.samples.empty());
}

// Lengths of a degree on WGS 84 from the published series (in metres, at
// latitude p): of latitude 111132.954 - 559.822 cos 2p + 1.175 cos 4p, of
// longitude 111412.84 cos p - 93.5 cos 3p + 0.118 cos 5p.
double DegreeOfLatitude(double p) {
  const double r = p * M_PI / 180;
  return 111132.954 - 559.822 * std::cos(2 * r) + 1.175 * std::cos(4 * r);
}
double DegreeOfLongitude(double p) {
  const double r = p * M_PI / 180;
  return 111412.84 * std::cos(r) - 93.5 * std::cos(3 * r) + 0.118 * std::cos(5 * r);
}

TEST(Sections, OfARasterInDegreesRunInMetresOnTheGroundWholeOrAtLevels) {
  // 11 x 11 cells of 0.1 degree from 10 E, 1 N: values 100 + 2 column +
  // 3 row, cell centres at 10.05 + 0.1 column E, 0.95 - 0.1 row N.
  QTemporaryDir dir;
  RasterContent raster;
  raster.columns = raster.rows = 11;
  raster.value = [](int c, int r, int) { return 100.0 + 2 * c + 3 * r; };
  raster.geoTransform = {{10, 0.1, 0, 1, 0, -0.1}};
  raster.srs = "EPSG:4326";
  const QString path = dir.filePath(QStringLiteral("degrees.tif"));
  ASSERT_TRUE(WriteRaster(path, raster));
  const auto value = [](double c, double r) { return 100 + 2 * c + 3 * r; };
  // Along the x plane at column 5, from 0.95 N to 0.05 S; along the y plane
  // at row 5, 0.45 N, over a degree; along the diagonal both at once.
  const double meridian = DegreeOfLatitude(0.45);
  const double parallel = DegreeOfLongitude(0.45);
  const double diagonal = std::hypot(meridian, parallel);
  const Vec3 line[] = {{0, 0, 0}, {1, 1, 0}};
  for (const bool levels : {false, true}) {
    SCOPED_TRACE(levels ? "at levels" : "whole");
    LevelSizes sizes;
    if (levels)
      sizes.wholeCells = 16, sizes.handCells = 9, sizes.tileSide = 4;
    const ScopedLevelSizes scoped(sizes);
    cOpenGLGraph_Surface surface;
    cOpenGLGraph_Solid volume;
    LoadFileByContent(path, RegionalDecimalSeparator(), false, surface, volume);
    ASSERT_EQ(surface.LevelsOfDetail() != nullptr, levels);
    const Sections s = FinalSections(surface, {0.5, 0.5, line, 2});
    ASSERT_TRUE(s.final);
    EXPECT_EQ(s.distanceUnit, DistanceUnit::kMetres);
    ASSERT_EQ(s.xPlane.samples.size(), 11u);
    ASSERT_EQ(s.yPlane.samples.size(), 11u);
    ASSERT_EQ(s.line.samples.size(), 11u);  // the corners' diagonal meets the centres
    for (int k = 0; k < 11; ++k) {
      const SectionSample& x = s.xPlane.samples[static_cast<std::size_t>(k)];
      const SectionSample& y = s.yPlane.samples[static_cast<std::size_t>(k)];
      const SectionSample& d = s.line.samples[static_cast<std::size_t>(k)];
      EXPECT_NEAR(x.value, value(5, k), 1e-6);
      EXPECT_NEAR(y.value, value(k, 5), 1e-6);
      EXPECT_NEAR(d.value, value(k, k), 1e-6);
      EXPECT_NEAR(x.x, 10.55, 1e-9);
      EXPECT_NEAR(x.y, 0.95 - 0.1 * k, 1e-9);
      EXPECT_NEAR(x.distance, meridian * k / 10, 1e-3 * meridian);
      EXPECT_NEAR(y.distance, parallel * k / 10, 1e-3 * parallel);
      EXPECT_NEAR(d.distance, diagonal * k / 10, 1e-3 * diagonal);
    }
  }
}

TEST(SectionsCsv, OneHeaderThenALineASampleWithGapsEmpty) {
  Sections sections;
  sections.xPlane.samples = {{0, 2.5, 0, 0.1}, {1, 2.5, 1, NAN}};
  sections.line.samples = {{0.25, 1e-7, -3, 1234.5}};
  EXPECT_EQ(SectionsCsv(sections),
            "section,distance,x,y,value\n"
            "x-plane,0,2.5,0,0.1\n"
            "x-plane,1,2.5,1,\n"
            "line,0.25,1e-07,-3,1234.5\n");
}

}  // namespace
