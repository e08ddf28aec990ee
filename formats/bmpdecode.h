#pragma once
// Our own reader of Windows bitmap files ("BM"), from the bytes of the whole
// file to 8-bit RGB pixels. It accepts the 12-byte core header and info headers
// of any length from 16 bytes on (fields a short header lacks count as 0);
// depths 1, 4 and 8 with a colour table, 16 and 32 (bit-field masks with
// compression 3, otherwise 5-5-5 and 8-8-8), 24; uncompressed, bit-field, RLE8
// and RLE4 data; rows stored bottom-up or top-down.
//
// Lenient where a file is merely short: pixel data that ends early, and pixels
// that RLE skips, read as pixel value 0 (palette entry 0 in a palette image,
// black otherwise); a palette index beyond the colour table gives black; RLE
// runs past the row or the image are clipped. Strict where the structure is
// broken: see the errors below. Never reads or writes outside its buffers,
// whatever the header claims.

#include <cstddef>
#include <cstdint>

#include "formats/rgbimage.h"

// Larger images are refused before anything is allocated: a 2^28-pixel image
// already needs 768 MiB decoded and 6 GiB as a height field.
inline constexpr std::uint64_t kMaxBitmapPixels = std::uint64_t{1} << 28;

// Decodes the bitmap file held in data[0 .. size). The bytes are only read and
// not kept; the returned image owns its pixels, row 0 at the top. A zero-length
// file gives an empty image (0 x 0, no pixels).
// Throws cReadError when the file is 1 to 13 bytes long or ends inside the info
// header, the channel masks or the colour table; cInvalidGraphic when it does
// not start with "BM", the plane count is not 1, the header length is under 16
// (but not 12), the depth or compression is not one of those above (RLE8 only
// at 8 bits, RLE4 at 4, bit fields at 16 and 32), the width is negative or 0,
// the height is 0, or an RLE image is stored top-down; cOutOfMemory when the
// image has more than maxPixels pixels, its pixels would take more than the
// machine's memory (memorylimit.h) or cannot be allocated.
// maxPixels exists for the fuzzer, whose inputs would otherwise spend their
// time filling pictures of hundreds of megabytes that a 60-byte file claims.
RgbImage DecodeBitmap(const unsigned char* data, std::size_t size,
                      std::uint64_t maxPixels = kMaxBitmapPixels);
