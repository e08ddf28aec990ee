#include "meshes/meshsettings.h"

#include <cmath>

#include <QStringList>

std::optional<double> ParseLength(const QString& text, bool positive) {
  struct Unit {
    const char* suffix;
    double millimetres;
  };
  static constexpr Unit kUnits[] = {{"mm", 1.0}, {"cm", 10.0}, {"in", 25.4}};
  QString number = text.trimmed();
  double factor = 1.0;
  for (const Unit& unit : kUnits) {
    if (number.endsWith(QLatin1String(unit.suffix), Qt::CaseInsensitive)) {
      number.chop(2);
      factor = unit.millimetres;
      break;
    }
  }
  bool ok = false;
  const double value = number.trimmed().toDouble(&ok) * factor;
  if (!ok || !std::isfinite(value) || value < 0.0 || (positive && value == 0.0))
    return std::nullopt;
  return value;
}

std::optional<LithoSettings> ParseLitho(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() < 2 || parts.size() > 3)
    return std::nullopt;
  const std::optional<double> thin = ParseLength(parts[0], true);
  const std::optional<double> thick = ParseLength(parts[1], true);
  const std::optional<double> frame =
      parts.size() == 3 ? ParseLength(parts[2], false) : std::optional<double>(0.0);
  if (!thin || !thick || !frame || !(*thin < *thick))
    return std::nullopt;
  return LithoSettings{*thin, *thick, *frame};
}

std::optional<double> ParseMeshError(const QString& text) {
  return ParseLength(text, true);
}
