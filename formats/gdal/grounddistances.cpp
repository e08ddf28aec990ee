#include "formats/gdal/grounddistances.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <utility>

#include <cpl_error.h>
#include <geodesic.h>
#include <ogr_spatialref.h>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Points taken to the ellipsoid at a time, on the stack: measuring a path of
// any length allocates nothing of ours, which could throw.
constexpr std::size_t kBatch = 256;

// PROJ and GDAL report a point outside the projection's domain as an error;
// here it is only a NaN, and the messages are not ours to print.
class QuietErrors {
 public:
  QuietErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
  ~QuietErrors() { CPLPopErrorHandler(); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;
};

class GroundDistances : public MapDistances {
 public:
  // toGeographic: from map coordinates to longitude and latitude in units of
  // unitDegrees degrees each, or null when the map coordinates are those
  // already.
  GroundDistances(double semiMajor, double flattening, double unitDegrees,
                  std::unique_ptr<OGRCoordinateTransformation> toGeographic)
      : unitDegrees(unitDegrees), toGeographic(std::move(toGeographic)) {
    geod_init(&geodesic, semiMajor, flattening);
  }

  void PathMetres(const std::array<double, 2>* points, std::size_t count, double* metres) override {
    const QuietErrors quiet;
    double total = 0.0;
    double lastLongitude = 0.0;
    double lastLatitude = 0.0;
    for (std::size_t first = 0; first < count; first += kBatch) {
      const std::size_t n = std::min(kBatch, count - first);
      std::array<double, kBatch> x;
      std::array<double, kBatch> y;
      std::array<int, kBatch> taken;
      for (std::size_t k = 0; k < n; ++k) {
        x[k] = points[first + k][0];
        y[k] = points[first + k][1];
      }
      ToDegrees(n, x.data(), y.data(), taken.data());
      for (std::size_t k = 0; k < n; ++k) {
        const double longitude = x[k];
        const double latitude = y[k];
        if (!taken[k]) {
          std::fill(metres + first + k, metres + count, kNaN);
          return;
        }
        if (first + k > 0) {
          double leg = 0.0;
          geod_inverse(&geodesic, lastLatitude, lastLongitude, latitude, longitude, &leg, nullptr,
                       nullptr);
          total += leg;
        }
        metres[first + k] = total;
        lastLongitude = longitude;
        lastLatitude = latitude;
      }
    }
  }

  bool LegsFrom(const std::array<double, 2>& from, const std::array<double, 2>* to,
                std::size_t count, double* metres, double* azimuths) override {
    const QuietErrors quiet;
    bool all = true;
    // The start goes with every batch: one transformation a batch, not two.
    for (std::size_t first = 0; first < count; first += kBatch - 1) {
      const std::size_t n = std::min(kBatch - 1, count - first);
      std::array<double, kBatch> x;
      std::array<double, kBatch> y;
      std::array<int, kBatch> taken;
      x[0] = from[0];
      y[0] = from[1];
      for (std::size_t k = 0; k < n; ++k) {
        x[k + 1] = to[first + k][0];
        y[k + 1] = to[first + k][1];
      }
      ToDegrees(n + 1, x.data(), y.data(), taken.data());
      for (std::size_t k = 0; k < n; ++k) {
        double& leg = metres[first + k];
        double& azimuth = azimuths[first + k];
        leg = azimuth = kNaN;
        if (taken[0] && taken[k + 1])
          geod_inverse(&geodesic, y[0], x[0], y[k + 1], x[k + 1], &leg, &azimuth, nullptr);
        all = all && std::isfinite(leg) && std::isfinite(azimuth);
      }
    }
    return all;
  }

 private:
  // Takes the map points x[k], y[k], k < n <= kBatch, to longitude and
  // latitude in degrees in place; taken[k] FALSE where a point cannot be.
  void ToDegrees(std::size_t n, double* x, double* y, int* taken) {
    std::fill(taken, taken + n, TRUE);
    if (toGeographic)
      toGeographic->Transform(static_cast<int>(n), x, y, nullptr, taken);
    for (std::size_t k = 0; k < n; ++k) {
      x[k] *= unitDegrees;
      y[k] *= unitDegrees;
      // A pole given in grads or radians may land a rounding beyond 90
      // degrees, where the geodesic gives NaN.
      if (std::abs(y[k]) > 90.0 && std::abs(y[k]) < 90.0 + 1e-9)
        y[k] = std::copysign(90.0, y[k]);
      if (!std::isfinite(x[k]) || !(std::abs(y[k]) <= 90.0))
        taken[k] = FALSE;
    }
  }

  geod_geodesic geodesic;
  double unitDegrees;
  std::unique_ptr<OGRCoordinateTransformation> toGeographic;
};

}  // namespace

MapDistances* NewGroundDistances(const OGRSpatialReference* crs) {
  if (!crs)
    return nullptr;
  const QuietErrors quiet;
  // A rotated pole's longitudes and latitudes are not its ellipsoid's, and
  // GDAL gives no way back to the ellipsoid's own.
  const bool geographic = crs->IsGeographic() && !crs->IsDerivedGeographic();
  if (!geographic && !crs->IsProjected())
    return nullptr;
  // GDAL answers a coordinate system without an ellipsoid with WGS 84's
  // figures and an error, which alone tells them apart.
  OGRErr majorError = OGRERR_NONE;
  OGRErr flatteningError = OGRERR_NONE;
  const double semiMajor = crs->GetSemiMajor(&majorError);
  const double inverseFlattening = crs->GetInvFlattening(&flatteningError);
  if (majorError != OGRERR_NONE || flatteningError != OGRERR_NONE ||
      !(std::isfinite(semiMajor) && semiMajor > 0.0) || !std::isfinite(inverseFlattening) ||
      (inverseFlattening != 0.0 && std::abs(inverseFlattening) <= 1.0))
    return nullptr;
  // 0 is GDAL's word for a sphere.
  const double flattening = inverseFlattening == 0.0 ? 0.0 : 1.0 / inverseFlattening;

  std::unique_ptr<OGRCoordinateTransformation> toGeographic;
  double radiansPerUnit = crs->GetAngularUnits();
  if (!geographic) {
    // The projection undone onto its own datum, never shifted to another:
    // the ground is where the map was drawn from.
    std::unique_ptr<OGRSpatialReference> base(crs->CloneGeogCS());
    if (!base)
      return nullptr;
    base->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    // Easting first, whatever order the system's axes have, as in the
    // geotransform.
    OGRSpatialReference map(*crs);
    map.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    toGeographic.reset(OGRCreateCoordinateTransformation(&map, base.get()));
    if (!toGeographic)
      return nullptr;
    // The transformation gives the base system's units (grads for the
    // French NTF), not degrees.
    radiansPerUnit = base->GetAngularUnits();
  }
  if (!(std::isfinite(radiansPerUnit) && radiansPerUnit > 0.0))
    return nullptr;
  double unitDegrees = radiansPerUnit * 180.0 / std::numbers::pi;
  // Degrees as GDAL gives them are pi / 180 rounded; kept exact.
  if (std::abs(unitDegrees - 1.0) < 1e-12)
    unitDegrees = 1.0;
  return new GroundDistances(semiMajor, flattening, unitDegrees, std::move(toGeographic));
}
