#pragma once
// Pictures other than bitmaps (PNG, JPEG, GIF, TIFF, WebP and whatever else
// Qt's image readers and the installed plugins know), from the bytes of the
// whole file to one QImage whose pixels the height field and the colour count
// read where they lie. Which reader decodes is decided by the content alone.

#include <cstddef>
#include <cstdint>

#include <QImage>

#include "formats/bmpdecode.h"

// Whether one of Qt's image readers recognises data[0 .. size) as its format
// from the first bytes (it does not decode). Never throws.
bool ImageReaderRecognises(const unsigned char* data, std::size_t size);

// The formats whose pixels are read in place: 8-bit RGB (RGB32, ARGB32),
// palette (Indexed8), grey (Grayscale8, Grayscale16) and 16 bits a channel
// (RGBX64, RGBA64). Alpha, where there is any, is left as it is and ignored.
bool ReadsInPlace(QImage::Format format);

// Puts image into one of the formats above, keeping at least the precision
// of its channels: more than 8 bits a channel to RGBX64, anything else to
// RGB32, premultiplied colours back to straight ones. Where the new format is
// as deep as the old one the pixels are converted where they lie. Throws
// cOutOfMemory when the conversion cannot allocate.
void MakeReadableInPlace(QImage& image);

// Decodes the picture held in data[0 .. size) with the reader that recognises
// it, into a QImage in one of the formats above, row 0 at the top and turned
// upright where the file says how it is to be shown. The bytes are only read
// and not kept.
// The size comes from the header first, and the picture is refused with
// cOutOfMemory before any pixel is decoded when it has more than maxPixels
// pixels, when its pixels would take more than MemoryLimitBytes()
// (memorylimit.h), or when resultBytesPerPixel bytes for each pixel (what
// the caller builds from it) would; the reader may then allocate no more than
// the picture needs (QImageReader::setAllocationLimit). Throws cInvalidGraphic
// when no reader accepts the bytes, the header gives no pixels, or the
// reader fails part-way.
QImage DecodeImage(const unsigned char* data, std::size_t size, std::size_t resultBytesPerPixel,
                   std::uint64_t maxPixels = kMaxBitmapPixels);
