#include "formats/bmpdecode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "base/errors.h"
#include "formats/loadprogress.h"
#include "formats/memorylimit.h"

namespace {

using std::uint16_t;
using std::uint32_t;
using std::uint64_t;
using std::uint8_t;

constexpr std::size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
// The longest header whose fields we read: up to the three masks that
// headers of 52 bytes and more carry themselves.
constexpr std::size_t kFieldsWanted = 52;

enum Compression : uint32_t { kUncompressed = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

uint16_t U16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

// Entries past the file's colour table stay black, so that any index of any
// depth is a plain table look-up.
using Palette = std::array<Rgb, 256>;

void Put(uint8_t* dst, Rgb c) {
  dst[0] = c.r;
  dst[1] = c.g;
  dst[2] = c.b;
}

// The header fields we use, whichever header they came from.
struct Header {
  uint32_t size = 0;
  int64_t width = 0;
  int64_t height = 0;  // negative: rows stored top-down
  unsigned planes = 0;
  unsigned bitCount = 0;
  uint32_t compression = kUncompressed;
  uint32_t imageSize = 0;
  uint32_t coloursUsed = 0;
  uint32_t masks[3] = {};  // valid only when size >= 52
};

// Reads the info header at pos and moves pos past it.
Header ReadHeader(const unsigned char* data, std::size_t size, std::size_t& pos) {
  if (size - pos < 4)
    throw cReadError();
  Header h;
  h.size = U32(data + pos);
  if (h.size != kCoreHeaderSize && h.size < 16)
    throw cInvalidGraphic();
  if (size - pos < h.size)
    throw cReadError();
  // Fields that a short header lacks count as 0.
  unsigned char f[kFieldsWanted] = {};
  std::memcpy(f, data + pos, std::min<std::size_t>(h.size, kFieldsWanted));
  pos += h.size;
  if (h.size == kCoreHeaderSize) {
    h.width = U16(f + 4);
    h.height = U16(f + 6);
    h.planes = U16(f + 8);
    h.bitCount = U16(f + 10);
    return h;
  }
  h.width = static_cast<int32_t>(U32(f + 4));
  h.height = static_cast<int32_t>(U32(f + 8));
  h.planes = U16(f + 12);
  h.bitCount = U16(f + 14);
  h.compression = U32(f + 16);
  h.imageSize = U32(f + 20);
  h.coloursUsed = U32(f + 32);
  for (int i = 0; i < 3; ++i)
    h.masks[i] = U32(f + 40 + 4 * i);
  return h;
}

void Validate(const Header& h) {
  if (h.planes != 1)
    throw cInvalidGraphic();
  const unsigned d = h.bitCount;
  if (d != 1 && d != 4 && d != 8 && d != 16 && d != 24 && d != 32)
    throw cInvalidGraphic();
  switch (h.compression) {
    case kUncompressed:
      break;
    case kRle8:
      if (d != 8)
        throw cInvalidGraphic();
      break;
    case kRle4:
      if (d != 4)
        throw cInvalidGraphic();
      break;
    case kBitFields:
      if (d != 16 && d != 32)
        throw cInvalidGraphic();
      break;
    default:
      throw cInvalidGraphic();
  }
  if (h.width <= 0 || h.height == 0)
    throw cInvalidGraphic();
  // RLE codes walk the rows from the bottom; a top-down RLE image has no meaning.
  if (h.height < 0 && h.compression != kUncompressed && h.compression != kBitFields) {
    throw cInvalidGraphic();
  }
}

// Widens one bit-field channel to 8 bits: value * 255 / full scale, rounded,
// so that the full-scale value of any width becomes 255. A zero mask reads 0.
class ChannelWidener {
 public:
  explicit ChannelWidener(uint32_t mask) : mask_(mask) {
    if (mask == 0) {
      table_.assign(1, 0);
      return;
    }
    shift_ = static_cast<unsigned>(std::countr_zero(mask));
    max_ = mask >> shift_;
    // Channels up to 16 bits wide, which covers every real file, go through
    // a table; wider ones are rare enough to divide.
    if (max_ <= 0xFFFF) {
      table_.resize(max_ + 1);
      for (uint32_t v = 0; v <= max_; ++v)
        table_[v] = Widen(v);
    }
  }
  uint8_t operator()(uint32_t pixel) const {
    // A mask with gaps still gives a value no larger than max_.
    const uint32_t v = (pixel & mask_) >> shift_;
    return table_.empty() ? Widen(v) : table_[v];
  }

 private:
  uint8_t Widen(uint32_t v) const {
    return static_cast<uint8_t>((uint64_t{v} * 255 + max_ / 2) / max_);
  }
  uint32_t mask_;
  unsigned shift_ = 0;
  uint32_t max_ = 0;
  std::vector<uint8_t> table_;
};

// n pixels of 24-bit data (blue, green, red) at s as red, green, blue at d.
void SwapChannels24(const unsigned char* s, uint64_t n, uint8_t* d) {
  for (uint64_t i = 0; i < n; ++i, s += 3, d += 3) {
    d[0] = s[2];
    d[1] = s[1];
    d[2] = s[0];
  }
}

#if defined(__x86_64__)
// The same, five pixels a step with one byte shuffle: byte by byte it is half
// of a 4096 x 4096 decode, and SSSE3 is on every x86-64 processor in use. Each
// step reads and writes 16 bytes but keeps only 15, so it runs while a sixth
// pixel is left, and the pixels after the last step go byte by byte.
[[gnu::target("ssse3")]] void SwapChannels24Ssse3(const unsigned char* s, uint64_t n, uint8_t* d) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  uint64_t i = 0;
  for (; i + 6 <= n; i += 5, s += 15, d += 15) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_shuffle_epi8(v, order));
  }
  SwapChannels24(s, n - i, d);
}
#endif

// Decodes rows of uncompressed data. decode(src, count, dst) turns the first
// count pixels of a row starting at src into RGB at dst.
template <class RowDecoder>
void DecodeRows(const unsigned char* src, uint64_t length, uint64_t stride, unsigned bitCount,
                bool topDown, Rgb zero, const RowDecoder& decode, RgbImage& image) {
  const uint64_t width = static_cast<uint64_t>(image.width);
  const uint64_t rows = static_cast<uint64_t>(image.height);
  const uint64_t rowBytes = (width * bitCount + 7) / 8;
  const unsigned pixelBytes = bitCount / 8;  // 0 for depths under 8
  for (uint64_t fileRow = 0; fileRow < rows; ++fileRow) {
    if ((fileRow & 255) == 255)
      ReportLoadProgress(static_cast<double>(fileRow) / static_cast<double>(rows));
    const uint64_t imageRow = topDown ? fileRow : rows - 1 - fileRow;
    uint8_t* dst = image.pixels.get() + imageRow * width * 3;
    const uint64_t start = fileRow * stride;
    const uint64_t present = start < length ? std::min(length - start, rowBytes) : 0;
    if (present == rowBytes) {
      decode(src + start, width, dst);
      continue;
    }
    // The data ends inside or before this row: the pixels still there, then a
    // pixel cut in two completed with zero bytes, then pixel value 0.
    uint64_t done = present * 8 / bitCount;
    if (done > 0)
      decode(src + start, done, dst);
    if (pixelBytes > 0 && present % pixelBytes != 0) {
      unsigned char last[4] = {};
      std::memcpy(last, src + start + done * pixelBytes, present % pixelBytes);
      decode(last, 1, dst + done * 3);
      ++done;
    }
    for (uint64_t i = done; i < width; ++i)
      Put(dst + i * 3, zero);
  }
}

// Run-length data, rows from the bottom. Pixels that the codes skip keep
// palette entry 0; runs and deltas that pass the row or the image are clipped
// rather than wrapped, and every step consumes input, so the loop ends.
void DecodeRle(const unsigned char* src, std::size_t length, bool fourBit, const Palette& palette,
               RgbImage& image) {
  const uint64_t width = static_cast<uint64_t>(image.width);
  const uint64_t rows = static_cast<uint64_t>(image.height);
  uint8_t* pixels = image.pixels.get();
  for (uint64_t i = 0, n = width * rows; i < n; ++i)
    Put(pixels + i * 3, palette[0]);

  uint64_t x = 0;
  uint64_t y = 0;
  std::size_t p = 0;
  // The index of pixel k of a run or of an absolute stretch.
  auto runIndex = [fourBit](unsigned value, uint64_t k) -> unsigned {
    if (!fourBit)
      return value;
    return k % 2 == 0 ? value >> 4 : value & 15;
  };
  while (y < rows && length - p >= 2) {
    const unsigned count = src[p];
    const unsigned value = src[p + 1];
    p += 2;
    uint8_t* row = pixels + (rows - 1 - y) * width * 3;
    const uint64_t room = x < width ? width - x : 0;
    if (count > 0) {
      const uint64_t n = std::min<uint64_t>(count, room);
      for (uint64_t k = 0; k < n; ++k)
        Put(row + (x + k) * 3, palette[runIndex(value, k)]);
      x += count;
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (length - p < 2)
        break;
      x += src[p];
      y += src[p + 1];
      p += 2;
    } else {  // absolute stretch of `value` pixels, padded to a 16-bit boundary
      const std::size_t bytes = fourBit ? (value + 1) / 2 : value;
      const std::size_t there = std::min(bytes, length - p);
      const uint64_t available = fourBit ? std::min<uint64_t>(value, there * 2) : there;
      const uint64_t n = std::min(available, room);
      for (uint64_t k = 0; k < n; ++k) {
        const unsigned b = src[p + (fourBit ? k / 2 : k)];
        Put(row + (x + k) * 3, palette[runIndex(b, k)]);
      }
      x += value;
      p += std::min(bytes + bytes % 2, length - p);
    }
  }
}

}  // namespace

RgbImage DecodeBitmap(const unsigned char* data, std::size_t size, uint64_t maxPixels) {
  if (size == 0)
    return {};
  if (size < kFileHeaderSize)
    throw cReadError();
  if (data[0] != 'B' || data[1] != 'M')
    throw cInvalidGraphic();
  const uint32_t pixelOffset = U32(data + 10);
  std::size_t pos = kFileHeaderSize;
  const Header h = ReadHeader(data, size, pos);
  Validate(h);

  const uint64_t width = static_cast<uint64_t>(h.width);
  const uint64_t rows = static_cast<uint64_t>(h.height < 0 ? -h.height : h.height);
  // Both factors are below 2^32, so the product cannot wrap.
  if (width * rows > maxPixels)
    throw cOutOfMemory();
  CheckFitsInMemory(width * rows * 3);

  uint32_t masks[3] = {};
  if (h.compression == kBitFields) {
    if (h.size >= kFieldsWanted) {
      std::copy(h.masks, h.masks + 3, masks);
    } else {
      if (size - pos < 12)
        throw cReadError();
      for (int i = 0; i < 3; ++i)
        masks[i] = U32(data + pos + 4 * i);
      pos += 12;
    }
  } else if (h.bitCount == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (h.bitCount == 32) {
    masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
  }

  // The colour table. Deeper images may carry one too; it is read past.
  const bool core = h.size == kCoreHeaderSize;
  const std::size_t entrySize = core ? 3 : 4;
  uint64_t entries = h.coloursUsed;
  if (h.bitCount <= 8 && (core || entries == 0))
    entries = uint64_t{1} << h.bitCount;
  if (h.bitCount > 8 && core)
    entries = 0;

  // Writers that leave a gap before the pixels say so only in the offset, so
  // it is honoured whenever it points between the headers and the end of the
  // file; then the colour table is whatever fits before it. Otherwise the
  // pixels follow the colour table directly.
  const std::size_t headersEnd = pos;
  std::size_t pixelStart = 0;
  if (pixelOffset >= headersEnd && pixelOffset <= size) {
    entries = std::min<uint64_t>(entries, (pixelOffset - headersEnd) / entrySize);
    pixelStart = pixelOffset;
  } else {
    if ((size - headersEnd) / entrySize < entries)
      throw cReadError();
    pixelStart = headersEnd + static_cast<std::size_t>(entries) * entrySize;
  }

  Palette palette{};
  if (h.bitCount <= 8) {
    const uint64_t used = std::min<uint64_t>(entries, uint64_t{1} << h.bitCount);
    for (uint64_t i = 0; i < used; ++i) {
      const unsigned char* e = data + headersEnd + i * entrySize;
      palette[i] = Rgb{e[2], e[1], e[0]};
    }
  }

  const uint64_t stride = (width * h.bitCount + 31) / 32 * 4;
  const uint64_t limit = h.imageSize != 0 ? h.imageSize : stride * rows;
  const std::size_t length = static_cast<std::size_t>(std::min<uint64_t>(limit, size - pixelStart));
  const unsigned char* src = data + pixelStart;

  RgbImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(rows);
  image.pixels = NewArray<std::uint8_t>(width * rows * 3);

  if (h.compression == kRle8 || h.compression == kRle4) {
    DecodeRle(src, length, h.compression == kRle4, palette, image);
    return image;
  }

  const bool topDown = h.height < 0;
  auto decodeRows = [&](Rgb zero, const auto& decode) {
    DecodeRows(src, length, stride, h.bitCount, topDown, zero, decode, image);
  };
  switch (h.bitCount) {
    case 1:
      decodeRows(palette[0], [&palette](const unsigned char* s, uint64_t n, uint8_t* d) {
        for (uint64_t i = 0; i < n; ++i)
          Put(d + i * 3, palette[(s[i / 8] >> (7 - i % 8)) & 1]);
      });
      break;
    case 4:
      decodeRows(palette[0], [&palette](const unsigned char* s, uint64_t n, uint8_t* d) {
        for (uint64_t i = 0; i < n; ++i) {
          Put(d + i * 3, palette[i % 2 == 0 ? s[i / 2] >> 4 : s[i / 2] & 15]);
        }
      });
      break;
    case 8:
      decodeRows(palette[0], [&palette](const unsigned char* s, uint64_t n, uint8_t* d) {
        for (uint64_t i = 0; i < n; ++i)
          Put(d + i * 3, palette[s[i]]);
      });
      break;
    case 24: {
#if defined(__x86_64__)
      if (__builtin_cpu_supports("ssse3")) {
        decodeRows(Rgb{}, SwapChannels24Ssse3);
        break;
      }
#endif
      decodeRows(Rgb{}, SwapChannels24);
      break;
    }
    case 32:
      if (masks[0] == 0xFF0000 && masks[1] == 0x00FF00 && masks[2] == 0x0000FF) {
        decodeRows(Rgb{}, [](const unsigned char* s, uint64_t n, uint8_t* d) {
          for (uint64_t i = 0; i < n; ++i, s += 4, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
          }
        });
        break;
      }
      [[fallthrough]];
    case 16: {
      const ChannelWidener red(masks[0]), green(masks[1]), blue(masks[2]);
      const bool wide = h.bitCount == 32;
      decodeRows(Rgb{}, [&](const unsigned char* s, uint64_t n, uint8_t* d) {
        for (uint64_t i = 0; i < n; ++i, d += 3) {
          const uint32_t v = wide ? U32(s + i * 4) : U16(s + i * 2);
          d[0] = red(v);
          d[1] = green(v);
          d[2] = blue(v);
        }
      });
      break;
    }
  }
  return image;
}
