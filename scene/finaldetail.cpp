#include "scene/finaldetail.h"

namespace {

// Each round reads what the picture asked for; a cache too small for the
// whole window would ask again for what it let go of, without end.
constexpr int kMaxRounds = 8;

}  // namespace

void DrawFinalDetail(cOpenGLGraph& graph, cOpenGLGraph_Surface& surface) {
  if (!surface.LevelsOfDetail())
    return;
  // A frame's passes may each need other tiles, and a tile may come between
  // two of them: only a whole frame drawn from tiles that were all there
  // is final.
  for (int round = 0; round < kMaxRounds; ++round) {
    surface.LevelsOfDetail()->WaitForTiles();
    const std::uint64_t before = surface.CoarseDraws();
    graph.Draw();
    if (surface.CoarseDraws() == before)
      return;
  }
}
