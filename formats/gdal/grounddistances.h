#pragma once
// Ground distances (base/mapdistances.h) in a raster's coordinate system as
// GDAL reads it from the file, measured with PROJ's geodesics.

#include "base/mapdistances.h"

class OGRSpatialReference;

// Distances between map points of the coordinate system crs (x easting or
// longitude, y northing or latitude, whatever order its axes have), on its
// own ellipsoid. A new object that keeps no reference to crs; null when crs
// is null, neither geographic nor projected, or has no ellipsoid we can
// read.
MapDistances* NewGroundDistances(const OGRSpatialReference* crs);
