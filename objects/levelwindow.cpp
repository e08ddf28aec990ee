#include "objects/levelwindow.h"

#include <algorithm>
#include <cmath>

namespace {

// The cells of level whose span covers the raster's cells [first, last] of
// count, with one more on each side, at least two.
void Cover(double first, double last, std::uint32_t count, int level, std::uint32_t& from,
           std::uint32_t& cells) {
  const std::uint32_t levelCells = LevelCells(level, count);
  const double top = static_cast<double>(count) - 1.0;
  const auto a = static_cast<std::uint64_t>(std::clamp(std::floor(first), 0.0, top));
  const auto b = static_cast<std::uint64_t>(std::clamp(std::ceil(last), 0.0, top));
  std::uint64_t lo = a >> level;
  std::uint64_t hi = b >> level;
  lo = lo > 0 ? lo - 1 : 0;
  hi = std::min<std::uint64_t>(hi + 1, levelCells - 1);
  if (hi == lo) {
    if (hi + 1 < levelCells)
      ++hi;
    else if (lo > 0)
      --lo;
  }
  from = static_cast<std::uint32_t>(lo);
  cells = static_cast<std::uint32_t>(hi - lo + 1);
}

}  // namespace

LevelWindow NeededWindow(const WindowMapping& m, std::uint32_t columns, std::uint32_t rows,
                         int levelCount, double zScale, double low, double high,
                         std::uint64_t maxCells) {
  const double stepX = std::hypot(m.x[0], m.y[0]) / (columns - 1.0);
  const double stepY = std::hypot(m.x[1], m.y[1]) / (rows - 1.0);
  const double step = std::max(stepX, stepY);
  int level = 0;
  while (level + 1 < levelCount && std::ldexp(step, level + 1) <= 1.0)
    ++level;

  // The part of the unit square that can show: the view's corners taken back
  // onto the square at the lowest and the highest height. Where the pass
  // sees the square edge-on, all of it.
  double x0 = 0.0, x1 = 1.0, y0 = 0.0, y1 = 1.0;
  const double a = m.x[0], b = m.x[1], c = m.y[0], d = m.y[1];
  const double det = a * d - b * c;
  if (std::fabs(det) > 1e-12 * (std::fabs(a) + std::fabs(b)) * (std::fabs(c) + std::fabs(d))) {
    x0 = y0 = HUGE_VAL;
    x1 = y1 = -HUGE_VAL;
    for (const double z : {low * zScale, high * zScale}) {
      for (const double X : {0.0, m.width + 1.0}) {
        for (const double Y : {0.0, m.height + 1.0}) {
          const double u = X - m.x[2] * z - m.x[3];
          const double v = Y - m.y[2] * z - m.y[3];
          const double px = (d * u - b * v) / det;
          const double py = (a * v - c * u) / det;
          x0 = std::min(x0, px);
          x1 = std::max(x1, px);
          y0 = std::min(y0, py);
          y1 = std::max(y1, py);
        }
      }
    }
    if (!(x1 >= 0.0 && x0 <= 1.0 && y1 >= 0.0 && y0 <= 1.0))
      return LevelWindow{level, 0, 0, 0, 0};
  }
  LevelWindow window{level, 0, 0, 0, 0};
  for (;;) {
    window.level = level;
    Cover(x0 * (columns - 1.0), x1 * (columns - 1.0), columns, level, window.column,
          window.columns);
    Cover(y0 * (rows - 1.0), y1 * (rows - 1.0), rows, level, window.row, window.rows);
    if (std::uint64_t{window.columns} * window.rows <= maxCells || level + 1 >= levelCount)
      return window;
    ++level;
  }
}

LevelWindow AtLevel(const LevelWindow& w, int level, std::uint32_t columns, std::uint32_t rows) {
  const auto convert = [&](std::uint32_t first, std::uint32_t count, std::uint32_t total,
                           std::uint32_t& to, std::uint32_t& toCount) {
    const std::uint64_t begin = std::uint64_t{first} << w.level;
    const std::uint64_t end =
        std::min(std::uint64_t{first + count} << w.level, std::uint64_t{total});
    to = static_cast<std::uint32_t>(begin >> level);
    toCount = static_cast<std::uint32_t>(((end - 1) >> level) - to + 1);
  };
  LevelWindow out{level, 0, 0, 0, 0};
  convert(w.column, w.columns, columns, out.column, out.columns);
  convert(w.row, w.rows, rows, out.row, out.rows);
  return out;
}

bool Holds(const LevelWindow& outer, const LevelWindow& inner) {
  return outer.level == inner.level && outer.column <= inner.column && outer.row <= inner.row &&
         inner.column + inner.columns <= outer.column + outer.columns &&
         inner.row + inner.rows <= outer.row + outer.rows;
}

bool FlattensAcross(const WindowMapping& m) {
  return (m.x[0] == 0.0f && m.y[0] == 0.0f) || (m.x[1] == 0.0f && m.y[1] == 0.0f);
}
