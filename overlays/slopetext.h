#pragma once
// How steep the data is under the cursor and which way it falls, for the
// readout's slope line: on the ground in degrees and compass bearings where
// a raster is georeferenced, else in the data's own steps. Plain arithmetic
// on the gradient that base/hornslope.h gives, so that it is checked
// without a window.

#include <cstdint>
#include <optional>

#include <QString>

#include "base/hornslope.h"

// A raster's steps on the ground at a cell: how long one step to the next
// column and to the next row is, in metres, and where each points, degrees
// clockwise from true north.
struct GroundSteps {
  double metresPerColumn;
  double metresPerRow;
  double columnAzimuth;
  double rowAzimuth;
};

struct Slope {
  enum class Measure {
    kDegrees,   // degrees from level; facing from true north
    kPerMetre,  // the values' unit per metre on the ground; facing from true north
    kPerCells,  // change per step of `cells` cells; facing from the first row
    kPerUnit,   // a point grid's z per unit of x and y; facing from -y
  };
  Measure measure = Measure::kPerCells;
  double steepness = 0.0;  // degrees, or the gradient's size
  // Where the slope faces (downhill), degrees clockwise from north, 0 up to
  // 360; none on level ground, which faces nowhere.
  std::optional<double> facing;
  // Raster cells along each side of one step: more than 1 where a raster
  // was read reduced and its points are averages of blocks of cells.
  std::uint32_t cells = 1;
  QString unit;  // kPerMetre: the values' unit
};

// The steps of a raster at a cell from the geodesic legs from the cell's
// centre to the centres one step away (MapDistances::LegsFrom): metres[k]
// and azimuths[k] (degrees) for k = next column, previous column, next row,
// previous row. Each step is the mean of its two half-legs, and points
// along the chord between them, as the central differences of Horn's
// gradient span both.
GroundSteps StepsFromLegs(const double metres[4], const double azimuths[4]);

// Metres in one of unit, the unit of a raster's values: heights in metres
// when the file names metres or nothing (as elevation models leave it),
// international and US survey feet; none for anything else.
std::optional<double> MetresPerUnit(const QString& unit);

// The slope of a georeferenced raster whose values, in unit, change by
// perStep along its steps: in degrees when the values are heights
// (MetresPerUnit), else as a gradient in unit per metre. The grid may lie
// rotated or sheared under north, as degrees of longitude and a
// projection's convergence turn it; the gradient is solved from the two
// steps' own bearings. None where the steps do not span the ground (of no
// length, or along one line). Throws nothing.
std::optional<Slope> SlopeOnGround(Gradient perStep, const GroundSteps& steps, const QString& unit);

// The slope of a grid without ground (a picture, a raster without a
// coordinate system) per step of cells raster cells, facing clockwise from
// north, north being towards the first row (the light's north) and east
// the next column.
Slope SlopeOfCells(Gradient perStep, std::uint32_t cells);

// The slope of a point grid in its data units from the gradients of its
// points' z, x and y along the same steps: z per unit of x and y, facing
// clockwise from -y (towards the first row of a grid laid out along x and
// y). None where x and y do not span a plane (the points of the 3 x 3 in a
// line or on one spot).
std::optional<Slope> SlopeInDataUnits(Gradient z, Gradient x, Gradient y);

// One of the eight points of the compass (N, NE, E, ..., NW) nearest to
// azimuth (degrees clockwise from north, any turn).
const char* CompassPoint(double azimuth);

// The readout's line: "slope 26.6°, facing 270° (W)", "slope 0.0100 per
// cell, facing 270°", "slope 0°" on level ground.
QString SlopeText(const Slope& slope);
