// The drawing contract of plot objects: each Draw leaves texturing, blending
// and client arrays off and the matrices alone and raises no GL error; objects with
// nothing to show leave the picture alone, and an empty line or surface
// issues no call at all.
#include <GL/gl.h>

#include "object_scene.h"
#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

struct GlState {
  GLint matrixMode = 0, modelViewDepth = 0, projectionDepth = 0, depthFunc = 0;
  GLdouble modelView[16] = {};
  GLboolean texture1D = 0, blend = 0, depthTest = 0, depthWrite = 0;
  GLboolean vertexArray = 0, texCoordArray = 0;
  bool operator==(const GlState&) const = default;

  static GlState Read() {
    GlState s;
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelViewDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
    glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunc);
    glGetDoublev(GL_MODELVIEW_MATRIX, s.modelView);
    s.texture1D = glIsEnabled(GL_TEXTURE_1D);
    s.blend = glIsEnabled(GL_BLEND);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthWrite);
    s.vertexArray = glIsEnabled(GL_VERTEX_ARRAY);
    s.texCoordArray = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
    return s;
  }
};
void PrintTo(const GlState& s, std::ostream* os) {
  *os << "mode " << s.matrixMode << ", stacks " << s.modelViewDepth << "/" << s.projectionDepth
      << ", texture " << int(s.texture1D) << ", blend " << int(s.blend) << ", depth "
      << int(s.depthTest) << "/" << int(s.depthWrite) << "/" << s.depthFunc << ", arrays "
      << int(s.vertexArray) << "/" << int(s.texCoordArray);
}

GLint TextureWidth() {
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_WIDTH, &width);
  return width;
}

// Stands in the scene's list for the object under test and records the GL
// state around its Draw, with a marker colour set just before it.
class Probe : public cOpenGLGraph_Data {
 public:
  explicit Probe(cOpenGLGraph_Data& inner) : inner(inner) {}
  void Draw() override {
    glGetError();
    glColor4dv(kMarker);
    before = GlState::Read();
    widthBefore = TextureWidth();
    inner.Draw();
    error = glGetError();
    after = GlState::Read();
    widthAfter = TextureWidth();
    glGetDoublev(GL_CURRENT_COLOR, colourAfter);
  }
  static constexpr GLdouble kMarker[4] = {0.25, 0.5, 0.75, 1.0};
  cOpenGLGraph_Data& inner;
  GlState before, after;
  GLint widthBefore = -1, widthAfter = -1;
  GLenum error = GL_NO_ERROR;
  GLdouble colourAfter[4] = {};
};

enum Kind { kLine, kSurface, kSolid };
struct Case {
  const char* name;
  Kind kind;
  bool given;             // data handed over at all
  std::uint32_t a, b, c;  // point count, columns x rows, or nx x ny x nz
  std::uint32_t levels;   // 0: SetLevels not called
};
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}
std::string Name(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

class DrawContract : public ObjectScene, public testing::WithParamInterface<Case> {
 protected:
  // Draws the scene with the case's object, behind a probe, in the first list.
  const Probe& DrawWithProbe() {
    static Vec3 points[6] = {{0.2, 0.2, 0.3}, {0.5, 0.2, 0.6}, {0.8, 0.2, 0.9},
                             {0.2, 0.8, 0.3}, {0.5, 0.8, 0.6}, {0.8, 0.8, 0.9}};
    static float field[24] = {0.9f, 0.2f, 1.0f, 0.5f, 0.7f, 0.9f, 0.9f, 0.3f,
                              0.6f, 0.9f, 1.0f, 0.8f, 0.9f, 0.2f, 1.0f, 0.5f,
                              0.7f, 0.9f, 0.9f, 0.3f, 0.6f, 0.9f, 1.0f, 0.8f};
    const Case& c = GetParam();
    cOpenGLGraph_Data* object = &line;
    if (c.kind == kLine && c.given)
      line.SetVertices(points, c.a, false);
    if (c.kind == kSurface) {
      object = &surface;
      surface.SetLevels(c.levels);
      if (c.given)
        surface.SetGrid(points, c.a, c.b, false);
    }
    if (c.kind == kSolid) {
      object = &solid;
      solid.SetLevels(c.levels);
      if (c.given)
        solid.SetVolume(field, c.a, c.b, c.c, false);
    }
    probe = std::make_unique<Probe>(*object);
    graph.preObjects.push_back(probe.get());
    graph.Draw();
    return *probe;
  }
  cOpenGLGraph_Line line;
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid solid;
  std::unique_ptr<Probe> probe;
};

class LeavesState : public DrawContract {};

TEST_P(LeavesState, TexturingAndBlendingOffMatricesUntouched) {
  const Probe& p = DrawWithProbe();
  EXPECT_EQ(p.error, static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_FALSE(p.after.texture1D);
  EXPECT_FALSE(p.after.blend);
  EXPECT_EQ(p.after, p.before);
}

INSTANTIATE_TEST_SUITE_P(Objects, LeavesState,
                         testing::Values(Case{"EmptyLine", kLine, false, 0, 0, 0, 0},
                                         Case{"Line", kLine, true, 6, 0, 0, 0},
                                         Case{"EmptySurface", kSurface, false, 0, 0, 0, 8},
                                         Case{"Surface", kSurface, true, 3, 2, 0, 8},
                                         // Wider than any 1-D texture is allowed to be.
                                         Case{"SurfaceMostLevels", kSurface, true, 3, 2, 0, ~0u},
                                         Case{"EmptySolid", kSolid, false, 0, 0, 0, 8},
                                         Case{"Solid", kSolid, true, 4, 3, 2, 8}),
                         Name);

class ShowsNothing : public DrawContract {};

TEST_P(ShowsNothing, PictureEqualsTheSceneWithoutIt) {
  graph.Draw();
  const QImage without = graph.Picture();
  DrawWithProbe();
  EXPECT_EQ(graph.Picture(), without) << Save();
}

INSTANTIATE_TEST_SUITE_P(Objects, ShowsNothing,
                         testing::Values(Case{"EmptyLine", kLine, false, 0, 0, 0, 0},
                                         Case{"OnePointLine", kLine, true, 1, 0, 0, 0},
                                         Case{"NoPointLine", kLine, true, 0, 0, 0, 0},
                                         Case{"EmptySurface", kSurface, false, 0, 0, 0, 8},
                                         Case{"OneRowSurface", kSurface, true, 6, 1, 0, 8},
                                         Case{"OneColumnSurface", kSurface, true, 1, 6, 0, 8},
                                         Case{"EmptySolid", kSolid, false, 0, 0, 0, 8},
                                         Case{"OneRowSolid", kSolid, true, 4, 1, 6, 8},
                                         Case{"OneColumnSolid", kSolid, true, 1, 4, 6, 8}),
                         Name);

class CallsNothing : public DrawContract {};

// Neither the colour nor the default texture changes: not even the ramp of
// a surface with bands is loaded while it has no grid.
TEST_P(CallsNothing, ColourAndTextureUntouched) {
  const Probe& p = DrawWithProbe();
  EXPECT_TRUE(std::equal(p.colourAfter, p.colourAfter + 4, Probe::kMarker));
  EXPECT_EQ(p.widthAfter, p.widthBefore);
}

INSTANTIATE_TEST_SUITE_P(Objects, CallsNothing,
                         testing::Values(Case{"EmptyLine", kLine, false, 0, 0, 0, 0},
                                         Case{"EmptySurface", kSurface, false, 0, 0, 0, 8}),
                         Name);

}  // namespace
