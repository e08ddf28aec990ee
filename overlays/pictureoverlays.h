#pragma once
// What is painted over the plot view's picture once it is read back, so that
// the window, Copy, Save and pictures written to files all carry it: today
// the colour bar. The view only offers to paint over each picture
// (cOpenGLChildWindow::paintOver) and knows nothing of what is painted.

#include <QFont>
#include <QImage>

class cOpenGLGraph;
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

  // The surface whose bands and values the colour bar shows; none: no bar.
  const cOpenGLGraph_Surface* surface = nullptr;
  bool colourBar = false;
  // The windows' font, for every text.
  QFont font;

 private:
  cOpenGLGraph& graph;
};
