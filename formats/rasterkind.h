#pragma once
// Pictures, whose brightness becomes height, and rasters of measured values,
// whose values do, go to different readers, told by the files' first bytes.
// The name decides only where the format itself is known by name alone (an
// SRTM tile, ".hgt").

#include <QString>

// Whether the file at path holds a raster of measured values rather than a
// picture or text: a TIFF file with signed or floating-point samples or
// samples wider than 16 bits, or a single-band TIFF file of 8 or 16 bits
// with GeoTIFF tags or a no-data value (unless its samples index a palette);
// text that begins with "ncols" or "nrows" (an ESRI ASCII grid); a GDAL
// virtual raster (vrtmosaic.h); a file named "*.hgt" (an SRTM tile). A file that begins with "BM" never does:
// bitmaps keep their own decoder. Such a file that the raster reader does
// not open after all goes the way its content would have gone otherwise
// (the loaders see to that).
// Throws what OpenedFile throws (cFileOpenError, cReadError).
bool HoldsMeasuredRaster(const QString& path);
