#pragma once
// Sections of the surface: its values along the x plane, along the y plane
// and along the point line (the table's points in order, as a path over the
// surface in x and y), as curves of value over distance that a chart draws
// and a CSV file lists.
//
// Pictures and measured rasters are regular grids: a section samples their
// full-resolution cells bilinearly between cell centres, at every line of
// cell centres it crosses (where the bilinear surface bends) and at the
// path's corners; a cell without value makes a gap wherever it weighs in.
// Point grids carry their own x and y and may fold: a section follows the
// triangles the surface draws, at every triangle edge it crosses.
//
// Distances run from the section's start: along the x plane from y = 0,
// along the y plane from x = 0, along the line from its first point. They
// are in cells for pictures and rasters, in metres on the ground for a
// raster whose coordinate system is known (HeightValues::ground), in data
// units for point grids.

#include <cmath>
#include <cstdint>
#include <vector>

#include "base/vec3.h"

class cOpenGLGraph_Surface;

enum class SectionKind { kXPlane, kYPlane, kLine };

struct SectionSample {
  double distance = 0.0;
  // Where it lies: map coordinates for a georeferenced raster, the raster's
  // or picture's column and row (cell centres at whole numbers) for others,
  // data x and y for point grids.
  double x = 0.0;
  double y = 0.0;
  double value = NAN;  // in the data's own terms (HeightValues::ValueOf); NaN: a gap
  bool Gap() const { return std::isnan(value); }
};

struct Section {
  SectionKind kind = SectionKind::kXPlane;
  // In order of distance; two samples in a row at the same distance may
  // differ where a point grid folds.
  std::vector<SectionSample> samples;
};

enum class DistanceUnit { kCells, kMetres, kData };

struct Sections {
  Section xPlane{SectionKind::kXPlane, {}};
  Section yPlane{SectionKind::kYPlane, {}};
  Section line{SectionKind::kLine, {}};
  DistanceUnit distanceUnit = DistanceUnit::kCells;
  // False while some cells of a raster held at levels came from a coarser
  // level because their tiles are still being read; they have been asked
  // for, and cutting again once they came gives the full-resolution values.
  bool final = true;
};

// Where the sections are cut: the planes' positions and the point line. A
// plane at NaN, or a line of fewer than two points, is not cut.
struct SectionPlaces {
  double planeX = 0.0;
  double planeY = 0.0;
  const Vec3* line = nullptr;
  std::uint32_t lineCount = 0;
};

// How finely a raster held at levels is sampled: at its own cells (asking
// for the tiles that are missing), or at the level the picture drew last,
// which is at hand while a slider moves.
enum class SectionDetail { kFull, kDrawn };

// The three sections of surface at places; all empty for a surface without
// grid. Throws std::bad_alloc.
Sections CutSections(cOpenGLGraph_Surface& surface, const SectionPlaces& places,
                     SectionDetail detail = SectionDetail::kFull);

// The section's name in files: "x-plane", "y-plane" or "line".
const char* SectionName(SectionKind kind);
