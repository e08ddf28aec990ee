#include "catalogue.h"

#include <QApplication>
#include <QWidget>

#include "input.h"
#include "world.h"

namespace {

struct Entry {
  void (*build)(SoakWorld&, Step&);
  int weight;
};

// Weights: what a person does most (the table, the bars, the picture, loads)
// comes most often; every entry comes hundreds of times in a few thousand
// actions. One a line, however many there are.
// clang-format off
constexpr Entry kCatalogue[] = {
    {ClickCheckBox, 6},
    {MovePlaneSlider, 8},
    {UseSpinner, 5},
    {TypeLevel, 3},
    {EditCell, 14},
    {SelectCells, 1},
    {StatusKey, 5},
    {StatusMenu, 2},
    {UseScrollBar, 10},
    {DragPicture, 5},
    {WheelPicture, 4},
    {HoverPicture, 2},
    {MainKey, 8},
    {PictureMenu, 4},
    {ResizeMain, 3},
    {MinimiseMain, 1},
    {ClickButton, 10},
    {DropOnMain, 8},
    {OpenFromCommandLine, 3},
    {OutputTurntable, 1},
    {OutputColourRange, 1},
    {OutputProfile, 1},
    {OutputMesh, 1},
    {RewriteFile, 4},
    {DoubleClickPicture, 2},
    {StopLoadInBackground, 3},
    {OpenAddress, 2},
    {DropLink, 2},
    {UseProfile, 4},
};
// clang-format on

}  // namespace

Step DrawStep(SoakWorld& world) {
  int sum = 0;
  for (const Entry& entry : kCatalogue)
    sum += entry.weight;
  int at = static_cast<int>(world.random.Below(static_cast<std::uint64_t>(sum)));
  Step step;
  for (const Entry& entry : kCatalogue) {
    if (at < entry.weight) {
      entry.build(world, step);
      break;
    }
    at -= entry.weight;
  }
  return step;
}

QPoint PointIn(SoakRandom& random, const QRect& rect) {
  const int x = random.Between(rect.left(), std::max(rect.left(), rect.right()));
  const int y = random.Between(rect.top(), std::max(rect.top(), rect.bottom()));
  return {x, y};
}

std::string NameOf(const QWidget* widget) {
  if (!widget)
    return "nothing";
  const QString name = widget->objectName();
  return name.isEmpty() ? widget->metaObject()->className() : name.toStdString();
}

void ActivateFor(SoakWorld& world, QWidget* window) {
  if (!input::Activate(window))
    world.inputFaults.push_back("the window " + NameOf(window) + " did not become active");
}
