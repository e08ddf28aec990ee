// The Status window's controls: the switches, the plane sliders, the
// grey-level spinner and its box, the point table, keys to whatever has the
// focus, and the controls' own context menus.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>

#include "catalogue.h"
#include "checks.h"
#include "input.h"
#include "support/controlparts.h"
#include "texts.h"
#include "world.h"

namespace {

QCheckBox* CheckBox(SoakWorld& world, std::size_t index) {
  QCheckBox* boxes[] = {world.status.ui.CheckBoxDisp3D, world.status.ui.CheckBoxDispXY,
                        world.status.ui.CheckBoxDispYZ, world.status.ui.CheckBoxDispZX};
  return boxes[index];
}

QSlider* PlaneSlider(SoakWorld& world, std::size_t index) {
  QSlider* sliders[] = {world.status.ui.TrackBarX, world.status.ui.TrackBarY,
                        world.status.ui.TrackBarZ};
  return sliders[index];
}

QLineEdit* SpinnerText(SoakWorld& world) {
  return world.status.ui.UpDownLevel->findChild<QLineEdit*>();
}

// The cell editor that has the focus, if one does.
QLineEdit* CellEditor(SoakWorld& world) {
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  return editor && world.status.ui.StringGridData->isAncestorOf(editor) ? editor : nullptr;
}

const char* KeyName(int key) {
  switch (key) {
    case Qt::Key_Return:
      return "Return";
    case Qt::Key_Enter:
      return "Enter";
    case Qt::Key_Tab:
      return "Tab";
    case Qt::Key_Backtab:
      return "Backtab";
    case Qt::Key_Escape:
      return "Escape";
    default:
      return "a key";
  }
}

}  // namespace

void ClickCheckBox(SoakWorld& world, Step& step) {
  QCheckBox* box = CheckBox(world, world.random.Below(4));
  step.description = "click " + NameOf(box);
  step.perform = [box](SoakWorld& w) {
    ActivateFor(w, &w.status);
    input::Click(box, box->rect().center());
  };
}

void MovePlaneSlider(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  QSlider* slider = PlaneSlider(world, random.Below(3));
  const QRect handle = ThumbOf(slider);
  switch (random.Weighted({4, 2, 2, 1})) {
    case 0: {
      std::vector<QPoint> through(static_cast<std::size_t>(random.Between(1, 6)));
      for (QPoint& p : through)
        p = PointIn(random, slider->rect().adjusted(-10, -30, 10, 30));
      step.description = "drag the handle of " + NameOf(slider) + " through " +
                         std::to_string(through.size()) + " points";
      step.perform = [slider, handle, through](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Drag(slider, Qt::LeftButton, handle.center(), through);
      };
      break;
    }
    case 1: {
      const QPoint at = PointIn(random, slider->rect());
      const Qt::MouseButton button = random.OneIn(4) ? Qt::MiddleButton : Qt::LeftButton;
      step.description = "click the groove of " + NameOf(slider) + " at " + std::to_string(at.y());
      step.perform = [slider, at, button](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Click(slider, at, button);
      };
      break;
    }
    case 2: {
      const int key = random.Pick({Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                   Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right});
      step.description = "click the handle of " + NameOf(slider) + ", key " + std::to_string(key);
      step.perform = [slider, handle, key](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Click(slider, handle.center());
        input::Key(&w.status, key);
      };
      break;
    }
    default: {
      const int angle = random.Pick({120, -120, 360, -360, 30});
      step.description = "wheel " + std::to_string(angle) + " over " + NameOf(slider);
      step.perform = [slider, angle](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Wheel(slider, slider->rect().center(), angle);
      };
    }
  }
}

void UseSpinner(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  QSpinBox* spinner = world.status.ui.UpDownLevel;
  switch (random.Weighted({5, 2, 2, 2})) {
    case 0: {
      const bool up = random.OneIn(2);
      const int clicks = random.Between(1, 3);
      step.description = std::string("click the spinner's ") + (up ? "up" : "down") + " arrow " +
                         std::to_string(clicks) + " times";
      step.perform = [spinner, up, clicks](SoakWorld& w) {
        ActivateFor(w, &w.status);
        const QRect arrow = PartOf(spinner, up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown);
        for (int i = 0; i < clicks; ++i)
          input::Click(spinner, arrow.center());
      };
      break;
    }
    case 1: {
      const int angle = random.Pick({120, -120, 240, -480, 60});
      step.description = "wheel " + std::to_string(angle) + " over the spinner";
      step.perform = [spinner, angle](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Wheel(spinner, spinner->rect().center(), angle);
      };
      break;
    }
    case 2: {
      const int key = random.Pick({Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown});
      step.description = "key " + std::to_string(key) + " in the spinner";
      step.perform = [spinner, key](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Click(spinner, PartOf(spinner, QStyle::SC_SpinBoxEditField).center());
        input::Key(&w.status, key);
      };
      break;
    }
    default: {
      const std::string text = LevelText(random);
      step.description = "type \"" + text + "\" into the spinner, Return";
      step.perform = [text](SoakWorld& w) {
        ActivateFor(w, &w.status);
        QLineEdit* edit = SpinnerText(w);
        input::Click(edit, edit->rect().center());
        input::Key(&w.status, Qt::Key_A, Qt::ControlModifier);
        input::Type(edit, text, input::Typing::Keys);
        input::Key(&w.status, Qt::Key_Return);
      };
    }
  }
}

void TypeLevel(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const std::string text = LevelText(random);
  const bool replace = !random.OneIn(4);
  const int end = random.Pick<int>(
      {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Escape});
  step.description = "type \"" + text + "\" into EditLevel" + (replace ? "" : " after its text") +
                     ", " + KeyName(end);
  step.perform = [text, replace, end](SoakWorld& w) {
    ActivateFor(w, &w.status);
    QLineEdit* edit = w.status.ui.EditLevel;
    input::Click(edit, edit->rect().center());
    input::Key(&w.status, replace ? Qt::Key_A : Qt::Key_End,
               replace ? Qt::ControlModifier : Qt::NoModifier);
    input::Type(edit, text, input::Typing::Keys);
    input::Key(&w.status, end);
  };
}

void EditCell(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  // Row 9 below the points is editable too, and never read. A cell whose
  // number is too large (every change of the controls reports it) is what
  // the user mends first, often.
  int row = random.Between(0, 8);
  int column = random.Between(0, 2);
  const std::optional<QPoint> tooLarge = CellTooLarge(world.status);
  if (tooLarge && random.OneIn(2)) {
    row = tooLarge->y() - 1;
    column = tooLarge->x();
  }
  // Another cell, clicked first when the target is already the current one
  // (a click there would start the table's delayed editing, on a timer).
  const int otherRow = (row + random.Between(1, 8)) % 9;
  const std::string text = CellText(random);
  const input::Typing typing =
      text.size() > 80 ? random.Pick({input::Typing::InputMethod, input::Typing::Paste})
                       : random.Pick({input::Typing::Keys, input::Typing::Keys,
                                      input::Typing::InputMethod, input::Typing::Paste});
  const bool replace = !random.OneIn(4);
  const int finish = random.Pick<int>({0, 0, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape});
  // Where the focus goes when the table is left.
  const std::size_t leaveTo = random.Below(4);
  const std::size_t box = random.Below(4);
  const std::size_t slider = random.Below(3);

  std::string shown = text.size() > 60
                          ? text.substr(0, 60) + "... (" + std::to_string(text.size()) + " bytes)"
                          : text;
  step.description = "edit cell (" + std::to_string(column) + ", " + std::to_string(row + 1) +
                     "): " + (replace ? "" : "append ") + "\"" + shown + "\" by " +
                     (typing == input::Typing::Keys          ? "keys"
                      : typing == input::Typing::InputMethod ? "input method"
                                                             : "paste") +
                     (finish ? std::string(", ") + KeyName(finish) : std::string()) +
                     ", leave to " + std::to_string(leaveTo);
  step.perform = [row, column, otherRow, text, typing, replace, finish, leaveTo, box,
                  slider](SoakWorld& w) {
    ActivateFor(w, &w.status);
    QTableWidget* grid = w.status.ui.StringGridData;
    const auto click = [grid](int r, int c) {
      input::Click(grid->viewport(), grid->visualItemRect(grid->item(r, c)).center());
    };
    const bool current = grid->currentRow() == row && grid->currentColumn() == column;
    if (!current) {
      click(row, column);
    } else if (!CellEditor(w)) {
      if (QApplication::focusWidget() == grid) {
        input::Key(&w.status, Qt::Key_F2);
      } else {
        click(otherRow, column);
        click(row, column);
      }
    }
    QLineEdit* editor = CellEditor(w);
    if (!editor) {
      w.inputFaults.push_back("no cell editor opened");
      return;
    }
    input::Key(&w.status, replace ? Qt::Key_A : Qt::Key_End,
               replace ? Qt::ControlModifier : Qt::NoModifier);
    input::Type(editor, text, typing);
    if (finish)
      input::Key(&w.status, finish);
    switch (leaveTo) {
      case 0:
        input::Click(w.status.ui.EditLevel, w.status.ui.EditLevel->rect().center());
        break;
      case 1:
        input::Click(CheckBox(w, box), CheckBox(w, box)->rect().center());
        break;
      case 2: {
        QSlider* s = PlaneSlider(w, slider);
        input::Click(s, ThumbOf(s).center());
        break;
      }
      default: {
        QLineEdit* spin = SpinnerText(w);
        input::Click(spin, spin->rect().center());
      }
    }
  };
}

void StatusKey(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  switch (random.Weighted({6, 1, 1, 1, 1, 1})) {
    case 0: {
      // Whatever has the focus gets it; a focused button would take Space
      // as a click, which the step would have to expect.
      const bool onButton = qobject_cast<QPushButton*>(world.status.focusWidget()) != nullptr;
      const int key =
          onButton ? random.Pick<int>(
                         {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Up, Qt::Key_Down, Qt::Key_Escape})
                   : random.Pick<int>({Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Up, Qt::Key_Down,
                                       Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp,
                                       Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End, Qt::Key_Space,
                                       Qt::Key_Return, Qt::Key_Escape, Qt::Key_F2});
      step.description = "key " + std::to_string(key) + " in the Status window to " +
                         NameOf(world.status.focusWidget());
      step.perform = [key](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Key(&w.status, key);
      };
      return;
    }
    case 1:
      step.description = "Ctrl+S in the Status window";
      ExpectSave(world, step);
      break;
    case 2:
      step.description = "Ctrl+O in the Status window";
      ExpectDialogLoad(world, step, Reader::PointGrid, 0);
      break;
    case 3:
      step.description = "Ctrl+B in the Status window";
      ExpectDialogLoad(world, step, Reader::HeightField, 3);
      break;
    case 4:
      step.description = "F5 in the Status window";
      ExpectReload(world, step);
      step.perform = [](SoakWorld& w) {
        ActivateFor(w, &w.status);
        input::Key(&w.status, Qt::Key_F5);
      };
      return;
    default:
      // Not a key of the window: a text box or the table copies its text.
      step.description = "Ctrl+C in the Status window to " + NameOf(world.status.focusWidget());
      break;
  }
  const int key = step.save              ? Qt::Key_S
                  : step.dialogs.empty() ? Qt::Key_C
                  : step.dialogs[0] == 3 ? Qt::Key_B
                                         : Qt::Key_O;
  step.perform = [key](SoakWorld& w) {
    ActivateFor(w, &w.status);
    input::Key(&w.status, key, Qt::ControlModifier);
  };
}

void SelectCells(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  // From one cell across others; the last differs from the first, so that
  // the release is no click on the first (which would start the table's
  // delayed editing, on a timer).
  const QPoint from(random.Between(0, 2), random.Between(0, 8));
  std::vector<QPoint> cells(static_cast<std::size_t>(random.Between(1, 4)));
  for (QPoint& cell : cells) {
    const int x = random.Between(0, 2);
    cell = QPoint(x, random.Between(0, 8));
  }
  if (cells.back() == from)
    cells.back() = QPoint((from.x() + 1) % 3, from.y());
  step.description = "select cells by dragging from (" + std::to_string(from.x()) + ", " +
                     std::to_string(from.y() + 1) + ") across " + std::to_string(cells.size());
  step.perform = [from, cells](SoakWorld& w) {
    ActivateFor(w, &w.status);
    QTableWidget* grid = w.status.ui.StringGridData;
    const auto at = [grid](QPoint cell) {
      return grid->visualItemRect(grid->item(cell.y(), cell.x())).center();
    };
    std::vector<QPoint> through;
    for (const QPoint& cell : cells)
      through.push_back(at(cell));
    input::Drag(grid->viewport(), Qt::LeftButton, at(from), through);
  };
}

void StatusMenu(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const bool spinner = random.OneIn(2);
  const int pick = random.Between(-100, 999);
  QWidget* target = spinner ? static_cast<QWidget*>(world.status.ui.UpDownLevel)
                            : static_cast<QWidget*>(world.status.ui.EditLevel);
  step.description = "context menu of " + NameOf(target) + ", item at " + std::to_string(pick);
  step.perform = [target, pick](SoakWorld& w) {
    ActivateFor(w, &w.status);
    input::ContextMenu(target, target->rect().center(), QString(), pick);
  };
}
