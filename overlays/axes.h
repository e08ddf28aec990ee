#pragma once
// Axes with ticks along three edges of the cube, in the data's own terms: x
// and y in the columns and rows of a picture or raster (in map coordinates
// where the raster has them), z in its values (brightness 0 to 1 for a
// picture); for other data the cube's own coordinates. The edges are those
// plots of this kind use: x and y along the bottom edges nearest the eye,
// below the data, z up the edge that lies furthest left in the picture.

#include <vector>

#include <QFont>
#include <QImage>
#include <QLineF>
#include <QRect>
#include <QString>

class ViewGeometry;
class cOpenGLGraph_Surface;

struct AxisTick {
  double value;  // in the axis' terms
  QString text;
  QPointF at;   // where it meets the edge, in the picture
  QPointF end;  // the outer end of its mark
  QRect box;    // where its text is drawn
};

struct AxesLayout {
  QLineF edges[3];  // x, y, z, in the picture
  // The ticks of each axis whose labels fit without touching another's.
  std::vector<AxisTick> ticks[3];
};

// Where the axes of surface's data (null, or empty: the cube's coordinates)
// go in view's picture, their labels in font.
AxesLayout LayOutAxes(const ViewGeometry& view, const cOpenGLGraph_Surface* surface,
                      const QFont& font);

// Paints them with painter, whose picture view describes in painter's
// coordinates.
void PaintAxes(QPainter& painter, const ViewGeometry& view, const cOpenGLGraph_Surface* surface,
               const QFont& font);
