#pragma once
// A grid's draws in the passes of a frame. Where the passes were announced
// before the first of them is drawn (Plan), the frame's triangles are
// selected together, so that a later pass can hide what an earlier one would
// draw; otherwise each draw selects its own.

#include <cstddef>
#include <vector>

#include "base/gridref.h"
#include "culling/coveringtriangles.h"
#include "culling/windowmapping.h"

class GridFrame {
 public:
  // Announces a coming Draw in the current matrices and state, to be culled
  // as asked: only kHidden selects a frame together, and only where the
  // renderer's depth rules are known. A Plan after the planned frame's first
  // Draw starts a new frame. Needs a current context; throws nothing (without
  // memory for the plan, each draw selects its own).
  void Plan(Culling culling);

  // Sends grid as the frame needs it in the current pass, culled as asked:
  // the next planned draw's selection when the current matrices and state are
  // the planned ones and grid the one of the frame's first draw, else one
  // selected for this draw alone (and the plan is forgotten). Returns the
  // number of triangles sent. Needs a current context; throws nothing.
  std::size_t Draw(const GridRef& grid, Culling culling);

  // Forgets the plan and frees the selection's buffers.
  void Clear();

 private:
  std::vector<WindowMapping> planned;
  bool plannable = true;  // every planned draw has rules worth a frame
  std::size_t drawn = 0;  // planned draws sent
  GridRef selected;       // the grid of the planned frame
  // A planned frame's selection and a lone draw's keep their buffers apart,
  // so that neither regrows the other's when both are used (benchmarks
  // draw each in turn).
  CoveringTriangles frame;
  CoveringTriangles lone;
};
