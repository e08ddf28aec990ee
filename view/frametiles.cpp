#include "view/frametiles.h"

#include <algorithm>
#include <cassert>

FramePlan PlanFrame(int width, int height, int scale, int limit, int viewportLimit) {
  assert(width > 0 && height > 0 && scale >= 1 && limit >= scale &&
         "a frame plan needs a picture and room for one block a tile");
  FramePlan plan;
  plan.scale = scale;
  plan.width = width * scale;
  plan.height = height * scale;
  plan.ownProjection = plan.width > viewportLimit || plan.height > viewportLimit;
  // Whole blocks a tile, so that no block of the average spans two tiles.
  const int side = limit / scale * scale;
  for (int y = 0; y < plan.height; y += side) {
    for (int x = 0; x < plan.width; x += side)
      plan.tiles.push_back({x, y, std::min(side, plan.width - x), std::min(side, plan.height - y)});
  }
  return plan;
}

void PlaceTile(const FramePlan& plan, const FrameTile& tile, const unsigned int* rows,
               QImage& picture) {
  const int s = plan.scale;
  const int blocks = s * s;
  // The tile's top row in the picture: GL counts rows from the bottom.
  const int top = (plan.height - tile.y - tile.h) / s;
  const int left = tile.x / s;
  for (int r = 0; r < tile.h / s; ++r) {
    // Picture row top + r holds the tile's rows from the top r*s on, which
    // are rows tile.h - 1 - r*s down to tile.h - s - r*s from the bottom.
    auto* out = reinterpret_cast<unsigned int*>(picture.scanLine(top + r)) + left;
    const unsigned int* first = rows + static_cast<std::size_t>(tile.h - s - r * s) * tile.w;
    for (int c = 0; c < tile.w / s; ++c) {
      unsigned int red = 0, green = 0, blue = 0;
      for (int j = 0; j < s; ++j) {
        const unsigned int* from = first + static_cast<std::size_t>(j) * tile.w + c * s;
        for (int i = 0; i < s; ++i) {
          red += (from[i] >> 16) & 0xffu;
          green += (from[i] >> 8) & 0xffu;
          blue += from[i] & 0xffu;
        }
      }
      const auto mean = [blocks](unsigned int sum) { return (sum + blocks / 2) / blocks; };
      out[c] = 0xff000000u | mean(red) << 16 | mean(green) << 8 | mean(blue);
    }
  }
}
