// SplitCommaText and SplitCommaLine against the literal reading of the rules
// (textreference.h). One CommaItems is refilled for every split, as the point-grid
// reader does, so that views into reused storage are checked too.
#include <string>
#include <vector>

#include "formats/commatext.h"
#include "fuzz/fuzz_input.h"
#include "support/textreference.h"

namespace {

bool Same(const CommaItems& items, const std::vector<std::string>& expected) {
  if (items.size() != expected.size())
    return false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] != expected[i])
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes are copied to a buffer of exactly their size, so that a read
  // past the end is seen by the address sanitizer.
  const std::vector<char> buffer(data, data + size);
  const std::string_view text(buffer.data(), buffer.size());
  CommaItems items;
  SplitCommaText(text, items);
  FUZZ_CHECK(Same(items, SplitReferenceItems(text)));

  // Line after line, as a file is read: a line ends before CR, LF or a zero
  // byte, and inside it the rules are those of a whole text.
  const char* p = buffer.data();
  const char* const end = p + buffer.size();
  while (p < end) {
    const char* lineEnd = p;
    while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n' && *lineEnd != '\0')
      ++lineEnd;
    const char* stop = SplitCommaLine(p, end, items);
    FUZZ_CHECK(stop == lineEnd);
    FUZZ_CHECK(Same(items, SplitReferenceItems(std::string_view(p, lineEnd - p))));
    p = lineEnd + 1;
  }
  return 0;
}
