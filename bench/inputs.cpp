#include "inputs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <stdexcept>

const std::vector<unsigned char>& PhotoBitmapFile(int side) {
  static std::map<int, std::vector<unsigned char>> files;
  std::vector<unsigned char>& f = files[side];
  if (!f.empty())
    return f;
  const auto n = static_cast<std::uint32_t>(side);
  const std::uint32_t stride = (n * 3 + 3) / 4 * 4;
  const std::uint32_t dataSize = stride * n;
  f.reserve(54 + dataSize);
  auto add = [&f](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      f.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  f.push_back('B'), f.push_back('M');
  add(54 + dataSize, 4), add(0, 4), add(54, 4);
  add(40, 4), add(n, 4), add(n, 4), add(1, 2), add(24, 2), add(0, 4), add(dataSize, 4);
  add(2835, 4), add(2835, 4), add(0, 4), add(0, 4);
  // The shading is the same at every size, so a smaller picture looks like a
  // scaled-down larger one.
  const double scale = 4096.0 / side;
  std::uint32_t grain = 12345;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      grain = grain * 1103515245u + 12345u;
      const int noise = static_cast<int>(grain >> 28) - 8;
      const double shade = 0.5 + 0.5 * std::sin(x * scale / 300.0) * std::cos(y * scale / 470.0);
      auto channel = [noise](double v) {
        return static_cast<unsigned char>(std::clamp(static_cast<int>(v) + noise, 0, 255));
      };
      f.push_back(channel(40 + 150 * shade * y / side));    // blue
      f.push_back(channel(30 + 200 * shade));               // green
      f.push_back(channel(255.0 * x / side * shade + 20));  // red
    }
    f.resize(f.size() + (stride - n * 3), 0);
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
