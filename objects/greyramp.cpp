#include "objects/greyramp.h"

#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <new>

GreyRamp::GreyRamp() : entries(new std::uint8_t[4]{255, 255, 255, 255}) {}

GreyRamp::GreyRamp(const GreyRamp& other)
    : size(other.size), entries(new std::uint8_t[std::size_t{other.size} * 4]) {
  std::copy_n(other.entries.get(), std::size_t{size} * 4, entries.get());
}

GreyRamp& GreyRamp::operator=(const GreyRamp& other) {
  if (this != &other) {
    GreyRamp copy(other);
    std::swap(size, copy.size);
    std::swap(entries, copy.entries);
  }
  return *this;
}

void GreyRamp::Build(std::uint32_t levels, bool translucent) {
  if (levels == 0)
    return;
  const std::uint32_t n = std::min(std::bit_floor(levels), kMaxSize);
  std::unique_ptr<std::uint8_t[]> table(new std::uint8_t[std::size_t{n} * 4]);
  for (std::uint32_t i = 0; i < n; ++i) {
    // 255 (i + 1) stays below 2^24 for n up to kMaxSize, so 32 bits suffice.
    const auto g = static_cast<std::uint8_t>((255 * i + 255) / n);
    std::uint8_t* entry = table.get() + std::size_t{i} * 4;
    entry[0] = entry[1] = entry[2] = g;
    entry[3] = translucent ? static_cast<std::uint8_t>(g >> 5) : 1;
  }
  size = n;
  entries = std::move(table);
}

void GreyRamp::Upload() const {
  glEnable(GL_TEXTURE_1D);

  GLint limit = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
  std::uint32_t width = size;
  const std::uint8_t* table = entries.get();
  std::unique_ptr<std::uint8_t[]> narrowed;
  if (limit > 0 && size > static_cast<std::uint32_t>(limit)) {
    width = std::bit_floor(static_cast<std::uint32_t>(limit));
    // Drawing must not throw: without memory for the narrowed table the owner
    // falls back to its plain colour rather than to a stale texture.
    narrowed.reset(new (std::nothrow) std::uint8_t[std::size_t{width} * 4]);
    if (narrowed) {
      // Both sizes are powers of two. Taking the last entry of each run of
      // size / width gives grey floor(255 (j + 1) / width): the table of
      // width levels, so the bands stay evenly spaced.
      const std::uint32_t run = size / width;
      for (std::uint32_t j = 0; j < width; ++j) {
        std::copy_n(table + (std::size_t{j + 1} * run - 1) * 4, 4,
                    narrowed.get() + std::size_t{j} * 4);
      }
      table = narrowed.get();
    } else {
      width = 1;
      table += (std::size_t{size} - 1) * 4;
    }
  }

  glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, static_cast<GLsizei>(width), 0, GL_RGBA, GL_UNSIGNED_BYTE,
               table);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}
