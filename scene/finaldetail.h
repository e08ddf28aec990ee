#pragma once
// Pictures that leave the program (files, Copy, Save) show a raster held at
// levels of detail at the detail it finally gets, not while its tiles come.

#include "objects/surface.h"
#include "scene/graph.h"

// With levels of detail on surface: draws graph, once the tiles asked for
// have come, until a frame shows the final detail. Without: does nothing.
// Throws what cOpenGLGraph::Draw throws.
void DrawFinalDetail(cOpenGLGraph& graph, cOpenGLGraph_Surface& surface);
