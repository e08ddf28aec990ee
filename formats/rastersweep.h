#pragma once
// One read of every cell of a raster's band 1 at full resolution, for what
// needs them all (the counts behind percentiles): bands of rows, whole
// blocks wide, alternately by the calling thread and by a second opening of
// the file on a thread of its own, as the load's own pass reads them.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "formats/rasterfile.h"

// What a sweep hands on, reader by reader: each calls only its own sink, so
// that a sink needs no lock.
class SampleSink {
 public:
  virtual ~SampleSink() = default;
  // count stored samples (before scale and offset, no-data ones among them).
  virtual void Samples(const double* samples, std::size_t count) = 0;
  // cells the file says it never stored: each reads as the no-data sample,
  // or as 0 without one.
  virtual void Unwritten(std::uint64_t cells) = 0;
};

// Reads every cell of raster once into mine, or into theirs where a second
// opening (raster.OpenAgain) reads them. keepGoing(done, 0 to 1) is asked on
// the calling thread after each band; false stops the sweep. Returns false
// when stopped. Throws cReadError when the file fails to give its cells and
// std::bad_alloc.
bool SweepSamples(RasterFile& raster, SampleSink& mine, SampleSink& theirs,
                  const std::function<bool(double)>& keepGoing);
