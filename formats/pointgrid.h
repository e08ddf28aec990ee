#pragma once
// Point-grid text: the text file of surface points, one point per line ("x,y,z",
// items as in comma text, numbers as in number text), rows of points separated
// by blank lines. Reading it needs no window: the Load handler opens the file,
// calls ReadPointGrid and hands the result's array to the surface.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/vec3.h"
#include "formats/numbertext.h"

struct PointGrid {
  // One slot per line of the text (an upper bound of the points), in file
  // order with blank lines leaving no gap; slots from pointsRead on are unset.
  // Allocated once with new Vec3[lines]; release() it to hand it over.
  std::unique_ptr<Vec3[]> points;
  std::size_t lines = 0;       // slots allocated
  std::size_t pointsRead = 0;  // data lines
  // columns × rows never exceeds pointsRead: a grid that the text claims larger
  // is cut to its complete rows. columns may be 0 (nothing to draw).
  std::int32_t columns = 0;
  std::int32_t rows = 0;
};

// Reads the point grid in text[0, size). The text ends at its first zero byte;
// lines end at CR, LF or CR LF (an LF CR pair leaves an empty line between);
// a byte-order mark is not recognised. Items that are not numbers read as 0.
// The text is only read; the result owns its array.
// Throws cListIndexError(1) or (2) for a data line with only one or two items,
// cOverflow for a number beyond the double range (base/errors.h), and
// cOutOfMemory when the array cannot be allocated or is larger than the
// machine's memory (memorylimit.h).
PointGrid ReadPointGrid(const char* text, std::size_t size, DecimalSeparator separator);

// The number of lines of text[0, size) by the line rules above, text taken
// whole (the caller cuts it at a zero byte).
std::size_t CountLines(const char* text, std::size_t size);
