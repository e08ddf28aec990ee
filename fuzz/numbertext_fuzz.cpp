// TextToNumber against the literal reading of the rules (textreference.h): the
// same accept or reject, the same double to the bit, the same overflow.
#include <cstring>

#include "base/errors.h"
#include "formats/numbertext.h"
#include "fuzz/fuzz_input.h"
#include "support/textreference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzText input = SplitFuzzInput(data, size);
  const ReferenceNumber expected = ReadReferenceNumber(input.text, input.separator.Bytes());
  // A fallback that no text can give, so that a rejection cannot pass for a value.
  const double fallback = -1234.5678e-300;
  double got;
  try {
    got = TextToNumber(input.text, fallback, input.separator);
  } catch (const cOverflow&) {
    FUZZ_CHECK(expected.kind == ReferenceNumber::kOverflow);
    return 0;
  }
  FUZZ_CHECK(expected.kind != ReferenceNumber::kOverflow);
  const double want = expected.kind == ReferenceNumber::kValue ? expected.value : fallback;
  FUZZ_CHECK(std::memcmp(&got, &want, sizeof got) == 0);
  return 0;
}
