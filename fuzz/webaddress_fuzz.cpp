// What a web server sends back about a range (Content-Range) and what a user
// types as an address. A range taken must be one that its own writing gives
// back, and the schemes told apart must agree.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/webaddress.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A buffer of exactly the input's size, so that a read past its end shows.
  const std::vector<char> buffer(data, data + size);
  const std::string_view text(buffer.data(), buffer.size());
  if (const std::optional<ContentRange> range = ParseContentRange(text)) {
    FUZZ_CHECK(range->first <= range->last);
    FUZZ_CHECK(!range->size || *range->size > range->last);
    const std::string written = "bytes " + std::to_string(range->first) + "-" +
                                std::to_string(range->last) + "/" +
                                (range->size ? std::to_string(*range->size) : std::string("*"));
    const std::optional<ContentRange> again = ParseContentRange(written);
    FUZZ_CHECK(again && again->first == range->first && again->last == range->last &&
               again->size == range->size);
  }
  FUZZ_CHECK(!IsWebAddress(text) || HasScheme(text));
  return 0;
}
