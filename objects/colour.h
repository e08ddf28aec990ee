#pragma once
// Red, green, blue and alpha in [0, 1], handed to OpenGL as the current colour.

#include <GL/gl.h>

struct Colour {
  double red;
  double green;
  double blue;
  double alpha;
};

// Makes c OpenGL's current colour.
inline void SetGlColour(const Colour& c) {
  glColor4d(c.red, c.green, c.blue, c.alpha);
}
