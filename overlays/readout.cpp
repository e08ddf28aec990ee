#include "overlays/readout.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>

#include "base/viewgeometry.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "overlays/numbers.h"
#include "overlays/slopecells.h"
#include "scene/graph.h"

namespace {

// Coordinates and heights of data in the unit cube: to a thousandth.
constexpr double kCubeStep = 0.001;

// The measured value of a height, with its unit.
QString Measured(const HeightValues& values, double z) {
  const double step = RoundStep(values.minimum, values.maximum, 1000);
  QString text = FormatNumber(values.ValueOf(z), step > 0 ? step : 0.0);
  if (!values.unit.isEmpty())
    text += QLatin1Char(' ') + values.unit;
  return text;
}

// Column, row and value of grid point (column, row) of a picture or raster.
QString GridPoint(const cOpenGLGraph_Surface& surface, std::uint32_t column, std::uint32_t row) {
  const HeightValues& values = surface.values;
  const double z = surface.vertices[std::size_t{row} * surface.columns + column].z;
  if (values.source == HeightValues::Source::kPicture) {
    const double top = std::ldexp(1.0, values.sampleBits) - 1.0;
    return QStringLiteral("column %1, row %2\nbrightness %3 (%4)")
        .arg(column)
        .arg(row)
        .arg(FormatNumber(z, kCubeStep))
        .arg(std::lround(z * top));
  }
  // A raster read reduced counts in its own cells: the first of each block.
  std::uint64_t c = std::uint64_t{column} * values.reduction;
  std::uint64_t r = std::uint64_t{row} * values.reduction;
  QString value = Measured(values, z);
  if (HeightLevels* levels = surface.LevelsOfDetail()) {
    // Whatever level is drawn, the raster's own cell and value.
    const auto [cellColumn, cellRow] = surface.RasterCell(column, row);
    c = cellColumn;
    r = cellRow;
    const std::optional<double> height = levels->CellHeight(cellColumn, cellRow);
    value = height ? Measured(values, *height) : QStringLiteral("no value");
  }
  QString text = QStringLiteral("column %1, row %2\n%3").arg(c).arg(r).arg(value);
  if (const auto& g = values.geoTransform) {
    // At the middle of the cell.
    const auto [x, y] = values.MapPoint(c + 0.5, r + 0.5);
    const double step = std::max(std::fabs((*g)[1]), std::fabs((*g)[5])) / 10.0;
    text += QStringLiteral("\nx %1, y %2").arg(FormatNumber(x, step), FormatNumber(y, step));
  }
  return text;
}

// A height on a face: the value it stands for where the data says.
QString Height(const cOpenGLGraph_Surface& surface, double drawnZ) {
  const double z = drawnZ / surface.ZScale();
  if (surface.values.source == HeightValues::Source::kMeasured)
    return Measured(surface.values, z);
  return FormatNumber(z, kCubeStep);
}

// The text with the slope line under it, when on and there is one.
QString WithSlope(bool on, QString text, const cOpenGLGraph_Surface& surface,
                  const Picked& picked) {
  if (!on)
    return text;
  if (const std::optional<Slope> slope = SurfaceSlope(surface, picked.column, picked.row))
    text += QLatin1Char('\n') + SlopeText(*slope);
  return text;
}

}  // namespace

QString ReadoutText(const Picked& picked, const cOpenGLGraph_Surface* surface,
                    const cOpenGLGraph_Solid* volume, bool slope) {
  using What = Picked::What;
  const Vec3& p = picked.point;
  switch (picked.what) {
    case What::kNothing:
      return QString();
    case What::kSurface:
    case What::kFlatXY:
      if (!surface)
        return QString();
      if (picked.onGrid && surface->values.source != HeightValues::Source::kPointGrid &&
          surface->values.source != HeightValues::Source::kNone) {
        return WithSlope(slope, GridPoint(*surface, picked.column, picked.row), *surface, picked);
      }
      if (picked.what == What::kFlatXY)
        return QStringLiteral("x %1, y %2")
            .arg(FormatNumber(p.x, kCubeStep), FormatNumber(p.y, kCubeStep));
      // A point grid's point in 3-D is one of its grid's.
      return WithSlope(slope && picked.onGrid,
                       QStringLiteral("x %1, y %2, z %3")
                           .arg(FormatNumber(p.x, kCubeStep), FormatNumber(p.y, kCubeStep),
                                FormatNumber(p.z, kCubeStep)),
                       *surface, picked);
    case What::kFlatYZ:
      return surface ? QStringLiteral("y %1, z %2")
                           .arg(FormatNumber(p.y, kCubeStep), Height(*surface, p.z))
                     : QString();
    case What::kFlatZX:
      return surface ? QStringLiteral("x %1, z %2")
                           .arg(FormatNumber(p.x, kCubeStep), Height(*surface, p.z))
                     : QString();
    case What::kVolume: {
      if (!volume)
        return QString();
      // The channel values the cell holds: blue along x, green along y, red
      // along z.
      const auto range = [](std::uint32_t i, std::uint32_t n) {
        return QStringLiteral("%1–%2").arg(i * 256 / n).arg((i + 1) * 256 / n - 1);
      };
      const QString colours = QStringLiteral("R %1, G %2, B %3")
                                  .arg(range(picked.k, volume->nz), range(picked.j, volume->ny),
                                       range(picked.i, volume->nx));
      if (volume->largestCount > 0.0f) {
        return colours +
               QStringLiteral("\n%1 pixels")
                   .arg(std::llround(static_cast<double>(picked.value) * volume->largestCount));
      }
      return colours + QStringLiteral("\n%1").arg(FormatNumber(picked.value, kCubeStep));
    }
  }
  return QString();
}

QString cReadout::Text(const cOpenGLGraph& graph, const cOpenGLGraph_Surface* surface,
                       const cOpenGLGraph_Solid* volume, bool slope) const {
  if (!cursor || !graph.AtRest() || graph.PictureDetail() != cOpenGLChildWindow::Detail::kFull ||
      graph.width <= 0 || graph.height <= 0) {
    return QString();
  }
  const ViewGeometry view = graph.Geometry();
  return ReadoutText(PickAt(view, surface, volume, *cursor), surface, volume, slope);
}

void cReadout::Paint(QPainter& painter, const cOpenGLGraph& graph,
                     const cOpenGLGraph_Surface* surface, const cOpenGLGraph_Solid* volume,
                     const QFont& font, bool slope) const {
  const QString text = Text(graph, surface, volume, slope);
  if (text.isEmpty())
    return;
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const QRect size = metrics.boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignLeft, text);
  QRect box = size.adjusted(-4, -3, 4, 3);
  // Below and right of the cursor, or where it fits.
  QPoint at = cursor->toPoint() + QPoint(14, 16);
  if (at.x() + box.width() > graph.width)
    at.setX(cursor->toPoint().x() - 8 - box.width());
  if (at.y() + box.height() > graph.height)
    at.setY(cursor->toPoint().y() - 8 - box.height());
  box.moveTopLeft(at);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 170));
  painter.drawRoundedRect(box, 3, 3);
  painter.setPen(QColor(240, 240, 240));
  painter.drawText(box.adjusted(4, 3, -4, -3), Qt::AlignLeft | Qt::AlignTop, text);
}
