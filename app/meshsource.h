#pragma once
// The surface shown as the source of an exported mesh: its whole grid, or
// for a raster held at levels the raster's own cells at full resolution,
// read a band at a time; the colours of its map; where its points lie.

#include "meshes/meshexport.h"

class cOpenGLGraph_Surface;

// The surface must outlive the source and keep its data meanwhile. Reading a
// raster held at levels waits for its tiles. Throws nothing.
MeshSource MeshSourceOf(cOpenGLGraph_Surface& surface);
