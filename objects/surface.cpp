#include "objects/surface.h"

#include <GL/gl.h>

#include <cassert>
#include <cstddef>
#include <optional>

#include "objects/adoptorcopy.h"
#include "objects/gridstrips.h"

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
  covering = CoveringTriangles();
}

void cOpenGLGraph_Surface::Draw() {
  if (!vertices)
    return;
  ramp.Upload();
  SetGlColour(colour);
  const std::optional<WindowMapping> mapping =
      culling ? CurrentWindowMapping() : std::optional<WindowMapping>{};
  if (mapping) {
    covering.Send(*mapping, vertices, columns, rows);
    sent = covering.Count();
  } else {
    const std::uint32_t strips = (columns < 2 || rows < 2) ? 0 : rows - 1;
    SendStrips(vertices, columns, 0, strips);
    sent = std::size_t{2} * (columns - 1) * strips;
  }
  glDisable(GL_TEXTURE_1D);
}
