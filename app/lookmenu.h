#pragma once
// The picture's context menu for how the data is drawn (PictureLook): the
// colour maps and the volume's own colours, the light (L) and whether it
// comes from all sides, the colour bar (K),
// the axes (A), the slope in the value under the cursor, the vertical scale,
// smooth edges, contour lines, the colour range and logarithmic colours.
// Every choice reaches the look through changed.

#include <functional>

#include <QObject>

#include "app/picturelook.h"

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

class TLookMenu : public QObject {
  Q_OBJECT

 public:
  // The menus belong to parent; the keys work where parent has the focus.
  explicit TLookMenu(QWidget* parent);

  // The actions to put in the picture's context menu, in order.
  QList<QAction*> Actions() const;

  // The look the menu shows; setting it checks the matching items.
  const PictureLook& Look() const { return look; }
  void SetLook(const PictureLook& look);

  // Told every change the user makes, with the new look.
  std::function<void(const PictureLook&)> changed;

  QAction* light = nullptr;
  QAction* lightAllSides = nullptr;
  QAction* colourBar = nullptr;
  QAction* axes = nullptr;
  QAction* slope = nullptr;
  QAction* volumeColours = nullptr;
  QAction* logColours = nullptr;

 private:
  void Change();
  void AskScale();
  void AskContourStep();
  void AskRange();

  PictureLook look;
  QAction* colours = nullptr;  // with the maps' submenu
  QAction* scale = nullptr;    // with the scales' submenu
  QAction* smooth = nullptr;   // with the submenu of how smooth
  QActionGroup* maps = nullptr;
  QActionGroup* scales = nullptr;
  QActionGroup* smoothness = nullptr;
  QAction* otherScale = nullptr;
  QAction* contours = nullptr;  // with the submenu of contour lines
  QActionGroup* contourChoices = nullptr;
  QAction* contoursOff = nullptr;
  QAction* contoursAuto = nullptr;
  QAction* contourStep = nullptr;
  QAction* contourLabels = nullptr;
  QAction* range = nullptr;  // with the ranges' submenu
  QActionGroup* ranges = nullptr;
  QAction* otherRange = nullptr;
  QWidget* parent;
};
