#include "objects/surface.h"

#include <GL/gl.h>

#include <cassert>
#include <cstddef>
#include <new>
#include <utility>

#include "objects/adoptorcopy.h"
#include "objects/gridsample.h"
#include "objects/hillshade.h"

cOpenGLGraph_Surface::~cOpenGLGraph_Surface() {
  Clear();
}

void cOpenGLGraph_Surface::SetGrid(Vec3* points, std::uint32_t c, std::uint32_t r, bool adopt) {
  assert((!adopt || points == nullptr || points != vertices) &&
         "SetGrid given the surface's own array to adopt");
  // Two 32-bit counts cannot overflow the 64-bit product; the new expression
  // itself refuses a byte count beyond the address space.
  Vec3* kept = AdoptOrCopy(points, std::size_t{c} * r, adopt).release();
  Clear();
  columns = c;
  rows = r;
  vertices = kept;
}

void cOpenGLGraph_Surface::SetPresent(std::unique_ptr<std::uint8_t[]> p) {
  present = std::move(p);
  shadesStale = true;
}

void cOpenGLGraph_Surface::SetLevels(std::uint32_t n) {
  BuildBands(ramp, n, colourMap);
  if (n != 0)
    levels = n;
}

void cOpenGLGraph_Surface::SetColourMap(ColourMapKind kind) {
  BuildBands(ramp, levels, kind);
  colourMap = kind;
}

void cOpenGLGraph_Surface::SetPointColours(std::unique_ptr<std::uint8_t[]> colours) {
  pointColours = std::move(colours);
}

void cOpenGLGraph_Surface::SetLight(bool on, double azimuth, double altitude) {
  // Switched off, the shades stay for when it comes on again.
  if (azimuth != lightAzimuth || altitude != lightAltitude)
    shadesStale = true;
  light = on;
  lightAzimuth = azimuth;
  lightAltitude = altitude;
}

void cOpenGLGraph_Surface::SetZScale(double s) {
  if (s != zScale)
    shadesStale = true;
  zScale = s;
}

void cOpenGLGraph_Surface::MakeShades() {
  if (!light || !vertices || (shades && !shadesStale))
    return;
  shadesStale = false;
  const std::size_t n = std::size_t{columns} * rows;
  shades.reset();  // the old ones go before the new are made
  shades.reset(new (std::nothrow) std::uint8_t[n]);
  if (shades) {
    GridRef grid = Grid();
    grid.shades = nullptr;
    HillShade(grid, lightAzimuth, lightAltitude, shades.get());
  }
}

void cOpenGLGraph_Surface::Clear() {
  delete[] vertices;
  vertices = nullptr;
  columns = 0;
  rows = 0;
  present.reset();
  pointColours.reset();
  shades.reset();
  shadesStale = true;
  values = HeightValues();
  frame.Clear();
  sample = GridSample();
  sampleFrame.Clear();
}

GridRef cOpenGLGraph_Surface::Grid() const {
  GridRef grid;
  grid.points = vertices;
  grid.columns = columns;
  grid.rows = rows;
  grid.present = present.get();
  grid.colours = DrawsPointColours() ? pointColours.get() : nullptr;
  grid.shades = light ? shades.get() : nullptr;
  grid.zScale = zScale;
  return grid;
}

std::uint32_t cOpenGLGraph_Surface::PreviewStepNow() const {
  return columns < 2 || rows < 2 ? 1 : PreviewStep(columns - 1, rows - 1, 1, previewTriangles);
}

void cOpenGLGraph_Surface::PlanDraw() {
  if (vertices && PreviewStepNow() == 1)
    frame.Plan(culling);
}

void cOpenGLGraph_Surface::Draw() {
  if (!vertices)
    return;
  MakeShades();
  const GridRef grid = Grid();
  const std::uint32_t step = PreviewStepNow();
  if (step > 1) {
    try {
      DrawGrid(SampleGrid(grid, step, sample), sampleFrame);
      return;
    } catch (const std::bad_alloc&) {
      // Too little memory for a sample: the whole grid is slower, not wrong.
    }
  }
  DrawGrid(grid, frame);
}

void cOpenGLGraph_Surface::DrawGrid(const GridRef& grid, GridFrame& selection) {
  // In their own colours the points have no bands.
  if (!DrawsPointColours())
    ramp.Upload();
  SetGlColour(colour);
  sent = selection.Draw(grid, culling);
  glDisable(GL_TEXTURE_1D);
}
