#pragma once
// Writing a mesh to a file of one of the formats others open: binary STL and
// 3MF for printing, binary glTF and binary PLY for sharing in 3-D. Nothing
// appears at the path until the whole file is written: it is written under a
// temporary name beside it and renamed at the end, so that a failure or a
// Cancel leaves no part of it behind and a file that was there stays as it
// was.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include <QString>

#include "base/trianglemesh.h"
#include "meshes/stlfile.h"

enum class MeshFormat { kStl, kThreeMf, kGlb, kPly };

// The format a file name asks for by its suffix (".stl", ".3mf", ".glb",
// ".ply", any case); none for any other.
std::optional<MeshFormat> MeshFormatOf(const QString& path);
// Whether the format is meant for printing: a closed solid in millimetres.
inline bool IsPrintFormat(MeshFormat format) {
  return format == MeshFormat::kStl || format == MeshFormat::kThreeMf;
}

// Why mesh cannot be written in format (a count beyond what the format's
// fields hold), in words for the user; empty when it can. Asked before
// anything is written.
QString MeshLimitProblem(const TriangleMesh& mesh, MeshFormat format);
// The same for a mesh of the given counts, with or without colours. A mesh
// of no triangles is refused in every format: glTF and 3MF have no empty
// mesh, and an empty STL or PLY would only puzzle whoever opens it.
QString MeshCountProblem(MeshFormat format, std::uint64_t vertices, std::uint64_t triangles,
                         bool colours);

// Writes mesh to path in format. going(done) is told the share done (0 to
// 1) now and then and returns whether to go on; null: to the end. Returns
// whether the file was written; stopped, nothing of it is left. Throws
// cFileWriteError (nothing left either) when the file cannot be written,
// cError with MeshLimitProblem's text when the mesh is beyond the format.
bool WriteMesh(const TriangleMesh& mesh, MeshFormat format, const QString& path,
               const std::function<bool(double done)>& going);

// Writes triangles triangles to path as binary STL as WriteMesh does, places
// giving their corners (WriteStl): for a solid whose base and walls are
// never made.
bool WriteStlTriangles(std::uint64_t triangles, const StlPlaces& places, const QString& path,
                       const std::function<bool(double done)>& going);
