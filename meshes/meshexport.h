#pragma once
// The surface as a mesh file: read from its grid a band at a time, placed
// and sized as the format wants it (millimetres on the build plate for
// printing, the picture's own units otherwise), simplified where asked,
// closed into a solid for printing, coloured and written.

#include <cstdint>
#include <functional>

#include <QString>

#include "base/vec3.h"
#include "meshes/gridrows.h"
#include "meshes/meshfile.h"
#include "meshes/meshsettings.h"

struct MeshSource {
  // The surface's points as the picture places them, heights unscaled.
  GridRows grid;
  // The lowest and highest x, y and z of the points that have a value.
  Vec3 low{0.0, 0.0, 0.0};
  Vec3 high{1.0, 1.0, 1.0};
  double zScale = 1.0;  // the vertical scale shown
  // Row 0 is the top of a picture or the north of a map: the mesh turns y
  // over so that seen from above it shows what the picture shows, not its
  // mirror image.
  bool rowsFromTop = true;
  // A point grid, whose x and y may fold; pictures and rasters never do.
  bool mayFold = false;
  // A picture, whose heights are its brightness: a lithophane needs one.
  bool picture = false;
  // The colour of point (row * columns + column) at height z (unscaled);
  // null for a mesh without colours.
  std::function<void(std::uint64_t point, double z, std::uint8_t rgb[3])> colour;
};

// Makes the mesh of source with settings and writes it to path in format
// (WriteMesh). going(done) is told the share done and returns whether to go
// on; null: to the end. Returns whether the file was written; stopped,
// nothing is left. Throws cError with a message for the user when the mesh
// cannot be made (a folding grid for a solid or for simplifying, a
// lithophane of no picture, a grid of no extent, beyond memory or the
// format), cFileWriteError when the file cannot be written, and what
// reading the grid throws; nothing is left then either.
bool ExportMesh(const MeshSource& source, const MeshSettings& settings, MeshFormat format,
                const QString& path, const std::function<bool(double done)>& going);
