#include "sceneview.h"

#include <cmath>

#include "formats/colourcount.h"
#include "formats/heightfield.h"
#include "inputs.h"

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

namespace {

// A value in [0, 1) for lattice point (i, j) of octave o.
double LatticeValue(std::uint32_t i, std::uint32_t j, std::uint32_t o) {
  std::uint32_t h = i * 0x8da6b343u ^ j * 0xd8163841u ^ o * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return (h & 0xffffff) / 16777216.0;
}

// Value noise at (x, y) in lattice units: the lattice values blended with a
// smooth step, so that the slopes have no creases.
double ValueNoise(double x, double y, std::uint32_t o) {
  const double fx = std::floor(x), fy = std::floor(y);
  const auto i = static_cast<std::uint32_t>(fx), j = static_cast<std::uint32_t>(fy);
  const auto smooth = [](double t) { return t * t * (3 - 2 * t); };
  const double u = smooth(x - fx), v = smooth(y - fy);
  const double top = LatticeValue(i, j, o) * (1 - u) + LatticeValue(i + 1, j, o) * u;
  const double bottom = LatticeValue(i, j + 1, o) * (1 - u) + LatticeValue(i + 1, j + 1, o) * u;
  return top * (1 - v) + bottom * v;
}

}  // namespace

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
