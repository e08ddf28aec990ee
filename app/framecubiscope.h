#pragma once
// TFrameCubiscope: the view-control frame. It puts the plot view on screen in
// its drawing panel and steers the view's camera with three scroll bars:
// bottom turns around the vertical axis, right tilts, left zooms, each about
// the point the camera looks at. Dragging in the picture, turning the wheel
// over it and the keys of the frame's actions (arrows, with Shift for fine
// steps, PageUp/PageDown, Home) move the same bars, so that bars, camera and
// picture never disagree. The look-at point moves with the picture when it
// is dragged with the middle button or with Shift held (or Ctrl+arrows), the
// wheel zooms about the point under the cursor, and a double-click looks at
// the data point under it. While a thumb is held, a drag is under way or
// wheel notches and keys come in quick succession, a slow scene previews (the
// view's Redraw) and shows the full picture when the input stops.

#include <functional>
#include <optional>

#include <QScrollBar>
#include <QWidget>

#include "base/camera.h"

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
  // Puts the three bars back to where they stood at start-up and the look-at
  // point back to the cube's middle, with one redraw.
  void ResetView();

  // Told where the cursor is over the picture while no button is held, and
  // nothing once it leaves or a button is pressed.
  std::function<void(std::optional<QPointF>)> hover;
  // The data point the picture shows at a spot of it, if any: a double-click
  // there makes it the look-at point.
  std::function<std::optional<Vec3>(QPointF)> pick;

  // Bar units per pixel dragged (half a degree) and per wheel notch.
  static constexpr int kDragStep = 50;
  static constexpr int kWheelStep = 250;
  // Bar units per arrow key (1 degree): the bars' own single step, 0.01
  // degree, shows no change, and is left to the arrows with Shift held.
  static constexpr int kKeyStep = 100;
  // The share of the visible height that Ctrl+arrows pan by.
  static constexpr double kPanStep = 0.1;

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
  bool DoubleClick(const QMouseEvent& event);
  bool Wheel(const QWheelEvent& event);
  // Moves the look-at point (Camera::Shift) and redraws, about the eye the
  // bars give.
  void MoveCentre(Camera camera);
  // Sets the view's camera from the three bars, without drawing.
  void ApplyCamera();
  // Each press of action's keys moves bar by units.
  void StepOn(QAction* action, QScrollBar* bar, int units);
  // Each press of action's keys pans by kPanStep of the visible height across
  // (x) or up (y) the picture.
  void PanOn(QAction* action, int x, int y);
  // Held: a thumb or the picture is being dragged; a burst: a wheel notch or
  // key moves a bar; else a click on a bar's arrow or trough, or Reset view.
  cOpenGLChildWindow::Input CurrentInput() const;

  cOpenGLGraph graph;
  // The bars' positions of the layout, where Reset view puts them back.
  int startTheta = 0, startHeight = 0, startZoom = 0;
  enum class Drag { kNone, kTurn, kPan };
  Drag drag = Drag::kNone;
  Qt::MouseButton dragButton = Qt::NoButton;
  QPoint lastDragPosition;
  QPoint pressPosition;  // a pan's press, and the look-at point then
  Vec3 pressCentre{};
  int wheelPending = 0;   // eighths of a degree not yet a whole notch
  bool stepping = false;  // a wheel notch or key is moving a bar
};
