#pragma once
// The triangles of a grid's strips that can cover a pixel centre. The
// renderer produces fragments only at pixel centres, so a triangle whose
// window bounding box holds none draws nothing at all: no colour, no depth.
// Leaving such triangles out changes no pixel, and when the grid's cells are
// smaller than a pixel most of them are such triangles.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/vec3.h"
#include "objects/windowmapping.h"

class CoveringTriangles {
 public:
  // Selects from the strips between neighbouring rows of the grid (columns x
  // rows points, point (r, i) at points[r * columns + i]) every triangle whose
  // window bounding box, widened by the mapping's margin, holds a pixel centre
  // of the viewport, and every triangle with a point beyond the mapping's
  // limit or its depth range or not finite. The selection keeps the order of
  // the strips and of the triangles in them, and each triangle's points in
  // the order its strip gives them (every second triangle wound the other
  // way); it holds the points' coordinates rounded to single precision, as
  // glVertex3f receives them. Reads every point once; large grids are split
  // over the cores. Keeps its buffers for the next call.
  // Returns false, with an empty selection, when the selection would take
  // more memory than the grid itself and 128 MiB: when that many triangles
  // are kept, drawing the strips is as fast and needs no memory. Throws
  // std::bad_alloc when a buffer cannot grow, leaving the selection empty.
  bool Select(const WindowMapping& mapping, const Vec3* points, std::uint32_t columns,
              std::uint32_t rows);

  // Sends the selected triangles from client arrays, each point's z also as
  // its 1-D texture coordinate; switches those arrays off again afterwards.
  void Draw() const;

  // The number of triangles selected.
  std::size_t Count() const;
  // The selected triangles' points in drawing order, x, y and z each.
  std::vector<float> Points() const;

 private:
  // The selection of one consecutive run of strips, made by one thread.
  struct Part {
    std::uint32_t first = 0;           // first strip of the run
    std::uint32_t next = 0;            // first strip of the run not yet selected
    std::uint32_t end = 0;             // strip after the run
    std::size_t used = 0;              // floats of points written
    std::vector<float> points;         // x, y, z of the selected triangles' points
    std::vector<std::int16_t> ranges;  // the pixel ranges of two rows of points
    std::vector<std::uint8_t> cells;   // which triangles of a strip's cells to keep
  };
  // Selects the rest of the part's strips, as long as its buffer has room for
  // a whole strip. Throws nothing.
  void Continue(Part& part) const noexcept;

  const Vec3* grid = nullptr;
  std::uint32_t columns = 0;
  WindowMapping mapping{};
  std::vector<Part> parts;
};
