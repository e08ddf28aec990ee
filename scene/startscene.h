#pragma once
// The scene as the program starts, and the arithmetic by which the Status
// window's controls set it: shared by the windows and by pictures rendered
// straight to a file, so that both show the same thing for the same settings.

class cOpenGLGraph;
class cOpenGLGraph_Line;
class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;

// Gives line its eight start points, on a straight line from the origin in the
// direction (1, 0.25, 0.5) (the line adopts a new array), gives surface and
// volume eight grey bands, and appends line and surface to graph's first list
// and volume to its second. Throws std::bad_alloc before anything changes.
void FillStartScene(cOpenGLGraph& graph, cOpenGLGraph_Line& line, cOpenGLGraph_Surface& surface,
                    cOpenGLGraph_Solid& volume);

// A plane slider's position, in thousandths of the cube, as the plane's place
// in data units (computed at extended precision, as every scale of the
// controls is).
double PlanePosition(int thousandths);
