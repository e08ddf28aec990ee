#include "bmpwriter.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdlib>

namespace {

using Bytes = std::vector<unsigned char>;

void Add16(Bytes& out, std::uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Add32(Bytes& out, std::uint32_t v) {
  Add16(out, v & 0xFFFF);
  Add16(out, v >> 16);
}

std::uint32_t Pack(std::uint8_t v, std::uint32_t mask) {
  if (mask == 0)
    return 0;
  const int shift = std::countr_zero(mask);
  const std::uint32_t max = mask >> shift;
  return static_cast<std::uint32_t>((std::uint64_t{v} * max + 127) / 255) << shift;
}

// One row of palette indices as RLE8 (fourBit false) or RLE4 codes, without
// the closing end-of-line.
class RleRowWriter {
 public:
  RleRowWriter(const std::vector<std::uint8_t>& row, bool fourBit, bool skips)
      : idx_(row), fourBit_(fourBit), skips_(skips) {}

  void Write(Bytes& out) const {
    const int w = static_cast<int>(idx_.size());
    int x = 0;
    while (x < w) {
      if (skips_ && idx_[x] == 0) {
        int z = 0;
        while (x + z < w && idx_[x + z] == 0 && z < 255)
          ++z;
        if (x + z == w)
          return;  // the end-of-line code skips the rest
        out.insert(out.end(), {0, 2, static_cast<unsigned char>(z), 0});
        x += z;
        continue;
      }
      if (StartsRun(x)) {
        const int r = RunLength(x);
        out.push_back(static_cast<unsigned char>(r));
        out.push_back(fourBit_ ? (idx_[x] << 4 | idx_[x + (r > 1)]) : idx_[x]);
        x += r;
        continue;
      }
      int a = 1;
      while (x + a < w && a < 255 && !StartsRun(x + a) && !(skips_ && idx_[x + a] == 0))
        ++a;
      if (a < 3) {  // too short for an absolute stretch: runs of one
        for (int k = 0; k < a; ++k) {
          out.push_back(1);
          out.push_back(fourBit_ ? idx_[x + k] << 4 : idx_[x + k]);
        }
      } else {
        out.push_back(0);
        out.push_back(static_cast<unsigned char>(a));
        const std::size_t start = out.size();
        for (int k = 0; k < a; ++k) {
          if (!fourBit_) {
            out.push_back(idx_[x + k]);
          } else if (k % 2 == 0) {
            out.push_back(idx_[x + k] << 4);
          } else {
            out.back() |= idx_[x + k];
          }
        }
        if ((out.size() - start) % 2 != 0)
          out.push_back(0);
      }
      x += a;
    }
  }

 private:
  // RLE8 repeats one index; RLE4 alternates two.
  int RunLength(int x) const {
    const int w = static_cast<int>(idx_.size());
    int r = 1;
    while (x + r < w && r < 255 && idx_[x + r] == idx_[x + (fourBit_ ? r % 2 : 0)])
      ++r;
    return r;
  }
  bool StartsRun(int x) const {
    const int r = RunLength(x);
    return r >= 3 || (r == 2 && idx_[x] == idx_[x + 1]);
  }

  const std::vector<std::uint8_t>& idx_;
  bool fourBit_;
  bool skips_;
};

}  // namespace

Picture PatternPicture(int width, int height, const std::vector<Rgb8>& colours) {
  Picture p{width, height, {}};
  p.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      p.pixels.push_back(colours[(col + 2 * row + col * row % 3) % colours.size()]);
    }
  }
  return p;
}

std::vector<unsigned char> WriteBmp(const Picture& picture, const BmpOptions& o) {
  const int w = picture.width;
  const int h = picture.height;
  const bool core = o.headerSize == 12;
  const bool paletted = o.bitCount <= 8;
  const bool rle = o.compression == 1 || o.compression == 2;
  assert((o.headerSize >= 20 || o.compression == 0) && "a short header cannot name a compression");

  std::vector<Rgb8> palette = o.palette;
  std::vector<std::uint8_t> indices;
  if (paletted) {
    for (const Rgb8& c : picture.pixels) {
      auto it = std::find(palette.begin(), palette.end(), c);
      if (it == palette.end()) {
        assert(o.palette.empty() && "picture colour missing from the given palette");
        palette.push_back(c);
        it = palette.end() - 1;
      }
      indices.push_back(static_cast<std::uint8_t>(it - palette.begin()));
    }
    assert(palette.size() <= (1u << o.bitCount) && "too many colours for the depth");
    if (core || !o.coloursUsed)
      palette.resize(std::size_t{1} << o.bitCount);
  }

  std::uint32_t masks[3] = {o.masks[0], o.masks[1], o.masks[2]};
  if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
    if (o.bitCount == 16 && o.compression == 3) {
      masks[0] = 0xF800, masks[1] = 0x07E0, masks[2] = 0x001F;
    } else if (o.bitCount == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
      masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
  }

  // Pixel data, rows from the bottom unless top-down.
  Bytes data;
  const std::size_t stride = (static_cast<std::size_t>(w) * o.bitCount + 31) / 32 * 4;
  for (int fileRow = 0; fileRow < h; ++fileRow) {
    const int row = o.topDown ? fileRow : h - 1 - fileRow;
    const std::size_t first = static_cast<std::size_t>(row) * w;
    if (rle) {
      const std::vector<std::uint8_t> rowIndices(indices.begin() + first,
                                                 indices.begin() + first + w);
      const bool blank =
          std::all_of(rowIndices.begin(), rowIndices.end(), [](std::uint8_t i) { return i == 0; });
      if (o.rleSkips && blank && fileRow + 1 < h) {
        data.insert(data.end(), {0, 2, 0, 1});  // down one row, x stays 0
        continue;
      }
      RleRowWriter(rowIndices, o.compression == 2, o.rleSkips).Write(data);
      data.insert(data.end(), {0, static_cast<unsigned char>(fileRow + 1 < h ? 0 : 1)});
      continue;
    }
    Bytes line(stride, 0);
    for (int col = 0; col < w; ++col) {
      const Rgb8 c = picture.pixels[first + col];
      const std::uint8_t i = paletted ? indices[first + col] : 0;
      switch (o.bitCount) {
        case 1:
          line[col / 8] |= i << (7 - col % 8);
          break;
        case 4:
          line[col / 2] |= col % 2 == 0 ? i << 4 : i;
          break;
        case 8:
          line[col] = i;
          break;
        case 24:
          line[col * 3] = c.b, line[col * 3 + 1] = c.g, line[col * 3 + 2] = c.r;
          break;
        case 16:
        case 32: {
          const std::uint32_t v = Pack(c.r, masks[0]) | Pack(c.g, masks[1]) | Pack(c.b, masks[2]);
          for (int k = 0; k < o.bitCount / 8; ++k)
            line[col * (o.bitCount / 8) + k] = v >> (8 * k);
          break;
        }
        default:
          std::abort();
      }
    }
    data.insert(data.end(), line.begin(), line.end());
  }

  Bytes header;
  Add32(header, o.headerSize);
  if (core) {
    Add16(header, w);
    Add16(header, h);
    Add16(header, 1);
    Add16(header, o.bitCount);
  } else {
    Add32(header, w);
    Add32(header, o.topDown ? -h : h);
    Add16(header, 1);
    Add16(header, o.bitCount);
    Add32(header, o.compression);
    Add32(header, static_cast<std::uint32_t>(data.size()));
    Add32(header, 2835);
    Add32(header, 2835);
    Add32(header, paletted && o.coloursUsed ? static_cast<std::uint32_t>(palette.size()) : 0);
    Add32(header, 0);
    for (std::uint32_t m : masks)
      Add32(header, o.compression == 3 ? m : 0);
    header.resize(o.headerSize, 0);
    if (o.compression == 3 && o.headerSize < 52) {
      for (std::uint32_t m : masks)
        Add32(header, m);
    }
  }
  for (const Rgb8& c : palette) {
    header.insert(header.end(), {c.b, c.g, c.r});
    if (!core)
      header.push_back(0);
  }
  header.resize(header.size() + o.gap, 0xEE);

  Bytes file{'B', 'M'};
  Add32(file, static_cast<std::uint32_t>(14 + header.size() + data.size()));
  Add32(file, 0);
  Add32(file, static_cast<std::uint32_t>(14 + header.size()));
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

void Poke16(std::vector<unsigned char>& file, std::size_t at, std::uint16_t value) {
  file.at(at) = value & 0xFF;
  file.at(at + 1) = value >> 8;
}

void Poke32(std::vector<unsigned char>& file, std::size_t at, std::uint32_t value) {
  Poke16(file, at, value & 0xFFFF);
  Poke16(file, at + 2, value >> 16);
}

std::vector<unsigned char> WriteRawBmp(int width, int height, int bitCount,
                                       std::uint32_t compression, const std::vector<Rgb8>& palette,
                                       const std::vector<unsigned char>& data) {
  Bytes file{'B', 'M'};
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + 40 + 4 * palette.size());
  Add32(file, static_cast<std::uint32_t>(offset + data.size()));
  Add32(file, 0);
  Add32(file, offset);
  Add32(file, 40);
  Add32(file, static_cast<std::uint32_t>(width));
  Add32(file, static_cast<std::uint32_t>(height));
  Add16(file, 1);
  Add16(file, static_cast<std::uint32_t>(bitCount));
  Add32(file, compression);
  Add32(file, static_cast<std::uint32_t>(data.size()));
  Add32(file, 2835);
  Add32(file, 2835);
  Add32(file, static_cast<std::uint32_t>(palette.size()));
  Add32(file, 0);
  for (const Rgb8& c : palette)
    file.insert(file.end(), {c.b, c.g, c.r, 0});
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

RgbImage ImageOf(const Picture& p) {
  RgbImage image;
  image.width = p.width;
  image.height = p.height;
  image.pixels = std::make_unique<std::uint8_t[]>(p.pixels.size() * 3);
  for (std::size_t i = 0; i < p.pixels.size(); ++i) {
    image.pixels[3 * i] = p.pixels[i].r;
    image.pixels[3 * i + 1] = p.pixels[i].g;
    image.pixels[3 * i + 2] = p.pixels[i].b;
  }
  return image;
}
