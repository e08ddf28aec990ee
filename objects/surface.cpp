#include "objects/surface.h"

#include <GL/gl.h>

#include <cassert>
#include <cstddef>
#include <new>
#include <optional>

#include "objects/adoptorcopy.h"

namespace {

// The point with its height as texture coordinate, the coordinate first.
inline void TexturedVertex(const Vec3& p) {
  const auto z = static_cast<GLfloat>(p.z);
  glTexCoord1f(z);
  glVertex3f(static_cast<GLfloat>(p.x), static_cast<GLfloat>(p.y), z);
}

}  // namespace

cOpenGLGraph_Surface::~cOpenGLGraph_Surface() {
  Clear();
}

void cOpenGLGraph_Surface::SetGrid(Vec3* points, std::uint32_t c, std::uint32_t r, bool adopt) {
  assert((!adopt || points == nullptr || points != vertices) &&
         "SetGrid given the surface's own array to adopt");
  // Two 32-bit counts cannot overflow the 64-bit product; the new expression
  // itself refuses a byte count beyond the address space.
  Vec3* kept = AdoptOrCopy(points, std::size_t{c} * r, adopt).release();
  Clear();
  columns = c;
  rows = r;
  vertices = kept;
}

void cOpenGLGraph_Surface::Clear() {
  delete[] vertices;
  vertices = nullptr;
  columns = 0;
  rows = 0;
}

void cOpenGLGraph_Surface::Draw() {
  if (!vertices)
    return;
  ramp.Upload();
  SetGlColour(colour);
  if (!culling || !DrawCovering())
    DrawStrips();
  glDisable(GL_TEXTURE_1D);
}

bool cOpenGLGraph_Surface::DrawCovering() {
  const std::optional<WindowMapping> mapping = CurrentWindowMapping();
  if (!mapping)
    return false;
  try {
    if (!covering.Select(*mapping, vertices, columns, rows))
      return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  covering.Draw();
  sent = covering.Count();
  return true;
}

void cOpenGLGraph_Surface::DrawStrips() {
  // The renderer holds vertex attributes in single precision: its double entry
  // points round each value to float and call the float ones, a second dispatch
  // per call that costs about a third of submitting a large grid. Rounding here
  // hands it the very same floats (a render test compares the pictures).
  for (std::uint32_t r = 1; r < rows; ++r) {
    const Vec3* lower = vertices + std::size_t{r - 1} * columns;
    const Vec3* upper = lower + columns;
    glBegin(GL_TRIANGLE_STRIP);
    for (std::uint32_t i = 0; i < columns; ++i) {
      TexturedVertex(lower[i]);
      TexturedVertex(upper[i]);
    }
    glEnd();
  }
  sent = columns < 2 ? 0 : std::size_t{2} * (columns - 1) * (rows < 2 ? 0 : rows - 1);
}
