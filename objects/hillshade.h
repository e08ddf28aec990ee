#pragma once
// Hill-shading as maps do it: a distant light from an azimuth (clockwise from
// north, north being the grid's first row, that is decreasing y) and an
// altitude above the horizon, fixed to the data. Level ground keeps its
// colour exactly; a slope turned towards the light moves its colour towards
// white, one turned away towards black, each by how much more or less light
// it takes than level ground. Moving a colour towards white or black keeps
// its hue, so the colour bar's colours stay in the picture where GIS's plain
// multiplied shade would sink them all into grey.

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

// How far a slope that faces the light squarely moves towards white, and a
// slope that faces straight away (the light's direction opposite its
// normal) towards black: the part of the way.
inline constexpr double kMostBrightening = 0.5;
inline constexpr double kMostDarkening = 1.0;

// The shade byte (GridRef::shades) of a point whose normal takes light times
// as much as level ground would... in terms of facing: facing the cosine of
// the angle between its normal and the light, level the same for level
// ground (the sine of the light's altitude).
std::uint8_t ShadeOf(double facing, double level);

// Writes grid.columns x grid.rows shades into out, one byte a point: the
// normal of each point from its neighbours' places (central differences,
// one-sided at edges and beside points without a value), with z drawn as
// z * grid.zScale. Large grids are shaded on all cores. Throws nothing.
void HillShade(const GridRef& grid, const LightSource& light, std::uint8_t* out);
