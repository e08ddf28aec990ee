// The density volume: slices blend into a haze from above, the bottom slice
// hides the rest from below, and the field's layout lands where it belongs.
#include <algorithm>
#include <vector>

#include "object_scene.h"
#include "objects/solid.h"

namespace {

// The colour a stack of `slices` equal layers of grey g and alpha byte a
// gives over the clear colour. The frame buffer holds 8 bits a channel, and
// the renderer rounds each of the two products of a blend to 8 bits before
// adding them; with opacities of a few 255ths that rounding decides how fast
// the haze builds up, so the model follows it.
struct Rgb {
  int r, g, b;
};
Rgb Haze(int slices, int grey, int alphaByte) {
  const auto scaled = [](int value, int factor) { return (value * factor + 127) / 255; };
  int c[3] = {26, 26, 51};
  for (int k = 0; k < slices; ++k) {
    for (int& v : c)
      v = scaled(grey, alphaByte) + scaled(v, 255 - alphaByte);
  }
  return {c[0], c[1], c[2]};
}

std::vector<float> Uniform(std::uint32_t nx, std::uint32_t ny, std::uint32_t nz, float value) {
  return std::vector<float>(std::size_t{nx} * ny * nz, value);
}

class SolidScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    MovePlanesAway();
    graph.postObjects.push_back(&solid);
  }
  // The field is copied: the test keeps its vector.
  void SetField(std::vector<float>& field, std::uint32_t nx, std::uint32_t ny, std::uint32_t nz) {
    solid.SetVolume(field.data(), nx, ny, nz, false);
  }
  cOpenGLGraph_Solid solid;
};

struct UniformCase {
  const char* name;
  std::uint32_t levels;  // 0: never SetLevels
  std::uint32_t nx, ny, nz;
  float value;
  Rgb expected;
};
void PrintTo(const UniformCase& c, std::ostream* os) {
  *os << c.name;
}

class UniformVolumeFromAbove : public SolidScene,
                               public testing::WithParamInterface<UniformCase> {};

TEST_P(UniformVolumeFromAbove, BlendsItsSlicesOverTheBackground) {
  const UniformCase& c = GetParam();
  if (c.levels)
    solid.SetLevels(c.levels);
  std::vector<float> field = Uniform(c.nx, c.ny, c.nz, c.value);
  SetField(field, c.nx, c.ny, c.nz);
  LookFromAbove();
  graph.Draw();
  EXPECT_TRUE(ColourAt({0.37, 0.61, 0.5}, c.expected.r, c.expected.g, c.expected.b));
}

INSTANTIATE_TEST_SUITE_P(
    Values, UniformVolumeFromAbove,
    testing::Values(
        // Below 1/8 the 8-level ramp is fully transparent, empty cells included.
        UniformCase{"Empty", 8, 8, 8, 8, 0.0f, {26, 26, 51}},
        UniformCase{"BelowFirstBand", 8, 8, 8, 8, 0.124f, {26, 26, 51}},
        UniformCase{"FifthBand", 8, 8, 8, 8, 0.55f, Haze(8, 159, 4)},
        UniformCase{"Densest", 8, 8, 8, 8, 1.0f, Haze(8, 255, 7)},
        UniformCase{"Densest64Slices", 8, 8, 8, 64, 1.0f, Haze(64, 255, 7)},
        // A single slice sits at height 0 and still draws.
        UniformCase{"OneSlice", 8, 8, 8, 1, 1.0f, Haze(1, 255, 7)},
        // Without SetLevels the one entry is opaque white.
        UniformCase{"NeverGivenLevels", 0, 8, 8, 8, 0.3f, {255, 255, 255}}),
    [](const testing::TestParamInfo<UniformCase>& info) { return std::string(info.param.name); });

struct BelowCase {
  const char* name;
  float bottom, above;  // value of the bottom slice and of all others
  Rgb expected;
};
void PrintTo(const BelowCase& c, std::ostream* os) {
  *os << c.name;
}

class VolumeFromBelow : public SolidScene, public testing::WithParamInterface<BelowCase> {};

// The bottom slice is drawn first and nearest; its depth, written even where
// it is fully transparent, hides every slice above it.
TEST_P(VolumeFromBelow, ShowsOnlyTheBottomSlice) {
  const BelowCase& c = GetParam();
  constexpr std::uint32_t n = 8;
  solid.SetLevels(8);
  std::vector<float> field = Uniform(n, n, n, c.above);
  std::fill_n(field.begin(), n * n, c.bottom);
  SetField(field, n, n, n);
  LookFromBelow();
  graph.Draw();
  EXPECT_TRUE(ColourAt({0.37, 0.61, 0.0}, c.expected.r, c.expected.g, c.expected.b));
}

INSTANTIATE_TEST_SUITE_P(Slices, VolumeFromBelow,
                         testing::Values(BelowCase{"TransparentBottom", 0.0f, 1.0f, {26, 26, 51}},
                                         BelowCase{"DenseBottom", 1.0f, 1.0f, Haze(1, 255, 7)}),
                         [](const testing::TestParamInfo<BelowCase>& info) {
                           return std::string(info.param.name);
                         });

// Dense only where x < 0.5 and y < 0.5, on a grid of unequal sizes: a field
// read with the wrong strides would light up another corner or stripes.
TEST_F(SolidScene, FieldIsLaidOutXFastestZSlowest) {
  constexpr std::uint32_t nx = 9, ny = 7, nz = 5;
  solid.SetLevels(8);
  std::vector<float> field(nx * ny * nz, 0.0f);
  for (std::uint32_t k = 0; k < nz; ++k) {
    for (std::uint32_t j = 0; j < ny / 2; ++j) {
      for (std::uint32_t i = 0; i < nx / 2; ++i)
        field[(k * ny + j) * nx + i] = 1.0f;
    }
  }
  SetField(field, nx, ny, nz);
  LookFromAbove();
  graph.Draw();
  const Rgb dense = Haze(nz, 255, 7);
  EXPECT_TRUE(ColourAt({0.15, 0.15, 0.5}, dense.r, dense.g, dense.b));
  EXPECT_TRUE(ColourAt({0.85, 0.15, 0.5}, 26, 26, 51));
  EXPECT_TRUE(ColourAt({0.15, 0.85, 0.5}, 26, 26, 51));
  EXPECT_TRUE(ColourAt({0.85, 0.85, 0.5}, 26, 26, 51));
}

}  // namespace
