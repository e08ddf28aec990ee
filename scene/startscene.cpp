#include "scene/startscene.h"

#include <memory>

#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "scene/graph.h"

void FillStartScene(cOpenGLGraph& graph, cOpenGLGraph_Line& line, cOpenGLGraph_Surface& surface,
                    cOpenGLGraph_Solid& volume) {
  auto points = std::make_unique<Vec3[]>(8);
  for (int i = 0; i < 8; ++i)
    points[i] = Vec3{i * 0.125, i * 0.03125, i * 0.0625};
  graph.preObjects.reserve(graph.preObjects.size() + 2);
  graph.postObjects.reserve(graph.postObjects.size() + 1);
  line.SetVertices(points.release(), 8, true);
  graph.preObjects.push_back(&line);
  surface.SetLevels(8);
  graph.preObjects.push_back(&surface);
  volume.SetLevels(8);
  graph.postObjects.push_back(&volume);
}

double PlanePosition(int thousandths) {
  return static_cast<double>(thousandths * 0.001L);
}
