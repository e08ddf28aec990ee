#pragma once
// Hill-shading as maps do it: a distant light from an azimuth (clockwise from
// north, north being the grid's first row, that is decreasing y) and an
// altitude above the horizon, fixed to the data. A point's shade is its
// slope's diffuse light plus an ambient part, so that no slope goes black.

#include <cstdint>

#include "base/gridref.h"

// The shade of a point that faces the light squarely: 255. One that faces
// away gets the ambient part alone, kAmbient of full light.
inline constexpr double kAmbientLight = 0.3;

// Writes grid.columns x grid.rows shades into out, one byte a point: the
// normal of each point from its neighbours' places (central differences,
// one-sided at edges and beside points without a value), with z drawn as
// z * grid.zScale. Large grids are shaded on all cores. Throws nothing.
void HillShade(const GridRef& grid, double azimuthDegrees, double altitudeDegrees,
               std::uint8_t* out);
