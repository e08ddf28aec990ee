#pragma once
// The value under the cursor: a small label beside it on the window's
// picture (not on the picture that Copy, Save and files take) that tells the
// data point the picture shows there, in the data's own terms. It is worked
// out again whenever the window paints, from the data and the camera of the
// moment, so it is never stale; while the picture is a preview or moving, it
// waits for the full picture.

#include <optional>

#include <QFont>
#include <QPointF>
#include <QString>

#include "scene/picking.h"

class QPainter;
class cOpenGLGraph;
class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;

// What the label says of picked: column, row and value of a picture's or a
// raster's point (the raster's own column and row and its map coordinates
// where it has them), x, y, z of a point grid's, the colours and the count
// of a volume cell, the coordinates on a face for a flat projection. Empty
// for nothing. With slope, a point of a grid gets a line of how steep the
// data is there and which way it falls (overlays/slopecells.h), where it can
// tell.
QString ReadoutText(const Picked& picked, const cOpenGLGraph_Surface* surface,
                    const cOpenGLGraph_Solid* volume, bool slope = false);

class cReadout {
 public:
  // Where the cursor is over the picture, with no button held; nothing when
  // it left or a drag began.
  void MoveTo(std::optional<QPointF> at) { cursor = at; }

  // The label for graph's picture as it is now, painted with painter on the
  // window, when the cursor is over it and the full picture is shown; with
  // the slope line when slope is set. Throws nothing.
  void Paint(QPainter& painter, const cOpenGLGraph& graph, const cOpenGLGraph_Surface* surface,
             const cOpenGLGraph_Solid* volume, const QFont& font, bool slope = false) const;

  // What Paint shows now, without painting; empty when nothing.
  QString Text(const cOpenGLGraph& graph, const cOpenGLGraph_Surface* surface,
               const cOpenGLGraph_Solid* volume, bool slope = false) const;

 private:
  std::optional<QPointF> cursor;
};
