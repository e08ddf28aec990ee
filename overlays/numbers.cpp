#include "overlays/numbers.h"

#include <algorithm>
#include <cmath>

namespace {

// Enough k * step values for any range a picture can show.
constexpr double kMostValues = 1000.0;

}  // namespace

double RoundStep(double low, double high, int about) {
  const double span = std::fabs(high - low);
  if (!std::isfinite(span) || span == 0.0 || about < 1)
    return 0.0;
  const double raw = span / about;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  // The round step nearest the raw one, on a log scale.
  double best = power;
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (std::fabs(std::log(factor * power / raw)) < std::fabs(std::log(best / raw)))
      best = factor * power;
  }
  return best;
}

std::vector<double> RoundValues(double low, double high, int about) {
  if (!std::isfinite(low) || !std::isfinite(high))
    return {};
  if (low > high)
    std::swap(low, high);
  if (low == high)
    return {low};
  const double step = RoundStep(low, high, about);
  if (!(step > 0.0) || (high - low) / step > kMostValues)
    return {};
  std::vector<double> values;
  // Multiples of the step, never sums, so that no error adds up; a little
  // slack where the ends themselves are multiples rounded off.
  const double slack = 1e-9;
  for (double k = std::ceil(low / step - slack); k * step <= high + slack * step; ++k)
    values.push_back(k * step == 0.0 ? 0.0 : k * step);
  return values;
}

QString FormatNumber(double value, double step) {
  if (!std::isfinite(value))
    return QString::number(value);
  if (!(step > 0.0) || !std::isfinite(step))
    return QString::number(value, 'g', 6);
  const double magnitude = std::max(std::fabs(value), step);
  if (magnitude >= 1e7 || step < 1e-4) {
    if (value == 0.0)
      return QStringLiteral("0");
    // As many digits after the mantissa's point as the step asks for.
    const int digits = std::clamp(static_cast<int>(std::floor(std::log10(magnitude))) -
                                      static_cast<int>(std::floor(std::log10(step))),
                                  0, 15);
    return QString::number(value, 'e', digits);
  }
  // The fewest decimals that write the step itself.
  int decimals = 0;
  for (double scaled = step; decimals < 15; ++decimals, scaled *= 10.0) {
    if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * scaled)
      break;
  }
  QString text = QString::number(value, 'f', decimals);
  if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0.0)
    text.remove(0, 1);  // a value that rounds to zero
  return text;
}
