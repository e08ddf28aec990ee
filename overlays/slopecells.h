#pragma once
// The slope of a surface's data at a point of its grid, from the 3 x 3
// cells around it at the data's own resolution: a raster held at levels is
// asked for its own cells, whatever level is drawn, so that the slope does
// not change as the camera comes closer.

#include <cstdint>
#include <optional>

#include "overlays/slopetext.h"

class cOpenGLGraph_Surface;

// The slope at point (column, row) of surface's grid as drawn (Picked's
// column and row): on the ground for a raster with a geotransform and a
// ground, per cell for other pictures and rasters, in data units for a point
// grid. None where a cell of the 3 x 3 has no value or lies beyond the
// data's edge, where the ground cannot be measured, and for data of unknown
// meaning. May read the file of a raster held at levels; throws nothing but
// std::bad_alloc.
std::optional<Slope> SurfaceSlope(const cOpenGLGraph_Surface& surface, std::uint32_t column,
                                  std::uint32_t row);
