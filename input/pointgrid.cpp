#include "input/pointgrid.h"

#include <bit>
#include <cassert>
#include <climits>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "input/commatext.h"
#include "input/errors.h"

namespace {

// Every CR ends a line, and every LF that does not directly follow a CR.
// cr: whether the byte before text was a CR.
std::size_t CountLineEndsScalar(const char* text, std::size_t size, bool cr) {
  std::size_t ends = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const bool isCr = text[i] == '\r';
    ends += isCr || (text[i] == '\n' && !cr);
    cr = isCr;
  }
  return ends;
}

}  // namespace

std::size_t CountLines(const char* text, std::size_t size) {
  std::size_t ends = 0;
  std::size_t i = 0;
  bool cr = false;
#if defined(__SSE2__)
  // Sixteen bytes a step: the count is a pass over the whole file before any
  // parsing, so it must cost a small part of the parse.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i crs = _mm_set1_epi8('\r');
  for (; i + 16 <= size; i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const unsigned lfMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
    const unsigned crMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, crs)));
    const unsigned crBefore = (crMask << 1) | static_cast<unsigned>(cr);
    ends += static_cast<std::size_t>(std::popcount(crMask | (lfMask & ~crBefore)));
    cr = (crMask >> 15) != 0;
  }
#endif
  ends += CountLineEndsScalar(text + i, size - i, cr);
  // Text after the last line end is a last line; a final line end adds none.
  const bool openLine = size > 0 && text[size - 1] != '\r' && text[size - 1] != '\n';
  return ends + (openLine ? 1 : 0);
}

PointGrid ReadPointGrid(const char* text, std::size_t size, DecimalSeparator separator) {
  if (const void* zero = std::memchr(text, 0, size)) {
    size = static_cast<std::size_t>(static_cast<const char*>(zero) - text);
  }
  PointGrid grid;
  grid.lines = CountLines(text, size);
  // The counts are 32-bit; a text with more lines could not be counted.
  std::size_t bytes = 0;
  if (grid.lines > static_cast<std::size_t>(INT32_MAX) ||
      __builtin_mul_overflow(grid.lines, sizeof(Vec3), &bytes)) {
    throw cOutOfMemory();
  }
  try {
    grid.points.reset(new Vec3[grid.lines]);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }

  // The comma-text items are reused for every line, so the loop allocates
  // nothing after its first lines.
  CommaItems items;
  Vec3* const points = grid.points.get();
  std::size_t read = 0;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  std::int32_t run = 0;  // data lines since the last blank line
  const char* p = text;
  const char* const end = text + size;
  while (p < end) {
    p = SplitCommaLine(p, end, items);
    if (p < end && *p == '\r')
      ++p;
    if (p < end && *p == '\n')
      ++p;
    if (items.empty()) {
      // A blank line closes a row, also an empty one.
      columns = run;
      ++rows;
      run = 0;
      continue;
    }
    assert(read < grid.lines && "more data lines than lines counted");
    Vec3& point = points[read];
    point.x = TextToNumber(items[0], 0.0, separator);
    if (items.size() < 2)
      throw cListIndexError(1);
    point.y = TextToNumber(items[1], 0.0, separator);
    if (items.size() < 3)
      throw cListIndexError(2);
    point.z = TextToNumber(items[2], 0.0, separator);
    ++read;
    ++run;
  }
  // A last row that no blank line closes still counts as a row.
  if (!items.empty())
    ++rows;

  // The counts can claim more points than were read: after a leading blank
  // line, several blank lines in a row, rows of different lengths or a short
  // last row, and columns × rows can even exceed the slots allocated. The
  // surface trusts columns × rows, so hand over only the complete rows that
  // were read: it must never read a slot that was not filled or that lies
  // beyond the array.
  if (columns > 0 && static_cast<std::int64_t>(columns) * rows > static_cast<std::int64_t>(read)) {
    rows = static_cast<std::int32_t>(read / static_cast<std::size_t>(columns));
  }
  grid.pointsRead = read;
  grid.columns = columns;
  grid.rows = rows;
  return grid;
}
