#include "overlays/slopetext.h"

#include <cmath>
#include <numbers>

#include "overlays/numbers.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// Where the ground falls for a gradient of east and north components:
// against it, as an azimuth in [0, 360). None on level ground.
std::optional<double> FacingOf(double east, double north) {
  if (east == 0.0 && north == 0.0)
    return std::nullopt;
  double azimuth = std::atan2(-east, -north) / kDegree;
  if (azimuth < 0.0)
    azimuth += 360.0;
  // A tiny negative azimuth lands on 360 itself once a turn is added.
  return azimuth >= 360.0 ? 0.0 : azimuth;
}

// Three significant digits, which the cells' own rounding seldom earns more
// of; 0 as "0".
QString Significant(double v) {
  if (v == 0.0 || !std::isfinite(v))
    return FormatNumber(v, 1.0);
  return FormatNumber(v, std::pow(10.0, std::floor(std::log10(std::abs(v))) - 2.0));
}

}  // namespace

GroundSteps StepsFromLegs(const double metres[4], const double azimuths[4]) {
  // The chord from the step behind to the step ahead, as unit vectors east
  // and north: the leg behind leaves in the opposite direction.
  const auto along = [&](int ahead, int behind) {
    const double east = std::sin(azimuths[ahead] * kDegree) - std::sin(azimuths[behind] * kDegree);
    const double north = std::cos(azimuths[ahead] * kDegree) - std::cos(azimuths[behind] * kDegree);
    return std::atan2(east, north) / kDegree;
  };
  return {(metres[0] + metres[1]) / 2.0, (metres[2] + metres[3]) / 2.0, along(0, 1), along(2, 3)};
}

std::optional<double> MetresPerUnit(const QString& unit) {
  const QString u = unit.trimmed().toLower();
  if (u.isEmpty() || u == QLatin1String("m") || u == QLatin1String("metre") ||
      u == QLatin1String("meter") || u == QLatin1String("metres") || u == QLatin1String("meters"))
    return 1.0;
  if (u == QLatin1String("ft") || u == QLatin1String("foot") || u == QLatin1String("feet"))
    return 0.3048;
  if (u == QLatin1String("us-ft") || u == QLatin1String("ftus") ||
      u == QLatin1String("us survey foot"))
    return 1200.0 / 3937.0;
  return std::nullopt;
}

std::optional<Slope> SlopeOnGround(Gradient perStep, const GroundSteps& steps,
                                   const QString& unit) {
  // The gradient (east, north) per metre of ground has, along each step's
  // bearing, the change per metre that the step shows.
  const double alongColumns = perStep.alongColumns / steps.metresPerColumn;
  const double alongRows = perStep.alongRows / steps.metresPerRow;
  const double sc = std::sin(steps.columnAzimuth * kDegree);
  const double cc = std::cos(steps.columnAzimuth * kDegree);
  const double sr = std::sin(steps.rowAzimuth * kDegree);
  const double cr = std::cos(steps.rowAzimuth * kDegree);
  const double det = sc * cr - cc * sr;
  double east = (alongColumns * cr - cc * alongRows) / det;
  double north = (sc * alongRows - sr * alongColumns) / det;
  if (perStep.alongColumns == 0.0 && perStep.alongRows == 0.0)
    east = north = 0.0;  // level whatever the steps are
  if (!std::isfinite(east) || !std::isfinite(north))
    return std::nullopt;
  Slope slope;
  slope.facing = FacingOf(east, north);
  if (const std::optional<double> metres = MetresPerUnit(unit)) {
    slope.measure = Slope::Measure::kDegrees;
    slope.steepness = std::atan(std::hypot(east, north) * *metres) / kDegree;
  } else {
    slope.measure = Slope::Measure::kPerMetre;
    slope.steepness = std::hypot(east, north);
    slope.unit = unit;
  }
  return slope;
}

Slope SlopeOfCells(Gradient perStep, std::uint32_t cells) {
  Slope slope;
  slope.measure = Slope::Measure::kPerCells;
  slope.steepness = std::hypot(perStep.alongColumns, perStep.alongRows);
  slope.facing = FacingOf(perStep.alongColumns, -perStep.alongRows);
  slope.cells = cells;
  return slope;
}

std::optional<Slope> SlopeInDataUnits(Gradient z, Gradient x, Gradient y) {
  // (dz/dx, dz/dy) has, along each step, the change of z that the step
  // shows over the change of x and y that it makes.
  const double det = x.alongColumns * y.alongRows - y.alongColumns * x.alongRows;
  if (det == 0.0)
    return std::nullopt;
  const double dzdx = (z.alongColumns * y.alongRows - y.alongColumns * z.alongRows) / det;
  const double dzdy = (x.alongColumns * z.alongRows - z.alongColumns * x.alongRows) / det;
  if (!std::isfinite(dzdx) || !std::isfinite(dzdy))
    return std::nullopt;
  Slope slope;
  slope.measure = Slope::Measure::kPerUnit;
  slope.steepness = std::hypot(dzdx, dzdy);
  slope.facing = FacingOf(dzdx, -dzdy);
  return slope;
}

const char* CompassPoint(double azimuth) {
  static const char* const kPoints[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
  if (!std::isfinite(azimuth))
    return "";
  double a = std::fmod(azimuth + 22.5, 360.0);
  if (a < 0.0)
    a += 360.0;
  return kPoints[static_cast<int>(a / 45.0) % 8];
}

QString SlopeText(const Slope& slope) {
  using Measure = Slope::Measure;
  const QString size = Significant(slope.steepness);
  QString text;
  switch (slope.measure) {
    case Measure::kDegrees:
      text = QStringLiteral("slope %1°").arg(size);
      break;
    case Measure::kPerMetre:
      text = QStringLiteral("gradient %1 %2/m").arg(size, slope.unit);
      break;
    case Measure::kPerCells:
      text = slope.cells == 1 ? QStringLiteral("slope %1 per cell").arg(size)
                              : QStringLiteral("slope %1 per %2 cells").arg(size).arg(slope.cells);
      break;
    case Measure::kPerUnit:
      text = QStringLiteral("slope %1 per unit").arg(size);
      break;
  }
  const bool onGround = slope.measure == Measure::kDegrees || slope.measure == Measure::kPerMetre;
  // Degrees over averaged blocks are gentler than the cells': say so.
  if (onGround && slope.cells > 1)
    text += QStringLiteral(" over %1 × %1 cells").arg(slope.cells);
  if (slope.facing) {
    const long whole = std::lround(*slope.facing) % 360;
    text += QStringLiteral(", facing %1°").arg(whole);
    if (onGround)
      text += QStringLiteral(" (%1)").arg(QLatin1String(CompassPoint(*slope.facing)));
  }
  return text;
}
