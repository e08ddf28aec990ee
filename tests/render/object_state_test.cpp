// The drawing contract of plot objects: each Draw leaves texturing and
// blending off and the matrices alone, raises no GL error, and objects with
// nothing to show leave the picture (and, where they issue no call at all,
// even the current colour) untouched.
#include <algorithm>
#include <functional>
#include <vector>

#include <GL/gl.h>

#include "object_scene.h"
#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

struct GlState {
  GLint matrixMode = 0;
  GLint modelViewDepth = 0;
  GLint projectionDepth = 0;
  GLdouble modelView[16] = {};
  GLboolean texture1D = GL_FALSE;
  GLboolean blend = GL_FALSE;
  GLboolean depthTest = GL_FALSE;
  GLboolean depthWrite = GL_FALSE;
  GLint depthFunc = 0;
  GLint textureWidth = 0;  // of the default 1-D texture

  static GlState Read() {
    GlState s;
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelViewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
    glGetDoublev(GL_MODELVIEW_MATRIX, s.modelView);
    s.texture1D = glIsEnabled(GL_TEXTURE_1D);
    s.blend = glIsEnabled(GL_BLEND);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthWrite);
    glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunc);
    glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_WIDTH, &s.textureWidth);
    return s;
  }
};

// Stands in the scene's list for the object under test and records the GL
// state around its Draw, with a marker colour set just before it.
class Probe : public cOpenGLGraph_Data {
 public:
  explicit Probe(cOpenGLGraph_Data& inner) : inner(inner) {}
  void Draw() override {
    glGetError();  // forget errors of earlier steps
    glColor4dv(kMarker);
    before = GlState::Read();
    inner.Draw();
    error = glGetError();
    after = GlState::Read();
    glGetDoublev(GL_CURRENT_COLOR, colourAfter);
    drawn = true;
  }
  static constexpr GLdouble kMarker[4] = {0.25, 0.5, 0.75, 1.0};
  cOpenGLGraph_Data& inner;
  GlState before, after;
  GLenum error = GL_NO_ERROR;
  GLdouble colourAfter[4] = {};
  bool drawn = false;
};

// The objects of one case; the case sets up one of them and returns it.
struct Objects {
  cOpenGLGraph_Line line;
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid solid;
};

Vec3 gridPoints[6] = {{0.2, 0.2, 0.3}, {0.5, 0.2, 0.6}, {0.8, 0.2, 0.9},
                      {0.2, 0.8, 0.3}, {0.5, 0.8, 0.6}, {0.8, 0.8, 0.9}};
float field[4 * 3 * 2] = {0.9f, 0.2f, 1.0f, 0.5f, 0.7f, 0.9f, 0.9f, 0.3f, 0.6f, 0.9f, 1.0f, 0.8f,
                          0.9f, 0.2f, 1.0f, 0.5f, 0.7f, 0.9f, 0.9f, 0.3f, 0.6f, 0.9f, 1.0f, 0.8f};

struct DrawCase {
  const char* name;
  std::function<cOpenGLGraph_Data&(Objects&)> setUp;
};

std::string CaseName(const testing::TestParamInfo<DrawCase>& info) {
  return info.param.name;
}
void PrintTo(const DrawCase& c, std::ostream* os) {
  *os << c.name;
}

class ObjectDraw : public ObjectScene, public testing::WithParamInterface<DrawCase> {
 protected:
  // Draws the scene with the case's object in the first list and returns the
  // probe's record.
  const Probe& DrawCaseObject() {
    probe = std::make_unique<Probe>(GetParam().setUp(objects));
    graph.preObjects.push_back(probe.get());
    graph.Draw();
    EXPECT_TRUE(probe->drawn);
    return *probe;
  }
  Objects objects;
  std::unique_ptr<Probe> probe;
};

// ---- Every object, empty or not, leaves the state as the contract says.

class LeavesState : public ObjectDraw {};

TEST_P(LeavesState, TexturingAndBlendingOffMatricesUntouched) {
  const Probe& p = DrawCaseObject();
  EXPECT_EQ(p.error, static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(p.after.texture1D, GL_FALSE);
  EXPECT_EQ(p.after.blend, GL_FALSE);
  EXPECT_EQ(p.after.matrixMode, p.before.matrixMode);
  EXPECT_EQ(p.after.modelViewDepth, p.before.modelViewDepth);
  EXPECT_EQ(p.after.projectionDepth, p.before.projectionDepth);
  EXPECT_TRUE(std::equal(p.after.modelView, p.after.modelView + 16, p.before.modelView));
  EXPECT_EQ(p.after.depthTest, p.before.depthTest);
  EXPECT_EQ(p.after.depthWrite, p.before.depthWrite);
  EXPECT_EQ(p.after.depthFunc, p.before.depthFunc);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, LeavesState,
    testing::Values(
        DrawCase{"EmptyLine", [](Objects& o) -> cOpenGLGraph_Data& { return o.line; }},
        DrawCase{"Line",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.line.SetVertices(gridPoints, 6, false);
                   return o.line;
                 }},
        DrawCase{"EmptySurface", [](Objects& o) -> cOpenGLGraph_Data& { return o.surface; }},
        DrawCase{"Surface",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.surface.SetLevels(8);
                   o.surface.SetGrid(gridPoints, 3, 2, false);
                   return o.surface;
                 }},
        // Wider than any 1-D texture an implementation takes.
        DrawCase{"SurfaceWithMostLevels",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.surface.SetLevels(0xFFFFFFFFu);
                   o.surface.SetGrid(gridPoints, 3, 2, false);
                   return o.surface;
                 }},
        DrawCase{"EmptySolid", [](Objects& o) -> cOpenGLGraph_Data& { return o.solid; }},
        DrawCase{"Solid",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.solid.SetLevels(8);
                   o.solid.SetVolume(field, 4, 3, 2, false);
                   return o.solid;
                 }}),
    CaseName);

// ---- Objects with nothing to show leave the picture as it was.

class ShowsNothing : public ObjectDraw {};

TEST_P(ShowsNothing, PictureEqualsTheSceneWithoutIt) {
  graph.Draw();
  const QImage without = graph.Picture();
  DrawCaseObject();
  EXPECT_EQ(graph.Picture(), without) << Save().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Objects, ShowsNothing,
    testing::Values(
        DrawCase{"EmptyLine", [](Objects& o) -> cOpenGLGraph_Data& { return o.line; }},
        DrawCase{"ClearedLine",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.line.SetVertices(gridPoints, 6, false);
                   o.line.Clear();
                   return o.line;
                 }},
        DrawCase{"OnePointLine",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.line.SetVertices(gridPoints, 1, false);
                   return o.line;
                 }},
        DrawCase{"NoPointLine",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.line.SetVertices(gridPoints, 0, false);
                   return o.line;
                 }},
        DrawCase{"EmptySurface", [](Objects& o) -> cOpenGLGraph_Data& { return o.surface; }},
        DrawCase{"OneRowSurface",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.surface.SetGrid(gridPoints, 6, 1, false);
                   return o.surface;
                 }},
        DrawCase{"OneColumnSurface",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.surface.SetGrid(gridPoints, 1, 6, false);
                   return o.surface;
                 }},
        DrawCase{"EmptySolid", [](Objects& o) -> cOpenGLGraph_Data& { return o.solid; }},
        DrawCase{"OneRowSolid",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.solid.SetVolume(field, 4, 1, 6, false);
                   return o.solid;
                 }},
        DrawCase{"OneColumnSolid",
                 [](Objects& o) -> cOpenGLGraph_Data& {
                   o.solid.SetVolume(field, 1, 4, 6, false);
                   return o.solid;
                 }}),
    CaseName);

// ---- An empty line or surface issues no graphics call at all.

class CallsNothing : public ObjectDraw {};

TEST_P(CallsNothing, CurrentColourAndTexturingUntouched) {
  const Probe& p = DrawCaseObject();
  EXPECT_TRUE(std::equal(p.colourAfter, p.colourAfter + 4, Probe::kMarker));
  EXPECT_EQ(p.after.textureWidth, p.before.textureWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, CallsNothing,
    testing::Values(DrawCase{"EmptyLine", [](Objects& o) -> cOpenGLGraph_Data& { return o.line; }},
                    // Bands without a grid: the ramp alone gives no reason to draw.
                    DrawCase{"EmptySurfaceWithLevels",
                             [](Objects& o) -> cOpenGLGraph_Data& {
                               o.surface.SetLevels(8);
                               return o.surface;
                             }}),
    CaseName);

}  // namespace
