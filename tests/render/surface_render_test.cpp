// The surface: grey bands by height, looked up per pixel, kept when the
// surface is flattened onto the bottom face.
#include <algorithm>
#include <memory>
#include <vector>

#include "object_scene.h"
#include "objects/surface.h"

namespace {

class SurfaceScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    MovePlanesAway();
    graph.preObjects.push_back(&surface);
  }
  // One quad over (0.2 ... 0.8)^2 rising along x from height left to right.
  void SetQuad(double left, double right) {
    Vec3 quad[4] = {{0.2, 0.2, left}, {0.8, 0.2, right}, {0.2, 0.8, left}, {0.8, 0.8, right}};
    surface.SetGrid(quad, 2, 2, false);
  }
  // The point at height h of a quad rising from 0 to 1.
  static Vec3 OnSlope(double h) { return {0.2 + 0.6 * h, 0.5, h}; }

  cOpenGLGraph_Surface surface;
};

struct BandCase {
  const char* name;
  std::vector<std::uint32_t> levels;  // SetLevels calls in order
  double height;
  int grey;
};
void PrintTo(const BandCase& c, std::ostream* os) {
  *os << c.name;
}

class FlatSurface : public SurfaceScene, public testing::WithParamInterface<BandCase> {};

TEST_P(FlatSurface, ShowsTheGreyOfItsHeightsBand) {
  const BandCase& c = GetParam();
  for (std::uint32_t levels : c.levels)
    surface.SetLevels(levels);
  SetQuad(c.height, c.height);
  LookFromAbove();
  graph.Draw();
  EXPECT_TRUE(ColourAt({0.43, 0.57, c.height}, c.grey, c.grey, c.grey));
}

INSTANTIATE_TEST_SUITE_P(Heights, FlatSurface,
                         testing::Values(BandCase{"EightAtZero", {8}, 0.0, 31},
                                         BandCase{"EightAtHalf", {8}, 0.5, 159},
                                         BandCase{"EightAtOne", {8}, 1.0, 255},
                                         BandCase{"EightAboveCube", {8}, 1.4, 255},
                                         BandCase{"EightBelowCube", {8}, -0.3, 31},
                                         BandCase{"ThreeGiveTwoLower", {3}, 0.3, 127},
                                         BandCase{"ThreeGiveTwoUpper", {3}, 0.7, 255},
                                         BandCase{"NeverGivenLevels", {}, 0.3, 255},
                                         BandCase{"ZeroKeepsPrevious", {4, 0}, 0.2, 63},
                                         // More bands than a 1-D texture may be wide: drawn as the
                                         // widest table allowed, grey close to 255 h.
                                         BandCase{"BeyondTextureLimitLow", {~0u}, 0.3, 76},
                                         BandCase{"BeyondTextureLimitHigh", {~0u}, 0.7, 178}),
                         [](const testing::TestParamInfo<BandCase>& info) {
                           return std::string(info.param.name);
                         });

// Within one quad rising from 0 to 1 the bands change inside the triangles:
// the height is looked up per pixel, not per vertex.
TEST_F(SurfaceScene, BandBordersRunThroughTheTriangles) {
  SetQuad(0.0, 1.0);
  LookFromAbove();
  surface.SetLevels(8);
  graph.Draw();
  for (auto [height, grey] : {std::pair{0.1, 31}, {0.3, 95}, {0.55, 159}, {0.9, 255}}) {
    EXPECT_TRUE(ColourAt(OnSlope(height), grey, grey, grey));
  }
}

TEST_F(SurfaceScene, FlattenedOntoBottomFaceKeepsItsBands) {
  surface.SetLevels(3);
  surface.disp3D = 0;
  surface.dispXY = 1;
  SetQuad(0.0, 1.0);
  LookFromSide();
  graph.Draw();
  EXPECT_TRUE(ColourAt(OnSlope(0.25), 127, 127, 127, {1, 1, 0}));
  EXPECT_TRUE(ColourAt(OnSlope(0.75), 255, 255, 255, {1, 1, 0}));
  EXPECT_TRUE(ColourAt(OnSlope(0.75), 26, 26, 51)) << "drawn in 3-D too";
}

// A point without a value takes every triangle it belongs to with it, in
// every pass and in previews; the rest of the grid stays.
TEST_F(SurfaceScene, MissingPointLeavesAHole) {
  std::vector<Vec3> grid;
  for (int r = 0; r < 4; ++r) {
    for (int i = 0; i < 4; ++i)
      grid.push_back({0.2 + 0.2 * i, 0.2 + 0.2 * r, 1.0});
  }
  surface.SetGrid(grid.data(), 4, 4, false);
  auto present = std::make_unique<std::uint8_t[]>(16);
  std::fill_n(present.get(), 16, 1);
  present[5] = 0;  // row 1, column 1
  surface.SetPresent(std::move(present));
  surface.SetLevels(8);
  surface.dispXY = 1;
  LookFromAbove();
  for (const std::size_t budget : {0, 2}) {
    surface.previewTriangles = budget;
    graph.Draw();
    EXPECT_TRUE(ColourAt({0.4, 0.4, 1.0}, 26, 26, 51)) << "budget " << budget;
    EXPECT_TRUE(ColourAt({0.3, 0.5, 1.0}, 26, 26, 51)) << "budget " << budget;
    EXPECT_TRUE(ColourAt({0.7, 0.7, 1.0}, 255, 255, 255)) << "budget " << budget;
  }
}

}  // namespace
