#pragma once
// Mosaics of raster tiles as GDAL's virtual rasters (VRT files) describe
// them: XML that names its source files. GDAL would follow any name (a web
// address, an archive, a device, another VRT) and compute bands with code
// the file brings, so a VRT is taken only when it is a plain mosaic of local
// files that are rasters of ours, checked here before GDAL reads anything.

#include <QString>

// Whether the text at the head of a file opens a VRT: <VRTDataset after an
// optional byte-order mark, XML declaration, comments and white space.
bool HoldsVrt(const QByteArray& head);

// Bytes of a file's head that HoldsVrt needs at most.
inline constexpr int kVrtHeadBytes = 1024;

// HoldsVrt of the head of the file at path. Throws cFileOpenError when it
// cannot be opened.
bool HoldsVrtFile(const QString& path);

// Checks the VRT file at path: every source (and overview) is a local file,
// named plainly (no /vsi prefix, no address with a scheme), that holds a
// measured raster of the readers (HoldsMeasuredRaster) and is no VRT itself;
// no band or dataset of a kind that computes or warps its cells, and no
// pixel function. Throws cError with what is refused, in the program's
// language; what HoldsMeasuredRaster throws for a source that cannot be
// opened; cReadError when the file is no well-formed XML.
void CheckVrtMosaic(const QString& path);
