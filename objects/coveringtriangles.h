#pragma once
// The triangles of a grid's strips that can cover a pixel centre. The
// renderer produces fragments only at pixel centres, so a triangle whose
// window bounding box holds none draws nothing at all: no colour, no depth.
// Leaving such triangles out changes no pixel, and when the grid's cells are
// smaller than a pixel most of them are such triangles.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "objects/gridref.h"
#include "objects/windowmapping.h"

class CoveringTriangles {
 public:
  // A selection may take as much memory as the grid's points, or
  // memoryFloor bytes if that is more.
  explicit CoveringTriangles(std::size_t memoryFloor = std::size_t{128} << 20)
      : memoryFloor(memoryFloor) {}

  // Sends, of the strips between neighbouring rows of the grid, every
  // triangle whose points all have values and whose window bounding box, each
  // point widened by its margin under mapping, holds a pixel centre of the
  // viewport, and every such triangle with a point beyond the mapping's limit
  // (not finite, or outside the depth range). The triangles reach the
  // renderer in the strips' order, each with its points in the order its
  // strip gives them (every second triangle wound the other way), with the
  // coordinates, texture coordinate and vertex colour that SendStrips gives
  // them. The picture is the one SendStrips gives.
  //
  // Reads every point once; large grids are selected on all cores. A run of
  // strips that keeps more than 7/8 of its triangles, or whose kept triangles
  // would take more than its share of the memory allowed, is sent as its
  // strips instead: with that many kept, the strips draw about as fast or
  // faster. Keeps its buffers for the next call. Needs a current context;
  // throws nothing.
  void Send(const WindowMapping& mapping, const GridRef& grid);

  // Selects as Send does, without a context and without sending.
  void Select(const WindowMapping& mapping, const GridRef& grid);

  // The number of triangles the last Send or Select sent or selected.
  std::size_t Count() const;
  // Their points in sending order, x, y and z each, as the renderer gets them.
  std::vector<float> Points() const;

 private:
  // One run of consecutive strips, selected by one thread.
  struct Part {
    std::uint32_t first = 0;           // first strip of the run
    std::uint32_t next = 0;            // first strip of the run not yet selected
    std::uint32_t end = 0;             // strip after the run
    bool strips = false;               // sent as its strips, not selected
    std::size_t used = 0;              // floats of points written
    std::vector<float> points;         // the selected triangles' points (VertexLayout)
    std::vector<std::int16_t> ranges;  // the pixel ranges of two rows of points
    std::vector<std::uint8_t> cells;   // which triangles of a strip's cells to keep
  };

  // Selects every part, then sends them in order if send is set. Throws
  // nothing.
  void Run(const WindowMapping& mapping, const GridRef& grid, bool send);
  // Splits the grid into parts and readies their buffers. Throws
  // std::bad_alloc.
  void Prepare(std::uint32_t rows);
  // Selects the rest of the part's strips as long as its buffer has room for
  // a whole strip. Throws nothing; any thread.
  void Continue(Part& part) const noexcept;
  // Gives the part room until it is selected, or makes it a run of strips
  // when it would take too much or keeps nearly all. Calling thread only;
  // throws nothing.
  void Finish(Part& part) noexcept;
  void SendPart(const Part& part) const;
  // The triangles of strips first ... end - 1 whose points all have values.
  std::size_t Drawable(std::uint32_t first, std::uint32_t end) const;

  // Floats a selected point takes: x, y and the drawn z; the texture
  // coordinate when it differs from the drawn z; the vertex colour when there
  // is one.
  std::size_t FloatsPerPoint() const {
    return 3 + (grid.zScale != 1.0 ? 1 : 0) + (grid.VertexColours() ? 3 : 0);
  }

  std::size_t memoryFloor;
  GridRef grid;
  WindowMapping mapping{};
  std::size_t capacity = 0;  // floats a part may hold
  std::vector<Part> parts;
  std::uint32_t wholeStrips = 0;  // sent as strips, with no parts, when Prepare failed
};
