// The three kinds of plot object together, as the program shows them: a line
// and an 8-band surface before the planes, a 64^3 volume after them.
#include <cmath>
#include <memory>

#include "object_scene.h"
#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

class FullScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    graph.zoom = 1.0;

    Vec3 points[3] = {{0.2, 0.8, 0.95}, {0.8, 0.8, 0.95}, {0.8, 0.2, 0.95}};
    line.SetVertices(points, 3, false);

    // A low dome on a 33 x 33 grid, 0.45 at the centre and 0.05 at the
    // corners, handed over the way the loaders do it.
    constexpr std::uint32_t n = 33;
    std::unique_ptr<Vec3[]> grid(new Vec3[n * n]);
    for (std::uint32_t r = 0; r < n; ++r) {
      for (std::uint32_t i = 0; i < n; ++i) {
        const double x = i / 32.0, y = r / 32.0;
        grid[r * n + i] = {x, y, 0.45 - 0.8 * ((x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5))};
      }
    }
    surface.SetLevels(8);
    surface.SetGrid(grid.get(), n, n, true);
    grid.release();

    // A dense ball around (0.25, 0.25, 0.75), above the dome; empty elsewhere.
    constexpr std::uint32_t m = 64;
    std::unique_ptr<float[]> counts(new float[m * m * m]);
    for (std::uint32_t k = 0; k < m; ++k) {
      for (std::uint32_t j = 0; j < m; ++j) {
        for (std::uint32_t i = 0; i < m; ++i) {
          const double d = std::hypot(i / 63.0 - 0.25, j / 63.0 - 0.25, k / 63.0 - 0.75);
          counts[(k * m + j) * m + i] = d < 0.2 ? 1.0f : 0.0f;
        }
      }
    }
    solid.SetLevels(8);
    solid.SetVolume(counts.get(), m, m, m, true);
    counts.release();

    graph.preObjects = {&line, &surface};
    graph.postObjects = {&solid};
  }

  cOpenGLGraph_Line line;
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid solid;
};

TEST_F(FullScene, ShowsLineSurfaceBandsAndVolumeHaze) {
  graph.Draw();
  const QImage withVolume = graph.Picture();
  EXPECT_TRUE(ColourNearby({0.5, 0.8, 0.95}, 255, 255, 255)) << Save().toStdString();
  // Rings of grey: heights 0.45, 0.322 and 0.194 lie in bands 3, 2 and 1.
  EXPECT_TRUE(ColourAt({0.5, 0.5, 0.45}, 127, 127, 127));
  EXPECT_TRUE(ColourAt({0.5, 0.9, 0.322}, 95, 95, 95));
  EXPECT_TRUE(ColourAt({0.9, 0.9, 0.194}, 63, 63, 63));

  graph.postObjects.clear();
  graph.Draw();
  const QImage withoutVolume = graph.Picture();
  // The ball brightens what lies behind it and leaves the rest alone.
  const QPoint ball = ProjectDataPoint(graph, {0.25, 0.25, 0.75});
  EXPECT_GT(qGray(withVolume.pixel(ball)), qGray(withoutVolume.pixel(ball)) + 20)
      << SaveForInspection(withVolume, QStringLiteral("FullScene")).toStdString();
  const QPoint away = ProjectDataPoint(graph, {0.9, 0.9, 0.194});
  EXPECT_EQ(withVolume.pixel(away), withoutVolume.pixel(away));
}

}  // namespace
