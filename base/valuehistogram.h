#pragma once
// Counts of values in 65 536 equal bins over a known range, for percentiles
// of more values than can be sorted in a moment: a percentile read from the
// bins is off by at most half a bin, 1/131 072 of the range.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

#include "base/parallelrows.h"

struct ValueHistogram {
  static constexpr std::size_t kBins = 65536;

  std::vector<std::uint64_t> bins;  // kBins of them once counting began
  double low = 0.0;                 // the bins span [low, high]
  double high = 0.0;
  // The exact ends of what was counted: the 0th and 100th percentiles.
  double minimum = std::numeric_limits<double>::infinity();
  double maximum = -std::numeric_limits<double>::infinity();
  std::uint64_t count = 0;

  ValueHistogram() = default;
  // Empty bins over [l, h]. Throws std::bad_alloc.
  ValueHistogram(double l, double h) : bins(kBins, 0), low(l), high(h) {}

  // Counts v, which should lie in [low, high]: a value beyond counts in the
  // end bin on its side. NaN is no value and is not counted.
  void Add(double v) {
    if (std::isnan(v))
      return;
    ++bins[Bin(v)];
    ++count;
    minimum = std::min(minimum, v);
    maximum = std::max(maximum, v);
  }

  // Adds the counts of other, made over the same range.
  void Merge(const ValueHistogram& other) {
    for (std::size_t b = 0; b < kBins; ++b)
      bins[b] += other.bins[b];
    count += other.count;
    minimum = std::min(minimum, other.minimum);
    maximum = std::max(maximum, other.maximum);
  }

  std::size_t Bin(double v) const {
    if (!(high > low))
      return 0;
    const double at = (v - low) / (high - low) * static_cast<double>(kBins);
    if (!(at > 0.0))
      return 0;
    return std::min(static_cast<std::size_t>(at), kBins - 1);
  }

  // The p-th percentile (0 to 100) as the nearest rank: the k-th smallest
  // value, k = max(1, ceil(p n / 100)), read as the middle of its bin and
  // kept within what was counted, so 0 and 100 give the exact ends. NaN when
  // nothing was counted.
  double Percentile(double p) const {
    if (count == 0)
      return std::numeric_limits<double>::quiet_NaN();
    if (p <= 0.0)
      return minimum;
    if (p >= 100.0)
      return maximum;
    const auto rank = std::max<std::uint64_t>(
        1, static_cast<std::uint64_t>(std::ceil(p * static_cast<double>(count) / 100.0)));
    std::uint64_t below = 0;
    std::size_t b = 0;
    while (b + 1 < kBins && below + bins[b] < rank)
      below += bins[b++];
    const double middle = low + (static_cast<double>(b) + 0.5) / kBins * (high - low);
    return std::clamp(middle, minimum, maximum);
  }
};

// The histogram over [low, high] of n values at values[0], values[stride],
// ... whose byte in present (null: all) is not 0, NaN left out; large arrays
// are counted on several cores. Throws std::bad_alloc.
inline ValueHistogram HistogramOf(const double* values, std::size_t stride,
                                  const std::uint8_t* present, std::size_t n, double low,
                                  double high) {
  ValueHistogram all(low, high);
  std::mutex merging;
  bool failed = false;
  // Rows of 4096 values: enough for the splitter to spread them.
  constexpr std::size_t kRow = 4096;
  const std::size_t rows = (n + kRow - 1) / kRow;
  ForEachRowBlock(rows, kRow, [&](std::size_t first, std::size_t last) noexcept {
    if (first == last)
      return;
    try {
      ValueHistogram part(low, high);
      const std::size_t end = std::min(n, last * kRow);
      for (std::size_t k = first * kRow; k < end; ++k) {
        if (!present || present[k])
          part.Add(values[k * stride]);
      }
      const std::lock_guard<std::mutex> lock(merging);
      all.Merge(part);
    } catch (const std::bad_alloc&) {
      const std::lock_guard<std::mutex> lock(merging);
      failed = true;
    }
  });
  if (failed)
    throw std::bad_alloc();
  return all;
}
