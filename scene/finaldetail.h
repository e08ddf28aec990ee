#pragma once
// Pictures that leave the program (files, Copy, Save) show a raster held at
// levels of detail at the detail it finally gets, not while its tiles come.

#include "objects/surface.h"
#include "scene/graph.h"

// Draws graph again, after the tiles its surface asked for have come, until
// the picture shows the surface's final detail; at once when it does. Throws
// what cOpenGLGraph::Draw throws.
void DrawFinalDetail(cOpenGLGraph& graph, cOpenGLGraph_Surface& surface);
