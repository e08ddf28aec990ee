#pragma once
// cOpenGLGraph_Solid: a scalar field on a regular nx x ny x nz grid filling
// the unit cube, drawn as nz translucent horizontal slices stacked from z = 0
// upwards. Each slice is a mesh of triangle strips whose vertices carry the
// field's values as 1-D texture coordinates into a translucent ramp, so dense
// regions build up into a brighter haze.
//
// Slices keep depth testing and depth writing as the view set them: seen from
// above each slice is blended over the ones below; seen from below the bottom
// slice, drawn first, hides the others even where it is fully transparent.
// Optionally each cell is drawn in a colour of its own instead (ownColours).

#include <cstdint>
#include <memory>
#include <vector>

#include "objects/colour.h"
#include "objects/graphdata.h"
#include "objects/greyramp.h"

class cOpenGLGraph_Solid : public cOpenGLGraph_Data {
 public:
  cOpenGLGraph_Solid() = default;
  // Frees the field, its axes and the ramp.
  ~cOpenGLGraph_Solid();
  // The volume owns its arrays; a copy would free them twice.
  cOpenGLGraph_Solid(const cOpenGLGraph_Solid&) = delete;
  cOpenGLGraph_Solid& operator=(const cOpenGLGraph_Solid&) = delete;

  // n grid coordinates i / (n - 1), i = 0 ... n - 1, rounded to float; for
  // n = 1 the one coordinate is 0 (rather than 0 / 0), for n = 0 the array is
  // empty but not null. Throws std::bad_alloc when it cannot be allocated.
  static std::unique_ptr<float[]> BuildAxis(std::uint32_t n);

  // Replaces the field with nx x ny x nz values, the value at (i, j, k) at
  // field[(k * ny + j) * nx + i], and builds the three axes. The ramp is kept.
  // adopt set: field (allocated with new float[nx * ny * nz]) belongs to the
  // volume from the moment of the call, even when the call throws, and is
  // freed with delete[]; the caller must neither touch nor free it afterwards.
  // adopt clear: the volume copies the values into an array of its own and the
  // caller keeps its array.
  // Everything new is allocated before the old field goes: if memory runs out
  // (or the sizes multiply beyond the address space) std::bad_alloc is thrown
  // and the volume is unchanged. field must not be the array the volume holds
  // when adopt is set.
  void SetVolume(float* field, std::uint32_t nx, std::uint32_t ny, std::uint32_t nz, bool adopt);

  // Shows the largest power of two not above levels as bands of grey and
  // opacity (translucent ramp); 0 changes nothing. Throws std::bad_alloc,
  // keeping the previous bands, when the new table cannot be allocated.
  void SetLevels(std::uint32_t levels) { ramp.Build(levels, true); }

  // Frees the field and its axes, if any; afterwards all four are null and
  // nx, ny, nz are 0. The bands stay.
  void Clear();

  // Draws each cell in the colour it stands for instead of the grey haze:
  // along x blue, along y green, along z red, the middle of the cell's share of
  // the channel, (i + 1/2) 256 / n, for grid point i of n; opaque in proportion
  // to the logarithm of its value, so that rare colours still show and the
  // most frequent stand out (CellOpacity). Off: the ramp's haze.
  bool ownColours = false;

  // The opacity of a cell of value v in [0, 1] drawn in its own colour: 0
  // for an empty cell, then rising with log10(v) from about 1/20 at a
  // millionth of the largest value to kMostOpaque at the largest.
  static double CellOpacity(float v);
  static constexpr double kMostOpaque = 0.9;

  // Loads the ramp, switches blending on, draws the slices in increasing z,
  // the strips of each slice in increasing y, and switches blending and 1-D
  // texturing off again. An empty volume does all but the slices. A preview
  // (previewTriangles set and exceeded) draws every slice with every step-th
  // row and column of its cells, the last ones included.
  void Draw() override;

  float* axisX = nullptr;  // owned; nx entries
  float* axisY = nullptr;  // owned; ny entries
  float* axisZ = nullptr;  // owned; nz entries, the slice heights
  std::uint32_t nx = 0;
  std::uint32_t ny = 0;
  std::uint32_t nz = 0;
  float* data = nullptr;  // owned; nx * ny * nz values, x fastest, z slowest
  Colour colour{1.0, 1.0, 1.0, 1.0};
  GreyRamp ramp;  // one opaque white entry until SetLevels
  // What a value of 1 counts, for a field of counts scaled to the largest
  // (the colour count's pixels); 0 when the field is no such thing. Its
  // loader sets it with the field.
  float largestCount = 0.0f;

 private:
  // The cells' own colours, four bytes each, made for the field drawn last;
  // empty when they could not be made.
  const std::vector<std::uint8_t>& CellColours();

  std::vector<std::uint8_t> cellColours;
  const float* colouredField = nullptr;  // the field cellColours were made for
};
