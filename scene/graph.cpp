#include "scene/graph.h"

#include <GL/gl.h>

namespace {

// Columns (1,0,0,0), (0,0,1,0), (0,1,0,0), (0,0,0,1): data (x, y, z) becomes
// (x, z, y), so that data z runs along the camera's up vector.
constexpr GLdouble kAxisSwap[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};

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
  for (const Pass& pass : kPasses) {
    glPushMatrix();
    // The 3-D pass multiplies by the identity scale too: cheaper to keep one
    // path than to special-case it, and the matrix is the same.
    glScaled(pass.sx, pass.sy, pass.sz);
    for (cOpenGLGraph_Data* object : objects) {
      if (object->*pass.flag)
        object->Draw();
    }
    glPopMatrix();
  }
}

void cOpenGLGraph::Draw() {
  BeginFrame();
  glPushMatrix();
  glMultMatrixd(kAxisSwap);
  glTranslated(-0.5, -0.5, -0.5);

  DrawPasses(preObjects);
  planeZ.Draw();
  planeX.Draw();
  planeY.Draw();
  DrawPasses(postObjects);

  glPopMatrix();
  EndFrame();
}
