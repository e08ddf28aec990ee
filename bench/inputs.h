#pragma once
// Generated inputs for the loader and frame benchmarks, made once per process.

#include <string>
#include <vector>

#include <QString>
#include <QTemporaryFile>

#include "formats/rgbimage.h"

// A 24-bit bitmap file (40-byte header, bottom-up rows) of side x side pixels
// that looks like a photograph to the loaders: smooth shading with a little
// grain, so neighbouring pixels are alike but rarely equal and the colours
// spread over many cells.
const std::vector<unsigned char>& PhotoBitmapFile(int side);

// That picture decoded, made once per side.
const RgbImage& PhotoImage(int side);

// The same photograph as an 8-bit RGB PNG, and a height map of the same
// shading as a 16-bit grey PNG (smooth, with a little grain in the low bits),
// written by Qt at its default compression.
const std::vector<unsigned char>& PhotoPngFile(int side);
const std::vector<unsigned char>& HeightMapPngFile(int side);

// A point-grid text of 1,000,000 point lines, a blank line after every 1,000:
// a grid of 1000 x 1000 points with numbers of one to six decimals.
const std::string& PointGridText();

// A file in the temporary folder holding the given bytes, removed when the
// object goes.
class TempFile {
 public:
  TempFile(const void* data, std::size_t size);
  const QString& Path() const { return path; }

 private:
  QTemporaryFile file;
  QString path;
};
