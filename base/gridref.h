#pragma once
// A grid of points as the surface draws it: the points themselves and what
// each point may carry besides its place. Nothing here is owned; the arrays
// belong to whoever made the reference and outlive its use.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "base/colourscale.h"
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
  // as it is (level ground), above that it is brightened, below darkened
  // (Shade, Overlay). Null: unlit. With neither colours nor shades no vertex
  // colour is sent, and the current colour applies.
  const std::uint8_t* shades = nullptr;
  // The drawn z is z * zScale; the texture coordinate stays z.
  double zScale = 1.0;
  // One float a point, its texture coordinate in place of z, for colours
  // that no linear function of z gives (logarithmic). Null: z.
  const float* texture = nullptr;
  // The bands as the renderer's clamped 1-D texture holds them, bandCount
  // entries of four bytes (red, green, blue, alpha), and the span of z they
  // cover when the coordinate is z: the light blends with the colour they
  // give a point. Null: no bands.
  const std::uint8_t* bands = nullptr;
  std::uint32_t bandCount = 0;
  double bandLow = 0.0, bandHigh = 1.0;

  bool operator==(const GridRef&) const = default;

  std::size_t Index(std::uint32_t row, std::uint32_t column) const {
    return std::size_t{row} * columns + column;
  }
  bool VertexColours() const { return colours || shades; }
  // Whether point k has a value.
  bool Present(std::size_t k) const { return !present || present[k]; }
  // The colour sent with point k when VertexColours(), red, green and blue
  // in [0, 1], and what the light adds to it after the bands' colour (the
  // renderer's secondary colour, 0 where unlit). Unlit, the colour is the
  // point's own (or white, which the bands' colour then multiplies). Lit, it
  // is blended with the light as Overlay() says, channel by channel, from
  // the colour the point shows unlit (Unlit()). The renderer gets floats both
  // from a single call and from an array: it turns bytes into floats
  // differently on the two ways, by the last bit, and the pictures would
  // differ.
  void VertexColour(std::size_t k, float out[3], float added[3]) const {
    // Level ground is left as it is without looking up its colour.
    const bool lit = shades && shades[k] != kLevelShade;
    float unlit[3];
    if (lit)
      Unlit(k, unlit);
    for (int c = 0; c < 3; ++c) {
      const unsigned level = colours ? colours[3 * k + static_cast<std::size_t>(c)] : 255;
      const LightTerms terms = lit ? Overlay(unlit[c], Shade(shades[k])) : LightTerms{};
      out[c] = static_cast<float>(level) / 255.0f * terms.multiply;
      added[c] = terms.add;
    }
  }

  // A shade byte as which way and how strongly the light moves its colour.
  // Exact at kLevelShade: no move at all.
  struct ShadeMove {
    bool towardsWhite;
    float amount;  // 0 ... 1
  };
  static ShadeMove Shade(std::uint8_t shade) {
    if (shade >= kLevelShade)
      return {true, static_cast<float>(shade - kLevelShade) / (255.0f - kLevelShade)};
    return {false, static_cast<float>(kLevelShade - shade) / kLevelShade};
  }
  // A channel lit as the renderer draws it: its colour times multiply, plus
  // add.
  struct LightTerms {
    float multiply = 1.0f;
    float add = 0.0f;
  };
  // The overlay blend of a channel of colour c (in [0, 1]) with a light that
  // moves it by move: a dark channel (up to one half) is multiplied by 1 -
  // amount or 1 + amount, a light one moves that part of its distance from
  // white away from or towards white. The channels keep their order, and
  // with it nearly the hue, and dark and light colours stay apart where a
  // move of every colour towards black would sink them all into grey; white
  // stays white. The terms are exact for c itself; the bands' colours vary
  // inside a triangle only at a band's edge.
  static LightTerms Overlay(float c, ShadeMove move) {
    const float a = move.amount;
    if (move.towardsWhite)
      return c < 0.5f ? LightTerms{1.0f, a * c} : LightTerms{1.0f - a, a};
    return {c <= 0.5f ? 1.0f - a : 1.0f - a * (1.0f - c) / c, 0.0f};
  }
  static constexpr std::uint8_t kLevelShade = 128;
  // The renderer's nearest entry of a clamped 1-D texture of count entries
  // (count > 0) for coordinate t; the first where t is not a number.
  static std::size_t NearestBand(double t, std::uint32_t count) {
    if (!std::isfinite(t))
      return 0;
    const double n = count;
    return static_cast<std::size_t>(std::clamp(std::floor(t * n), 0.0, n - 1.0));
  }
  // The colour point k shows unlit, red, green and blue in [0, 1]: its own
  // colour times the renderer's nearest entry of the bands.
  void Unlit(std::size_t k, float out[3]) const {
    const std::uint8_t* entry = nullptr;
    if (bands && bandCount > 0) {
      const double t =
          texture ? texture[k] : ColourScale{bandLow, bandHigh, false}.Position(points[k].z);
      entry = bands + 4 * NearestBand(t, bandCount);
    }
    constexpr float kByte = 1.0f / 255.0f;
    for (std::size_t c = 0; c < 3; ++c) {
      const float own = colours ? colours[3 * k + c] * kByte : 1.0f;
      out[c] = entry ? own * (entry[c] * kByte) : own;
    }
  }
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
