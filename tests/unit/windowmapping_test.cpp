// Which views the triangle selection may trust: only an affine, finite
// mapping onto a viewport of sensible size, and only points close enough for
// single precision.
#include <cmath>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "culling/windowmapping.h"

namespace {

// OpenGL matrices, column after column.
constexpr double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
// glOrtho(-2, 2, -1, 1, -10, 10).
constexpr double kOrtho[16] = {0.5, 0, 0, 0, 0, 1, 0, 0, 0, 0, -0.1, 0, 0, 0, 0, 1};
// glFrustum(-1, 1, -1, 1, 1, 10): w depends on the point.
constexpr double kFrustum[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -11.0 / 9, -1, 0, 0, -20.0 / 9, 0};
// Moves everything 100 units along z, beyond the far plane.
constexpr double kBeyondDepth[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 100, 1};
// Moves everything 10^13 units along x, where floats are 10^6 apart.
constexpr double kFarAway[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1e13, 0, 0, 1};
constexpr double kNotFinite[16] = {NAN, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct MappingCase {
  const char* name;
  const double* modelView;
  const double* projection;
  int viewport[4];
  bool mapped;    // a mapping at all
  bool unitCube;  // points of the unit cube within its limit
};
void PrintTo(const MappingCase& c, std::ostream* os) {
  *os << c.name;
}

class MapToWindowOf : public testing::TestWithParam<MappingCase> {};

TEST_P(MapToWindowOf, TrustsOnlyWhatSinglePrecisionPlaces) {
  const MappingCase& c = GetParam();
  const std::optional<WindowMapping> m = MapToWindow(c.modelView, c.projection, c.viewport, 8);
  ASSERT_EQ(m.has_value(), c.mapped);
  if (!m)
    return;
  EXPECT_EQ(m->limit >= 1.0f, c.unitCube);
  // Never less than 1/32 pixel, and half of this renderer's 1/256 step more.
  EXPECT_GE(m->marginX[0], 1.0f / 32 + 1.0f / 512);
  EXPECT_GE(m->marginY[0], 1.0f / 32 + 1.0f / 512);
}

INSTANTIATE_TEST_SUITE_P(
    Views, MapToWindowOf,
    testing::Values(MappingCase{"Orthographic", kIdentity, kOrtho, {0, 0, 400, 200}, true, true},
                    MappingCase{"Perspective", kIdentity, kFrustum, {0, 0, 400, 200}, false, false},
                    MappingCase{"NotFinite", kNotFinite, kOrtho, {0, 0, 400, 200}, false, false},
                    MappingCase{"EmptyViewport", kIdentity, kOrtho, {0, 0, 0, 200}, false, false},
                    MappingCase{
                        "HugeViewport", kIdentity, kOrtho, {0, 0, 20000, 200}, false, false},
                    MappingCase{"BeyondDepth", kBeyondDepth, kOrtho, {0, 0, 400, 200}, true, false},
                    MappingCase{"FarAway", kFarAway, kOrtho, {0, 0, 400, 200}, true, false}),
    [](const testing::TestParamInfo<MappingCase>& info) { return std::string(info.param.name); });

// The centre of the viewport's pixel k lies at k + 1: the corners of the
// orthographic volume fall on the viewport's edges, half a pixel before the
// first centre and after the last.
TEST(MapToWindow, PutsPixelCentresOnWholeNumbers) {
  const int viewport[4] = {30, 40, 400, 200};
  const WindowMapping m = *MapToWindow(kIdentity, kOrtho, viewport, 8);
  auto x = [&](double px, double py) { return m.x[0] * px + m.x[1] * py + m.x[3]; };
  auto y = [&](double px, double py) { return m.y[0] * px + m.y[1] * py + m.y[3]; };
  EXPECT_FLOAT_EQ(x(-2, -1), 0.5f);
  EXPECT_FLOAT_EQ(y(-2, -1), 0.5f);
  EXPECT_FLOAT_EQ(x(2, 1), 400.5f);
  EXPECT_FLOAT_EQ(y(2, 1), 200.5f);
}

}  // namespace
