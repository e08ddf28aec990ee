#include "objects/gridstrips.h"

#include <GL/gl.h>

#include <cstddef>

namespace {

// The point with its height as texture coordinate, the coordinate first.
inline void TexturedVertex(const Vec3& p) {
  const auto z = static_cast<GLfloat>(p.z);
  glTexCoord1f(z);
  glVertex3f(static_cast<GLfloat>(p.x), static_cast<GLfloat>(p.y), z);
}

}  // namespace

void SendStrips(const Vec3* points, std::uint32_t columns, std::uint32_t first, std::uint32_t end) {
  // The renderer holds vertex attributes in single precision: its double entry
  // points round each value to float and call the float ones, a second dispatch
  // per call that costs about a third of submitting a large grid. Rounding here
  // hands it the very same floats (a render test compares the pictures).
  for (std::uint32_t s = first; s < end; ++s) {
    const Vec3* lower = points + std::size_t{s} * columns;
    const Vec3* upper = lower + columns;
    glBegin(GL_TRIANGLE_STRIP);
    for (std::uint32_t i = 0; i < columns; ++i) {
      TexturedVertex(lower[i]);
      TexturedVertex(upper[i]);
    }
    glEnd();
  }
}
