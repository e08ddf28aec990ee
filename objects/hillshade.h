#pragma once
// Hill-shading as maps do it: a distant light from an azimuth (clockwise from
// north, north being the grid's first row, that is decreasing y) and an
// altitude above the horizon, fixed to the data. Level ground keeps its
// colour exactly; a slope turned towards the light is brightened, one turned
// away darkened, each by how much more or less light it takes than level
// ground, in the overlay blend (GridRef::Overlay): dark colours are scaled,
// light ones moved by a part of their distance from white, so that the
// colour bar's colours stay in the picture where GIS's plain multiplied
// shade would sink them all into grey.

#include <cstdint>

#include "base/gridref.h"

struct LightSource {
  double azimuth = 315.0;  // degrees
  double altitude = 45.0;  // degrees
  // From all sides, as GIS's multidirectional hill-shade lights a relief: four
  // lights from azimuth - 90, -45, 0 and +45 degrees, each weighted by how
  // squarely the slope faces across it, so that no slope is in full shadow.
  bool allSides = false;
};

// How strongly a point is lit (the amount of GridRef::ShadeMove) for a
// difference d in facing (the cosine of the angle between its normal and
// the light) from level ground's: most * d / (d + half). It never reaches 1,
// so that steep relief, which the unit cube squeezes into cliffs, keeps its
// colours: a slope of 30 degrees turned away from a light at 45 is darkened
// by 20 % where its colour is no lighter than mid-grey, one turned towards
// it brightened by 28 %.
struct ShadeCurve {
  double most, half;
};
inline constexpr ShadeCurve kBrightening{0.5, 0.2};
inline constexpr ShadeCurve kDarkening{0.34, 0.3};

// The shade byte (GridRef::shades) of a point whose facing (the cosine of
// the angle between its normal and the light) is facing, where level ground's
// is level (the sine of the light's altitude).
std::uint8_t ShadeOf(double facing, double level);

// Writes grid.columns x grid.rows shades into out, one byte a point: the
// normal of each point from its neighbours' places (central differences,
// one-sided at edges and beside points without a value), with z drawn as
// z * grid.zScale. Large grids are shaded on all cores. Throws nothing.
void HillShade(const GridRef& grid, const LightSource& light, std::uint8_t* out);
