#pragma once
// The colour range the look asks for (ColourRange, --log) made into the
// span of the surface's bands for the data it holds now: percentiles are
// counted over the data's valid cells, and what cannot be had (a logarithm
// of values <= 0, percentiles that meet in one value) falls back to what
// can, with a message saying so.

#include <functional>
#include <optional>

#include <QString>

#include "app/colourrangetext.h"
#include "base/colourscale.h"

class cOpenGLGraph_Surface;

struct ColourChoice {
  // In the data's terms; nothing: the full, linear range, drawn as always.
  std::optional<ColourScale> scale;
  // Why the range or the logarithm asked for was not taken; empty when it
  // was.
  QString message;
};

// The choice of range and log for surface's data (none: the full range).
// Percentiles of a raster held at levels read its every cell once (and keep
// the counts for the next time); keepGoing is asked now and then, and false
// stops the count, which gives the full range without a message. Throws
// std::bad_alloc and what reading a raster's cells throws.
ColourChoice ChooseColours(const ColourRange& range, bool log, const cOpenGLGraph_Surface& surface,
                           const std::function<bool(double)>& keepGoing = {});

// Gives surface the span of choice, in its heights. Throws std::bad_alloc.
void SetSurfaceColours(const ColourChoice& choice, cOpenGLGraph_Surface& surface);
