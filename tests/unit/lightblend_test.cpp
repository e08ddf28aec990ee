// A lit point's colour as the renderer makes it from what the grid sends:
// the bands' colour times the vertex colour, plus the secondary colour. The
// expectations are the overlay blend worked out by hand: a channel up to
// mid-grey scaled by 1 - a or 1 + a, a lighter one moved the part a of its
// distance from white, for a shade byte's amount a (below 128: (128 - s) /
// 128 darker, above: (s - 128) / 127 brighter).
#include <gtest/gtest.h>

#include <cstdint>

#include "base/gridref.h"

namespace {

// A grid of the one point at point.
GridRef OnePoint(const Vec3& point) {
  GridRef grid;
  grid.points = &point;
  grid.columns = grid.rows = 1;
  return grid;
}

TEST(LightBlend, LevelKeepsTheColourAndSlopesMoveItAsOverlayDoes) {
  const struct {
    const char* name;
    double band;  // the bands' one entry, grey, in [0, 1]; < 0: no bands
    int own;      // the point's own grey byte; < 0: none
    std::uint8_t shade;
    double expected;
  } rows[] = {
      {"level ground", 0.8, -1, 128, 0.8},
      {"darker, dark colour", 0.4, -1, 96, 0.4 * 0.75},
      {"darker, light colour", 0.8, -1, 96, 0.8 - 0.25 * 0.2},
      {"darker, white stays", 1.0, -1, 0, 1.0},
      {"brighter, dark colour", 0.2, -1, 255, 0.4},
      {"brighter, light colour", 0.6, -1, 160, 0.6 + 32.0 / 127 * 0.4},
      {"darker, own colour without bands", -1, 51, 96, 0.2 * 0.75},
      {"darker, own colour times the band", 0.6, 204, 96, 0.48 * 0.75},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Vec3 point{0.5, 0.5, 0.5};
    const std::uint8_t own[3] = {static_cast<std::uint8_t>(row.own),
                                 static_cast<std::uint8_t>(row.own),
                                 static_cast<std::uint8_t>(row.own)};
    // Every band here is a whole byte.
    const auto entry = static_cast<std::uint8_t>(row.band * 255 + 0.5);
    const std::uint8_t band[4] = {entry, entry, entry, 255};
    GridRef grid = OnePoint(point);
    grid.shades = &row.shade;
    if (row.own >= 0)
      grid.colours = own;
    if (row.band >= 0) {
      grid.bands = band;
      grid.bandCount = 1;
    }
    float colour[3], added[3];
    grid.VertexColour(0, colour, added);
    const double bandColour = row.band >= 0 ? row.band : 1.0;
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(bandColour * colour[c] + added[c], row.expected, 1e-6) << "channel " << c;
  }
}

// The bands' entry a point takes is the renderer's nearest of a clamped
// texture over the span of z they cover: four bands over 0.2 ... 0.6.
TEST(LightBlend, BlendsWithTheBandThePointShows) {
  const std::uint8_t bands[16] = {0,   0,   0,   255, 51,  51,  51,  255,
                                  102, 102, 102, 255, 255, 255, 255, 255};
  const struct {
    double z, unlit;
  } rows[] = {{0.0, 0.0}, {0.25, 0.0}, {0.31, 0.2}, {0.45, 0.4}, {0.55, 1.0}, {0.9, 1.0}};
  for (const auto& row : rows) {
    const Vec3 point{0, 0, row.z};
    GridRef grid = OnePoint(point);
    grid.bands = bands;
    grid.bandCount = 4;
    grid.bandLow = 0.2;
    grid.bandHigh = 0.6;
    float unlit[3];
    grid.Unlit(0, unlit);
    EXPECT_NEAR(unlit[1], row.unlit, 1e-6) << "z " << row.z;
  }
}

}  // namespace
