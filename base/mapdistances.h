#pragma once
// Lengths on the ground of paths drawn over a georeferenced raster: its map
// coordinates taken to latitude and longitude on its coordinate system's own
// ellipsoid, and the geodesic between each two points there, so that a path
// in degrees is measured where it lies, not at one latitude. The raster
// module makes it (PROJ, which GDAL brings), so that the program never loads
// GDAL's libraries for a raster without coordinates.

#include <array>
#include <cstddef>

class MapDistances {
 public:
  virtual ~MapDistances() = default;

  // Writes into metres[k] the length in metres of the path through
  // points[0 ... k] (map coordinates as the raster's geotransform gives
  // them), metres[0] = 0. From a point that cannot be taken to the
  // ellipsoid on, NaN. Throws nothing; one thread at a time.
  virtual void PathMetres(const std::array<double, 2>* points, std::size_t count,
                          double* metres) = 0;

  // Writes into metres[k] the geodesic length in metres from the map point
  // `from` to to[k], and into azimuths[k] its direction as it leaves `from`,
  // degrees clockwise from north (-180 ... 180), for k < count: a slope
  // needs the true bearings of the raster's columns and rows, which a
  // rotated grid, degrees of longitude or a projection's convergence turn
  // away from the map's axes. NaN for a leg to or from a point that cannot be
  // taken to the ellipsoid; false when any leg is NaN. Throws nothing; one
  // thread at a time.
  virtual bool LegsFrom(const std::array<double, 2>& from, const std::array<double, 2>* to,
                        std::size_t count, double* metres, double* azimuths) = 0;
};
