#pragma once
// A raster of measured values as the raster module (rastermodule.h) opens it:
// what band 1 holds and how to read it. The module is a library of its own,
// loaded only when a file needs it; this is all the two share.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/mapdistances.h"

struct RasterHeader {
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  // A sample of band 1 that marks a missing cell, as stored (before scale
  // and offset).
  std::optional<double> noData;
  // A stored sample v stands for v * scale + offset.
  double scale = 1.0;
  double offset = 0.0;
  std::string unit;  // UTF-8; empty when the file does not say
  std::optional<std::array<double, 6>> geoTransform;
  // What the reader allocates at once to give any part of one block of band
  // 1 (with the other bands' samples where they are stored together): a
  // few bytes of file may claim a block of gigabytes.
  std::uint64_t blockBytes = 0;
  // The size of band 1's blocks in cells, the unit in which the file stores
  // and skips its samples.
  std::uint32_t blockColumns = 1;
  std::uint32_t blockRows = 1;
  // The smallest and largest sample of band 1 as the file's own exact
  // statistics give them; empty when it has none.
  std::optional<std::array<double, 2>> sampleRange;
  // Whether band 1 has reduced copies of its own (overviews), which reduced
  // reads take their cells from.
  bool overviews = false;
};

// Cells of band 1: columns x rows from (column, row).
struct RasterWindow {
  std::uint32_t column = 0;
  std::uint32_t row = 0;
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
};

// Told how far a read has come, 0 to 1, as it goes; answering false stops
// it, and the read then fails. Called on the reading thread, from within the
// module's library: it must not throw.
struct RasterProgress {
  bool (*report)(double done, void* context) = nullptr;  // null: nobody asks
  void* context = nullptr;
};

class RasterFile {
 public:
  virtual ~RasterFile() = default;
  virtual const RasterHeader& Header() const = 0;
  // Reads the window's cells of band 1 into a grid of outColumns x outRows
  // doubles: sample (c, r) to out + c * pointStride + r * rowStride (strides
  // in doubles). A smaller grid gets the average of the cells each of its
  // samples covers, missing cells left out (the file's overviews may stand in
  // for the cells). Stored samples, before scale and offset. False when the
  // file fails to give them (cut short, damaged) or progress stopped the
  // read; the grid is then partly written.
  virtual bool Read(RasterWindow window, std::uint32_t outColumns, std::uint32_t outRows,
                    double* out, std::size_t pointStride, std::size_t rowStride,
                    RasterProgress progress) = 0;
  // Whether the file may hold samples in the window: false only where it
  // says that it stores none there (a sparse file's blocks never written),
  // which read as the no-data sample, or 0 without one.
  virtual bool MayHoldData(RasterWindow window) = 0;
  // The same file opened once more, for reads on another thread: one opening
  // must never be used by two threads at once. Null when it cannot be
  // opened again. The caller deletes it.
  virtual RasterFile* OpenAgain() const = 0;
  // Lengths on the ground between points of the raster's map coordinates, in
  // the coordinate system the file gives: a new object the caller deletes,
  // which may outlive the raster (not the module). Null when the raster has
  // no geotransform, or no coordinate system whose ellipsoid is known (none,
  // a local one, one that is neither geographic nor projected).
  virtual MapDistances* Ground() const = 0;
};

// How the module's opening went.
enum class RasterOpening {
  kOpened,
  kNotRaster,    // no reader of the module takes the file
  kUnreadable,   // taken, but its band cannot be read as numbers
  kUnreachable,  // a web address whose server could not be read (why says why)
};

// How long a raster on a web server may keep a request waiting, in seconds:
// to connect, and with no bytes arriving (a server that stalls).
struct RasterWebLimits {
  int connectSeconds = 15;
  int stallSeconds = 20;
};

// What the module says of an opening: how it went and, for kUnreachable, why
// in a few words (UTF-8, ended by a zero byte).
struct RasterOpened {
  RasterOpening how = RasterOpening::kNotRaster;
  char why[256] = {};
};

// The module's entry point, found by the name kOpenRasterSymbol: opens the
// file at the UTF-8 path utf8Path, or the raster at the web address it names
// (webaddress.h) within limits, for reading and returns the raster (the
// caller deletes it), or null with how it went in *opened.
using OpenRasterFunction = RasterFile* (*)(const char* utf8Path, const RasterWebLimits* limits,
                                           RasterOpened* opened);
inline constexpr char kOpenRasterSymbol[] = "CubiscopeOpenRaster";
