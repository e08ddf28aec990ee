// The point line: drawn white over the planes, in exactly the passes its
// switches select, from whatever its array holds at the time.
#include "object_scene.h"
#include "objects/line.h"

namespace {

class LineScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    graph.preObjects.push_back(&line);
  }
  void SetPoints(Vec3 a, Vec3 b) {
    Vec3 points[2] = {a, b};
    line.SetVertices(points, 2, false);
  }
  cOpenGLGraph_Line line;
};

TEST_F(LineScene, IsDrawnWhiteOverThePlanes) {
  SetPoints({0.15, 0.45, 0.55}, {0.85, 0.45, 0.55});
  graph.Draw();
  for (double x : {0.25, 0.5, 0.75}) {
    EXPECT_TRUE(ColourNearby({x, 0.45, 0.55}, 255, 255, 255))
        << "x " << x << ", " << Save().toStdString();
  }
  // Away from the line the planes show, not white.
  EXPECT_FALSE(ColourNearby({0.5, 0.75, 0.55}, 255, 255, 255)) << Save().toStdString();
}

struct SwitchCase {
  const char* name;
  std::uint8_t flags[4];  // dispXY, dispYZ, dispZX, disp3D
};
void PrintTo(const SwitchCase& c, std::ostream* os) {
  *os << c.name;
}

class LineSwitches : public LineScene, public testing::WithParamInterface<SwitchCase> {};

// A slanted line seen from the side, so that it and its three shadows on the
// faces through the origin land apart on screen.
TEST_P(LineSwitches, DrawTheLineInExactlyTheSelectedPasses) {
  const SwitchCase& c = GetParam();
  line.dispXY = c.flags[0];
  line.dispYZ = c.flags[1];
  line.dispZX = c.flags[2];
  line.disp3D = c.flags[3];
  MovePlanesAway();
  LookFromSide();
  SetPoints({0.3, 0.4, 0.5}, {0.7, 0.8, 0.8});
  graph.Draw();

  const Vec3 middle{0.5, 0.6, 0.65};
  const Vec3 scales[4] = {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}};
  const char* passes[4] = {"XY", "YZ", "ZX", "3-D"};
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(ColourNearby(middle, 255, 255, 255, scales[p]), c.flags[p] != 0)
        << passes[p] << " pass; " << Save().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, LineSwitches,
    testing::Values(SwitchCase{"None", {0, 0, 0, 0}}, SwitchCase{"Only3D", {0, 0, 0, 1}},
                    SwitchCase{"OnlyXY", {1, 0, 0, 0}}, SwitchCase{"OnlyYZ", {0, 1, 0, 0}},
                    SwitchCase{"OnlyZX", {0, 0, 1, 0}}, SwitchCase{"FlatOnly", {1, 1, 1, 0}},
                    // Any non-zero byte counts as set.
                    SwitchCase{"AllNonZero", {2, 255, 7, 128}}),
    [](const testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

// The owner edits points in place between redraws; nothing may hold on to
// the old coordinates.
TEST_F(LineScene, DrawsWhatItsArrayHoldsNow) {
  MovePlanesAway();
  LookFromAbove();
  SetPoints({0.2, 0.3, 0.5}, {0.8, 0.3, 0.5});
  graph.Draw();
  line.vertices[0].y = 0.7;
  line.vertices[1].y = 0.7;
  graph.Draw();
  EXPECT_TRUE(ColourNearby({0.5, 0.7, 0.5}, 255, 255, 255)) << Save().toStdString();
  EXPECT_FALSE(ColourNearby({0.5, 0.3, 0.5}, 255, 255, 255)) << Save().toStdString();
}

}  // namespace
