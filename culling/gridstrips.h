#pragma once
// A grid's plain drawing: one triangle strip between each pair of neighbouring
// rows, each point's z also its 1-D texture coordinate.

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

#include "base/gridref.h"

// The secondary colour, which the renderer adds after texturing: OpenGL 1.4,
// exported by libGL but declared by glext.h only on request.
extern "C" {
void glSecondaryColor3fv(const GLfloat* colour);
void glSecondaryColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
}

// Sends strips first ... end - 1 of grid; strip s joins rows s and s + 1.
// A strip with a point that has no value goes as its drawable triangles
// alone, each with its points in the order the strip gives them, which draws
// exactly what the strip would draw of them. Flushes the renderer every so
// many points, which changes no pixel. Needs a current context.
void SendStrips(const GridRef& grid, std::uint32_t first, std::uint32_t end);

// Sends point k of grid: its vertex colour where it has one, its z as texture
// coordinate, then the vertex. Needs a current context, between glBegin and
// glEnd.
inline void SendVertex(const GridRef& grid, std::size_t k) {
  // The renderer holds vertex attributes in single precision: its double
  // entry points round each value to float and call the float ones, a second
  // dispatch per call that costs about a third of submitting a large grid.
  // Rounding here hands it the very same floats (a render test compares the
  // pictures).
  const Vec3& p = grid.points[k];
  if (grid.VertexColours()) {
    GLfloat colour[3], added[3];
    grid.VertexColour(k, colour, added);
    glColor3fv(colour);
    if (grid.shades)
      glSecondaryColor3fv(added);
  }
  glTexCoord1f(grid.TextureAt(k));
  glVertex3f(static_cast<GLfloat>(p.x), static_cast<GLfloat>(p.y), grid.DrawnZ(p));
}
