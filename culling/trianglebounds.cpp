#include "culling/trianglebounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "culling/widevectors.h"

// How the renderer treats a triangle (Mesa's llvmpipe): it takes each
// vertex's window X and Y in single precision, snaps them to its sub-pixel
// grid, and covers a pixel centre when all three edge functions of the
// snapped triangle are positive there (a fill rule settles zeros). So the
// edge functions it sees differ from ours, for points that each lie within
// rho of the renderer's, by at most
//   rho |edge|_1 + 2 rho |p - either end of the edge|_1 + 4 rho^2,
// and a centre where ours exceed that on every edge is covered for certain,
// one where some edge function falls below minus that is certainly not.
// When the area itself is within that much of zero, the snapped triangle may
// face the other way and covers what it covers with all three signs turned.
//
// Its depth at a centre comes from a plane through the three unsnapped
// vertices, set up in single precision and evaluated from the frame
// buffer's origin, then converted to the 24-bit buffer. That depth differs
// from the exact plane through our vertices by at most
//   L (e_v + |gradient|_1 rho_f)           the vertices' depth and place,
//                                          weighted by the sum L of |barycentric
//                                          coordinates| of the centre
//   + 8u (|z0| + |dz/dx| (|x0| + X) + |dz/dy| (|y0| + Y))   setting up and
//                                          evaluating the plane from the origin
//   + g |p - p0|_1                         its gradient's error, g growing
//                                          with the triangle's condition
// with u = 2^-24. Our own plane, in single precision on depths relative to
// the frame's origin, errs by as much again on the gradient and by far less
// elsewhere. A triangle whose area is within a quarter of what rounding can
// move it has no trusted plane: it never hides another, and is kept wherever
// it may cover.
//
// With these bounds, culled and full frames on this renderer give the same
// pictures and depth buffers to the byte across fields, cameras and passes
// (tests/render/culling_test.cpp), while bounds made deliberately too tight
// give wrong pixels by the thousand.

namespace {

constexpr float kU = 0x1p-24f;
// Kept on top of the renderer's rounding and half its sub-pixel step: far
// less than the 1/32 pixel the bounding boxes keep, which is as wide as the
// slivers of a large grid are. Pictures stayed the same with no spare at all.
constexpr float kSpare = 1.0f / 1024;
// Our own edge functions, in single precision with coordinates relative to
// the triangle's first point, differ from exact ones by less than this per
// unit of |edge|_1 while the triangle spans at most kMaxSpan pixels.
constexpr float kOwnEdgeError = 0x1p-14f;
// Larger triangles are not tested but kept where their box is: they are few
// wherever they are this large, and the centres they span would cost more
// than they save.
constexpr float kMaxSpan = 64.0f;
// The conversion of a depth to the 24-bit buffer is monotone and moves it by
// less than a step; three steps keep a fragment that could tie.
constexpr float kConversion = 3.0f / 16777215.0f;

enum : std::int32_t { kTested = 1, kSteady = 2, kFlip = 4 };

// Eight lanes whatever the processor: the AVX2 copies of the functions below
// run them as one instruction, the others as two. The helpers that take and
// return them are always inlined into those functions, so no call ever passes
// them between code built for different instruction sets, which is what the
// compiler warns about.
#pragma GCC diagnostic ignored "-Wpsabi"
using F8 = float __attribute__((vector_size(32)));
using I8 = std::int32_t __attribute__((vector_size(32)));
constexpr F8 kIota = {0, 1, 2, 3, 4, 5, 6, 7};
constexpr I8 kIotaInt = {0, 1, 2, 3, 4, 5, 6, 7};

[[gnu::always_inline]] inline F8 Abs(const F8& v) {
  return reinterpret_cast<F8>(reinterpret_cast<I8>(v) & 0x7fffffff);
}
[[gnu::always_inline]] inline bool Any(const I8& m) {
  std::uint64_t w[4];
  std::memcpy(w, &m, sizeof w);
  return (w[0] | w[1] | w[2] | w[3]) != 0;
}
[[gnu::always_inline]] inline F8 Load(const float* p) {
  F8 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
[[gnu::always_inline]] inline void Store(float* p, const F8& v) {
  std::memcpy(p, &v, sizeof v);
}
inline float Abs(float v) {
  return v < 0 ? -v : v;
}

inline float Min(float a, float b) {
  return a < b ? a : b;
}
inline float Max(float a, float b) {
  return a > b ? a : b;
}

// Written out edge by edge, with no inner loop and no branch, so that it runs
// on eight triangles at a time.
WIDE_VECTORS void SetUp(const PassBounds& b, TriangleBatch& t) {
  TriangleBatch::Setup& s = t.setup;
  const float right = b.width + 0.5f;
  const float top = b.height + 0.5f;
  const std::size_t n = t.count;
  for (std::size_t j = 0; j < n; ++j) {
    const float a = t.size[j];
    const float rho = b.cover[0] + b.cover[1] * a;
    const float rf = b.round[0] + b.round[1] * a;
    const float ev = b.depth[0] + b.depth[1] * a;
    const float x0 = t.x[0][j], y0 = t.y[0][j], d0 = t.depth[0][j];
    const float x1 = t.x[1][j] - x0, y1 = t.y[1][j] - y0, d1 = t.depth[1][j] - d0;
    const float x2 = t.x[2][j] - x0, y2 = t.y[2][j] - y0, d2 = t.depth[2][j] - d0;
    // Edge k runs from point k to the next.
    const float ex1 = x2 - x1, ey1 = y2 - y1;
    const float area = x1 * y2 - y1 * x2;  // twice the signed area
    const float sign = area < 0 ? -1.0f : 1.0f;
    const float absArea = Abs(area);
    const float length0 = Abs(x1) + Abs(y1);
    const float length1 = Abs(ex1) + Abs(ey1);
    const float length2 = Abs(x2) + Abs(y2);
    const float perimeter = length0 + length1 + length2;
    s.edgeX[0][j] = -sign * y1;
    s.edgeY[0][j] = sign * x1;
    s.edgeX[1][j] = -sign * ey1;
    s.edgeY[1][j] = sign * ex1;
    s.edgeX[2][j] = sign * y2;
    s.edgeY[2][j] = -sign * x2;
    const float rho2 = 4 * rho * rho;
    s.edgeSpare[0][j] = rho * length0 + rho2;
    s.edgeSpare[1][j] = rho * length1 + rho2;
    s.edgeSpare[2][j] = rho * length2 + rho2;
    const bool flip = !(absArea > 2 * rho * perimeter + 3 * rho2);
    const float trusted = absArea - (2 * rf * perimeter + 12 * rf * rf);
    const bool steady = trusted > 0.25f * absArea;
    const float loX = Min(0.0f, Min(x1, x2)), hiX = Max(0.0f, Max(x1, x2));
    const float loY = Min(0.0f, Min(y1, y2)), hiY = Max(0.0f, Max(y1, y2));
    // False for NaN: a point beyond the limit.
    const bool tested = (x0 + loX - rho >= 0.5f) & (x0 + hiX + rho <= right) &
                        (y0 + loY - rho >= 0.5f) & (y0 + hiY + rho <= top) &
                        (hiX - loX <= kMaxSpan) & (hiY - loY <= kMaxSpan);
    s.originX[j] = x0;
    s.originY[j] = y0;
    s.area[j] = absArea;
    s.pointX[0][j] = x1;
    s.pointY[0][j] = y1;
    s.pointX[1][j] = x2;
    s.pointY[1][j] = y2;
    s.twoRho[j] = 2 * rho;
    s.box[0][j] = loX - rho;
    s.box[1][j] = hiX + rho;
    s.box[2][j] = loY - rho;
    s.box[3][j] = hiY + rho;
    s.kind[j] = (tested ? kTested : 0) | (steady ? kSteady : 0) | (flip ? kFlip : 0);

    const float inverse = 1.0f / area;
    const float gx = (d1 * y2 - d2 * y1) * inverse;
    const float gy = (d2 * x1 - d1 * x2) * inverse;
    const float slope = Abs(gx) + Abs(gy);
    const float absInverse = Abs(inverse);
    const float condition = (Abs(x1 * y2) + Abs(y1 * x2)) * absInverse;
    s.level[j] = d0;
    s.planeX[j] = gx;
    s.planeY[j] = gy;
    s.weightScale[j] = 1.0f / trusted;
    s.round[j] = rf;
    s.roundSum[j] = rf * perimeter + 12 * rf * rf;
    s.perWeight[j] = ev + slope * rf;
    s.fixedError[j] = 8 * kU * Abs(b.depthOrigin + d0) +
                      8 * kU * (Abs(gx) * (2 * x0 + hiX + rho) + Abs(gy) * (2 * y0 + hiY + rho)) +
                      4 * kU * (Abs(d0) + slope * (kMaxSpan + 1));
    s.slopeError[j] =
        16 * kU * ((condition + 2) * slope + (Abs(d1) * length2 + Abs(d2) * length0) * absInverse);
  }
}

// The centres of triangle j to visit: columns and rows of the viewport's
// centres (1 ... size) within its box, widened a little for the rounding of
// the box's own ends.
struct Centres {
  int x0, x1, y0, y1;
};
[[gnu::always_inline]] inline Centres CentresOf(const TriangleBatch::Setup& s, std::size_t j,
                                                const PassBounds& b) {
  constexpr float kWiden = 0x1p-12f;
  return {std::max(1, static_cast<int>(std::ceil(s.originX[j] + s.box[0][j] - kWiden))),
          std::min(static_cast<int>(b.width),
                   static_cast<int>(std::floor(s.originX[j] + s.box[1][j] + kWiden))),
          std::max(1, static_cast<int>(std::ceil(s.originY[j] + s.box[2][j] - kWiden))),
          std::min(static_cast<int>(b.height),
                   static_cast<int>(std::floor(s.originY[j] + s.box[3][j] + kWiden)))};
}

// Triangle j at the centres of one column, as the renderer may see it.
struct Column {
  float edge[3];  // edge functions without their Y part
  float away[3];  // |X - point k|
  float plane;    // depth without its Y part
  float error;    // the depth bound's parts that do not vary along Y
};
[[gnu::always_inline]] inline Column ColumnOf(const TriangleBatch::Setup& s, std::size_t j,
                                              float x) {
  Column c;
  c.away[0] = Abs(x);
  c.away[1] = Abs(x - s.pointX[0][j]);
  c.away[2] = Abs(x - s.pointX[1][j]);
  for (int k = 0; k < 3; ++k)
    c.edge[k] = s.edgeX[k][j] * x;
  c.edge[1] += s.area[j];
  c.plane = s.level[j] + s.planeX[j] * x;
  c.error = s.fixedError[j] + s.slopeError[j] * c.away[0];
  return c;
}

// Eight centres of a column, rows y ... y + 7 from the origin.
struct Eight {
  I8 inside;  // covered for certain
  I8 may;     // perhaps covered
  F8 edge[3];
  F8 reach;  // sum over the edges of |p - the edge's nearer end|_1
};
[[gnu::always_inline]] inline Eight EightOf(const TriangleBatch::Setup& s, std::size_t j,
                                            const Column& c, const F8& y, const I8& valid) {
  // An edge function is the same taken from either end of its edge, and
  // the bound from the nearer one is the tighter.
  const F8 d[3] = {c.away[0] + Abs(y), c.away[1] + Abs(y - s.pointY[0][j]),
                   c.away[2] + Abs(y - s.pointY[1][j])};
  const F8 nearer[3] = {d[0] < d[1] ? d[0] : d[1], d[1] < d[2] ? d[1] : d[2],
                        d[2] < d[0] ? d[2] : d[0]};
  Eight e;
  I8 inside = valid;
  I8 positive = valid;
  I8 negative = valid;
  for (int k = 0; k < 3; ++k) {
    e.edge[k] = c.edge[k] + s.edgeY[k][j] * y;
    const F8 spare = s.edgeSpare[k][j] + s.twoRho[j] * nearer[k];
    inside &= e.edge[k] > spare;
    positive &= e.edge[k] >= -spare;
    negative &= e.edge[k] <= spare;
  }
  e.inside = inside;
  e.may = (s.kind[j] & kFlip) ? positive | negative : positive;
  e.reach = nearer[0] + nearer[1] + nearer[2];
  return e;
}

// The bound on how far the renderer's depth at those centres lies from ours.
[[gnu::always_inline]] inline F8 DepthError(const TriangleBatch::Setup& s, std::size_t j,
                                            const Column& c, const Eight& e, const F8& y) {
  const F8 weights = (Abs(e.edge[0]) + Abs(e.edge[1]) + Abs(e.edge[2]) + s.roundSum[j] +
                      2 * s.round[j] * e.reach) *
                     s.weightScale[j];
  return weights * s.perWeight[j] + c.error + s.slopeError[j] * Abs(y);
}

}  // namespace

PassBounds BoundsOf(const WindowMapping& m, double depthOrigin) {
  PassBounds b;
  for (int c = 0; c < 3; ++c)
    b.depthRow[c] = static_cast<float>(m.z[c]);
  b.depthRow[3] = static_cast<float>(m.z[3] - depthOrigin);
  b.depthOrigin = static_cast<float>(depthOrigin);
  b.cover[0] = m.rounding[0] + m.halfStep + kSpare + kOwnEdgeError;
  b.cover[1] = m.rounding[1];
  for (int k = 0; k < 2; ++k) {
    b.round[k] = m.rounding[k];
    b.depth[k] = m.depthRounding[k];
  }
  b.width = m.width;
  b.height = m.height;
  b.depthKnown = m.rules == RasterRules::kCoverageAndDepth;
  return b;
}

WIDE_VECTORS void ProjectBatch(const WindowMapping& mapping, const float row[4], TriangleBatch& t) {
  // Copies, which the stores below cannot change.
  const WindowMapping m = mapping;
  const float depthRow[4] = {row[0], row[1], row[2], row[3]};
  const std::size_t n = t.count;
  for (std::size_t j = 0; j < n; ++j) {
    WindowPoint w[3];
    w[0] = ToWindow(m, depthRow, t.x[0][j], t.y[0][j], t.depth[0][j]);
    w[1] = ToWindow(m, depthRow, t.x[1][j], t.y[1][j], t.depth[1][j]);
    w[2] = ToWindow(m, depthRow, t.x[2][j], t.y[2][j], t.depth[2][j]);
    t.x[0][j] = w[0].x;
    t.x[1][j] = w[1].x;
    t.x[2][j] = w[2].x;
    t.y[0][j] = w[0].y;
    t.y[1][j] = w[1].y;
    t.y[2][j] = w[2].y;
    t.depth[0][j] = w[0].depth;
    t.depth[1][j] = w[1].depth;
    t.depth[2][j] = w[2].depth;
    t.size[j] = TriangleBatch::Largest(w[0].size, w[1].size, w[2].size);
  }
}

// Most triangles span one column and fewer than eight rows of centres, and
// whether a centre is covered or hidden is anyone's guess: every centre
// visited is worked out whole, with no branch on what it shows, which is
// cheaper than the branches the processor would mispredict.
WIDE_VECTORS void MarkVisible(const PassBounds& b, TriangleBatch& t, NearestDepths* nearest,
                              bool lower, std::uint8_t* visible) {
  SetUp(b, t);
  const TriangleBatch::Setup& s = t.setup;
  for (std::size_t j = 0; j < t.count; ++j) {
    if (!(s.kind[j] & kTested)) {
      visible[j] = 1;
      continue;
    }
    // Only a triangle with a trusted plane hides others, or is hidden; one
    // without is seen wherever it may cover.
    const bool judged = nearest && (s.kind[j] & kSteady);
    const bool hides = judged && lower;
    const Centres centres = CentresOf(s, j, b);
    I8 seen = {};
    for (int cx = centres.x0; cx <= centres.x1; ++cx) {
      const Column c = ColumnOf(s, j, static_cast<float>(cx) - s.originX[j]);
      float* depths = judged ? nearest->Column(cx) : nullptr;
      for (int cy = centres.y0; cy <= centres.y1; cy += 8) {
        const F8 y = (static_cast<float>(cy) - s.originY[j]) + kIota;
        const Eight e = EightOf(s, j, c, y, (cy + kIotaInt) <= centres.y1);
        if (!judged) {
          seen |= e.may;
          continue;
        }
        const F8 plane = c.plane + s.planeY[j] * y;
        const F8 error = DepthError(s, j, c, e, y);
        const F8 held = Load(depths + (cy - 1));
        seen |= e.may & (plane - error <= held + kConversion);
        if (hides) {
          const F8 most = plane + error;
          Store(depths + (cy - 1), (e.inside & (most < held)) ? most : held);
        }
      }
    }
    visible[j] = Any(seen);
  }
}
