#pragma once
// A grid of points as the surface draws it: the points themselves and what
// each point may carry besides its place. Nothing here is owned; the arrays
// belong to whoever made the reference and outlive its use.

#include <cstddef>
#include <cstdint>

#include "base/vec3.h"

struct GridRef {
  const Vec3* points = nullptr;  // point (r, i) at points[r * columns + i]
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  // One byte a point, 0 where the point has no value: a triangle with such a
  // point is never drawn. Null: every point has one.
  const std::uint8_t* present = nullptr;
  // Three bytes a point (red, green, blue): the vertex colour. Null: white.
  const std::uint8_t* colours = nullptr;
  // One byte a point, 255 fully lit, that darkens the vertex colour. Null:
  // unlit. With neither colours nor shades no vertex colour is sent, and
  // the current colour applies.
  const std::uint8_t* shades = nullptr;
  // The drawn z is z * zScale; the texture coordinate stays z.
  double zScale = 1.0;

  bool operator==(const GridRef&) const = default;

  std::size_t Index(std::uint32_t row, std::uint32_t column) const {
    return std::size_t{row} * columns + column;
  }
  bool VertexColours() const { return colours || shades; }
  // Whether point k has a value.
  bool Present(std::size_t k) const { return !present || present[k]; }
  // The colour sent with point k when VertexColours(): its colour times its
  // shade, rounded to the nearest level, as red, green and blue in [0, 1].
  // The renderer gets it as floats both from a single call and from an
  // array: it turns bytes into floats differently on the two ways, by the
  // last bit, and the pictures would differ.
  void VertexColour(std::size_t k, float out[3]) const {
    const unsigned shade = shades ? shades[k] : 255;
    for (int c = 0; c < 3; ++c) {
      const unsigned level = colours ? colours[3 * k + static_cast<std::size_t>(c)] : 255;
      out[c] = static_cast<float>((level * shade + 127) / 255) / 255.0f;
    }
  }
  // The z that goes to the renderer as the vertex's coordinate.
  float DrawnZ(const Vec3& p) const { return static_cast<float>(p.z * zScale); }
};
