// The main window: the three scroll bars, drags, wheel turns and hovering in
// the picture, the window's keys, the picture's context menu, resizing and
// minimising.

#include <QScrollBar>

#include "catalogue.h"
#include "input.h"
#include "support/controlparts.h"
#include "world.h"

namespace {

QScrollBar* Bar(SoakWorld& world, std::size_t index) {
  QScrollBar* bars[] = {world.frame.ui.ScrollBarTheta, world.frame.ui.ScrollBarHeight,
                        world.frame.ui.ScrollBarZoom};
  return bars[index];
}

}  // namespace

void UseScrollBar(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  QScrollBar* bar = Bar(world, random.Below(3));
  const bool horizontal = bar->orientation() == Qt::Horizontal;
  const QString name = QString::fromStdString(NameOf(bar));
  switch (random.Weighted({4, 3, 3, 2, 1})) {
    case 0: {
      const QRect thumb = ThumbOf(bar);
      std::vector<QPoint> through(static_cast<std::size_t>(random.Between(1, 6)));
      for (QPoint& p : through) {
        // Along the bar, past its ends, and now and then far off to the side,
        // where a bar may snap its thumb back.
        const int along = random.Between(-40, (horizontal ? bar->width() : bar->height()) + 40);
        const int across = random.OneIn(6) ? random.Between(-200, 200) : random.Between(0, 15);
        p = horizontal ? QPoint(along, across) : QPoint(across, along);
      }
      step.description = "drag the thumb of " + name.toStdString() + " through " +
                         std::to_string(through.size()) + " points";
      step.perform = [bar, thumb, through](SoakWorld& w) {
        ActivateFor(w, &w.root);
        input::Drag(bar, Qt::LeftButton, thumb.center(), through);
      };
      return;
    }
    case 1: {
      const bool add = random.OneIn(2);
      const Qt::MouseButton button = random.OneIn(4) ? Qt::MiddleButton : Qt::LeftButton;
      const int fraction = random.Between(0, 999);
      step.description = "click the trough of " + name.toStdString() +
                         (add ? " after" : " before") + " the thumb" +
                         (button == Qt::MiddleButton ? " (middle button)" : "");
      step.perform = [bar, horizontal, add, button, fraction](SoakWorld& w) {
        ActivateFor(w, &w.root);
        QRect page = PartOf(bar, add ? QStyle::SC_ScrollBarAddPage : QStyle::SC_ScrollBarSubPage);
        if (page.isEmpty())  // the thumb is at that end
          page = PartOf(bar, QStyle::SC_ScrollBarGroove);
        const int along = (horizontal ? page.width() : page.height()) * fraction / 1000;
        const QPoint at = horizontal ? QPoint(page.left() + along, page.center().y())
                                     : QPoint(page.center().x(), page.top() + along);
        input::Click(bar, at, button);
      };
      return;
    }
    case 2: {
      const bool add = random.OneIn(2);
      const int clicks = random.Between(1, 4);
      step.description = "click the " + std::string(add ? "add" : "sub") + " arrow of " +
                         name.toStdString() + " " + std::to_string(clicks) + " times";
      step.perform = [bar, add, clicks](SoakWorld& w) {
        ActivateFor(w, &w.root);
        const QRect arrow =
            PartOf(bar, add ? QStyle::SC_ScrollBarAddLine : QStyle::SC_ScrollBarSubLine);
        for (int i = 0; i < clicks; ++i)
          input::Click(bar, arrow.center());
      };
      return;
    }
    case 3: {
      const int angle = random.Pick({120, -120, 240, -600, 40});
      step.description = "wheel " + std::to_string(angle) + " over " + name.toStdString();
      step.perform = [bar, angle](SoakWorld& w) {
        ActivateFor(w, &w.root);
        input::Wheel(bar, bar->rect().center(), angle);
      };
      return;
    }
    default: {
      const int pick = random.Between(-100, 999);
      step.description =
          "context menu of " + name.toStdString() + ", item at " + std::to_string(pick);
      step.perform = [bar, pick](SoakWorld& w) {
        ActivateFor(w, &w.root);
        input::ContextMenu(bar, bar->rect().center(), QString(), pick);
      };
    }
  }
}

void DragPicture(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  QWidget* picture = world.graph.window;
  const Qt::MouseButton button = random.Pick(
      {Qt::LeftButton, Qt::LeftButton, Qt::LeftButton, Qt::RightButton, Qt::MiddleButton});
  // With Shift held the left button pans.
  const Qt::KeyboardModifiers modifiers = random.OneIn(3) ? Qt::ShiftModifier : Qt::NoModifier;
  const QPoint from = PointIn(random, picture->rect());
  std::vector<QPoint> through(static_cast<std::size_t>(random.Between(1, 8)));
  QPoint at = from;
  for (QPoint& p : through) {
    const int reach = random.OneIn(8) ? 3000 : 200;
    const int dx = random.Between(-reach, reach);
    at += QPoint(dx, random.Between(-reach, reach));
    p = at;
  }
  step.description = "drag in the picture with button " + std::to_string(button) +
                     (modifiers ? " and Shift" : "") + " from (" + std::to_string(from.x()) + ", " +
                     std::to_string(from.y()) + ") through " + std::to_string(through.size()) +
                     " points";
  step.perform = [picture, button, from, through, modifiers](SoakWorld& w) {
    ActivateFor(w, &w.root);
    input::Drag(picture, button, from, through, modifiers);
  };
}

void DoubleClickPicture(SoakWorld& world, Step& step) {
  QWidget* picture = world.graph.window;
  const QPoint at = PointIn(world.random, picture->rect());
  step.description = "double-click in the picture at (" + std::to_string(at.x()) + ", " +
                     std::to_string(at.y()) + ")";
  step.perform = [picture, at](SoakWorld& w) {
    ActivateFor(w, &w.root);
    input::DoubleClick(picture, at);
  };
}

void WheelPicture(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  QWidget* picture = world.graph.window;
  const QPoint at = PointIn(random, picture->rect());
  const Qt::Orientation orientation = random.OneIn(10) ? Qt::Horizontal : Qt::Vertical;
  std::vector<int> angles(static_cast<std::size_t>(random.Between(1, 5)));
  std::string text;
  for (int& angle : angles) {
    angle = random.Pick({120, -120, 240, -240, 15, -15, 60, -60, 1200, -1200, 0});
    text += " " + std::to_string(angle);
  }
  step.description =
      "wheel in the picture:" + text + (orientation == Qt::Horizontal ? " (sideways)" : "");
  step.perform = [picture, at, orientation, angles](SoakWorld& w) {
    ActivateFor(w, &w.root);
    for (int angle : angles)
      input::Wheel(picture, at, angle, orientation);
  };
}

void HoverPicture(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  QWidget* picture = world.graph.window;
  std::vector<QPoint> points(static_cast<std::size_t>(random.Between(1, 5)));
  for (QPoint& p : points)
    p = PointIn(random, picture->rect());
  step.description = "move the mouse over the picture through " + std::to_string(points.size()) +
                     " points, no button held";
  step.perform = [picture, points](SoakWorld& w) {
    ActivateFor(w, &w.root);
    for (const QPoint& p : points)
      input::Hover(picture, p);
  };
}

void MainKey(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  // A click in the picture first gives it the keys, as a user's would.
  const bool clickFirst = random.OneIn(3);
  const QPoint at = PointIn(random, world.graph.window->rect());
  struct Key {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* name;
  };
  const Key key = random.Pick<Key>({{Qt::Key_Home, Qt::NoModifier, "Home"},
                                    {Qt::Key_Left, Qt::NoModifier, "Left"},
                                    {Qt::Key_Right, Qt::NoModifier, "Right"},
                                    {Qt::Key_Up, Qt::NoModifier, "Up"},
                                    {Qt::Key_Down, Qt::NoModifier, "Down"},
                                    {Qt::Key_Left, Qt::ShiftModifier, "Shift+Left"},
                                    {Qt::Key_Right, Qt::ShiftModifier, "Shift+Right"},
                                    {Qt::Key_Up, Qt::ShiftModifier, "Shift+Up"},
                                    {Qt::Key_Down, Qt::ShiftModifier, "Shift+Down"},
                                    {Qt::Key_Left, Qt::ControlModifier, "Ctrl+Left"},
                                    {Qt::Key_Right, Qt::ControlModifier, "Ctrl+Right"},
                                    {Qt::Key_Up, Qt::ControlModifier, "Ctrl+Up"},
                                    {Qt::Key_Down, Qt::ControlModifier, "Ctrl+Down"},
                                    {Qt::Key_PageUp, Qt::NoModifier, "PageUp"},
                                    {Qt::Key_PageDown, Qt::NoModifier, "PageDown"},
                                    {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
                                    {Qt::Key_S, Qt::ControlModifier, "Ctrl+S"},
                                    {Qt::Key_O, Qt::ControlModifier, "Ctrl+O"},
                                    {Qt::Key_B, Qt::ControlModifier, "Ctrl+B"},
                                    {Qt::Key_F5, Qt::NoModifier, "F5"},
                                    {Qt::Key_L, Qt::NoModifier, "L"},
                                    {Qt::Key_K, Qt::NoModifier, "K"},
                                    {Qt::Key_A, Qt::NoModifier, "A"},
                                    {Qt::Key_P, Qt::NoModifier, "P"}});
  step.description =
      std::string(clickFirst ? "click in the picture, " : "") + key.name + " in the main window";
  if (key.key == Qt::Key_C)
    ExpectCopy(step);
  else if (key.key == Qt::Key_S)
    ExpectSave(world, step);
  else if (key.key == Qt::Key_O)
    ExpectDialogLoad(world, step, Reader::PointGrid, 0);
  else if (key.key == Qt::Key_B)
    ExpectDialogLoad(world, step, Reader::HeightField, 3);
  else if (key.key == Qt::Key_F5)
    ExpectReload(world, step);
  step.perform = [clickFirst, at, key](SoakWorld& w) {
    ActivateFor(w, &w.root);
    if (clickFirst)
      input::Click(w.graph.window, at);
    input::Key(&w.root, key.key, key.modifiers);
  };
}

void PictureMenu(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const QPoint at = PointIn(random, world.graph.window->rect());
  // How the data is drawn: every item but the vertical scale's and the
  // colour range's "Other…", whose dialogs ask for a number or a range.
  static const char* const kItems[] = {"Copy",
                                       "Save picture…",
                                       "Reset view",
                                       "Reload when the file changes",
                                       "Light",
                                       "Light from all sides",
                                       "Colour bar",
                                       "Axes",
                                       "Slope and aspect",
                                       "Colours/Grey",
                                       "Colours/Viridis",
                                       "Colours/Cividis",
                                       "Colours/Inferno",
                                       "Colours/Terrain",
                                       "Colours/Picture's own colours",
                                       "Colours/Colours of the data",
                                       "Vertical scale/×0.25",
                                       "Vertical scale/×1",
                                       "Vertical scale/×8",
                                       "Smooth edges/Off",
                                       "Smooth edges/2 × 2 samples",
                                       "Contour lines/Off",
                                       "Contour lines/At the colour bar's values",
                                       "Contour lines/Their values",
                                       "Colour range/Full",
                                       "Colour range/2–98 %",
                                       "Colour range/0.5–99.5 %",
                                       "Colour range/Logarithmic colours",
                                       "Profile…",
                                       "Save turntable…",
                                       "Export mesh…"};
  constexpr std::size_t kEscape = std::size(kItems);
  // Smooth edges draw every full picture four times over: off again twice as
  // often as on.
  const std::size_t item = random.Weighted({3, 3, 3, 3, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                            1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2});
  step.description = std::string("context menu of the picture: ") +
                     (item < kEscape ? kItems[item] : "leave with Escape");
  if (item == 0)
    ExpectCopy(step);
  else if (item == 1)
    ExpectSave(world, step);
  else if (item == 3)
    world.watching = !world.watching;
  else if (item == kEscape - 2)
    ExpectTurntable(world, step);
  else if (item == kEscape - 1)
    ExpectMeshExport(world, step);
  const QString text = item < kEscape ? QString::fromUtf8(kItems[item]) : QString();
  step.perform = [at, text](SoakWorld& w) {
    ActivateFor(w, &w.root);
    input::ContextMenu(w.graph.window, at, text, text.isEmpty() ? -1 : 0);
  };
}

void ResizeMain(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  // Down to nothing (the layout's minimum then), small, usual and large.
  int width = random.Pick({0, 1, 10, 33, 200, 640, 1000, 1400});
  width += random.Between(0, 9);
  int height = random.Pick({0, 1, 10, 17, 150, 480, 800, 1000});
  height += random.Between(0, 9);
  step.description =
      "resize the main window to " + std::to_string(width) + "x" + std::to_string(height);
  step.perform = [width, height](SoakWorld& w) { w.root.resize(width, height); };
}

void MinimiseMain(SoakWorld&, Step& step) {
  step.description = "minimise the main window and restore it";
  step.perform = [](SoakWorld& w) {
    w.root.showMinimized();
    input::Settle();
    w.root.showNormal();
  };
}
