#pragma once
// TFrameCubiscope: the view-control frame. It puts the plot view on screen in
// its drawing panel and steers the view's camera with three scroll bars:
// bottom turns around the vertical axis, right tilts, left zooms. Dragging in
// the picture, turning the wheel over it and the keys of the frame's actions
// (arrows, with Shift for fine steps, PageUp/PageDown, Home) move the same
// bars, so that bars, camera and picture never disagree. While a thumb is
// held, a drag is under way or wheel notches and keys come in quick
// succession, a slow scene previews (the view's Redraw) and shows the full
// picture when the input stops.

#include <QScrollBar>
#include <QWidget>

#include "scene/graph.h"
#include "ui_framecubiscope.h"

class TFrameCubiscope : public QWidget {
  Q_OBJECT

 public:
  explicit TFrameCubiscope(QWidget* parent = nullptr);
  // No destructor of its own: the view, a member, releases its GL resources
  // when it goes, before the frame's child widgets (its window among them).

  // Attaches the view to PanelDraw, sizes it and draws the first picture.
  // False (and nothing else done) when the view cannot be attached.
  bool AttachView();

  cOpenGLGraph& View() { return graph; }

  // Handlers.
  void FrameResize();
  // Shared by the three bars: reads all three positions, whatever bar moved,
  // and redraws as the input that moved it asks (CurrentInput).
  void ScrollBarChange();
  // Puts the three bars back to where they stood at start-up, with one redraw.
  void ResetView();

  // Told where the cursor is over the picture while no button is held, and
  // nothing once it leaves or a button is pressed.
  std::function<void(std::optional<QPointF>)> hover;

  // Bar units per pixel dragged (half a degree) and per wheel notch.
  static constexpr int kDragStep = 50;
  static constexpr int kWheelStep = 250;
  // Bar units per arrow key (1 degree): the bars' own single step, 0.01
  // degree, shows no change, and is left to the arrows with Shift held.
  static constexpr int kKeyStep = 100;

  Ui::TFrameCubiscope ui;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Watches the picture's child window for drags and wheel turns.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Hover(std::optional<QPointF> at);
  bool MousePress(const QMouseEvent& event);
  bool MouseMove(const QMouseEvent& event);
  bool MouseRelease(const QMouseEvent& event);
  bool Wheel(const QWheelEvent& event);
  // Sets the view's camera from the three bars, without drawing.
  void ApplyCamera();
  // Each press of action's keys moves bar by units.
  void StepOn(QAction* action, QScrollBar* bar, int units);
  // Held: a thumb or the picture is being dragged; a burst: a wheel notch or
  // key moves a bar; else a click on a bar's arrow or trough, or Reset view.
  cOpenGLChildWindow::Input CurrentInput() const;

  cOpenGLGraph graph;
  // The bars' positions of the layout, where Reset view puts them back.
  int startTheta = 0, startHeight = 0, startZoom = 0;
  bool dragging = false;
  QPoint lastDragPosition;
  int wheelPending = 0;   // eighths of a degree not yet a whole notch
  bool stepping = false;  // a wheel notch or key is moving a bar
};
