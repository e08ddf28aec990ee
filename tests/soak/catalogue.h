#pragma once
// The soak's catalogue: every control and input of the program, each action
// drawn with its arguments. A builder draws everything it needs from the
// generator at once and fills the step (description, input, expectations);
// the input runs later, after the step's description has been noted.

#include <string>

#include <QPoint>
#include <QRect>

#include "expect.h"
#include "step.h"

class QWidget;
class SoakRandom;
class SoakWorld;

// The next action, drawn by its weight.
Step DrawStep(SoakWorld& world);

// The Status window's controls (controls.cpp).
void ClickCheckBox(SoakWorld& world, Step& step);
void MovePlaneSlider(SoakWorld& world, Step& step);
void UseSpinner(SoakWorld& world, Step& step);
void TypeLevel(SoakWorld& world, Step& step);
void EditCell(SoakWorld& world, Step& step);
void SelectCells(SoakWorld& world, Step& step);
void StatusKey(SoakWorld& world, Step& step);
void StatusMenu(SoakWorld& world, Step& step);

// The main window (view.cpp).
void UseScrollBar(SoakWorld& world, Step& step);
void DragPicture(SoakWorld& world, Step& step);
void WheelPicture(SoakWorld& world, Step& step);
void DoubleClickPicture(SoakWorld& world, Step& step);
// A load held in the background and stopped: by the bar's Cancel, by Esc,
// or by a second load.
void StopLoadInBackground(SoakWorld& world, Step& step);
void HoverPicture(SoakWorld& world, Step& step);
void MainKey(SoakWorld& world, Step& step);
void PictureMenu(SoakWorld& world, Step& step);
void ResizeMain(SoakWorld& world, Step& step);
void MinimiseMain(SoakWorld& world, Step& step);

// The Profile window (profile.cpp): opened by its key, the planes dragged
// with it open, the cursor over a chart, its Copy, closing it.
void UseProfile(SoakWorld& world, Step& step);

// Buttons, loads and the picture out (loads.cpp).
void ClickButton(SoakWorld& world, Step& step);
void DropOnMain(SoakWorld& world, Step& step);
void OpenFromCommandLine(SoakWorld& world, Step& step);
// `--output --turntable N` of a file, drawn in the soak's own process: its
// status is the still picture's, and its first frame that picture.
void OutputTurntable(SoakWorld& world, Step& step);
void OutputColourRange(SoakWorld& world, Step& step);
// `--profile` of a file, with or without --output, in the soak's own
// process: its status is the load's, and a written file begins with its
// header.
void OutputProfile(SoakWorld& world, Step& step);
// `--export-mesh` of a file in some format and settings, with or without
// --output, in the soak's own process: a written mesh is whole, and a
// failure leaves nothing.
void OutputMesh(SoakWorld& world, Step& step);
// Another program writes a file the program follows, or some other file.
void RewriteFile(SoakWorld& world, Step& step);
// Web addresses (web.cpp): "Open URL…" in the picture's context menu, and
// a link dropped on the main window.
void OpenAddress(SoakWorld& world, Step& step);
void DropLink(SoakWorld& world, Step& step);
// What the keys and menus that load, save or copy lead to, added to step.
void ExpectDialogLoad(SoakWorld& world, Step& step, Reader reader, int filter);
void ExpectReload(SoakWorld& world, Step& step);
void ExpectSave(SoakWorld& world, Step& step);
void ExpectTurntable(SoakWorld& world, Step& step);
void ExpectMeshExport(SoakWorld& world, Step& step);
void ExpectCopy(Step& step);

// Shared by the parts.
QPoint PointIn(SoakRandom& random, const QRect& rect);
std::string NameOf(const QWidget* widget);
// Activates window as the user's click would; a window that does not
// become active is a fault of the step.
void ActivateFor(SoakWorld& world, QWidget* window);
