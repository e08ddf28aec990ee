#include "culling/cellmarks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "culling/widevectors.h"

namespace {

// floor(v) clamped to [0, floor(top)], and floor(top) when v is NaN: v is
// clamped first, so truncation rounds down.
inline std::int16_t HighEnd(float v, float top) {
  v = v < top ? v : top;
  v = v > 0.0f ? v : 0.0f;
  return static_cast<std::int16_t>(static_cast<int>(v));
}
// The same, but 0 when v is NaN.
inline std::int16_t LowEnd(float v, float top) {
  v = v > 0.0f ? v : 0.0f;
  v = v < top ? v : top;
  return static_cast<std::int16_t>(static_cast<int>(v));
}

}  // namespace

namespace {

// The pixel ranges of a point at X, Y of the given size (NaN: beyond the
// limit), each written to out at i.
struct Ends {
  float mx0, mx1, my0, my1, right, top;
  void Write(float x, float y, float size, RowRanges out, std::uint32_t i) const {
    // An infinite margin gives a point the whole viewport, whatever its
    // coordinates: the sums are infinite or NaN, and the ends take NaN to
    // the side that widens the range.
    const bool placed = size == size;
    const float marginX = placed ? mx0 + mx1 * size : std::numeric_limits<float>::infinity();
    const float marginY = placed ? my0 + my1 * size : std::numeric_limits<float>::infinity();
    out.hiX[i] = HighEnd(x + marginX, right);
    out.loX[i] = LowEnd(x - marginX, right);
    out.hiY[i] = HighEnd(y + marginY, top);
    out.loY[i] = LowEnd(y - marginY, top);
  }
};

}  // namespace

WIDE_VECTORS void ProjectRow(const WindowMapping& mapping, const float row[4], const Vec3* p,
                             std::uint32_t n, double zScale, RowRanges out, RowWindow window) {
  // Copies, which the stores below cannot change, so that the loops can keep
  // them in registers.
  const WindowMapping m = mapping;
  const float depthRow[4] = {row[0], row[1], row[2], row[3]};
  const Ends ends{m.marginX[0], m.marginX[1],   m.marginY[0],
                  m.marginY[1], m.width + 0.5f, m.height + 0.5f};
  if (!window.x) {
    for (std::uint32_t i = 0; i < n; ++i) {
      const WindowPoint w =
          ToWindow(m, depthRow, static_cast<float>(p[i].x), static_cast<float>(p[i].y),
                   static_cast<float>(p[i].z * zScale));  // GridRef::DrawnZ
      ends.Write(w.x, w.y, w.size, out, i);
    }
    return;
  }
  // Two loops: with the 16-bit ends and the 32-bit places in one, the
  // vectoriser gives up.
  for (std::uint32_t i = 0; i < n; ++i) {
    const WindowPoint w = ToWindow(m, depthRow, static_cast<float>(p[i].x),
                                   static_cast<float>(p[i].y), static_cast<float>(p[i].z * zScale));
    window.x[i] = w.x;
    window.y[i] = w.y;
    window.depth[i] = w.depth;
    window.size[i] = w.size;
  }
  for (std::uint32_t i = 0; i < n; ++i)
    ends.Write(window.x[i], window.y[i], window.size[i], out, i);
}

WIDE_VECTORS void MarkCells(RowRanges lower, RowRanges upper, std::uint32_t n, std::uint8_t* keep) {
  for (std::uint32_t i = 0; i + 1 < n; ++i) {
    // The diagonal shared by both triangles.
    const std::int16_t hiX = std::max(upper.hiX[i], lower.hiX[i + 1]);
    const std::int16_t loX = std::min(upper.loX[i], lower.loX[i + 1]);
    const std::int16_t hiY = std::max(upper.hiY[i], lower.hiY[i + 1]);
    const std::int16_t loY = std::min(upper.loY[i], lower.loY[i + 1]);
    const bool first = (std::max(hiX, lower.hiX[i]) > std::min(loX, lower.loX[i])) &
                       (std::max(hiY, lower.hiY[i]) > std::min(loY, lower.loY[i]));
    const bool second = (std::max(hiX, upper.hiX[i + 1]) > std::min(loX, upper.loX[i + 1])) &
                        (std::max(hiY, upper.hiY[i + 1]) > std::min(loY, upper.loY[i + 1]));
    keep[i] = static_cast<std::uint8_t>(first | (second << 1));
  }
}

void DropMissing(const std::uint8_t* lower, const std::uint8_t* upper, std::uint32_t n,
                 std::uint8_t* keep) {
  for (std::uint32_t i = 0; i + 1 < n; ++i) {
    const bool shared = upper[i] && lower[i + 1];
    const bool first = shared && lower[i];
    const bool second = shared && upper[i + 1];
    keep[i] &= static_cast<std::uint8_t>(first | (second << 1));
  }
}

std::size_t MarkedTriangles(const std::uint8_t* keep, std::uint32_t cells) {
  // A mark has two bits: the bytes' sums of both add up in the top byte (no
  // instruction to count bits is taken for granted).
  constexpr std::uint64_t kLow = 0x0101010101010101;
  std::size_t count = 0;
  for (std::uint32_t i = 0; i < cells; i += 8) {
    std::uint64_t eight;
    std::memcpy(&eight, keep + i, sizeof eight);
    count += (((eight & kLow) + ((eight >> 1) & kLow)) * kLow) >> 56;
  }
  return count;
}
