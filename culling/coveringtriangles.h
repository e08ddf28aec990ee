#pragma once
// The triangles of a grid's strips that a frame needs. The renderer produces
// fragments only at pixel centres, so a triangle whose window bounding box
// holds none draws nothing at all: no colour, no depth. Leaving such
// triangles out changes no pixel, and when the grid's cells are smaller than
// a pixel most of them are such triangles. Where the renderer's rules are
// known (RasterRules), so is every triangle that covers no centre, and every
// one whose fragments all lose the depth test to, or are painted over by,
// certainly nearer fragments of the same frame: those go too.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "base/gridref.h"
#include "culling/nearestdepths.h"
#include "culling/trianglebounds.h"
#include "culling/windowmapping.h"

// How much a selection leaves out.
enum class Culling : std::uint8_t {
  kNone,         // nothing: every strip whole
  kBoundingBox,  // triangles whose widened window bounding box holds no pixel centre
  kHidden,       // also, where the rules are known, those whose fragments no pixel keeps
};

class CoveringTriangles {
 public:
  // A selection may take, for each draw of a frame, as much memory as the
  // grid's points, or memoryFloor bytes if that is more.
  explicit CoveringTriangles(std::size_t memoryFloor = std::size_t{128} << 20)
      : memoryFloor(memoryFloor) {}

  // Selects the triangles to send in each of a frame's draws of grid: frame[k]
  // is the mapping of the k-th, in drawing order. Of the strips between
  // neighbouring rows of the grid, draw k keeps the triangles whose points all
  // have values and
  // - whose window bounding box, each point widened by its margin under
  //   frame[k], holds a pixel centre of the viewport, and every such triangle
  //   with a point beyond the mapping's limit (not finite, or outside the
  //   depth range);
  // - with kHidden and rules kCoverage or better, of those only the ones that
  //   may cover a pixel centre, and with kCoverageAndDepth only the ones that
  //   may cover a centre where no triangle of a draw with such rules covers
  //   for certain with a fragment certainly nearer.
  // The second leaves out fragments that lose the depth test or that nearer
  // ones replace later, which changes neither the picture nor the depth
  // buffer provided that every draw of frame happens, with the matrices and
  // state that the mappings were taken from, and that whatever else is drawn
  // from the first to the last of them replaces colour and depth where it
  // passes the depth test (nothing blended).
  //
  // Each draw's triangles reach the renderer in the strips' order, each with
  // its points in the order its strip gives them (every second triangle wound
  // the other way), with the coordinates, texture coordinate and vertex colour
  // that SendStrips gives them. Reads every point once per draw, and the kept
  // triangles once more; large grids are selected on all cores. A run of
  // strips that keeps more than 7/8 of its triangles, or whose kept triangles
  // would take more than the memory allowed, is sent as its strips instead:
  // with that many kept, the strips draw about as fast or faster. Keeps its
  // buffers for the next frame. Throws nothing.
  void Select(std::span<const WindowMapping> frame, const GridRef& grid, Culling culling);

  // Sends draw k's selection of the last Select. Needs a current context;
  // throws nothing.
  void Send(std::size_t draw) const;
  // The number of triangles that Send(draw) sends.
  std::size_t Count(std::size_t draw) const;
  // Their points in sending order, x, y and z each, as the renderer gets them.
  std::vector<float> Points(std::size_t draw) const;

 private:
  // One run of consecutive strips of one draw, selected by one thread.
  struct Part {
    std::size_t draw = 0;
    std::uint32_t first = 0;  // first strip of the run
    std::uint32_t end = 0;    // strip after the run
    // Selected from the last strip down (the run's near end first), the
    // strips written before the ones already there, from the buffer's end.
    bool backward = false;
    // The strip to select next, or past the last one selected backwards:
    // strips first ... next - 1 are left.
    std::uint32_t next = 0;
    bool strips = false;               // sent as its strips, not selected
    std::size_t offset = 0;            // where the points written start
    std::size_t used = 0;              // floats of points written
    std::vector<float> points;         // the selected triangles' points (WritePoint)
    std::vector<std::int16_t> ranges;  // the pixel ranges of two rows of points
    std::vector<float> window;         // the window places of two rows of points
    std::vector<std::uint8_t> cells;   // which triangles of a strip's cells to keep
    std::unique_ptr<TriangleBatch> batch;
  };
  // How each draw is selected.
  struct Draw {
    WindowMapping mapping{};
    Culling culling = Culling::kNone;
    bool depth = false;  // its triangles hide and are hidden
    PassBounds bounds{};
  };

  // Splits every draw's strips into parts and readies their buffers. Throws
  // std::bad_alloc.
  void Prepare(std::span<const WindowMapping> frame);
  // Orders the parts for selecting: the frame's draws from the last, each
  // draw's parts from the one nearest the eye.
  void NearFirst(std::span<const WindowMapping> frame);
  // Selects the rest of the part's strips as long as its buffer has room for
  // a whole strip, lowering nearest where its triangles cover for certain.
  // Throws nothing; any thread.
  void Continue(Part& part, NearestDepths* nearest) const noexcept;
  // Clears the marks of the strip's candidates that cover no centre.
  void DropUncovering(Part& part, RowWindow lower, RowWindow upper, NearestDepths* nearest) const;
  // Drops, of the part's selection, the triangles that nearest shows hidden.
  void DropHidden(Part& part, NearestDepths& nearest) const noexcept;
  // Gives the part room for more, or makes it a run of strips when that
  // would take too much. Calling thread only; throws nothing.
  void Grow(Part& part) noexcept;
  void SendPart(const Part& part) const;
  // The triangles of strips first ... end - 1 whose points all have values.
  std::size_t Drawable(std::uint32_t first, std::uint32_t end) const;
  // Floats of one strip's triangles, all kept, and of one triangle.
  std::size_t PerStrip() const;
  std::size_t PerTriangle() const;
  static bool Finished(const Part& part) {
    return part.backward ? part.next == part.first : part.next == part.end;
  }

  std::size_t memoryFloor;
  GridRef grid;
  std::size_t budget = 0;  // floats the parts of a draw may hold together
  std::vector<Draw> draws;
  std::vector<Part> parts;             // every draw's, in drawing order
  std::vector<std::size_t> order;      // of the parts, for selecting
  std::vector<NearestDepths> nearest;  // one per thread; the first gathers them
  std::uint32_t wholeStrips = 0;       // sent as strips, with no parts, when Prepare failed
};
