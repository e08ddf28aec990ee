#include "sceneview.h"

#include <cmath>

#include "formats/colourcount.h"
#include "formats/heightfield.h"
#include "inputs.h"
#include "valuenoise.h"

namespace {
constexpr int kVolumeSide = 1024;  // of the photograph whose colours are counted
}  // namespace

std::unique_ptr<Vec3[]> SmoothField(int side) {
  std::unique_ptr<Vec3[]> points(new Vec3[static_cast<std::size_t>(side) * side]);
  const double last = side - 1.0;
  for (int r = 0; r < side; ++r) {
    for (int i = 0; i < side; ++i) {
      const double x = i / last;
      const double y = r / last;
      points[static_cast<std::size_t>(r) * side + i] = {
          x, y, 0.5 + 0.25 * std::sin(4 * M_PI * x) * std::cos(2 * M_PI * y)};
    }
  }
  return points;
}

std::unique_ptr<Vec3[]> FractalTerrain(int side) {
  std::unique_ptr<Vec3[]> points(new Vec3[static_cast<std::size_t>(side) * side]);
  const double last = side - 1.0;
  constexpr int kOctaves = 8;
  double total = 0;  // the largest sum: amplitudes 1, 1/2, ...
  for (int o = 0; o < kOctaves; ++o)
    total += std::ldexp(1.0, -o);
  for (int r = 0; r < side; ++r) {
    for (int i = 0; i < side; ++i) {
      const double x = i / last;
      const double y = r / last;
      double z = 0;
      for (int o = 0; o < kOctaves; ++o) {
        const double lattice = 4.0 * std::ldexp(1.0, o);
        z += std::ldexp(1.0, -o) *
             ValueNoise(x * lattice, y * lattice, static_cast<std::uint32_t>(o));
      }
      points[static_cast<std::size_t>(r) * side + i] = {x, y, 0.1 + 0.8 * z / total};
    }
  }
  return points;
}

void LoadScene(TFormStatus& status, Scene scene, int side, bool allPasses) {
  cOpenGLGraph_Surface& surface = status.surface;
  switch (scene) {
    case Scene::kStartUp:
      break;
    case Scene::kVolume:
      status.volume.SetVolume(CountColours(PhotoImage(kVolumeSide)).release(), 64, 64, 64, true);
      break;
    case Scene::kHeightField:
      surface.SetGrid(BuildHeightField(PhotoImage(side)).release(), side, side, true);
      surface.values.source = HeightValues::Source::kPicture;
      break;
    case Scene::kSmoothField:
      surface.SetGrid(SmoothField(side).release(), side, side, true);
      break;
    case Scene::kFractalTerrain:
      surface.SetGrid(FractalTerrain(side).release(), side, side, true);
      break;
  }
  if (allPasses) {
    for (cOpenGLGraph_Data* object : {static_cast<cOpenGLGraph_Data*>(&status.line),
                                      static_cast<cOpenGLGraph_Data*>(&surface)}) {
      object->dispXY = object->dispYZ = object->dispZX = 1;
    }
  }
}

SceneView::SceneView(Scene scene, int side, bool allPasses) {
  panel.resize(kViewWidth, kViewHeight);
  if (!graph.Attach(&panel))
    return;
  graph.Resize(0, 0, kViewWidth, kViewHeight);
  status = std::make_unique<TFormStatus>(graph);
  LoadScene(*status, scene, side, allPasses);
}
