#include "formats/pointgrid.h"

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/errors.h"
#include "formats/commatext.h"
#include "formats/loadprogress.h"
#include "formats/memorylimit.h"
#include "formats/numberscan.h"

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
  // Sixteen bytes a step, counted in byte lanes: the count is a pass over the
  // whole file before any parsing, so it must cost a small part of the parse.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i crs = _mm_set1_epi8('\r');
  __m128i previousCr = _mm_setzero_si128();
  __m128i total = _mm_setzero_si128();
  while (i + 16 <= size) {
    // A lane counts to 255 at most; add the lanes up before that.
    __m128i lanes = _mm_setzero_si128();
    for (int step = 0; step < 255 && i + 16 <= size; ++step, i += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
      const __m128i isLf = _mm_cmpeq_epi8(block, lf);
      const __m128i isCr = _mm_cmpeq_epi8(block, crs);
      const __m128i crBefore =
          _mm_or_si128(_mm_slli_si128(isCr, 1), _mm_srli_si128(previousCr, 15));
      const __m128i isEnd = _mm_or_si128(isCr, _mm_andnot_si128(crBefore, isLf));
      lanes = _mm_sub_epi8(lanes, isEnd);  // a match is -1
      previousCr = isCr;
    }
    total = _mm_add_epi64(total, _mm_sad_epu8(lanes, _mm_setzero_si128()));
  }
  ends = static_cast<std::size_t>(_mm_cvtsi128_si64(total)) +
         static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
  cr = i > 0 && text[i - 1] == '\r';
#endif
  ends += CountLineEndsScalar(text + i, size - i, cr);
  // Text after the last line end is a last line; a final line end adds none.
  const bool openLine = size > 0 && text[size - 1] != '\r' && text[size - 1] != '\n';
  return ends + (openLine ? 1 : 0);
}

namespace {

// Blanks inside a line: codes 1 to 32 except the line ends.
bool IsLineBlank(char c) {
  return static_cast<unsigned char>(c - 1) < 32 && c != '\r' && c != '\n';
}

// Reads a plain data line, the kind that makes up nearly every file: three
// unquoted, non-empty items that are numbers, separated by commas and/or
// blanks, in one pass over the bytes with the items read in place. p starts
// the line; on success p is at its line end (CR, LF or end) and point holds
// its numbers. Returns false for any other line, which the caller then reads
// by the general rules; those give the same point for every line this accepts
// (a test compares both).
//
// number: the separator's bytes when an unquoted item can hold it, else empty
// (a comma or a blank always ends an unquoted item). Throws cOverflow, for
// the same item as the general reading would.
bool ReadPlainLine(const char*& p, const char* end, std::string_view number, Vec3& point) {
  const char* q = p;
  while (q < end && IsLineBlank(*q))
    ++q;
  double* const coordinates[3] = {&point.x, &point.y, &point.z};
  for (int k = 0;; ++k) {
    // A quoted or empty item, or the end of the line, is not a number here.
    const numbertext::NumberScan scan = numbertext::ScanNumber(q, end, number);
    q = scan.stop;
    // The number must fill its item: codes 0 to 32 and the comma end one.
    if (!scan.isNumber || (q < end && !EndsUnquotedItem(*q)))
      return false;
    if (!numbertext::NumberValue(scan, *coordinates[k]))
      return false;
    if (k == 2)
      break;
    while (q < end && IsLineBlank(*q))
      ++q;
    if (q < end && *q == ',') {
      ++q;
      while (q < end && IsLineBlank(*q))
        ++q;
    }
  }
  // Items after the third are not read.
  while (q < end && *q != '\r' && *q != '\n')
    ++q;
  p = q;
  return true;
}

}  // namespace

PointGrid ReadPointGrid(const char* text, std::size_t size, DecimalSeparator separator) {
  if (const void* zero = size > 0 ? std::memchr(text, 0, size) : nullptr) {
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
  CheckFitsInMemory(bytes);
  grid.points = NewArray<Vec3>(grid.lines);

  const std::string_view separatorBytes = separator.Bytes();
  const std::string_view plainSeparator =
      EndsUnquotedItem(separatorBytes[0]) ? std::string_view() : separatorBytes;
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
    assert(read < grid.lines && "more data lines than lines counted");
    Vec3& point = points[read];
    bool data = true;
    if (!ReadPlainLine(p, end, plainSeparator, point)) {
      p = SplitCommaLine(p, end, items);
      data = !items.empty();
      if (data) {
        point.x = TextToNumber(items[0], 0.0, separator);
        if (items.size() < 2)
          throw cListIndexError(1);
        point.y = TextToNumber(items[1], 0.0, separator);
        if (items.size() < 3)
          throw cListIndexError(2);
        point.z = TextToNumber(items[2], 0.0, separator);
      }
    }
    if (p < end && *p == '\r')
      ++p;
    if (p < end && *p == '\n')
      ++p;
    if (!data) {
      // A blank line closes a row, also an empty one.
      columns = run;
      ++rows;
      run = 0;
      continue;
    }
    ++read;
    ++run;
    if ((read & 0xFFFF) == 0)
      ReportLoadProgress(static_cast<double>(p - text) / static_cast<double>(size));
  }
  // A last row that no blank line closes still counts as a row.
  if (run > 0)
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
