#pragma once
// Frames larger than the renderer can draw at once (posters), and frames
// drawn at several times the picture's pixels each way and averaged down
// (smooth edges), are drawn in tiles and put together here. The arithmetic
// needs no GL, so that it is checked without a window.

#include <vector>

#include <QImage>

// A tile of a frame, in the frame's pixels with y up, as GL counts them.
struct FrameTile {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// How a picture of width x height pixels is drawn: a frame of scale times
// its pixels each way, in tiles no side of which exceeds limit. Every tile
// is a whole number of scale x scale blocks, so that each is averaged down
// by itself. When the whole frame fits within viewportLimit, every tile
// draws with the frame's own projection and viewport moved under it, which
// gives each vertex the window position it has in one piece but for the
// last bits of a float (the renderer rounds it within the tile); beyond,
// each tile needs a projection of its own part (ownProjection).
struct FramePlan {
  int width = 0;  // the frame's, scale x the picture's
  int height = 0;
  int scale = 1;
  bool ownProjection = false;
  std::vector<FrameTile> tiles;  // row by row from the bottom

  // One tile of the picture's own size: drawn as it always was.
  bool Plain() const { return scale == 1 && tiles.size() == 1; }
};

// The plan for a picture of width x height (each at least 1), scale 1 to 4,
// tiles of at most limit pixels a side (at least scale), and the renderer's
// largest viewport.
FramePlan PlanFrame(int width, int height, int scale, int limit, int viewportLimit);

// Puts a tile read back from the renderer into picture: rows holds the
// tile's pixels bottom row first, tile.w x tile.h of them in 32-bit
// 0xffRRGGBB, and each scale x scale block becomes one pixel of picture,
// the rounded mean of each channel. picture is the plan's picture size,
// Format_RGB32, top row first.
void PlaceTile(const FramePlan& plan, const FrameTile& tile, const unsigned int* rows,
               QImage& picture);
