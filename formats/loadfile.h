#pragma once
// What the loads do once a file is named: read it whole, decide by its
// content what it holds, and parse or decode it into the array that a plot
// object adopts. Kept apart from the windows so that every caller (the Status
// window's handlers, drops, the command line, the benchmarks) runs the very
// steps the user waits for.
//
// A picture is told by its content, never by its name: bytes that begin with
// "BM" go to our own bitmap decoder (bmpdecode.h), and so do the empty file
// and a lone "B", which that decoder has always answered for (an empty
// picture, a read error); anything else goes to Qt's image readers
// (imagedecode.h). Rasters of measured values (rasterkind.h) go to the raster
// module (rastermodule.h) by their path, so that a raster larger than memory
// can be read reduced; one that the module does not take after all goes the
// way of any other file.

#include <memory>
#include <optional>

#include <QString>

#include "base/vec3.h"
#include "formats/filebytes.h"
#include "formats/heightfield.h"
#include "formats/numbertext.h"
#include "formats/pointgrid.h"

// Whether file holds a picture rather than text: it begins with "BM", or one
// of Qt's image readers recognises its first bytes. Never throws.
bool HoldsPicture(const FileBytes& file);

// The point grid of the text in file (ReadPointGrid, with separator). Throws
// what ReadPointGrid throws.
PointGrid PointGridOf(const FileBytes& file, DecimalSeparator separator);

// The height field of the measured raster at path (ReadMeasuredHeights), or
// its levels of detail when it is too large for that (HoldsAtLevels,
// ReadRasterLevels), or nothing when the file holds none: its content says
// otherwise (HoldsMeasuredRaster), or the raster module does not take it.
// A web address (webaddress.h) is always a GeoTIFF's: cError when it is not.
// Throws what HoldsMeasuredRaster, OpenRaster, ReadMeasuredHeights and
// ReadRasterLevels throw.
std::optional<HeightFieldGrid> ReadMeasuredFile(const QString& path);

// Throws cError when the file at path is a measured raster that the raster
// module takes, or a web address: its values have no colours to count. Throws what
// HoldsMeasuredRaster and OpenRaster throw.
void RefuseMeasuredColours(const QString& path);

// The height field of the picture in file. The file's bytes go as soon as the
// pixels are decoded, before the much larger height field is allocated: the
// peak of a load is then the decoded picture and its height field, not the
// file on top of them. Throws what DecodeBitmap or DecodeImage throw (the
// latter cInvalidGraphic for bytes that no reader accepts) and what
// BuildHeightField throws.
HeightFieldGrid HeightFieldOf(FileBytes file);

// The scaled colour counts of the picture in file, 64^3 cells (CountColours;
// largest as there). Throws what DecodeBitmap or DecodeImage and
// CountColours throw.
std::unique_ptr<float[]> ColourCountOf(FileBytes file, float* largest = nullptr);

// The same for the file at path, read by ReadFileBytes, which adds its own
// errors; a measured raster is read as such (ReadMeasuredFile), and refused
// by the colour count (RefuseMeasuredColours).
PointGrid ReadPointGridFile(const QString& path, DecimalSeparator separator);
HeightFieldGrid ReadHeightFieldFile(const QString& path);
std::unique_ptr<float[]> ReadColourCountFile(const QString& path);
