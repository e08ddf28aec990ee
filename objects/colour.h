#pragma once
// Red, green, blue and alpha in [0, 1], handed to OpenGL as the current colour.

struct Colour {
  double red;
  double green;
  double blue;
  double alpha;
};
