#include "app/colourrange.h"

#include <cmath>
#include <cstdint>
#include <mutex>

#include "base/valuehistogram.h"
#include "objects/surface.h"

namespace {

QString Number(double v) {
  return QString::number(v, 'g', 6);
}

// The counts of the grid held whole last asked for: changing the look
// (the light, the bar) asks again for the same data.
struct KeptCounts {
  std::mutex guard;
  std::uint64_t stamp = 0;
  ValueHistogram histogram;
};

KeptCounts& Kept() {
  static KeptCounts kept;
  return kept;
}

// The heights of surface's valid cells counted; empty when there are none
// or the count was stopped.
std::optional<ValueHistogram> CountHeights(const cOpenGLGraph_Surface& surface,
                                           const std::function<bool(double)>& keepGoing) {
  if (HeightLevels* levels = surface.LevelsOfDetail()) {
    ValueHistogram counted;
    if (!levels->Histogram(
            counted, keepGoing ? keepGoing : [](double) { return true; }))
      return std::nullopt;
    return counted;
  }
  if (!surface.vertices)
    return std::nullopt;
  KeptCounts& kept = Kept();
  const std::lock_guard<std::mutex> lock(kept.guard);
  if (kept.stamp != surface.DataStamp()) {
    // Heights span [0, 1] but for point grids, whose values reach beyond.
    const HeightValues& values = surface.values;
    const double low = std::min(0.0, values.HeightOf(values.minimum));
    const double high = std::max(1.0, values.HeightOf(values.maximum));
    kept.histogram = HistogramOf(&surface.vertices[0].z, 3, surface.Grid().present,
                                 std::size_t{surface.columns} * surface.rows, low, high);
    kept.stamp = surface.DataStamp();
  }
  return kept.histogram;
}

}  // namespace

ColourChoice ChooseColours(const ColourRange& range, bool log, const cOpenGLGraph_Surface& surface,
                           const std::function<bool(double)>& keepGoing) {
  ColourChoice choice;
  const HeightValues& values = surface.values;
  const bool data = surface.vertices || surface.LevelsOfDetail();
  if (!data || (range.kind == ColourRange::Kind::kFull && !log))
    return choice;
  ColourScale scale{values.Low(), values.High(), false};
  if (range.kind == ColourRange::Kind::kValues) {
    scale.low = range.low;
    scale.high = range.high;
  } else if (range.kind == ColourRange::Kind::kPercentiles) {
    const std::optional<ValueHistogram> counts = CountHeights(surface, keepGoing);
    if (counts && counts->count > 0) {
      const double low = values.ValueOf(counts->Percentile(range.low));
      const double high = values.ValueOf(counts->Percentile(range.high));
      if (low < high) {
        scale.low = low;
        scale.high = high;
      } else {
        choice.message = QStringLiteral(
                             "Option 'range': the range %1–%2 % holds one value (%3); the full "
                             "range is kept.")
                             .arg(Number(range.low), Number(range.high), Number(low));
      }
    }
  }
  if (log && scale.low > 0.0) {
    scale.log = true;
  } else if (log) {
    const QString logMessage = QStringLiteral(
                                   "Option 'log': the colour range %1 to %2 holds values ≤ 0; "
                                   "the colours stay linear.")
                                   .arg(Number(scale.low), Number(scale.high));
    choice.message = choice.message.isEmpty() ? logMessage : choice.message + '\n' + logMessage;
  }
  if (scale != ColourScale{values.Low(), values.High(), false})
    choice.scale = scale;
  return choice;
}

void SetSurfaceColours(const ColourChoice& choice, cOpenGLGraph_Surface& surface) {
  if (!choice.scale) {
    surface.SetColourScale(0.0, 1.0, false);
    return;
  }
  const HeightValues& values = surface.values;
  surface.SetColourScale(values.HeightOf(choice.scale->low), values.HeightOf(choice.scale->high),
                         choice.scale->log);
}
