// The point line: white over the planes, in exactly the passes its switches
// select, from whatever its array holds at the time.
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
  for (double x : {0.25, 0.5, 0.75})
    EXPECT_TRUE(WhiteNear({x, 0.45, 0.55})) << x << Save();
  EXPECT_FALSE(WhiteNear({0.5, 0.75, 0.55})) << Save();
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
  const Vec3 scales[4] = {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}};
  for (int pass = 0; pass < 4; ++pass) {
    EXPECT_EQ(WhiteNear({0.5, 0.6, 0.65}, scales[pass]), c.flags[pass] != 0)
        << "pass " << pass << "; " << Save();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, LineSwitches,
    testing::Values(SwitchCase{"None", {0, 0, 0, 0}}, SwitchCase{"Only3D", {0, 0, 0, 1}},
                    SwitchCase{"OnlyXY", {1, 0, 0, 0}}, SwitchCase{"OnlyYZ", {0, 1, 0, 0}},
                    SwitchCase{"OnlyZX", {0, 0, 1, 0}},
                    // Any non-zero byte counts as set.
                    SwitchCase{"AllNonZero", {2, 255, 7, 128}}),
    [](const testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

// The owner edits points in place between redraws; nothing may hold on to
// the old coordinates.
TEST_F(LineScene, DrawsWhatItsArrayHoldsNow) {
  LookFromAbove();
  SetPoints({0.25, 0.35, 0.5}, {0.75, 0.35, 0.5});
  graph.Draw();
  line.vertices[0].y = line.vertices[1].y = 0.65;
  graph.Draw();
  EXPECT_TRUE(WhiteNear({0.5, 0.65, 0.5})) << Save();
  EXPECT_FALSE(WhiteNear({0.5, 0.35, 0.5})) << Save();
}

}  // namespace
