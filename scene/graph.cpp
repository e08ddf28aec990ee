#include "scene/graph.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>

namespace {

struct Pass {
  GLdouble sx, sy, sz;
  std::uint8_t cOpenGLGraph_Data::*flag;
};

// Flattened passes first, so that the 3-D picture is drawn over its shadows.
constexpr Pass kPasses[] = {
    {1, 1, 0, &cOpenGLGraph_Data::dispXY},
    {0, 1, 1, &cOpenGLGraph_Data::dispYZ},
    {1, 0, 1, &cOpenGLGraph_Data::dispZX},
    {1, 1, 1, &cOpenGLGraph_Data::disp3D},
};

// A preview gives each object about one triangle per this many pixels of the
// view in each pass: cells of a few pixels, where a reduced grid still shows
// the shape and its bands, at the cost of a small scene whatever the data.
constexpr std::size_t kPixelsPerPreviewTriangle = 8;

}  // namespace

cOpenGLGraph::cOpenGLGraph() {
  planeX.axisA = {0, 1, 0};
  planeX.axisB = {0, 0, 1};
  planeX.stepA = {0, 0, 0.1};
  planeX.stepB = {0, 0.1, 0};
  planeY.axisA = {0, 0, 1};
  planeY.axisB = {1, 0, 0};
  planeY.stepA = {0.1, 0, 0};
  planeY.stepB = {0, 0, 0.1};
}

void cOpenGLGraph::DrawPasses(const std::vector<cOpenGLGraph_Data*>& objects) {
  const auto eachPass = [&objects](void (cOpenGLGraph_Data::*call)()) {
    for (const Pass& pass : kPasses) {
      glPushMatrix();
      // The 3-D pass multiplies by the identity scale too: cheaper to keep one
      // path than to special-case it, and the matrix is the same.
      glScaled(pass.sx, pass.sy, pass.sz);
      for (cOpenGLGraph_Data* object : objects) {
        if (object->*pass.flag)
          (object->*call)();
      }
      glPopMatrix();
    }
  };
  // Between an object's planned draws only the list's own objects draw, and
  // something blended among them would show what a later draw hides.
  const bool opaque = std::all_of(objects.begin(), objects.end(), [](const cOpenGLGraph_Data* o) {
    return o->DrawsOpaque() || !(o->disp3D || o->dispXY || o->dispYZ || o->dispZX);
  });
  if (opaque)
    eachPass(&cOpenGLGraph_Data::PlanDraw);
  eachPass(&cOpenGLGraph_Data::Draw);
}

std::size_t cOpenGLGraph::PreviewTriangles() const {
  if (detail != Detail::kPreview)
    return 0;
  const std::size_t pixels =
      std::size_t{static_cast<std::uint32_t>(width)} * static_cast<std::uint32_t>(height);
  // Never 0, which would ask for the full picture.
  return std::max<std::size_t>(pixels / kPixelsPerPreviewTriangle, 1);
}

void cOpenGLGraph::MultDataSpace() {
  glMultMatrixd(Camera::kAxisSwap);
  glTranslated(Camera::kCubeShift, Camera::kCubeShift, Camera::kCubeShift);
}

void cOpenGLGraph::Draw() {
  const std::size_t budget = PreviewTriangles();
  for (const std::vector<cOpenGLGraph_Data*>* list : {&preObjects, &postObjects}) {
    for (cOpenGLGraph_Data* object : *list)
      object->previewTriangles = budget;
  }
  BeginFrame();
  do {
    glPushMatrix();
    MultDataSpace();

    DrawPasses(preObjects);
    planeZ.Draw();
    planeX.Draw();
    planeY.Draw();
    DrawPasses(postObjects);

    glPopMatrix();
  } while (NextTile());
  EndFrame();
}
