#pragma once
// Where the current pass puts a data point among the view's pixels, in single
// precision, and how far that may lie from where the renderer rasterises the
// point, so that one can tell whether a triangle can cover a pixel centre.

#include <cstdint>
#include <optional>
#include <string_view>

// How much of the renderer's rasterisation is known well enough to predict,
// beyond the bounding box of every triangle: which pixel centres a triangle
// covers (its sub-pixel grid and its fill rule), and which fragment a pixel
// keeps (the depth it computes and the depth test in use).
enum class RasterRules : std::uint8_t {
  kBoxOnly,
  kCoverage,
  kCoverageAndDepth,
};

struct WindowMapping {
  // Data point p goes to X = x[0] p.x + x[1] p.y + x[2] p.z + x[3], and Y
  // likewise: window coordinates relative to the viewport's corner plus 1/2,
  // so that the centre of the viewport's pixel column (row) k lies at k + 1.
  float x[4];
  float y[4];
  // X computed in single precision lies within marginX[0] + marginX[1] a
  // pixels of where the renderer rasterises p, a the largest of |p.x|,
  // |p.y|, |p.z|; Y likewise.
  float marginX[2];
  float marginY[2];
  // The part of those margins that is rounding alone, the larger of X's and
  // Y's (before the renderer snaps a vertex to its sub-pixel grid), and half
  // a step of that grid.
  float rounding[2];
  float halfStep;
  // The window depth of p, 0 at the near plane and 1 at the far one:
  // z[0] p.x + z[1] p.y + z[2] p.z + z[3]. The renderer's own depth of a
  // vertex lies within depthRounding[0] + depthRounding[1] a of it.
  double z[4];
  float depthRounding[2];
  // Points with a coordinate beyond limit (or not finite) may lie outside the
  // depth range, or too far out for single precision: a triangle that has one
  // must be drawn.
  float limit;
  // The viewport's size in pixels, each between 1 and kMaxSide.
  float width;
  float height;
  RasterRules rules = RasterRules::kBoxOnly;

  static constexpr int kMaxSide = 16384;

  bool operator==(const WindowMapping&) const = default;
};

// The mapping of the matrices and viewport as OpenGL reports them (column
// after column, as glGetDoublev gives them), for a renderer that places
// vertices to 1 / 2^subpixelBits of a pixel, with rules kBoxOnly. Empty when
// the combined matrix is not affine or not finite, or the viewport is empty or
// wider than kMaxSide.
std::optional<WindowMapping> MapToWindow(const double modelView[16], const double projection[16],
                                         const int viewport[4], int subpixelBits);

// Whether the renderer so named places and fills triangles by rules that we
// know: Mesa's llvmpipe, which snaps vertices to 1/256 pixel, as
// subpixelBits must confirm.
bool KnownCoverageRules(std::string_view renderer, std::string_view version, int subpixelBits);

// The mapping of the current context's matrices and viewport, with the rules
// that hold for triangles drawn now. Empty also when the renderer may produce
// fragments away from pixel centres: polygons drawn as lines or points,
// smoothed, or on a multisampled target.
std::optional<WindowMapping> CurrentWindowMapping();
