#pragma once
// Input as a user gives it, through real events: clicks and drags on the
// parts of controls (a scroll bar's thumb, trough and arrows, a slider's
// handle and groove, the spinner's arrows), wheel turns, keys to the active
// window with its shortcuts, text typed, committed by an input method or
// pasted, context menus with one of their items chosen, and the event loop
// driven until the program has nothing left to do.

#include <string>
#include <vector>

#include <QPoint>

class QWidget;

namespace input {

// Starts the input of a step. quick: the press and release of a click or a
// key stroke come in one batch, as the window system delivers a fast click,
// so that what the press posts runs after the release; otherwise the loop
// runs between any two events. standIn: where the events go once a message
// box has been shown (BoxShown): a real box is modal and takes the rest of
// the step's input, so the events still go out, and the user's buttons and
// keys end up released, but not to the program's widgets.
void StartStep(bool quick, QWidget* standIn);
// A message box has been shown in this step.
void BoxShown();

// Runs the event loop until nothing is pending: posted events, the window
// system's replies, deferred deletions, and the program's own timers that
// are running (waited for, never skipped). Never sleeps for a set time.
// False when the program was still busy after a generous while (stuck).
bool Settle();

// Activates window as a click on it would, and waits until it is active.
// False when the window system did not activate it.
bool Activate(QWidget* window);

// Presses button at from, moves through the points, releases at the last
// one (all in widget's coordinates), with modifiers held throughout.
void Drag(QWidget* widget, Qt::MouseButton button, QPoint from, const std::vector<QPoint>& through,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier);

void Click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// A double-click of the left button at at, as the window system sends it.
void DoubleClick(QWidget* widget, QPoint at);

// Moves the pointer to at with no button held (the window system's pointer
// moves, and the widgets under it see it).
void Hover(QWidget* widget, QPoint at);

// A wheel turn of angle eighths of a degree (120 a notch) at at.
void Wheel(QWidget* widget, QPoint at, int angle, Qt::Orientation orientation = Qt::Vertical);

// Presses and releases key in the active window: to its focus widget, or to
// the window itself; shortcuts go first, as the window system delivers keys.
void Key(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// How text reaches a line edit.
enum class Typing { Keys, InputMethod, Paste };
void Type(QWidget* editor, const std::string& utf8, Typing typing);

// Asks widget for its context menu at at, as a right click does, and once
// the menu is open (at once, or when Settle runs the loop for a menu that
// does not wait) clicks the item whose text is item, or the item at
// fraction pick / 1000 of the list when item is empty, or leaves the menu
// with Escape when pick is negative. Submenus, separators and disabled items
// are never chosen.
void ContextMenu(QWidget* widget, QPoint at, const QString& item, int pick);

}  // namespace input
