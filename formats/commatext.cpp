#include "formats/commatext.h"

#include <array>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One table lookup per byte tells the scanner what the byte is between items.
// A quote opens a quoted item only at an item's start; inside an unquoted item
// it is an ordinary character.
enum CharClass : std::uint8_t { kOrdinary, kQuote, kBlank, kComma, kEnd };

constexpr std::array<std::uint8_t, 256> MakeClasses(bool lineEndsStop) {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 1; c <= 32; ++c)
    classes[c] = kBlank;
  classes[0] = kEnd;
  classes[static_cast<unsigned char>(',')] = kComma;
  classes[static_cast<unsigned char>('"')] = kQuote;
  if (lineEndsStop) {
    classes[static_cast<unsigned char>('\r')] = kEnd;
    classes[static_cast<unsigned char>('\n')] = kEnd;
  }
  return classes;
}

constexpr std::array<std::uint8_t, 256> kTextClasses = MakeClasses(false);
constexpr std::array<std::uint8_t, 256> kLineClasses = MakeClasses(true);

// The end of the unquoted item that starts at p.
const char* RunEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  // Sixteen bytes a step: most items end within the first step.
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i comma = _mm_set1_epi8(',');
  while (end - p >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(block, blank), block);
    const __m128i stop = _mm_or_si128(low, _mm_cmpeq_epi8(block, comma));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stop));
    if (mask != 0)
      return p + std::countr_zero(mask);
    p += 16;
  }
#endif
  while (p < end && !EndsUnquotedItem(*p))
    ++p;
  return p;
}

}  // namespace

class CommaSplitter {
 public:
  CommaSplitter(const std::array<std::uint8_t, 256>& classes, const char* end, CommaItems& items)
      : classes_(classes), end_(end), items_(items) {}

  // Returns where the text stopped: end_ or a byte of class kEnd.
  const char* Split(const char* p) {
    items_.items_.clear();
    items_.unquotedUsed_ = 0;
    p = SkipBlanks(p);
    while (p < end_ && ClassOf(p) != kEnd) {
      if (ClassOf(p) == kQuote) {
        p = Quoted(p + 1);
      } else {
        // Codes 0 to 32 and the comma end an unquoted item in a text as in a
        // line, so the scan needs no class table.
        const char* start = p;
        p = RunEnd(p, end_);
        items_.items_.emplace_back(start, static_cast<std::size_t>(p - start));
      }
      p = SkipBlanks(p);
      if (p < end_ && ClassOf(p) == kComma) {
        ++p;
        // Only a comma that ends the text stands for an item after it; a comma
        // followed by blanks does not.
        if (p == end_ || ClassOf(p) == kEnd)
          items_.items_.emplace_back();
        p = SkipBlanks(p);
      }
    }
    return p;
  }

 private:
  std::uint8_t ClassOf(const char* p) const { return classes_[static_cast<unsigned char>(*p)]; }

  const char* SkipBlanks(const char* p) const {
    while (p < end_ && ClassOf(p) == kBlank)
      ++p;
    return p;
  }

  // p is just after the opening quote. The item runs to the next quote that is
  // not doubled, or to the end of the text when no quote closes it. Returns
  // the position after the closing quote.
  const char* Quoted(const char* p) {
    const char* start = p;
    while (p < end_ && *p != '"' && ClassOf(p) != kEnd)
      ++p;
    if (p == end_ || *p != '"' || p + 1 == end_ || p[1] != '"') {
      items_.items_.emplace_back(start, static_cast<std::size_t>(p - start));
      return p < end_ && *p == '"' ? p + 1 : p;
    }
    // A doubled quote: the item's text differs from the bytes in the line, so
    // it needs a copy of its own.
    std::string& copy = NextCopy();
    for (;;) {
      copy.append(start, p);
      if (p == end_ || *p != '"')
        break;  // not closed: runs to the end
      if (p + 1 == end_ || p[1] != '"') {
        ++p;  // the closing quote
        break;
      }
      copy.push_back('"');
      p += 2;
      start = p;
      while (p < end_ && *p != '"' && ClassOf(p) != kEnd)
        ++p;
    }
    items_.items_.emplace_back(copy);
    return p;
  }

  std::string& NextCopy() {
    if (items_.unquotedUsed_ == items_.unquoted_.size())
      items_.unquoted_.emplace_back();
    std::string& copy = items_.unquoted_[items_.unquotedUsed_++];
    copy.clear();
    return copy;
  }

  const std::array<std::uint8_t, 256>& classes_;
  const char* end_;
  CommaItems& items_;
};

void SplitCommaText(std::string_view text, CommaItems& items) {
  const char* end = text.data() + text.size();
  CommaSplitter(kTextClasses, end, items).Split(text.data());
}

const char* SplitCommaLine(const char* begin, const char* end, CommaItems& items) {
  return CommaSplitter(kLineClasses, end, items).Split(begin);
}

std::vector<std::string> CommaTextCells(std::string_view text, std::size_t columns) {
  CommaItems items;
  SplitCommaText(text, items);
  std::vector<std::string> cells(columns);
  for (std::size_t k = 0; k < columns && k < items.size(); ++k) {
    cells[k] = items[k].empty() ? std::string(" ") : std::string(items[k]);
  }
  return cells;
}
