#pragma once
// cOpenGLGraph_Data: the base of every plot object. The scene draws its object
// lists in four passes (flattened onto the XY, YZ and ZX faces, then full 3-D)
// and calls Draw on each object whose switch for the pass is set; the object
// always draws in data coordinates and never learns which pass runs.
//
// Drawing contract: Draw runs with the view's context current and the view's
// model-view matrix in place. It must not push, pop or change matrices nor the
// matrix mode, and must switch off again whatever it switched on.
//
// Planning: before it draws a list of objects, the scene calls PlanDraw once
// for every Draw it will make of each object of the list in the frame, in
// the same order and with the same matrices and state in place, provided that
// every object of the list that is shown at all DrawsOpaque. An object may
// use what it learns to leave out what its later draws will hide, because
// nothing drawn in between can have used it. A Draw that was not planned
// draws by itself.
//
// Detail: the scene sets previewTriangles before every Draw. While it is 0,
// Draw draws the exact picture. Otherwise the user is moving the picture and
// Draw may draw a preview instead: an object whose pass would send more
// triangles than that reduces its own grid to about as many, keeping its
// extent and its look; an object that fits draws exactly as ever.

#include <cstddef>
#include <cstdint>

class cOpenGLGraph_Data {
 public:
  cOpenGLGraph_Data() = default;
  // Not virtual: plot objects are destroyed through their own type by their
  // owner, never through a base reference.
  ~cOpenGLGraph_Data() = default;

  virtual void Draw() {}
  virtual void PlanDraw() {}
  // Whether every fragment that Draw produces goes through the depth test and,
  // where it passes, replaces the pixel's colour and depth: nothing blended.
  virtual bool DrawsOpaque() const { return false; }

  // Owners write these at any time; a non-zero byte counts as set.
  std::uint8_t disp3D = 1;
  std::uint8_t dispXY = 0;
  std::uint8_t dispYZ = 0;
  std::uint8_t dispZX = 0;

  // Written by the scene; see Detail above.
  std::size_t previewTriangles = 0;

 protected:
  cOpenGLGraph_Data(const cOpenGLGraph_Data&) = default;
  cOpenGLGraph_Data& operator=(const cOpenGLGraph_Data&) = default;
};
