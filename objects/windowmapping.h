#pragma once
// Where the current pass puts a data point among the view's pixels, in single
// precision, and how far that may lie from where the renderer rasterises the
// point, so that one can tell whether a triangle can cover a pixel centre.

#include <optional>

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
  // Points with a coordinate beyond limit (or not finite) may lie outside the
  // depth range, or too far out for single precision: a triangle that has one
  // must be drawn.
  float limit;
  // The viewport's size in pixels, each between 1 and kMaxSide.
  float width;
  float height;

  static constexpr int kMaxSide = 16384;
};

// The mapping of the matrices and viewport as OpenGL reports them (column
// after column, as glGetDoublev gives them), for a renderer that places
// vertices to 1 / 2^subpixelBits of a pixel. Empty when the combined matrix is
// not affine or not finite, or the viewport is empty or wider than kMaxSide.
std::optional<WindowMapping> MapToWindow(const double modelView[16], const double projection[16],
                                         const int viewport[4], int subpixelBits);

// The mapping of the current context's matrices and viewport. Empty also when
// the renderer may produce fragments away from pixel centres: polygons drawn
// as lines or points, smoothed, or on a multisampled target.
std::optional<WindowMapping> CurrentWindowMapping();
