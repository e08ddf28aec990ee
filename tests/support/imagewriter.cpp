#include "imagewriter.h"

#include <algorithm>
#include <cassert>
#include <ostream>

#include <QBuffer>
#include <QImageWriter>
#include <QRgba64>

#include "formats/colourcount.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t Crc32(const unsigned char* p, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

void PutBig32(Bytes& file, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    file[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// Codes of a fixed width, packed from the lowest bit up, as GIF wants them.
class BitWriter {
 public:
  void Put(unsigned code, int width) {
    bits |= static_cast<std::uint64_t>(code) << count;
    count += width;
    while (count >= 8) {
      bytes.push_back(static_cast<unsigned char>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  }
  Bytes Finish() {
    if (count > 0)
      bytes.push_back(static_cast<unsigned char>(bits & 0xFF));
    return bytes;
  }

 private:
  Bytes bytes;
  std::uint64_t bits = 0;
  int count = 0;
};

double Quotient(long double sum, long double divisor) {
  return static_cast<double>(sum / divisor);
}

std::uint8_t High(std::uint16_t v) {
  return static_cast<std::uint8_t>(v >> 8);
}

// The two-area picture of the samples, in 8 bits and in 16.
Picture TwoAreas(Rgb8 a, Rgb8 b) {
  Picture p{kSampleWidth, kSampleHeight, {}};
  for (int row = 0; row < kSampleHeight; ++row) {
    for (int col = 0; col < kSampleWidth; ++col)
      p.pixels.push_back(col < kSampleSplit ? a : b);
  }
  return p;
}

QImage TwoAreas16(QImage::Format format, QRgba64 a, QRgba64 b) {
  QImage image(kSampleWidth, kSampleHeight, format);
  for (int row = 0; row < kSampleHeight; ++row) {
    for (int col = 0; col < kSampleWidth; ++col) {
      const QRgba64 c = col < kSampleSplit ? a : b;
      if (format == QImage::Format_Grayscale16)
        reinterpret_cast<std::uint16_t*>(image.scanLine(row))[col] = c.red();
      else
        reinterpret_cast<QRgba64*>(image.scanLine(row))[col] = c;
    }
  }
  return image;
}

}  // namespace

QImage QImageOf(const Picture& picture, QImage::Format format) {
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  QList<QRgb> table;
  for (int row = 0; row < picture.height; ++row) {
    for (int col = 0; col < picture.width; ++col) {
      const Rgb8 c = picture.At(col, row);
      image.setPixel(col, row, qRgb(c.r, c.g, c.b));
      if (!table.contains(qRgb(c.r, c.g, c.b)))
        table.append(qRgb(c.r, c.g, c.b));
    }
  }
  if (format == QImage::Format_Indexed8)
    return image.convertToFormat(format, table, Qt::ThresholdDither);
  return image.convertToFormat(format);
}

std::vector<unsigned char> WriteImage(const QImage& image, const char* format, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  const bool written = writer.write(image);
  assert(written && "Qt writes this format");
  (void)written;
  return Bytes(bytes.begin(), bytes.end());
}

std::vector<unsigned char> WriteGif(const Picture& picture) {
  std::vector<Rgb8> table;
  std::vector<unsigned> indices;
  for (const Rgb8& c : picture.pixels) {
    const auto at = std::find(table.begin(), table.end(), c);
    indices.push_back(static_cast<unsigned>(at - table.begin()));
    if (at == table.end())
      table.push_back(c);
  }
  assert(table.size() <= 256 && "a GIF has at most 256 colours");
  int bits = 1;
  while ((1u << bits) < table.size())
    ++bits;
  table.resize(std::size_t{1} << bits);

  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  auto add16 = [&out](int v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
  };
  add16(picture.width);
  add16(picture.height);
  out.push_back(static_cast<unsigned char>(0x80 | (bits - 1) << 4 | (bits - 1)));
  out.insert(out.end(), {0, 0});
  for (const Rgb8& c : table)
    out.insert(out.end(), {c.r, c.g, c.b});
  out.push_back(0x2C);
  add16(0);
  add16(0);
  add16(picture.width);
  add16(picture.height);
  out.push_back(0);

  // Every pixel one code of minimum + 1 bits. Each code after the first
  // since a clear adds a table entry; a clear comes before the entries reach
  // the next power of two, where the width would grow.
  const int minimum = std::max(2, bits);
  const unsigned clear = 1u << minimum;
  BitWriter lzw;
  unsigned sinceClear = 0;
  lzw.Put(clear, minimum + 1);
  for (unsigned index : indices) {
    if (sinceClear == clear - 2) {
      lzw.Put(clear, minimum + 1);
      sinceClear = 0;
    }
    lzw.Put(index, minimum + 1);
    ++sinceClear;
  }
  lzw.Put(clear + 1, minimum + 1);
  const Bytes data = lzw.Finish();
  out.push_back(static_cast<unsigned char>(minimum));
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<unsigned char>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
               data.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

std::vector<unsigned char> PngClaimingSize(std::vector<unsigned char> png, std::uint32_t width,
                                           std::uint32_t height) {
  // The header chunk: length at 8, type at 12, width at 16, height at 20,
  // check sum of type and data at 29.
  PutBig32(png, 16, width);
  PutBig32(png, 20, height);
  PutBig32(png, 29, Crc32(png.data() + 12, 17));
  return png;
}

void PrintTo(const PictureSample& sample, std::ostream* os) {
  *os << sample.name;
}

std::vector<PictureSample> PictureSamples() {
  // Every channel in the middle of its colour cell, so that a lossy format's
  // small errors stay in it.
  const Rgb8 a{198, 102, 50}, b{18, 62, 6};
  const Rgb8 greyA{130, 130, 130}, greyB{2, 2, 2};
  const QRgba64 a16 = QRgba64::fromRgba64(50000, 1000, 30001, 65535);
  const QRgba64 b16 = QRgba64::fromRgba64(258, 65535, 7, 65535);
  const QRgba64 greyA16 = QRgba64::fromRgba64(1000, 1000, 1000, 65535);
  const QRgba64 greyB16 = QRgba64::fromRgba64(65000, 65000, 65000, 65535);

  const Picture picture = TwoAreas(a, b);
  const Picture grey = TwoAreas(greyA, greyB);
  // Alpha is dropped: A fully transparent, B half.
  QImage withAlpha = QImageOf(picture, QImage::Format_ARGB32);
  for (int row = 0; row < kSampleHeight; ++row) {
    for (int col = 0; col < kSampleWidth; ++col)
      withAlpha.setPixel(
          col, row, (withAlpha.pixel(col, row) & 0xFFFFFF) | (col < kSampleSplit ? 0 : 0x80000000));
  }
  const QImage rgb = QImageOf(picture, QImage::Format_RGB32);
  const QImage rgb16 = TwoAreas16(QImage::Format_RGBX64, a16, b16);
  const QImage grey16 = TwoAreas16(QImage::Format_Grayscale16, greyA16, greyB16);

  struct Made {
    const char* name;
    Bytes bytes;
    bool sixteen;
    bool grey;
    bool lossy;
  };
  const Made made[] = {
      {"png_rgb8.png", WriteImage(rgb, "png"), false, false, false},
      {"png_palette.png", WriteImage(QImageOf(picture, QImage::Format_Indexed8), "png"), false,
       false, false},
      {"png_grey8.png", WriteImage(QImageOf(grey, QImage::Format_Grayscale8), "png"), false, true,
       false},
      {"png_grey16.png", WriteImage(grey16, "png"), true, true, false},
      {"png_rgb16.png", WriteImage(rgb16, "png"), true, false, false},
      {"png_alpha.png", WriteImage(withAlpha, "png"), false, false, false},
      {"jpeg.jpg", WriteImage(rgb, "jpeg", 100), false, false, true},
      {"gif.gif", WriteGif(picture), false, false, false},
      {"tiff_rgb8.tif", WriteImage(rgb, "tiff"), false, false, false},
      {"tiff_rgb16.tif", WriteImage(rgb16, "tiff"), true, false, false},
      {"webp.webp", WriteImage(rgb, "webp", 100), false, false, false},
  };
  std::vector<PictureSample> samples;
  for (const Made& m : made) {
    PictureSample s{m.name, m.bytes, 0, 0, 0, 0, m.lossy};
    if (m.sixteen) {
      const QRgba64 ca = m.grey ? greyA16 : a16, cb = m.grey ? greyB16 : b16;
      s.zA = Quotient(ca.red() + ca.green() + ca.blue(), 3.0L * 65535);
      s.zB = Quotient(cb.red() + cb.green() + cb.blue(), 3.0L * 65535);
      s.cellA = ColourCell(High(ca.red()), High(ca.green()), High(ca.blue()));
      s.cellB = ColourCell(High(cb.red()), High(cb.green()), High(cb.blue()));
    } else {
      const Rgb8 ca = m.grey ? greyA : a, cb = m.grey ? greyB : b;
      s.zA = Quotient(ca.r + ca.g + ca.b, 765);
      s.zB = Quotient(cb.r + cb.g + cb.b, 765);
      s.cellA = ColourCell(ca.r, ca.g, ca.b);
      s.cellB = ColourCell(cb.r, cb.g, cb.b);
    }
    samples.push_back(std::move(s));
  }
  return samples;
}
