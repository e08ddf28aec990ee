#pragma once
// What is painted over the plot view's picture once it is read back, so that
// the window, Copy, Save and pictures written to files all carry it (the
// colour bar, the axes), and what only the window shows over it (the value under the
// cursor). The view only offers to paint (cOpenGLChildWindow::paintOver,
// paintOnWindow) and knows nothing of what is painted.

#include <optional>

#include <QFont>
#include <QImage>
#include <QPointF>

#include "base/colourscale.h"
#include "overlays/readout.h"

class QPainter;
class ViewGeometry;
class cOpenGLGraph;
class cOpenGLGraph_Solid;
class cOpenGLGraph_Surface;

class cPictureOverlays {
 public:
  // Paints over graph's pictures from now on, until destroyed.
  explicit cPictureOverlays(cOpenGLGraph& graph);
  ~cPictureOverlays();
  cPictureOverlays(const cPictureOverlays&) = delete;
  cPictureOverlays& operator=(const cPictureOverlays&) = delete;

  // Paints what is switched on over picture.
  void Paint(QImage& picture) const;

  // The cursor is over the picture at `at`, with no button held; nothing:
  // it left, or a drag began. Repaints the window, never redraws.
  void Hover(std::optional<QPointF> at);
  // What the readout says now (empty: nothing).
  QString ReadoutNow() const;

  // The surface whose bands and values the colour bar shows; none: no bar.
  // With the volume, what the value under the cursor is read from.
  const cOpenGLGraph_Surface* surface = nullptr;
  const cOpenGLGraph_Solid* volume = nullptr;
  bool colourBar = false;
  // The values the bands span where they are not the data's full range.
  std::optional<ColourScale> colourScale;
  bool axes = false;
  // The values of the surface's contour lines written along them.
  bool contourLabels = false;
  // The readout's slope line (window only, as the readout).
  bool slope = false;
  // Text, marks and lines this many times their size: for print, where the
  // picture has many more pixels than a screen.
  double scale = 1.0;
  // The windows' font, for every text.
  QFont font;

 private:
  // The contour lines' labels over the picture of view, clear of the colour
  // bar when there is one.
  void PaintLabels(QPainter& painter, const ViewGeometry& view, bool bar) const;

  cOpenGLGraph& graph;
  cReadout readout;
};
