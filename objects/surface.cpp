#include "objects/surface.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "base/colourscale.h"
#include "objects/adoptorcopy.h"
#include "objects/gridsample.h"
#include "objects/hillshade.h"
#include "objects/levelwindow.h"

std::uint64_t cOpenGLGraph_Surface::NextDataStamp() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

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
  ++generation;
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

void cOpenGLGraph_Surface::SetLight(bool on, const LightSource& source) {
  // Switched off, the shades stay for when it comes on again.
  if (source.azimuth != lightSource.azimuth || source.altitude != lightSource.altitude ||
      source.allSides != lightSource.allSides)
    shadesStale = true;
  light = on;
  lightSource = source;
}

void cOpenGLGraph_Surface::SetZScale(double s) {
  if (s != zScale)
    shadesStale = true;
  zScale = s;
}

void cOpenGLGraph_Surface::SetColourScale(double zLow, double zHigh, bool log) {
  // Every change of the look sets the scale again: the logarithms of a large
  // grid are not worked out again for the same one.
  if (zLow == scaleLow && zHigh == scaleHigh && log == scaleLog && (!log || logTexture))
    return;
  const double keptLow = scaleLow, keptHigh = scaleHigh;
  const bool keptLog = scaleLog;
  scaleLow = zLow;
  scaleHigh = zHigh;
  scaleLog = log;
  try {
    MakeLogTexture();
  } catch (const std::bad_alloc&) {
    scaleLow = keptLow;
    scaleHigh = keptHigh;
    scaleLog = keptLog;
    throw;
  }
}

void cOpenGLGraph_Surface::BandColourAt(double z, std::uint8_t rgb[3]) const {
  double t = z;
  if (scaleLog) {
    t = ColourScale{values.ValueOf(scaleLow), values.ValueOf(scaleHigh), true}.Position(
        values.ValueOf(z));
  } else if (!ColourScaleIsFull()) {
    t = ColourScale{scaleLow, scaleHigh, false}.Position(z);
  }
  const std::uint8_t* e = ramp.Entries() + 4 * GridRef::NearestBand(t, ramp.Size());
  const double tint[3] = {colour.red, colour.green, colour.blue};
  for (int c = 0; c < 3; ++c)
    rgb[c] = static_cast<std::uint8_t>(std::lround(e[c] * std::clamp(tint[c], 0.0, 1.0)));
}

void cOpenGLGraph_Surface::MakeLogTexture() {
  logTexture.reset();
  if (!scaleLog || !vertices)
    return;
  const std::size_t n = std::size_t{columns} * rows;
  std::unique_ptr<float[]> made(new float[n]);
  const ColourScale scale{values.ValueOf(scaleLow), values.ValueOf(scaleHigh), true};
  for (std::size_t k = 0; k < n; ++k)
    made[k] = static_cast<float>(scale.Position(values.ValueOf(vertices[k].z)));
  logTexture = std::move(made);
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
    HillShade(grid, lightSource, shades.get());
  }
}

void cOpenGLGraph_Surface::SetLevelsOfDetail(std::shared_ptr<HeightLevels> l) {
  Clear();
  detailLevels = std::move(l);
}

std::array<std::uint32_t, 2> cOpenGLGraph_Surface::RasterCell(std::uint32_t column,
                                                              std::uint32_t row) const {
  if (!detailLevels)
    return {column, row};
  const auto at = [&](std::uint32_t index, std::uint32_t count) {
    return static_cast<std::uint32_t>(std::floor(LevelCellCentre(held.level, index, count)));
  };
  return {at(held.column + column, detailLevels->Columns()),
          at(held.row + row, detailLevels->Rows())};
}

// The largest grid a pass of a raster at levels is drawn from (8 M cells,
// 200 MB of points): the view's pixels, and where steep relief in front may
// rise into the view, the cells that it may show, at a coarser level where
// they are more.
constexpr std::uint64_t kMaxWindowCells = std::uint64_t{1} << 23;
// Each round narrows the heights and with them the window; three take most
// of what there is to take.
constexpr int kWindowRounds = 3;

bool cOpenGLGraph_Surface::FollowLevels() {
  const std::optional<WindowMapping> mapping = CurrentWindowMapping();
  const std::uint32_t c = detailLevels->Columns();
  const std::uint32_t r = detailLevels->Rows();
  LevelWindow need;
  if (mapping) {
    // The cells that may show at any height first; then, again and again,
    // those that may show at the heights found among them, which only the
    // cells found already can have.
    double low = 0.0, high = 1.0;
    for (int round = 0; round < kWindowRounds; ++round) {
      need =
          NeededWindow(*mapping, c, r, detailLevels->LevelCount(), zScale, low, high, UINT64_MAX);
      if (need.columns == 0)
        return false;
      const auto [below, above] = detailLevels->HeightRange(AtLevel(need, 0, c, r));
      if (below > above)
        break;
      low = below;
      high = above;
    }
    need = NeededWindow(*mapping, c, r, detailLevels->LevelCount(), zScale, low, high,
                        kMaxWindowCells);
    if (need.columns == 0)
      return false;
  } else {
    // Drawn where nothing can be told of the pass: the whole raster, coarse.
    const int top = detailLevels->LevelCount() - 1;
    need = {top, 0, 0, LevelCells(top, c), LevelCells(top, r)};
  }
  const bool fresh = heldFinal || detailLevels->Arrivals() == heldArrivals;
  if (held.level >= 0 && fresh) {
    // The faces across x and y see cells smaller than 3-D does: the finer
    // grid that 3-D needs serves them too.
    const bool finerServes = held.level < need.level && mapping && FlattensAcross(*mapping);
    if (held.level == need.level || finerServes) {
      if (Holds(held, AtLevel(need, held.level, c, r)))
        return true;
    }
  }
  if (held.level >= 0 && held.level < need.level && mapping && FlattensAcross(*mapping)) {
    // Within the bound, so that the next 3-D pass finds its level held.
    const LevelWindow finer = AtLevel(need, held.level, c, r);
    if (std::uint64_t{finer.columns} * finer.rows <= kMaxWindowCells)
      need = finer;
  }
  if (held.level == need.level) {
    // Passes of one frame see overlapping windows: their union is made once,
    // unless it is much larger than what this pass needs.
    const std::uint32_t x0 = std::min(held.column, need.column);
    const std::uint32_t y0 = std::min(held.row, need.row);
    const std::uint32_t x1 = std::max(held.column + held.columns, need.column + need.columns);
    const std::uint32_t y1 = std::max(held.row + held.rows, need.row + need.rows);
    const LevelWindow both{need.level, x0, y0, x1 - x0, y1 - y0};
    if (std::uint64_t{both.columns} * both.rows <= 2 * std::uint64_t{need.columns} * need.rows)
      need = both;
  }
  TakeWindow(need);
  return vertices != nullptr;
}

void cOpenGLGraph_Surface::TakeWindow(const LevelWindow& window) {
  const std::size_t n = std::size_t{window.columns} * window.rows;
  const std::uint64_t arrivals = detailLevels->Arrivals();
  std::unique_ptr<Vec3[]> points(new (std::nothrow) Vec3[n]);
  if (!points)
    return;  // the grid held stays, coarser or elsewhere, rather than none
  // The heights straight into the points: the window is never held twice.
  const bool final = detailLevels->Fill(window, &points[0].z, 3);
  const std::uint32_t c = detailLevels->Columns();
  const std::uint32_t r = detailLevels->Rows();
  // As the grids read whole place their points, so that where the level is
  // the raster itself they are the same.
  const auto unit = [](double centre, std::uint32_t count) {
    return static_cast<double>(static_cast<long double>(centre) /
                               (static_cast<long double>(count) - 1.0L));
  };
  std::vector<double> xs(window.columns);
  for (std::uint32_t i = 0; i < window.columns; ++i)
    xs[i] = unit(LevelCellCentre(window.level, window.column + i, c), c);
  std::unique_ptr<std::uint8_t[]> there;
  for (std::uint32_t j = 0; j < window.rows; ++j) {
    const double y = unit(LevelCellCentre(window.level, window.row + j, r), r);
    for (std::uint32_t i = 0; i < window.columns; ++i) {
      const std::size_t k = std::size_t{j} * window.columns + i;
      Vec3& p = points[k];
      const bool has = !std::isnan(p.z);
      if (!has && !there) {
        there.reset(new (std::nothrow) std::uint8_t[n]);
        if (!there)
          return;
        std::fill(there.get(), there.get() + n, std::uint8_t{1});
      }
      if (there)
        there[k] = has ? 1 : 0;
      p = Vec3{xs[i], y, has ? p.z : 0.0};
    }
  }
  delete[] vertices;
  vertices = points.release();
  columns = window.columns;
  rows = window.rows;
  present = std::move(there);
  shades.reset();
  shadesStale = true;
  ++generation;
  held = window;
  heldFinal = final;
  heldArrivals = arrivals;
  try {
    MakeLogTexture();
  } catch (const std::bad_alloc&) {
    // Without memory for them the window is drawn in linear colours.
  }
}

void cOpenGLGraph_Surface::Clear() {
  ++generation;
  drawnContours = nullptr;
  delete[] vertices;
  vertices = nullptr;
  columns = 0;
  rows = 0;
  present.reset();
  pointColours.reset();
  shades.reset();
  shadesStale = true;
  values = HeightValues();
  // New data: a span of the old one's heights would mean nothing.
  scaleLow = 0.0;
  scaleHigh = 1.0;
  scaleLog = false;
  logTexture.reset();
  dataStamp = NextDataStamp();
  frame.Clear();
  sample = GridSample();
  sampleFrame.Clear();
  detailLevels.reset();
  held = LevelWindow{-1, 0, 0, 0, 0};
  heldFinal = false;
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
  grid.texture = logTexture.get();
  // In their own colours the points have no bands.
  if (!DrawsPointColours()) {
    grid.bands = ramp.Entries();
    grid.bandCount = ramp.Size();
    if (!scaleLog && !ColourScaleIsFull()) {
      grid.bandLow = scaleLow;
      grid.bandHigh = scaleHigh;
    }
  }
  return grid;
}

std::uint32_t cOpenGLGraph_Surface::PreviewStepNow() const {
  return columns < 2 || rows < 2 ? 1 : PreviewStep(columns - 1, rows - 1, 1, previewTriangles);
}

void cOpenGLGraph_Surface::PlanDraw() {
  if (detailLevels && !FollowLevels())
    return;
  if (!vertices || PreviewStepNow() != 1)
    return;
  const bool offset = ContoursInThisPass();
  if (offset)
    BeginOffset();
  frame.Plan(culling);
  if (offset)
    EndOffset();
}

float cOpenGLGraph_Surface::BeginOffset() {
  GLfloat width = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  const auto [factor, units] = SurfaceContours::SurfaceOffset(width);
  glPolygonOffset(factor, units);
  glEnable(GL_POLYGON_OFFSET_FILL);
  return width;
}

void cOpenGLGraph_Surface::EndOffset() {
  glDisable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(0.0f, 0.0f);
}

bool cOpenGLGraph_Surface::ContoursInThisPass() const {
  return contours.On() && SurfaceContours::ShowsInThisPass();
}

void cOpenGLGraph_Surface::Draw() {
  if (detailLevels && !FollowLevels())
    return;
  if (!vertices)
    return;
  if (detailLevels && !heldFinal)
    ++coarseDraws;
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
  if (!ContoursInThisPass()) {
    DrawGrid(grid, frame);
    return;
  }
  const float width = BeginOffset();
  DrawGrid(grid, frame);
  EndOffset();
  drawnContours = contours.LinesOf(grid, values, generation);
  if (drawnContours)
    contours.Draw(*drawnContours, zScale, width);
}

void cOpenGLGraph_Surface::DrawGrid(const GridRef& grid, GridFrame& selection) {
  // In their own colours the points have no bands.
  if (!DrawsPointColours())
    ramp.Upload();
  SetGlColour(colour);
  // The light's brightening is added after the bands' colour (the secondary
  // colour), its darkening multiplies it with the vertex colour.
  if (grid.shades)
    glEnable(GL_COLOR_SUM);
  // A linear span is the coordinate the renderer makes from the vertex's
  // object z, which stays the drawn z in the flattened passes; the full span
  // keeps the plain coordinates, and with them the pictures, exactly.
  const bool generated = !grid.texture && !ColourScaleIsFull() && !scaleLog;
  if (generated) {
    const double span = scaleHigh - scaleLow;
    const GLdouble plane[4] = {0.0, 0.0, span == 0.0 ? 0.0 : 1.0 / (span * zScale),
                               span == 0.0 ? 0.5 : -scaleLow / span};
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGendv(GL_S, GL_OBJECT_PLANE, plane);
    glEnable(GL_TEXTURE_GEN_S);
  }
  sent = selection.Draw(grid, culling);
  if (generated)
    glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_COLOR_SUM);
  glDisable(GL_TEXTURE_1D);
}
