// DecodeBitmap on any bytes: it may throw only its own three errors, and an
// image it returns has every pixel written. The second promise is checked by
// decoding twice, with fresh memory filled with 0x00 the first time and 0xFF
// the second: a pixel left unwritten differs between the two.
#include <cstring>

#include <sanitizer/allocator_interface.h>

#include "base/errors.h"
#include "formats/bmpdecode.h"
#include "fuzz/fuzz_input.h"

namespace {

// 65,536 pixels is plenty for any header trick; beyond that a short file only
// makes the fuzzer fill black pictures, a few milliseconds each.
constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t{1} << 16;

int fill = -1;  // the byte fresh memory is filled with, -1 for none

void FillFresh(const volatile void* p, std::size_t size) {
  if (fill >= 0)
    std::memset(const_cast<void*>(p), fill, size);
}

void Nothing(const volatile void*) {}

const bool hooked = __sanitizer_install_malloc_and_free_hooks(FillFresh, Nothing) != 0;

RgbImage Decode(const std::uint8_t* data, std::size_t size, int withFill) {
  fill = withFill;
  try {
    RgbImage image = DecodeBitmap(data, size, kFuzzMaxPixels);
    fill = -1;
    return image;
  } catch (...) {
    fill = -1;
    throw;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FUZZ_CHECK(hooked);
  RgbImage first;
  try {
    first = Decode(data, size, 0x00);
  } catch (const cReadError&) {
    return 0;
  } catch (const cInvalidGraphic&) {
    return 0;
  } catch (const cOutOfMemory&) {
    return 0;
  }
  if (size == 0) {
    FUZZ_CHECK(first.width == 0 && first.height == 0);
    return 0;
  }
  FUZZ_CHECK(first.width > 0 && first.height > 0 && first.pixels != nullptr);
  FUZZ_CHECK(first.PixelCount() <= kFuzzMaxPixels);
  const RgbImage second = Decode(data, size, 0xFF);
  FUZZ_CHECK(second.width == first.width && second.height == first.height);
  FUZZ_CHECK(std::memcmp(first.pixels.get(), second.pixels.get(), first.PixelCount() * 3) == 0);
  return 0;
}
