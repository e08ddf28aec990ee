#pragma once
// Contour lines of a grid of values, traced by GDAL's contour generator in
// the raster module (rastermodule.h): the field's own algorithm, so that a
// picture and the same heights as a GeoTIFF get the same lines. This is all
// the program and the module share for it; it carries no C++ object across.

#include <cstddef>
#include <cstdint>

struct ContourGridInput {
  // Point (column c, row r) has the value z[r * rowStride + c * pointStride],
  // fed to the generator as value * scale + offset; with present non-null a
  // point whose byte there is 0 has none (a hole the lines stop at).
  const double* z = nullptr;
  std::size_t pointStride = 1;
  std::size_t rowStride = 0;
  const std::uint8_t* present = nullptr;
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  double scale = 1.0;
  double offset = 0.0;
  // Lines are traced at the fed values base + k * interval, interval > 0.
  double base = 0.0;
  double interval = 1.0;
};

struct ContourGridOutput {
  // Told each traced line: its level's k and its count points, in grid
  // coordinates (point (c, r) of the grid at column c, row r). Points lie
  // up to half a cell beyond the grid's points where the line meets a hole
  // or the edge. False stops the tracing. Must not throw.
  bool (*line)(std::int64_t k, std::size_t count, const double* column, const double* row,
               void* context) noexcept = nullptr;
  // Told after each row is fed; false stops the tracing. May be null. Must
  // not throw.
  bool (*rowDone)(std::uint32_t rowsFed, void* context) noexcept = nullptr;
  void* context = nullptr;
};

enum class ContourGridResult : int {
  kDone,     // every line was told
  kStopped,  // a callback said stop
  kFailed,   // the generator failed (out of memory)
};

using ContourGridFunction = ContourGridResult (*)(const ContourGridInput*,
                                                  const ContourGridOutput*);
inline constexpr char kContourGridSymbol[] = "CubiscopeContourGrid";
