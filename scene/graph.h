#pragma once
// cOpenGLGraph: the plot scene. Draws, in data space with z pointing up and the
// unit cube centred on the point the camera looks at, the objects of
// preObjects, the three grid planes, then the objects of postObjects. Each list
// is drawn in four passes: flattened onto the XY, YZ and ZX faces of the cube,
// then in full 3-D, according to each object's switches. A list whose shown
// objects all draw opaque is planned first (PlanDraw), pass by pass as it
// will be drawn.

#include <cstddef>
#include <vector>

#include "objects/graphdata.h"
#include "scene/grid.h"
#include "view/frameopengl.h"

class cOpenGLGraph : public cOpenGLChildWindow {
 public:
  cOpenGLGraph();
  // No destructor of its own: the base's releases the GL resources, and the
  // listed objects belong to their owner.

  // Draws the picture in the view's detail: a preview hands each object a
  // budget of triangles per pass from the view's size (PreviewTriangles).
  void Draw() override;

  // The budget of triangles per pass that the objects get in the view's
  // detail: 0 for the full picture.
  std::size_t PreviewTriangles() const;

  // Multiplies GL's model-view matrix by data space's: the camera's axis
  // swap, then the cube's shift (Camera::kAxisSwap, kCubeShift).
  static void MultDataSpace();

  cOpenGLGraph_Grid planeZ;  // XY directions at height origin.z
  cOpenGLGraph_Grid planeX;  // YZ directions at origin.x
  cOpenGLGraph_Grid planeY;  // ZX directions at origin.y
  // Non-owning, drawn in insertion order; appended to once at start-up.
  std::vector<cOpenGLGraph_Data*> preObjects;
  std::vector<cOpenGLGraph_Data*> postObjects;

 private:
  static void DrawPasses(const std::vector<cOpenGLGraph_Data*>& objects);
};
