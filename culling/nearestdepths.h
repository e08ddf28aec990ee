#pragma once
// Per pixel centre of a view, an upper bound on the depth that the pixel
// will hold once a frame is drawn: the least, over the triangles known to
// cover the centre, of the most their fragment there can weigh.

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

class NearestDepths {
 public:
  // Extra rows at the end of every column, so that eight rows may be read and
  // written back from any centre of the column on.
  static constexpr int kPad = 8;

  // Unbounded everywhere, for a view of width x height pixels. Throws
  // std::bad_alloc.
  void Reset(int width, int height) {
    stride = static_cast<std::size_t>(height) + kPad;
    depths.assign(stride * static_cast<std::size_t>(width), kNone);
  }
  // The bound of every centre lowered to other's where that is lower; both
  // of one size.
  void Lower(const NearestDepths& other) {
    for (std::size_t k = 0; k < depths.size(); ++k)
      depths[k] = std::min(depths[k], other.depths[k]);
  }
  // The column of centres X = column (1 ... width), row Y = r + 1 at [r]: a
  // column after the other, so that tall thin triangles walk memory in order.
  float* Column(int column) {
    return depths.data() + stride * static_cast<std::size_t>(column - 1);
  }
  const float* Column(int column) const {
    return depths.data() + stride * static_cast<std::size_t>(column - 1);
  }

  static constexpr float kNone = std::numeric_limits<float>::infinity();

 private:
  std::size_t stride = 0;
  std::vector<float> depths;
};
