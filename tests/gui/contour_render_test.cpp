// Contour lines as the picture shows them: on the surface they lie on, never
// hidden by it, on the XY face where that is shown, and hidden by nearer
// relief like anything else behind it.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include <QTemporaryDir>

#include "app/renderfile.h"
#include "objects/surface.h"
#include "support/bmpwriter.h"
#include "support/projection.h"
#include "support/testfiles.h"

namespace {

class ContourPictures : public testing::Test {
 protected:
  // A picture of 128 x 128 points whose brightness is height.
  QString Heights(const char* name, const std::function<double(double x, double y)>& z) {
    Picture p{128, 128, {}};
    for (int row = 0; row < 128; ++row) {
      for (int col = 0; col < 128; ++col) {
        const auto v = static_cast<std::uint8_t>(std::lround(255 * z(col / 127.0, row / 127.0)));
        p.pixels.push_back({v, v, v});
      }
    }
    return WriteTestFile(dir, QString::fromLatin1(name), WriteBmp(p, {}));
  }

  static QImage WithoutLines(PictureRequest request) {
    request.look.contours = false;
    return cPictureScene(request).Draw().convertToFormat(QImage::Format_RGB32);
  }

  // Whether a pixel within one of at shows a line: it differs from the
  // picture without lines (on the XY face the floor's translucent grid lies
  // over the lines, so they are not black there).
  static bool LineNear(const QImage& lined, const QImage& plain, QPoint at) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const QPoint q = at + QPoint(dx, dy);
        if (lined.valid(q) && lined.pixel(q) != plain.pixel(q))
          return true;
      }
    }
    return false;
  }

  static bool LightGreyNear(const QImage& image, QPoint at) {
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        const QPoint q = at + QPoint(dx, dy);
        if (!image.valid(q))
          continue;
        const QRgb p = image.pixel(q);
        if (qGreen(p) >= 110 && std::abs(qRed(p) - qGreen(p)) < 24 &&
            std::abs(qBlue(p) - qGreen(p)) < 24)
          return true;
      }
    }
    return false;
  }

  QTemporaryDir dir;
};

// A cone of slope 1 (at the vertical scale 1/2) seen from 60 degrees up,
// where every part of it faces the eye: every vertex of every line shows,
// in the 3-D picture at its place, on the XY face at its place on the floor.
TEST_F(ContourPictures, ShowWhereTheyLieOnTheSurfaceAndOnTheFloor) {
  const QString cone = Heights("cone.bmp", [](double x, double y) {
    return std::max(0.0, 1.0 - 2.0 * std::hypot(x - 0.5, y - 0.5));
  });
  const struct {
    const char* name;
    bool threeD, flat;
    Vec3 scale;
  } passes[] = {{"3-D", true, false, {1, 1, 0.5}}, {"XY face", false, true, {1, 1, 0}}};
  for (const auto& pass : passes) {
    SCOPED_TRACE(pass.name);
    PictureRequest request;
    request.dataFile = cone;
    request.theta = 4500;
    request.height = 6000;
    request.show[0] = pass.threeD;
    request.show[1] = pass.flat;
    request.look.colourMap = ColourMapKind::kTerrain;  // no band is black
    request.look.zScale = 0.5;
    request.look.contours = true;
    request.look.contourStep = 0.1;
    const QImage plain = WithoutLines(request);
    cPictureScene scene(request);
    const QImage picture = scene.Draw().convertToFormat(QImage::Format_RGB32);
    const ContourLines* lines = scene.Surface().Contours();
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->lines.size(), 9u);  // 0.1 ... 0.9, the tip at 0.99
    int checked = 0, missing = 0;
    for (std::size_t k = 0; k < lines->points.size(); k += 3) {
      const Vec3 p{lines->points[k], lines->points[k + 1], lines->points[k + 2]};
      const QPoint at = ProjectDataPoint(scene.View(), p, pass.scale);
      // The point line and the planes' grid lines are drawn over the
      // surface and may cover its lines.
      if (LightGreyNear(plain, at))
        continue;
      ++checked;
      missing += LineNear(picture, plain, at) ? 0 : 1;
    }
    EXPECT_GT(checked, 500);
    EXPECT_EQ(missing, 0);
    if (missing)
      SaveForInspection(picture, QStringLiteral("contours_missing"));
  }
}

// A plateau at the top height in front of a lower cone, seen from low down
// over the plateau: the cone's lines behind it stay hidden. The plateau is
// level and has no lines of its own but its outline; its top band (of 128)
// is its alone.
TEST_F(ContourPictures, NearerReliefHidesThem) {
  const QString scene = Heights("wall.bmp", [](double x, double y) {
    if (y > 0.8)
      return 1.0;
    return std::max(0.0, 0.7 - 1.4 * std::hypot(x - 0.5, y - 0.4));
  });
  PictureRequest request;
  request.dataFile = scene;
  request.theta = 9000;
  request.height = 3000;
  request.bands = 128;
  request.look.zScale = 0.6;
  request.look.contours = true;
  request.look.contourStep = 0.1;
  const QImage plain = WithoutLines(request);
  cPictureScene withLines(request);
  const QImage lined = withLines.Draw().convertToFormat(QImage::Format_RGB32);
  // The plateau's pixels: its band's colour two pixels all around (its own
  // outline is the line at 1).
  const QRgb top = plain.pixel(ProjectDataPoint(withLines.View(), {0.5, 0.95, 0.6}));
  int inside = 0, changed = 0;
  for (int y = 2; y + 2 < plain.height(); ++y) {
    for (int x = 2; x + 2 < plain.width(); ++x) {
      bool all = true;
      for (int d = 0; d < 25 && all; ++d)
        all = plain.pixel(x - 2 + d % 5, y - 2 + d / 5) == top;
      if (!all)
        continue;
      ++inside;
      changed += lined.pixel(x, y) == top ? 0 : 1;
    }
  }
  // The cone's lines lie behind: some of them project onto the plateau.
  int behind = 0;
  for (std::size_t k = 0; k < withLines.Surface().Contours()->points.size(); k += 3) {
    const float* p = &withLines.Surface().Contours()->points[k];
    const QPoint at = ProjectDataPoint(withLines.View(), {p[0], p[1], p[2] * 0.6});
    behind += p[1] < 0.8 && plain.valid(at) && plain.pixel(at) == top ? 1 : 0;
  }
  EXPECT_GT(inside, 2000);
  EXPECT_GT(behind, 50);
  EXPECT_EQ(changed, 0);
  if (changed)
    SaveForInspection(lined, QStringLiteral("contours_through_relief"));
}

}  // namespace
