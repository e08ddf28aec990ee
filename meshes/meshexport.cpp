#include "meshes/meshexport.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "base/errors.h"
#include "formats/memorylimit.h"
#include "meshes/decimate.h"
#include "meshes/gridtop.h"
#include "meshes/solid.h"

namespace {

// Where a point of the grid goes in the mesh: p' = offset + scale * p per
// axis, y turned over for rows from the top.
struct Placement {
  Vec3 scale{1.0, 1.0, 1.0};  // y's turned over for rows from the top
  Vec3 offset{0.0, 0.0, 0.0};

  Vec3 Place(const Vec3& p) const {
    return {offset.x + scale.x * p.x, offset.y + scale.y * p.y, offset.z + scale.z * p.z};
  }
  // The height of the grid at a mesh height.
  double GridZ(double z) const { return (z - offset.z) / scale.z; }
};

Placement PlacementOf(const MeshSource& source, const MeshSettings& settings, bool print) {
  const Vec3 span = source.high - source.low;
  const double ySign = source.rowsFromTop ? -1.0 : 1.0;
  Placement p;
  if (!print) {
    p.scale = {1.0, ySign, source.zScale};
    p.offset.y = source.rowsFromTop ? source.low.y + source.high.y : 0.0;
    return p;
  }
  // A print is the surface as the cube shows it, longest side across at the
  // size asked for; a lithophane keeps its picture's proportions, a pixel
  // as wide as high.
  Vec3 across = span;
  if (settings.litho && span.x > 0.0 && span.y > 0.0)
    across = {source.grid.columns - 1.0, source.grid.rows - 1.0, 0.0};
  const double longest = std::max(across.x, across.y);
  if (!(longest > 0.0))
    throw cError(QStringLiteral("The surface has no extent across to size a print by."));
  const double mm = settings.sizeMm / longest;
  p.scale.x = span.x > 0.0 ? mm * across.x / span.x : mm;
  p.scale.y = ySign * (span.y > 0.0 ? mm * across.y / span.y : mm);
  p.offset.x = -p.scale.x * source.low.x;
  p.offset.y = -p.scale.y * (source.rowsFromTop ? source.high.y : source.low.y);
  if (settings.litho) {
    // White (1) at the thin end, black (0) at the thick one.
    p.scale.z = -(settings.litho->thickMm - settings.litho->thinMm);
    p.offset.z = settings.litho->thickMm;
  } else {
    p.scale.z = mm * source.zScale;
    p.offset.z = settings.baseMm - p.scale.z * source.low.z;
  }
  return p;
}

// The grid as the mesh places it.
GridRows Placed(const GridRows& grid, const Placement& placement) {
  GridRows placed = grid;
  placed.read = [grid, placement](std::uint32_t first, std::uint32_t count, Vec3* points,
                                  std::uint8_t* present) {
    grid.read(first, count, points, present);
    for (std::size_t k = 0; k < std::size_t{count} * grid.columns; ++k)
      points[k] = placement.Place(points[k]);
  };
  return placed;
}

// A placed lithophane with a frame: a ring of points frameMm outside its
// edge, and the edge itself, at the thick end, so that the frame's top is
// flat and covers the outermost pixels.
GridRows Framed(const GridRows& inner, double frameMm, double thickMm, double yScale) {
  const double ySign = yScale < 0.0 ? -1.0 : 1.0;
  GridRows framed{inner.columns + 2, inner.rows + 2, {}};
  framed.read = [inner, frameMm, thickMm, ySign](std::uint32_t first, std::uint32_t count,
                                                 Vec3* points, std::uint8_t* present) {
    const std::uint32_t columns = inner.columns + 2, rowsAll = inner.rows + 2;
    const auto clampRow = [&](std::int64_t r) {
      return static_cast<std::uint32_t>(std::clamp<std::int64_t>(r, 0, inner.rows - 1));
    };
    const std::uint32_t from = clampRow(std::int64_t{first} - 1);
    const std::uint32_t to = clampRow(std::int64_t{first} + count - 2);
    const std::size_t n = std::size_t{to - from + 1} * inner.columns;
    std::unique_ptr<Vec3[]> rows(new Vec3[n]);
    std::unique_ptr<std::uint8_t[]> has(new std::uint8_t[n]);
    inner.read(from, to - from + 1, rows.get(), has.get());
    for (std::uint32_t j = 0; j < count; ++j) {
      const std::uint32_t R = first + j;
      const std::uint32_t r = clampRow(std::int64_t{R} - 1);
      const bool ringRow = R == 0 || R == rowsAll - 1;
      const bool edgeRow = r == 0 || r == inner.rows - 1;
      for (std::uint32_t C = 0; C < columns; ++C) {
        const std::uint32_t c = std::clamp<std::uint32_t>(C, 1, inner.columns) - 1;
        const std::size_t k = std::size_t{r - from} * inner.columns + c;
        const bool ringColumn = C == 0 || C == columns - 1;
        Vec3 p = rows[k];
        p.x += ringColumn ? (C == 0 ? -frameMm : frameMm) : 0.0;
        p.y += ringRow ? (R == 0 ? frameMm : -frameMm) * -ySign : 0.0;
        const bool edge = ringRow || ringColumn || edgeRow || c == 0 || c == inner.columns - 1;
        if (edge)
          p.z = thickMm;
        const std::size_t out = std::size_t{j} * columns + C;
        points[out] = p;
        present[out] = ringRow || ringColumn ? 1 : has[k];
      }
    }
  };
  return framed;
}

// What the full grid's top and solid take at most, before they are made:
// closing a top looks up the triangles' corners at each vertex, and a solid
// made whole (3MF) doubles the top's vertices and triangles and adds walls;
// STL's is written as it is planned.
std::uint64_t FullMeshBytes(const GridRows& grid, MeshFormat format) {
  const std::uint64_t points = std::uint64_t{grid.columns} * grid.rows;
  const std::uint64_t vertexBytes = 3 * 4 + 3 + 8;  // place, colour, source
  const std::uint64_t triangles = 2 * points;
  const std::uint64_t top = points * vertexBytes + triangles * 12;
  const std::uint64_t corners = triangles * 3 * 8 + points * 8;
  switch (format) {
    case MeshFormat::kStl:
      return top + corners;
    case MeshFormat::kThreeMf:
      return 2 * top + triangles * 12 + corners;
    case MeshFormat::kGlb:
    case MeshFormat::kPly:
      break;
  }
  return top;
}

}  // namespace

bool ExportMesh(const MeshSource& source, const MeshSettings& settings, MeshFormat format,
                const QString& path, const std::function<bool(double done)>& going) {
  const bool print = IsPrintFormat(format);
  if (settings.litho && !source.picture)
    throw cError(
        QStringLiteral("A lithophane is made from a picture's brightness; this surface "
                       "is not a picture."));
  if (settings.litho && !print)
    throw cError(QStringLiteral("A lithophane is a print: export it as STL or 3MF."));
  if (source.mayFold && (print || settings.maxError) && GridFolds(source.grid))
    throw cError(QStringLiteral(
        "This point grid folds over itself: it has no single top to close into a solid for "
        "printing (STL, 3MF) or to simplify. Export it as glTF or PLY without --mesh-error."));
  const Placement placement = PlacementOf(source, settings, print);
  GridRows grid = Placed(source.grid, placement);
  if (settings.litho && settings.litho->frameMm > 0.0)
    grid = Framed(grid, settings.litho->frameMm, settings.litho->thickMm, placement.scale.y);
  if (std::uint64_t{grid.columns} * grid.rows > 0xFFFFFFFFu)
    throw cError(QStringLiteral("The surface has more points than a mesh can number (2^32)."));
  if (!settings.maxError)
    CheckFitsInMemory(FullMeshBytes(grid, format));

  // Reading and simplifying take most of the time; writing the rest.
  constexpr double kMaking = 0.7;
  const auto making = [&](double done) { return !going || going(kMaking * done); };
  std::optional<TopSurface> top =
      settings.maxError ? DecimatedTop(grid, *settings.maxError, making) : FullTop(grid, making);
  if (!top)
    return false;
  if (top->mesh.triangles.empty())
    throw cError(QStringLiteral("The surface has no triangle to export."));

  TriangleMesh& mesh = top->mesh;
  // STL holds no colours.
  if (source.colour && format != MeshFormat::kStl) {
    const bool framed = grid.columns != source.grid.columns;
    mesh.colours.resize(3 * mesh.VertexCount());
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
      std::uint64_t point = top->source[v];
      if (framed) {
        const std::uint64_t R = point / grid.columns, C = point % grid.columns;
        point = std::clamp<std::uint64_t>(R, 1, source.grid.rows) - 1;
        point = point * source.grid.columns +
                (std::clamp<std::uint64_t>(C, 1, source.grid.columns) - 1);
      }
      source.colour(point, placement.GridZ(mesh.positions[3 * v + 2]), &mesh.colours[3 * v]);
    }
  }
  const auto writing = [&](double done) {
    return !going || going(kMaking + (1.0 - kMaking) * done);
  };
  if (format == MeshFormat::kStl) {
    const SolidPlan solid = PlanSolid(*top, 0.0f);
    return WriteStlTriangles(
        solid.TriangleCount(),
        [&](std::uint64_t first, std::size_t count, float* out) {
          solid.Places(first, count, out);
        },
        path, writing);
  }
  if (print)
    CloseSolid(*top, 0.0f);
  mesh.millimetres = print;
  const QString problem = MeshLimitProblem(mesh, format);
  if (!problem.isEmpty())
    throw cError(problem);
  return WriteMesh(mesh, format, path, writing);
}
