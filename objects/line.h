#pragma once
// cOpenGLGraph_Line: a polyline through a packed array of points, drawn in one
// colour. Its owner may overwrite coordinates of vertices in place between
// redraws; Draw always shows what the array holds at that moment.

#include <cstdint>

#include "base/vec3.h"
#include "objects/colour.h"
#include "objects/graphdata.h"

class cOpenGLGraph_Line : public cOpenGLGraph_Data {
 public:
  cOpenGLGraph_Line() = default;
  // Frees the points.
  ~cOpenGLGraph_Line();
  // The line owns its array; a copy would free it twice.
  cOpenGLGraph_Line(const cOpenGLGraph_Line&) = delete;
  cOpenGLGraph_Line& operator=(const cOpenGLGraph_Line&) = delete;

  // Replaces the points with count points from points.
  // adopt set: the line keeps points itself (allocated with new Vec3[count])
  // and frees it with delete[]; the caller must neither touch nor free it
  // afterwards. Throws nothing.
  // adopt clear: the line copies the points into a new Vec3[count] of its own
  // (non-null even for count 0) and the caller keeps its array. The copy is
  // made before the old points go: if it cannot be allocated, std::bad_alloc
  // is thrown and the line is unchanged.
  // points must not be the array the line holds when adopt is set.
  void SetVertices(Vec3* points, std::uint32_t count, bool adopt);

  // Frees the points, if any; afterwards vertices is null and count 0.
  void Clear();

  // A line strip through the points in colour; nothing at all, not even a
  // colour change, while vertices is null. Sets no other state.
  void Draw() override;
  // Opaque, with the view's depth test.
  bool DrawsOpaque() const override { return true; }

  std::uint32_t count = 0;
  Vec3* vertices = nullptr;  // owned; at least count points while non-null
  Colour colour{1.0, 1.0, 1.0, 1.0};
};
