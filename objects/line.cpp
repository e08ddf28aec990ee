#include "objects/line.h"

#include <GL/gl.h>

#include <cassert>

#include "objects/adoptorcopy.h"

cOpenGLGraph_Line::~cOpenGLGraph_Line() {
  Clear();
}

void cOpenGLGraph_Line::SetVertices(Vec3* points, std::uint32_t n, bool adopt) {
  assert((!adopt || points == nullptr || points != vertices) &&
         "SetVertices given the line's own array to adopt");
  Vec3* kept = AdoptOrCopy(points, n, adopt).release();
  Clear();
  count = n;
  vertices = kept;
}

void cOpenGLGraph_Line::Clear() {
  delete[] vertices;
  vertices = nullptr;
  count = 0;
}

void cOpenGLGraph_Line::Draw() {
  if (!vertices)
    return;
  SetGlColour(colour);
  glBegin(GL_LINE_STRIP);
  for (std::uint32_t i = 0; i < count; ++i) {
    glVertex3d(vertices[i].x, vertices[i].y, vertices[i].z);
  }
  glEnd();
}
