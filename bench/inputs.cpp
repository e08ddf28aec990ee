#include "inputs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <stdexcept>

#include <QImage>

#include "formats/bmpdecode.h"
#include "support/bmpwriter.h"
#include "support/imagewriter.h"

const std::vector<unsigned char>& PhotoBitmapFile(int side) {
  static std::map<int, std::vector<unsigned char>> files;
  std::vector<unsigned char>& f = files[side];
  if (!f.empty())
    return f;
  Picture picture{side, side, std::vector<Rgb8>(static_cast<std::size_t>(side) * side)};
  // The shading is the same at every size, so a smaller picture looks like a
  // scaled-down larger one. y counts from the bottom row, the first in the file.
  const double scale = 4096.0 / side;
  std::uint32_t grain = 12345;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      grain = grain * 1103515245u + 12345u;
      const int noise = static_cast<int>(grain >> 28) - 8;
      const double shade = 0.5 + 0.5 * std::sin(x * scale / 300.0) * std::cos(y * scale / 470.0);
      auto channel = [noise](double v) {
        return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v) + noise, 0, 255));
      };
      picture.pixels[static_cast<std::size_t>(side - 1 - y) * side + x] =
          Rgb8{channel(255.0 * x / side * shade + 20), channel(30 + 200 * shade),
               channel(40 + 150 * shade * y / side)};
    }
  }
  f = WriteBmp(picture, BmpOptions{});
  return f;
}

const RgbImage& PhotoImage(int side) {
  static std::map<int, RgbImage> images;
  RgbImage& image = images[side];
  if (!image.pixels) {
    const std::vector<unsigned char>& file = PhotoBitmapFile(side);
    image = DecodeBitmap(file.data(), file.size());
  }
  return image;
}

const std::vector<unsigned char>& PhotoPngFile(int side) {
  static std::map<int, std::vector<unsigned char>> files;
  std::vector<unsigned char>& f = files[side];
  if (f.empty()) {
    const RgbImage& photo = PhotoImage(side);
    const QImage image(photo.pixels.get(), side, side, side * 3, QImage::Format_RGB888);
    f = WriteImage(image.convertToFormat(QImage::Format_RGB32), "png");
  }
  return f;
}

const std::vector<unsigned char>& HeightMapPngFile(int side) {
  static std::map<int, std::vector<unsigned char>> files;
  std::vector<unsigned char>& f = files[side];
  if (f.empty()) {
    QImage map(side, side, QImage::Format_Grayscale16);
    const double scale = 4096.0 / side;
    std::uint32_t grain = 12345;
    for (int y = 0; y < side; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(map.scanLine(y));
      for (int x = 0; x < side; ++x) {
        grain = grain * 1103515245u + 12345u;
        const double shade = std::sin(x * scale / 300.0) * std::cos(y * scale / 470.0);
        row[x] = static_cast<std::uint16_t>(32768 + 30000 * shade + static_cast<int>(grain >> 26));
      }
    }
    f = WriteImage(map, "png");
  }
  return f;
}

const std::string& PointGridText() {
  static const std::string text = [] {
    std::mt19937 random(42);
    std::string t;
    t.reserve(25'000'000);
    auto number = [&] {
      // 1 to 6 decimals, mostly 6, as files written by other programs have.
      const int decimals = random() % 4 == 0 ? 1 + static_cast<int>(random() % 5) : 6;
      int scale = 1;
      for (int i = 0; i < decimals; ++i)
        scale *= 10;
      const int v = static_cast<int>(random() % static_cast<unsigned>(scale));
      const std::string digits = std::to_string(v);
      t += "0.";
      t.append(static_cast<std::size_t>(decimals) - digits.size(), '0');
      t += digits;
    };
    for (int i = 0; i < 1'000'000; ++i) {
      number();
      t += ',';
      number();
      t += ',';
      number();
      t += '\n';
      if (i % 1000 == 999)
        t += '\n';
    }
    return t;
  }();
  return text;
}

TempFile::TempFile(const void* data, std::size_t size) {
  if (!file.open() ||
      file.write(static_cast<const char*>(data), static_cast<qint64>(size)) !=
          static_cast<qint64>(size) ||
      !file.flush()) {
    throw std::runtime_error("cannot write a temporary file");
  }
  path = file.fileName();
  file.close();
}
