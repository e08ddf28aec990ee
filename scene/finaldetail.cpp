#include "scene/finaldetail.h"

namespace {

// Each round reads what the picture asked for; a cache too small for the
// whole window would ask again for what it let go of, without end.
constexpr int kMaxRounds = 8;

}  // namespace

void DrawFinalDetail(cOpenGLGraph& graph, cOpenGLGraph_Surface& surface) {
  for (int round = 0; round < kMaxRounds && !surface.DetailFinal(); ++round) {
    surface.LevelsOfDetail()->WaitForTiles();
    graph.Draw();
  }
}
