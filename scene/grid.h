#pragma once
// cOpenGLGraph_Grid: one translucent grid plane of the scene, a filled
// parallelogram ruled with two families of lines.

#include <cstdint>

#include "base/vec3.h"
#include "objects/colour.h"

class cOpenGLGraph_Grid {
 public:
  // Fills the plane with fillColour (blended by its alpha), then draws the
  // lines in lineColour. Leaves blending off and the matrices untouched.
  void Draw() const;

  Colour lineColour{0.5, 0.5, 0.5, 1.0};
  Colour fillColour{0.1, 0.3, 0.1, 0.6};
  Vec3 origin{0.0, 0.0, 0.0};
  Vec3 axisA{1.0, 0.0, 0.0};
  Vec3 axisB{0.0, 1.0, 0.0};
  Vec3 stepA{0.0, 0.1, 0.0};
  Vec3 stepB{0.1, 0.0, 0.0};
  std::int32_t countA = 11;
  std::int32_t countB = 11;
};
