#include "culling/windowmapping.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

namespace {

// Element (row, column) of an OpenGL matrix, stored column after column.
double At(const double m[16], int row, int column) {
  return m[4 * column + row];
}

// How far single precision may move a window coordinate. The renderer
// computes it from its own single-precision matrices: the point rounded to
// float, model-view times point, projection times that (or the product of the
// two matrices first, then times the point), then the viewport's scale and
// offset. That chain rounds at most 12 times, each time by at most 2^-24 of a
// value no larger, in pixels, than
//   B = size/2 (|projection| |model-view| (|p.x|, |p.y|, |p.z|, 1)) + size/2 + |offset|,
// absolute values taken term by term; so it misses the exact coordinate by at
// most 12 * 2^-24 B. Our own transform (the combined matrix and the point
// rounded to float, one four-term product, plus 1/2) rounds at most 6 times
// under B + 1. kRoundings allows 20 instead of 18, for second-order terms and
// the rounding of the bounds themselves to float.
constexpr double kRoundings = 20.0;
constexpr double kUnitRoundoff = 0x1p-24;
// Beyond those bounds the renderer snaps each vertex to its sub-pixel grid,
// by half a step at most, and 1/32 pixel is kept spare on top, for a renderer
// that rounds a little otherwise than counted here. (Here, with no margin at
// all, pictures lose pixels; from about 1/300 pixel on, just above the half
// step of this renderer's 1/256 grid, they stay the same.)
constexpr double kSpare = 1.0 / 32.0;
// A point whose B would exceed this counts as too far out, and its triangles
// are kept: single precision stays far from overflowing below it.
constexpr double kMaxMagnitude = 0x1p40;

struct AxisBounds {
  double margin[2];    // fixed, and per unit of the point's largest |coordinate|
  double rounding[2];  // the part of margin that is rounding alone
  double limit;        // largest |coordinate| within kMaxMagnitude; negative: none
};

// a: one row of |projection| |model-view|; size, offset: the viewport's
// along the same axis.
AxisBounds BoundsAlong(const double a[4], double size, double offset, int subpixelBits) {
  const double half = 0.5 * size;
  const double perUnit = half * (a[0] + a[1] + a[2]);
  const double fixed = half * a[3] + half + std::fabs(offset) + 1.0;
  AxisBounds b;
  b.rounding[0] = kRoundings * kUnitRoundoff * fixed;
  b.rounding[1] = kRoundings * kUnitRoundoff * perUnit;
  b.margin[0] = kSpare + std::ldexp(1.0, -(subpixelBits + 1)) + b.rounding[0];
  b.margin[1] = b.rounding[1];
  if (fixed > kMaxMagnitude)
    b.limit = -1.0;
  else if (perUnit == 0.0)
    b.limit = std::numeric_limits<float>::max();
  else
    b.limit = (kMaxMagnitude - fixed) / perUnit;
  return b;
}

// The largest |coordinate| R for which every point lies inside the depth
// range: (|z[0]| + |z[1]| + |z[2]|) R + |z[3]| <= 1, z the row of normalised
// depth. Negative when no point qualifies. Points near the limit may still be
// cut by the near or far plane through the renderer's rounding; that only
// takes from what their triangles cover.
double DepthLimit(const double z[4]) {
  const double room = 1.0 - std::fabs(z[3]);
  const double perUnit = std::fabs(z[0]) + std::fabs(z[1]) + std::fabs(z[2]);
  if (room < 0.0)
    return -1.0;
  if (perUnit == 0.0)
    return std::numeric_limits<float>::max();
  return room / perUnit;
}

}  // namespace

std::optional<WindowMapping> MapToWindow(const double modelView[16], const double projection[16],
                                         const int viewport[4], int subpixelBits) {
  const int width = viewport[2];
  const int height = viewport[3];
  if (width < 1 || height < 1 || width > WindowMapping::kMaxSide ||
      height > WindowMapping::kMaxSide) {
    return std::nullopt;
  }
  double combined[4][4];  // [row][column]: projection times model-view
  double absolute[4][4];  // the same with every term taken absolute
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      combined[r][c] = 0.0;
      absolute[r][c] = 0.0;
      for (int k = 0; k < 4; ++k) {
        combined[r][c] += At(projection, r, k) * At(modelView, k, c);
        absolute[r][c] += std::fabs(At(projection, r, k)) * std::fabs(At(modelView, k, c));
      }
      if (!std::isfinite(absolute[r][c]))
        return std::nullopt;
    }
  }
  // Only an affine mapping keeps w at 1, so that window coordinates are a
  // product and no division.
  if (combined[3][0] != 0.0 || combined[3][1] != 0.0 || combined[3][2] != 0.0 ||
      combined[3][3] != 1.0) {
    return std::nullopt;
  }

  WindowMapping m;
  const double halfWidth = 0.5 * width;
  const double halfHeight = 0.5 * height;
  for (int c = 0; c < 4; ++c) {
    m.x[c] = static_cast<float>(halfWidth * combined[0][c]);
    m.y[c] = static_cast<float>(halfHeight * combined[1][c]);
  }
  m.x[3] = static_cast<float>(halfWidth * combined[0][3] + halfWidth + 0.5);
  m.y[3] = static_cast<float>(halfHeight * combined[1][3] + halfHeight + 0.5);
  const int bits = std::clamp(subpixelBits, 0, 30);
  const AxisBounds alongX = BoundsAlong(absolute[0], width, viewport[0], bits);
  const AxisBounds alongY = BoundsAlong(absolute[1], height, viewport[1], bits);
  for (int k = 0; k < 2; ++k) {
    m.marginX[k] = static_cast<float>(alongX.margin[k]);
    m.marginY[k] = static_cast<float>(alongY.margin[k]);
    m.rounding[k] = static_cast<float>(std::max(alongX.rounding[k], alongY.rounding[k]));
  }
  m.halfStep = static_cast<float>(std::ldexp(1.0, -(bits + 1)));
  for (int c = 0; c < 4; ++c)
    m.z[c] = 0.5 * combined[2][c];
  m.z[3] += 0.5;
  // The renderer's depth of a vertex: its row of the combined matrix times
  // the point in single precision (four roundings of partial sums no larger
  // than the row's absolute terms times the point), then halved and moved by
  // 1/2 (one rounding of a value up to 1); doubled for what that count
  // misses. Our own depth of the vertex, taken in single precision relative
  // to a nearby depth, rounds as often on half those terms.
  const double depthPerUnit = absolute[2][0] + absolute[2][1] + absolute[2][2];
  m.depthRounding[0] = static_cast<float>(kUnitRoundoff * (6.0 * absolute[2][3] + 3.0));
  m.depthRounding[1] = static_cast<float>(kUnitRoundoff * 6.0 * depthPerUnit);
  const double limit = std::min({alongX.limit, alongY.limit, DepthLimit(combined[2]),
                                 double{std::numeric_limits<float>::max()}});
  // Rounded towards zero, so that no point beyond the limit passes.
  m.limit = std::nextafter(static_cast<float>(limit), 0.0f);
  m.width = static_cast<float>(width);
  m.height = static_cast<float>(height);
  return m;
}

bool KnownCoverageRules(std::string_view renderer, std::string_view version, int subpixelBits) {
  return renderer.find("llvmpipe") != std::string_view::npos &&
         version.find("Mesa") != std::string_view::npos && subpixelBits == 8;
}

namespace {

std::string_view GlString(GLenum name) {
  const auto* s = reinterpret_cast<const char*>(glGetString(name));
  return s ? std::string_view(s) : std::string_view();
}

// Whether every fragment of a triangle drawn now is tested against the depth
// buffer and, where it passes, replaces the pixel's colour and depth, the
// depth a 24-bit unsigned normalised value of the renderer's own: then the
// fragment that a pixel keeps is the one of least depth.
bool KnownDepthOrder() {
  GLint func = 0;
  GLint bits = 0;
  GLboolean writes = GL_FALSE;
  GLdouble range[2] = {};
  glGetIntegerv(GL_DEPTH_FUNC, &func);
  glGetIntegerv(GL_DEPTH_BITS, &bits);
  glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
  glGetDoublev(GL_DEPTH_RANGE, range);
  return glIsEnabled(GL_DEPTH_TEST) && (func == GL_LESS || func == GL_LEQUAL) && writes &&
         bits == 24 && range[0] == 0.0 && range[1] == 1.0 && !glIsEnabled(GL_BLEND) &&
         !glIsEnabled(GL_ALPHA_TEST) && !glIsEnabled(GL_STENCIL_TEST) &&
         !glIsEnabled(GL_POLYGON_OFFSET_FILL) && !glIsEnabled(GL_DEPTH_CLAMP);
}

}  // namespace

std::optional<WindowMapping> CurrentWindowMapping() {
  GLint polygonModes[2] = {};
  GLint sampleBuffers = 0;
  glGetIntegerv(GL_POLYGON_MODE, polygonModes);
  glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
  if (polygonModes[0] != GL_FILL || polygonModes[1] != GL_FILL || sampleBuffers != 0 ||
      glIsEnabled(GL_POLYGON_SMOOTH)) {
    return std::nullopt;
  }
  GLdouble modelView[16];
  GLdouble projection[16];
  GLint viewport[4];
  GLint subpixelBits = 0;
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetIntegerv(GL_SUBPIXEL_BITS, &subpixelBits);
  std::optional<WindowMapping> mapping = MapToWindow(modelView, projection, viewport, subpixelBits);
  if (mapping && KnownCoverageRules(GlString(GL_RENDERER), GlString(GL_VERSION), subpixelBits)) {
    // The depth's bounds take the frame buffer's origin, from which the
    // renderer works out depths, to be the viewport's corner.
    const bool origin = viewport[0] == 0 && viewport[1] == 0;
    mapping->rules =
        origin && KnownDepthOrder() ? RasterRules::kCoverageAndDepth : RasterRules::kCoverage;
  }
  return mapping;
}
