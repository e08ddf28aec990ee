#pragma once
// cOpenGLGraph_Surface: a grid of points, row after row, drawn as triangle
// strips between neighbouring rows and shaded in grey bands by height: each
// vertex's data z is its 1-D texture coordinate into the ramp, looked up per
// pixel, so band borders run through the triangles as contour lines. In the
// flattened passes the bands stay, because the coordinate is the point's own
// z and not its flattened position.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/heightlevels.h"
#include "base/heightvalues.h"
#include "base/vec3.h"
#include "culling/coveringtriangles.h"
#include "culling/gridframe.h"
#include "objects/colour.h"
#include "objects/colourmaps.h"
#include "objects/contours.h"
#include "objects/graphdata.h"
#include "objects/greyramp.h"
#include "objects/gridsample.h"
#include "objects/hillshade.h"

class cOpenGLGraph_Surface : public cOpenGLGraph_Data {
 public:
  cOpenGLGraph_Surface() = default;
  // Frees the grid and the ramp.
  ~cOpenGLGraph_Surface();
  // The surface owns its array; a copy would free it twice.
  cOpenGLGraph_Surface(const cOpenGLGraph_Surface&) = delete;
  cOpenGLGraph_Surface& operator=(const cOpenGLGraph_Surface&) = delete;

  // Replaces the grid with columns x rows points, point (r, i) at
  // points[r * columns + i]. The ramp is kept.
  // adopt set: the surface keeps points itself (allocated with
  // new Vec3[columns * rows]) and frees it with delete[]; the caller must
  // neither touch nor free it afterwards. Throws nothing.
  // adopt clear: the surface copies the points into a new array of its own
  // and the caller keeps its array. The copy is made before the old grid
  // goes: if it cannot be allocated, std::bad_alloc is thrown and the surface
  // is unchanged.
  // points must not be the array the surface holds when adopt is set.
  void SetGrid(Vec3* points, std::uint32_t columns, std::uint32_t rows, bool adopt);

  // Shows the largest power of two not above levels as bands (opaque ramp,
  // in the colour map's colours); 0 changes nothing. Throws std::bad_alloc,
  // keeping the previous bands, when the new table cannot be allocated.
  void SetLevels(std::uint32_t levels);

  // The bands' colours (colourmaps.h), for the band count given last. With
  // kPicture a surface that has its points' colours (SetPointColours) draws
  // each point in its own colour and no bands; one without draws grey bands.
  // Throws std::bad_alloc, keeping the previous map, when the new table
  // cannot be allocated.
  void SetColourMap(ColourMapKind kind);
  ColourMapKind ColourMap() const { return colourMap; }
  // Whether the points are drawn in their own colours now.
  bool DrawsPointColours() const { return colourMap == ColourMapKind::kPicture && pointColours; }

  // The colour the bands give a point at height z (the picture's colours
  // aside): its band's colour under the colour scale, times the surface's
  // colour, unlit. Throws nothing.
  void BandColourAt(double z, std::uint8_t rgb[3]) const;

  // The colour of each point of the grid, three bytes (red, green, blue) a
  // point, taken over; null for none, as after SetGrid. Throws nothing.
  void SetPointColours(std::unique_ptr<std::uint8_t[]> colours);

  // Hill-shading (hillshade.h) of the grid under source; off at first. The
  // shades are made at the next lit Draw after the grid, the light or the
  // vertical scale changed, never at every frame, and kept while the light
  // is off; without memory for them the surface is drawn unlit. Throws
  // nothing.
  void SetLight(bool on, const LightSource& source = LightSource());

  // Heights drawn scaled by s about z = 0 (1 at first); the bands still
  // follow the heights themselves. Throws nothing.
  void SetZScale(double s);
  double ZScale() const { return zScale; }

  // The heights the bands span: zLow at the first band's bottom, zHigh at the
  // last one's top, heights outside in the end bands; with log the bands
  // are equal in the logarithm of the values (values.ValueOf) the heights
  // stand for, which needs ValueOf(zLow) > 0. (0, 1, false), as after Clear,
  // is the bands as they always were. Throws std::bad_alloc, keeping the
  // previous span, when the logarithmic coordinates cannot be allocated.
  void SetColourScale(double zLow, double zHigh, bool log);
  bool ColourScaleIsFull() const { return scaleLow == 0.0 && scaleHigh == 1.0 && !scaleLog; }
  // A number that changes whenever the data goes (Clear) and that no other
  // surface's data ever had: what is worked out from the data is kept under
  // it.
  std::uint64_t DataStamp() const { return dataStamp; }

  // Marks which points of the grid have a value: present holds one byte a
  // point, 0 for a missing one, and the surface takes it over. No triangle
  // with a missing point is drawn. Null: every point has one, as after
  // SetGrid. Throws nothing.
  void SetPresent(std::unique_ptr<std::uint8_t[]> present);

  // Draws a raster too large to hold as one grid from its levels of detail
  // (heightlevels.h), in place of a grid of its own: at every draw the grid
  // is the level and window of cells that the pass needs (levelwindow.h),
  // made anew when those change or tiles came for it, so that vertices,
  // columns, rows and Grid() are what was drawn last. Replaces the grid;
  // values stay to be set. Throws nothing.
  void SetLevelsOfDetail(std::shared_ptr<HeightLevels> levels);
  HeightLevels* LevelsOfDetail() const { return detailLevels.get(); }
  // The same, shared: for work on another thread that must outlive a load.
  std::shared_ptr<HeightLevels> SharedLevels() const { return detailLevels; }
  // How many draws with levels drew cells that their level still lacked in
  // place of a coarser level's: a frame that adds none shows the final
  // detail (Copy, Save and files wait for one).
  std::uint64_t CoarseDraws() const { return coarseDraws; }
  // The raster's own cell that point (column, row) of the grid as drawn
  // stands for (the middle one of those it averages).
  std::array<std::uint32_t, 2> RasterCell(std::uint32_t column, std::uint32_t row) const;
  // The data's columns and rows: with levels the raster's own, else the
  // grid's.
  std::uint32_t DataColumns() const { return detailLevels ? detailLevels->Columns() : columns; }
  std::uint32_t DataRows() const { return detailLevels ? detailLevels->Rows() : rows; }

  // Contour lines over the surface (contours.h), in the 3-D picture and on
  // the XY face, for the full picture only; off at first. With them on the
  // surface lies a little behind its lines. Throws nothing.
  void SetContours(ContourSettings settings) {
    drawnContours = nullptr;
    contours.Set(std::move(settings));
  }
  // The lines the last full picture drew; null for none.
  const ContourLines* Contours() const { return drawnContours; }
  // Why lines that are on were not drawn; empty when they were.
  const QString& ContourProblem() const { return contours.Problem(); }

  // Frees the grid, if any, what its points carry and the buffers its drawing
  // kept, and any levels of detail; afterwards vertices is null, columns and
  // rows are 0 and values says nothing. The bands stay.
  void Clear();

  // The grid as drawn: the points and what they carry. The shades are those
  // of the last Draw.
  GridRef Grid() const;

  // Nothing at all while vertices is null. Otherwise loads the ramp, draws the
  // strips in colour modulated by the bands, and switches 1-D texturing off
  // again. Blending stays off; the view's depth test applies. Unless culling
  // is kNone, only the strips' triangles that the picture needs are sent
  // (CoveringTriangles), which gives the same picture; with kHidden the
  // draws announced by PlanDraw are selected together.
  // A preview (previewTriangles set and exceeded) draws the same way every
  // step-th row and column of the grid, the last ones included, so that the
  // preview reaches the grid's corners and shows its bands where the full
  // picture has them. Throws nothing: a sample that cannot be allocated
  // draws the whole grid.
  void Draw() override;
  // The full picture's draws are selected as one frame; previews select each
  // draw alone.
  void PlanDraw() override;
  bool DrawsOpaque() const override { return true; }

  // The number of triangles the last Draw sent to the renderer.
  std::size_t SentTriangles() const { return sent; }

  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  Vec3* vertices = nullptr;  // owned; at least columns * rows points while non-null
  Colour colour{1.0, 1.0, 1.0, 1.0};
  GreyRamp ramp;  // one opaque white entry until SetLevels
  // kNone: every triangle of the strips is sent, as the tests' and the
  // benchmarks' reference picture; kBoundingBox, the selection of renderers
  // whose rules are not known, as the benchmarks' other reference.
  Culling culling = Culling::kHidden;
  // What the heights stand for; the loaders set it with the grid.
  HeightValues values;

 private:
  // With levels: makes the grid the level and window that this pass needs,
  // unless the one held serves it. False when nothing of the raster can show
  // in this pass.
  bool FollowLevels();
  // Makes the grid window's cells of the levels.
  void TakeWindow(const LevelWindow& window);

  // The step of the preview that Draw draws, 1 for the full grid.
  std::uint32_t PreviewStepNow() const;
  void DrawGrid(const GridRef& grid, GridFrame& selection);

  // The shades of the grid under the light, made when stale.
  void MakeShades();
  // Whether this pass of the full picture draws contour lines.
  bool ContoursInThisPass() const;
  // The surface pushed behind its contour lines, which are as wide as the
  // lines of the moment (returned), and back.
  static float BeginOffset();
  static void EndOffset();
  // Each point's logarithmic coordinate into the bands, for the grid held.
  // Throws std::bad_alloc.
  void MakeLogTexture();

  std::unique_ptr<std::uint8_t[]> present;  // null: every point has a value
  std::unique_ptr<std::uint8_t[]> pointColours;
  std::uint32_t levels = 0;  // given last; 0: never
  ColourMapKind colourMap = ColourMapKind::kGrey;
  bool light = false;
  LightSource lightSource;
  double zScale = 1.0;
  std::unique_ptr<std::uint8_t[]> shades;  // null while unlit or stale
  double scaleLow = 0.0;
  double scaleHigh = 1.0;
  bool scaleLog = false;
  std::unique_ptr<float[]> logTexture;  // with scaleLog, one a point
  std::uint64_t dataStamp = NextDataStamp();
  static std::uint64_t NextDataStamp();
  bool shadesStale = true;
  GridFrame frame;
  // The last preview's sample of the grid and its selection, apart from the
  // full grid's so that neither regrows the other's buffers at every switch.
  GridSample sample;
  GridFrame sampleFrame;
  std::size_t sent = 0;
  std::shared_ptr<HeightLevels> detailLevels;
  LevelWindow held{-1, 0, 0, 0, 0};  // the window the grid holds; level -1: none
  bool heldFinal = false;
  std::uint64_t heldArrivals = 0;  // the levels' arrivals when it was made
  std::uint64_t coarseDraws = 0;
  // Counts the grids the surface held, so that what was made from one is
  // never taken for another's.
  std::uint64_t generation = 0;
  SurfaceContours contours;
  const ContourLines* drawnContours = nullptr;
};
