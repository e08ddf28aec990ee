// The density volume: slices blend into a haze from above, the bottom slice
// hides the rest from below, and the field's layout lands where it belongs.
#include <vector>

#include "object_scene.h"
#include "objects/solid.h"

namespace {

// The colour of `slices` equal layers of grey g and alpha byte a over the
// clear colour. The frame buffer holds 8 bits a channel and the renderer
// rounds each product of a blend to 8 bits before adding; at opacities of a
// few 255ths that rounding decides how fast the haze builds, so the model
// follows it.
struct Rgb {
  int r, g, b;
};
Rgb Haze(int slices, int grey, int alpha) {
  const auto scaled = [](int value, int factor) { return (value * factor + 127) / 255; };
  Rgb c{26, 26, 51};
  for (int k = 0; k < slices; ++k) {
    for (int* v : {&c.r, &c.g, &c.b})
      *v = scaled(grey, alpha) + scaled(*v, 255 - alpha);
  }
  return c;
}

class SolidScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    MovePlanesAway();
    graph.postObjects.push_back(&solid);
  }
  // Copied, so the test keeps its vector.
  void SetField(std::vector<float>& field, std::uint32_t nx, std::uint32_t ny, std::uint32_t nz) {
    solid.SetVolume(field.data(), nx, ny, nz, false);
  }
  cOpenGLGraph_Solid solid;
};

struct UniformCase {
  const char* name;
  std::uint32_t levels;  // 0: SetLevels not called
  std::uint32_t nz;
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
  solid.SetLevels(c.levels);
  std::vector<float> field(8 * 8 * c.nz, c.value);
  SetField(field, 8, 8, c.nz);
  LookFromAbove();
  graph.Draw();
  EXPECT_TRUE(ColourAt({0.37, 0.61, 0.5}, c.expected.r, c.expected.g, c.expected.b));
}

INSTANTIATE_TEST_SUITE_P(
    Values, UniformVolumeFromAbove,
    testing::Values(
        // Below 1/8 the 8-level ramp is fully transparent, empty cells included.
        UniformCase{"Empty", 8, 8, 0.0f, {26, 26, 51}},
        UniformCase{"BelowFirstBand", 8, 8, 0.124f, {26, 26, 51}},
        UniformCase{"FifthBand", 8, 8, 0.55f, Haze(8, 159, 4)},
        UniformCase{"Densest", 8, 8, 1.0f, Haze(8, 255, 7)},
        UniformCase{"Densest64Slices", 8, 64, 1.0f, Haze(64, 255, 7)},
        // A single slice sits at height 0 and still draws.
        UniformCase{"OneSlice", 8, 1, 1.0f, Haze(1, 255, 7)},
        // Without SetLevels the one entry is opaque white.
        UniformCase{"NeverGivenLevels", 0, 8, 0.3f, {255, 255, 255}}),
    [](const testing::TestParamInfo<UniformCase>& info) { return std::string(info.param.name); });

// The bottom slice is drawn first and nearest; its depth, written even where
// it is fully transparent, hides every slice above it.
TEST_F(SolidScene, FromBelowOnlyTheBottomSliceShows) {
  constexpr std::uint32_t n = 8;
  solid.SetLevels(8);
  LookFromBelow();
  for (float bottom : {0.0f, 1.0f}) {
    std::vector<float> field(n * n * n, 1.0f);
    std::fill_n(field.begin(), n * n, bottom);
    SetField(field, n, n, n);
    graph.Draw();
    const Rgb expected = Haze(bottom > 0 ? 1 : 0, 255, 7);
    EXPECT_TRUE(ColourAt({0.37, 0.61, 0.0}, expected.r, expected.g, expected.b)) << bottom;
  }
}

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
  for (Vec3 p : {Vec3{0.85, 0.15, 0.5}, Vec3{0.15, 0.85, 0.5}, Vec3{0.85, 0.85, 0.5}}) {
    EXPECT_TRUE(ColourAt(p, 26, 26, 51));
  }
}

}  // namespace
