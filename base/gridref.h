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
  // One byte a point, how the light moves its colour: kLevelShade leaves it
  // as it is (level ground), above that it goes towards white, below towards
  // black (Shade). Null: unlit. With neither colours nor shades no vertex
  // colour is sent, and the current colour applies.
  const std::uint8_t* shades = nullptr;
  // The drawn z is z * zScale; the texture coordinate stays z.
  double zScale = 1.0;
  // One float a point, its texture coordinate in place of z, for colours
  // that no linear function of z gives (logarithmic). Null: z.
  const float* texture = nullptr;

  bool operator==(const GridRef&) const = default;

  std::size_t Index(std::uint32_t row, std::uint32_t column) const {
    return std::size_t{row} * columns + column;
  }
  bool VertexColours() const { return colours || shades; }
  // Whether point k has a value.
  bool Present(std::size_t k) const { return !present || present[k]; }
  // The colour sent with point k when VertexColours(), red, green and blue
  // in [0, 1]: its own colour (or white, which the bands' colour then
  // multiplies) kept for the part of the way that the shade does not move it
  // (Shade). The renderer gets it as floats both from a single call and from
  // an array: it turns bytes into floats differently on the two ways, by the
  // last bit, and the pictures would differ.
  void VertexColour(std::size_t k, float out[3]) const {
    const float kept = shades ? 1.0f - Shade(shades[k]).amount : 1.0f;
    for (int c = 0; c < 3; ++c) {
      const unsigned level = colours ? colours[3 * k + static_cast<std::size_t>(c)] : 255;
      out[c] = static_cast<float>(level) / 255.0f * kept;
    }
  }
  // What the light adds to point k's colour after the bands' colour: grey of
  // this level in [0, 1] (the renderer's secondary colour), 0 where it
  // darkens or is unlit.
  float AddedLight(std::size_t k) const {
    if (!shades)
      return 0.0f;
    const ShadeMove move = Shade(shades[k]);
    return move.towardsWhite ? move.amount : 0.0f;
  }

  // A shade byte as the part of the way its colour moves towards white or
  // black. Exact at kLevelShade: no move at all.
  struct ShadeMove {
    bool towardsWhite;
    float amount;  // 0 ... 1
  };
  static ShadeMove Shade(std::uint8_t shade) {
    if (shade >= kLevelShade)
      return {true, static_cast<float>(shade - kLevelShade) / (255.0f - kLevelShade)};
    return {false, static_cast<float>(kLevelShade - shade) / kLevelShade};
  }
  static constexpr std::uint8_t kLevelShade = 128;
  // The coordinate into the bands that goes with point k.
  float TextureAt(std::size_t k) const {
    return texture ? texture[k] : static_cast<float>(points[k].z);
  }
  // Whether the texture coordinate is not the drawn z and needs a float of
  // its own.
  bool OwnTexture() const { return zScale != 1.0 || texture; }
  // The z that goes to the renderer as the vertex's coordinate.
  float DrawnZ(const Vec3& p) const { return static_cast<float>(p.z * zScale); }
};
