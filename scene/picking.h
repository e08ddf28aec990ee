#pragma once
// Which data point the picture shows at a spot: the pixel's ray cast through
// the data the way the scene draws it, so that what lies in front but shows
// nothing of its own (the translucent planes, the volume's empty cells) does
// not hide what is behind it.

#include <cstdint>

#include <QPointF>

#include "base/vec3.h"

class ViewGeometry;
class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;

struct Picked {
  enum class What {
    kNothing,
    kSurface,  // a point of the surface in 3-D
    kFlatXY,   // only the surface's projection onto the bottom face: x and y
    kFlatYZ,   // ... onto the x = 0 face: y and z
    kFlatZX,   // ... onto the y = 0 face: x and z
    kVolume,   // a cell of the volume that holds something
  };
  What what = What::kNothing;
  // kSurface, and kFlatXY on a grid laid out as a picture's: the grid point
  // nearest to where the ray meets the surface.
  std::uint32_t column = 0;
  std::uint32_t row = 0;
  bool onGrid = false;  // column and row are set
  // kSurface: the grid point itself; the flat kinds: where the ray meets the
  // face (the coordinate across the face 0); kVolume: the cell's grid point.
  Vec3 point{};
  // kVolume: the grid point of the cell and its value.
  std::uint32_t i = 0, j = 0, k = 0;
  float value = 0.0f;
};

// What the picture of view shows at the spot `at` (pixels from the top left
// corner) of surface (drawn in the passes its switches say) and volume
// (3-D only); either may be null. The surface in 3-D first, then a cell of
// the volume, then a flat projection. Planes and the line are passed
// through. Reads the data, draws nothing; throws nothing.
Picked PickAt(const ViewGeometry& view, const cOpenGLGraph_Surface* surface,
              const cOpenGLGraph_Solid* volume, QPointF at);
