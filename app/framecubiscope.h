#pragma once
// TFrameCubiscope: the view-control frame. It puts the plot view on screen in
// its drawing panel and steers the view's camera with three scroll bars:
// bottom turns around the vertical axis, right tilts, left zooms.

#include <QWidget>

#include "scene/graph.h"
#include "ui_framecubiscope.h"

class TFrameCubiscope : public QWidget {
  Q_OBJECT

 public:
  explicit TFrameCubiscope(QWidget* parent = nullptr);
  // Releases the view's GL resources before the view and the frame go.
  ~TFrameCubiscope() override;

  // Attaches the view to PanelDraw, sizes it and draws the first picture.
  // False (and nothing else done) when the view cannot be attached.
  bool AttachView();

  cOpenGLGraph& View() { return graph; }

  // Handlers.
  void FrameResize();
  // Shared by the three bars: reads all three positions, whatever bar moved.
  void ScrollBarChange();

  Ui::TFrameCubiscope ui;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  cOpenGLGraph graph;
};
