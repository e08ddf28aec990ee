#pragma once
// Which pixel centres a triangle covers, and how deep its fragments there
// lie, told apart to within the renderer's possible error, for a renderer
// whose rules are known (RasterRules). With these a selection can leave out,
// beyond the triangles whose box holds no centre, those that cover none, and
// those whose every fragment a nearer one of another triangle hides.
//
// Triangles come in batches, each point as ToWindow gives it; the depths of
// a frame are all relative to one depth of the frame's choosing, so that
// single precision resolves them finely (the unit cube spans about 56,000
// steps of a 24-bit depth buffer, a few thousandths of the depth range).

#include <cstddef>
#include <cstdint>

#include "culling/cellmarks.h"
#include "culling/nearestdepths.h"
#include "culling/windowmapping.h"

// What telling covered and hidden centres apart needs of a pass's mapping.
struct PassBounds {
  // Depth relative to the frame's origin: depthRow times (x, y, z, 1).
  float depthRow[4];
  float depthOrigin;  // the window depth that relative depth 0 stands for
  // A vertex's X and Y lie within cover[0] + cover[1] a of where the renderer
  // rasterises it, a the point's largest |coordinate|; its own single-
  // precision X and Y, before it snaps them, within round[0] + round[1] a;
  // its depth within depth[0] + depth[1] a.
  float cover[2];
  float round[2];
  float depth[2];
  float width;
  float height;
  bool depthKnown;  // the pixel keeps its least deep fragment (RasterRules)
};

// The bounds of mapping, whose rules must be kCoverage or better, with
// depths relative to depthOrigin.
PassBounds BoundsOf(const WindowMapping& mapping, double depthOrigin);

// Up to kCapacity triangles in the window, and the room for what the tests
// work out of them.
struct TriangleBatch {
  static constexpr std::size_t kCapacity = 256;

  // Adds a triangle of points in the window.
  void Add(const WindowPoint& a, const WindowPoint& b, const WindowPoint& c) {
    const WindowPoint* p[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
      x[k][count] = p[k]->x;
      y[k][count] = p[k]->y;
      depth[k][count] = p[k]->depth;
    }
    size[count] = Largest(a.size, b.size, c.size);
    ++count;
  }
  // Adds a triangle of points in data coordinates (x, y, z each), for
  // ProjectBatch to place.
  void AddData(const float* a, const float* b, const float* c) {
    const float* p[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
      x[k][count] = p[k][0];
      y[k][count] = p[k][1];
      depth[k][count] = p[k][2];
    }
    ++count;
  }
  // The largest of three points' sizes; NaN, and so untested, when a point
  // is beyond the mapping's limit.
  static float Largest(float a, float b, float c) {
    const float ab = a > b ? a : b;
    const float abc = ab > c ? ab : c;
    return a == a && b == b && c == c ? abc : __builtin_nanf("");
  }
  bool Full() const { return count == kCapacity; }

  std::size_t count = 0;
  float x[3][kCapacity];
  float y[3][kCapacity];
  float depth[3][kCapacity];
  float size[kCapacity];

  // Worked out by MarkVisible, per triangle.
  struct Setup {
    // Point 0: the origin of what follows.
    float originX[kCapacity], originY[kCapacity];
    // Edge k's function: edgeX x + edgeY y, plus area on edge 1, the one
    // that faces the origin.
    float edgeX[3][kCapacity], edgeY[3][kCapacity];
    float area[kCapacity];
    float pointX[2][kCapacity], pointY[2][kCapacity];  // points 1 and 2 from the origin
    float edgeSpare[3][kCapacity];                     // rho |edge k|_1 + 4 rho^2
    float twoRho[kCapacity];
    float box[4][kCapacity];       // X and Y ranges where the triangle may cover, from the origin
    std::int32_t kind[kCapacity];  // kTested, kSteady, kFlip
    float level[kCapacity];        // depth at the origin
    float planeX[kCapacity], planeY[kCapacity];
    float weightScale[kCapacity];  // 1 / (|area| less its possible error)
    float roundSum[kCapacity];     // rounding of the three edges: rho_f |perimeter|_1 + 12 rho_f^2
    float round[kCapacity];        // rho_f
    float perWeight[kCapacity];    // depth error per unit of the weights' sum
    float fixedError[kCapacity];
    float slopeError[kCapacity];  // per pixel of distance from the origin
  } setup;
};

// Turns the batch's points from data coordinates, as the renderer gets them,
// into window coordinates and relative depths, as ToWindow does.
void ProjectBatch(const WindowMapping& mapping, const float depthRow[4], TriangleBatch& batch);

// Marks in visible[j] whether triangle j of batch may cover a pixel centre
// (without nearest), or one where its fragment is not certainly deeper than
// nearest says the pixel will hold by more than what the renderer's
// conversion to the depth buffer can blur (with nearest). A triangle not
// tested (too large, reaching beyond the viewport or the mapping's limit) is
// marked visible, as is one whose depth is not trusted where it may cover.
// With lower set, also lowers nearest at every centre that a triangle covers
// for certain, to the most its fragment there can weigh in the depth buffer.
void MarkVisible(const PassBounds& bounds, TriangleBatch& batch, NearestDepths* nearest, bool lower,
                 std::uint8_t* visible);
