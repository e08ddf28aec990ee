// Frames of the plot view at the size of a 640 x 480 main window's view, each
// beside its floor: the same triangles with the same state, submitted by the
// leanest OpenGL 1.1 path (client-side float arrays, one glDrawArrays per
// strip) with no scene logic around them. x_floor is Draw over the floor; both
// frames include the clear and the read-back of the picture, and must give the
// same pixels, which each benchmark checks before it times anything.
#include <memory>
#include <vector>

#include <GL/gl.h>

#include <QWidget>

#include <benchmark/benchmark.h>

#include "formats/colourcount.h"
#include "formats/heightfield.h"
#include "input/formstatus.h"
#include "inputs.h"
#include "paired.h"
#include "scene/graph.h"

namespace {

constexpr int kViewWidth = 608;
constexpr int kViewHeight = 446;
constexpr int kSceneSide = 1024;

// One batch of vertices in draw order, with a texture coordinate each where
// the object has them.
struct Vertices {
  std::vector<float> xyz;
  std::vector<float> s;
  void Add(double x, double y, double z) {
    xyz.push_back(static_cast<float>(x));
    xyz.push_back(static_cast<float>(y));
    xyz.push_back(static_cast<float>(z));
  }
  void Point() const { glVertexPointer(3, GL_FLOAT, 0, xyz.data()); }
  void PointTextured() const {
    glVertexPointer(3, GL_FLOAT, 0, xyz.data());
    glTexCoordPointer(1, GL_FLOAT, 0, s.data());
  }
};

void DrawStrips(GLsizei stripLength, GLsizei strips) {
  for (GLsizei k = 0; k < strips; ++k)
    glDrawArrays(GL_TRIANGLE_STRIP, k * stripLength, stripLength);
}

// The scene's geometry taken out of its objects once, and drawn as a flat
// sequence: the floor of any way of drawing the same picture.
class FloorFrame {
 public:
  FloorFrame(cOpenGLGraph& graph, const TFormStatus& status)
      : graph(graph), line(status.line), surface(status.surface), volume(status.volume) {
    for (std::uint32_t i = 0; i < line.count; ++i)
      lineVertices.Add(line.vertices[i].x, line.vertices[i].y, line.vertices[i].z);
    for (std::uint32_t r = 1; r < surface.rows; ++r) {
      for (std::uint32_t i = 0; i < surface.columns; ++i) {
        for (const Vec3& p : {surface.vertices[(r - 1) * surface.columns + i],
                              surface.vertices[r * surface.columns + i]}) {
          surfaceVertices.Add(p.x, p.y, p.z);
          surfaceVertices.s.push_back(static_cast<float>(p.z));
        }
      }
    }
    const std::size_t slice = std::size_t{volume.nx} * volume.ny;
    for (std::uint32_t k = 0; k < volume.nz; ++k) {
      for (std::uint32_t j = 1; j < volume.ny; ++j) {
        for (std::uint32_t i = 0; i < volume.nx; ++i) {
          for (std::uint32_t row : {j - 1, j}) {
            volumeVertices.Add(volume.axisX[i], volume.axisY[row], volume.axisZ[k]);
            volumeVertices.s.push_back(volume.data[k * slice + row * volume.nx + i]);
          }
        }
      }
    }
    for (const cOpenGLGraph_Grid* plane : {&graph.planeZ, &graph.planeX, &graph.planeY}) {
      Vertices v;
      const Vec3 spanA = static_cast<double>(plane->countA - 1) * plane->stepA;
      const Vec3 spanB = static_cast<double>(plane->countB - 1) * plane->stepB;
      for (const Vec3& p : {plane->origin, plane->origin + spanA, plane->origin + spanA + spanB,
                            plane->origin + spanB}) {
        v.Add(p.x, p.y, p.z);
      }
      Vec3 s = plane->origin;
      for (int k = 0; k < plane->countA; ++k, s = s + plane->stepA) {
        v.Add(s.x, s.y, s.z);
        const Vec3 e = s + plane->axisA;
        v.Add(e.x, e.y, e.z);
      }
      s = plane->origin;
      for (int k = 0; k < plane->countB; ++k, s = s + plane->stepB) {
        v.Add(s.x, s.y, s.z);
        const Vec3 e = s + plane->axisB;
        v.Add(e.x, e.y, e.z);
      }
      planes.push_back({plane, std::move(v)});
    }
  }

  void Draw() {
    static constexpr GLdouble kAxisSwap[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    static constexpr GLdouble kScales[4][3] = {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}};
    graph.BeginFrame();
    glPushMatrix();
    glMultMatrixd(kAxisSwap);
    glTranslated(-0.5, -0.5, -0.5);
    glEnableClientState(GL_VERTEX_ARRAY);
    const bool lineOn[4] = {line.dispXY != 0, line.dispYZ != 0, line.dispZX != 0, line.disp3D != 0};
    const bool surfaceOn[4] = {surface.dispXY != 0, surface.dispYZ != 0, surface.dispZX != 0,
                               surface.disp3D != 0};
    for (int pass = 0; pass < 4; ++pass) {
      glPushMatrix();
      glScaled(kScales[pass][0], kScales[pass][1], kScales[pass][2]);
      if (lineOn[pass])
        DrawLine();
      if (surfaceOn[pass])
        DrawSurface();
      glPopMatrix();
    }
    for (const auto& [plane, v] : planes)
      DrawPlane(*plane, v);
    if (volume.disp3D)
      DrawVolume();
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
    graph.EndFrame();
  }

 private:
  void DrawLine() {
    if (!line.vertices)
      return;
    SetGlColour(line.colour);
    lineVertices.Point();
    glDrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(line.count));
  }
  void DrawSurface() {
    if (!surface.vertices)
      return;
    surface.ramp.Upload();
    SetGlColour(surface.colour);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    surfaceVertices.PointTextured();
    if (surface.rows > 1) {
      DrawStrips(static_cast<GLsizei>(2 * surface.columns), static_cast<GLsizei>(surface.rows - 1));
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_1D);
  }
  void DrawVolume() {
    volume.ramp.Upload();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    SetGlColour(volume.colour);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    volumeVertices.PointTextured();
    if (volume.ny > 1)
      DrawStrips(static_cast<GLsizei>(2 * volume.nx),
                 static_cast<GLsizei>(volume.nz * (volume.ny - 1)));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_1D);
  }
  static void DrawPlane(const cOpenGLGraph_Grid& plane, const Vertices& v) {
    v.Point();
    SetGlColour(plane.fillColour);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDrawArrays(GL_POLYGON, 0, 4);
    glDisable(GL_BLEND);
    SetGlColour(plane.lineColour);
    glDrawArrays(GL_LINES, 4, 2 * (plane.countA + plane.countB));
  }

  cOpenGLGraph& graph;
  const cOpenGLGraph_Line& line;
  const cOpenGLGraph_Surface& surface;
  const cOpenGLGraph_Solid& volume;
  Vertices lineVertices;
  Vertices surfaceVertices;
  Vertices volumeVertices;
  std::vector<std::pair<const cOpenGLGraph_Grid*, Vertices>> planes;
};

enum class Scene { kStartUp, kVolume, kHeightField3D, kHeightFieldAllPasses };

// The program's own start-up: the view at its default camera, then the Status
// window, which puts the point line, the empty surface and the empty volume
// into the view's lists. The loaded scenes add what the loaders would.
struct SceneView {
  explicit SceneView(Scene scene) {
    panel.resize(kViewWidth, kViewHeight);
    if (!graph.Attach(&panel))
      return;
    graph.Resize(0, 0, kViewWidth, kViewHeight);
    status = std::make_unique<TFormStatus>(graph);
    switch (scene) {
      case Scene::kStartUp:
        break;
      case Scene::kVolume:
        status->volume.SetVolume(CountColours(PhotoImage(kSceneSide)).release(), 64, 64, 64, true);
        break;
      case Scene::kHeightFieldAllPasses:
        for (cOpenGLGraph_Data* object : {static_cast<cOpenGLGraph_Data*>(&status->line),
                                          static_cast<cOpenGLGraph_Data*>(&status->surface)}) {
          object->dispXY = object->dispYZ = object->dispZX = 1;
        }
        [[fallthrough]];
      case Scene::kHeightField3D:
        status->surface.SetGrid(BuildHeightField(PhotoImage(kSceneSide)).release(), kSceneSide,
                                kSceneSide, true);
        break;
    }
  }

  QWidget panel;
  cOpenGLGraph graph;
  std::unique_ptr<TFormStatus> status;  // goes first: the view's lists point into it
};

void BM_Frame(benchmark::State& state, Scene scene) {
  SceneView view(scene);
  if (!view.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  FloorFrame floor(view.graph, *view.status);
  view.graph.Draw();
  const QImage drawn = view.graph.Picture();
  floor.Draw();
  if (view.graph.Picture() != drawn) {
    state.SkipWithError("the floor's pixels differ from Draw's");
    return;
  }
  Paired paired;
  // Each goes first every other time, so that neither always meets the
  // caches and the renderer's threads as the other left them.
  bool drawFirst = true;
  for (auto _ : state) {
    if (drawFirst)
      paired.Measure([&] { view.graph.Draw(); });
    paired.Reference(state, "floor", [&] { floor.Draw(); });
    if (!drawFirst)
      paired.Measure([&] { view.graph.Draw(); });
    drawFirst = !drawFirst;
  }
  paired.Report(state);
}

BENCHMARK_CAPTURE(BM_Frame, StartUp, Scene::kStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, Volume64, Scene::kVolume)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, HeightField3D, Scene::kHeightField3D)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, HeightFieldAllPasses, Scene::kHeightFieldAllPasses)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
