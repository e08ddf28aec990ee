// Frames of the plot view at the size of a 640 x 480 main window's view, each
// beside its floors: the same picture with the same state, submitted by the
// leanest OpenGL 1.1 path (client-side float arrays) with no scene logic
// around it. The floor "all" sends every triangle of the scene, the surface's
// strips one glDrawArrays each; the floor "kept" sends of the surface only
// the triangles that Draw sends, selected once before timing, so that Draw
// over it is the cost of the selection; and "pass" reads every point once, the
// least that selection can cost. Beside them "bbox" is Draw itself with the
// surface selecting by bounding boxes alone, as it does where the renderer's
// rules are not known. All frames include the clear and the read-back of the
// picture, and must give the same pixels, which each benchmark checks before
// it times anything.
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include "base/parallelrows.h"
#include "culling/coveringtriangles.h"
#include "culling/windowmapping.h"
#include "input/formstatus.h"
#include "paired.h"
#include "scene/graph.h"
#include "sceneview.h"

namespace {

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
  void AddTextured(const Vec3& p) {
    Add(p.x, p.y, p.z);
    s.push_back(static_cast<float>(p.z));
  }
  GLsizei Count() const { return static_cast<GLsizei>(xyz.size() / 3); }
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

constexpr GLdouble kScales[4][3] = {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}};

// The scene's geometry taken out of its objects once, and drawn as a flat
// sequence: the floor of any way of drawing the same picture.
class FloorFrame {
 public:
  // withAll clear: no floor "all" (Draw(false) is not allowed).
  FloorFrame(cOpenGLGraph& graph, const TFormStatus& status, bool withAll)
      : graph(graph), line(status.line), surface(status.surface), volume(status.volume) {
    for (std::uint32_t i = 0; i < line.count; ++i)
      lineVertices.Add(line.vertices[i].x, line.vertices[i].y, line.vertices[i].z);
    if (withAll && surface.vertices && surface.rows > 1) {
      surfaceVertices.xyz.reserve(std::size_t{6} * surface.columns * (surface.rows - 1));
      surfaceVertices.s.reserve(std::size_t{2} * surface.columns * (surface.rows - 1));
    }
    for (std::uint32_t r = 1; withAll && r < surface.rows; ++r) {
      for (std::uint32_t i = 0; i < surface.columns; ++i) {
        surfaceVertices.AddTextured(surface.vertices[std::size_t{r - 1} * surface.columns + i]);
        surfaceVertices.AddTextured(surface.vertices[std::size_t{r} * surface.columns + i]);
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

  // Selects, over the passes of the surface, the triangles that Draw sends,
  // with the scene's matrices, and keeps them as separate triangles. Returns
  // the fraction of the surface's triangles kept over all its passes, as
  // Draw keeps them and by bounding boxes alone.
  std::pair<double, double> SelectKept() {
    std::vector<WindowMapping> frame;
    std::vector<int> passes;
    graph.BeginFrame();
    glPushMatrix();
    cOpenGLGraph::MultDataSpace();
    for (int pass = 0; pass < 4; ++pass) {
      keptVertices[pass] = Vertices{};
      if (!SurfaceOn(pass) || !surface.vertices)
        continue;
      glPushMatrix();
      glScaled(kScales[pass][0], kScales[pass][1], kScales[pass][2]);
      if (const std::optional<WindowMapping> mapping = CurrentWindowMapping()) {
        frame.push_back(*mapping);
        passes.push_back(pass);
      }
      glPopMatrix();
    }
    glPopMatrix();
    graph.EndFrame();
    const std::size_t all =
        std::size_t{2} * (surface.columns - 1) * (surface.rows - 1) * frame.size();
    if (all == 0)
      return {1.0, 1.0};
    CoveringTriangles covering;
    covering.Select(frame, surface.Grid(), surface.culling);
    std::size_t sent = 0;
    for (std::size_t k = 0; k < frame.size(); ++k) {
      Vertices& kept = keptVertices[passes[k]];
      kept.xyz = covering.Points(k);
      for (std::size_t i = 2; i < kept.xyz.size(); i += 3)
        kept.s.push_back(kept.xyz[i]);
      sent += covering.Count(k);
    }
    std::size_t boxed = 0;
    for (const WindowMapping& mapping : frame) {
      covering.Select({&mapping, 1}, surface.Grid(), Culling::kBoundingBox);
      boxed += covering.Count(0);
    }
    return {static_cast<double>(sent) / all, static_cast<double>(boxed) / all};
  }

  // kept: the surface's triangles as SelectKept left them, else its strips.
  void Draw(bool kept) {
    graph.BeginFrame();
    glPushMatrix();
    cOpenGLGraph::MultDataSpace();
    glEnableClientState(GL_VERTEX_ARRAY);
    const bool lineOn[4] = {line.dispXY != 0, line.dispYZ != 0, line.dispZX != 0, line.disp3D != 0};
    for (int pass = 0; pass < 4; ++pass) {
      glPushMatrix();
      glScaled(kScales[pass][0], kScales[pass][1], kScales[pass][2]);
      if (lineOn[pass])
        DrawLine();
      if (SurfaceOn(pass))
        DrawSurface(kept ? &keptVertices[pass] : nullptr);
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
  bool SurfaceOn(int pass) const {
    const std::uint8_t on[4] = {surface.dispXY, surface.dispYZ, surface.dispZX, surface.disp3D};
    return on[pass] != 0;
  }
  void DrawLine() {
    if (!line.vertices)
      return;
    SetGlColour(line.colour);
    lineVertices.Point();
    glDrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(line.count));
  }
  // triangles: separate triangles to send instead of the strips.
  void DrawSurface(const Vertices* triangles) {
    if (!surface.vertices)
      return;
    surface.ramp.Upload();
    SetGlColour(surface.colour);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (triangles) {
      triangles->PointTextured();
      glDrawArrays(GL_TRIANGLES, 0, triangles->Count());
    } else if (surface.rows > 1) {
      surfaceVertices.PointTextured();
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
  std::array<Vertices, 4> keptVertices;
  Vertices volumeVertices;
  std::vector<std::pair<const cOpenGLGraph_Grid*, Vertices>> planes;
};

// Reads every coordinate of the surface's points once, on as many threads as
// the selection: the least that a pass over the points costs.
std::uint64_t PassOverPoints(const cOpenGLGraph_Surface& surface) {
  std::atomic<std::uint64_t> total{0};
  const std::size_t rowWords = std::size_t{3} * surface.columns;
  ForEachRowBlock(surface.rows, rowWords, [&](std::size_t first, std::size_t last) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(surface.vertices);
    std::uint64_t sum = 0;
    for (std::size_t i = first * rowWords; i < last * rowWords; ++i) {
      std::uint64_t word;
      std::memcpy(&word, bytes + 8 * i, 8);
      sum += word;
    }
    total += sum;
  });
  return total;
}

// withAll clear: no reference "all", which takes seconds for the largest
// grids.
void BM_Frame(benchmark::State& state, Scene scene, int side, bool allPasses, bool withAll) {
  SceneView view(scene, side, allPasses);
  if (!view.status) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  cOpenGLGraph_Surface& surface = view.status->surface;
  FloorFrame floor(view.graph, *view.status, withAll);
  const bool culled = surface.vertices != nullptr;
  const auto [keptShare, boxedShare] = floor.SelectKept();
  view.graph.Draw();
  const QImage drawn = view.graph.Picture();
  for (bool kept : {false, true}) {
    if ((kept && !culled) || (!kept && !withAll))
      continue;
    floor.Draw(kept);
    if (view.graph.Picture() != drawn) {
      state.SkipWithError(kept ? "the kept floor's pixels differ from Draw's"
                               : "the floor's pixels differ from Draw's");
      return;
    }
  }
  const auto drawBoxed = [&] {
    surface.culling = Culling::kBoundingBox;
    view.graph.Draw();
    surface.culling = Culling::kHidden;
  };
  if (culled) {
    drawBoxed();
    if (view.graph.Picture() != drawn) {
      state.SkipWithError("the bounding-box selection's pixels differ from Draw's");
      return;
    }
  }
  Paired paired;
  // Each goes first every other time, so that neither always meets the
  // caches and the renderer's threads as the other left them.
  bool drawFirst = true;
  for (auto _ : state) {
    if (drawFirst)
      paired.Measure([&] { view.graph.Draw(); });
    if (withAll)
      paired.Reference(state, "all", [&] { floor.Draw(false); });
    if (culled) {
      paired.Reference(state, "bbox", drawBoxed);
      paired.Reference(state, "kept", [&] { floor.Draw(true); });
      paired.Reference(state, "pass",
                       [&] { benchmark::DoNotOptimize(PassOverPoints(view.status->surface)); });
    }
    if (!drawFirst)
      paired.Measure([&] { view.graph.Draw(); });
    drawFirst = !drawFirst;
  }
  paired.Report(state);
  if (culled) {
    state.counters["kept_pct"] = 100.0 * keptShare;
    state.counters["bbox_kept_pct"] = 100.0 * boxedShare;
  }
}

BENCHMARK_CAPTURE(BM_Frame, StartUp, Scene::kStartUp, 0, false, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, Volume64, Scene::kVolume, 0, false, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, HeightField3D, Scene::kHeightField, 1024, false, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, HeightFieldAllPasses, Scene::kHeightField, 1024, true, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, SmoothField3D_1024, Scene::kSmoothField, 1024, false, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, SmoothFieldAllPasses_2048, Scene::kSmoothField, 2048, true, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, SmoothField3D_4096, Scene::kSmoothField, 4096, false, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, SmoothFieldAllPasses_4096, Scene::kSmoothField, 4096, true, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, Photograph3D_4096, Scene::kHeightField, 4096, false, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, PhotographAllPasses_4096, Scene::kHeightField, 4096, true, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
