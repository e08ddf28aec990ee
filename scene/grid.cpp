#include "scene/grid.h"

#include <GL/gl.h>

namespace {
void Vertex(Vec3 p) {
  glVertex3d(p.x, p.y, p.z);
}
}  // namespace

void cOpenGLGraph_Grid::Draw() const {
  const Vec3 spanA = static_cast<double>(countA - 1) * stepA;
  const Vec3 spanB = static_cast<double>(countB - 1) * stepB;
  const Vec3 p1 = origin + spanA;
  const Vec3 p2 = p1 + spanB;
  const Vec3 p3 = p2 - spanA;

  SetGlColour(fillColour);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  glBegin(GL_POLYGON);
  Vertex(origin);
  Vertex(p1);
  Vertex(p2);
  Vertex(p3);
  glEnd();
  glDisable(GL_BLEND);

  // The lines lie exactly in the fill polygon; the view's less-or-equal depth
  // test lets them through it.
  SetGlColour(lineColour);
  glBegin(GL_LINES);
  Vec3 s = origin;
  for (std::int32_t k = 0; k < countA; ++k) {
    Vertex(s);
    Vertex(s + axisA);
    s = s + stepA;
  }
  s = origin;
  for (std::int32_t k = 0; k < countB; ++k) {
    Vertex(s);
    Vertex(s + axisB);
    s = s + stepB;
  }
  glEnd();
}
