#include "gridfiles.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "inputs.h"

namespace {

constexpr int kSide = 1024;

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream file(path, std::ios::binary);
  file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  file.close();
  if (file)
    return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int WriteGridFiles(const char* folder, int count) {
  const std::vector<unsigned char>& bitmap = PhotoBitmapFile(kSide);
  const RgbImage& photo = PhotoImage(kSide);
  std::vector<float> heights;
  heights.reserve(static_cast<std::size_t>(kSide) * kSide);
  for (int row = kSide - 1; row >= 0; --row) {
    for (int col = 0; col < kSide; ++col) {
      const std::uint8_t* p = photo.At(col, row);
      heights.push_back(static_cast<float>((p[0] + p[1] + p[2]) / (3 * 255.0)));
    }
  }
  for (int k = 1; k <= count; ++k) {
    char name[24];
    std::snprintf(name, sizeof name, "/photo%02d", k);
    const std::string stem = std::string(folder) + name;
    if (!WriteFile(stem + ".bmp", bitmap.data(), bitmap.size()) ||
        !WriteFile(stem + ".f32", heights.data(), heights.size() * sizeof(float))) {
      return 1;
    }
  }
  return 0;
}
