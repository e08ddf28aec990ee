#pragma once
// The invariants, checked after every action:
// - no error was left at a handler's boundary after its event was processed;
// - at most one message box, exactly one for each load that failed, with the
//   failure's text, and those the step expects besides (a click that leaves
//   the table with a number too large); the dialogs the action must show,
//   and no others, the address dialog with the address given it last;
// - after a failed load or a cancelled dialog the surface's points, the
//   volume's field and the picture are byte for byte as before, redrawn;
//   after a successful load they equal what the readers give for the file;
//   any other action leaves both objects' data alone;
// - Save picture writes the picture whole, or shows one message and leaves
//   no file; Save turntable writes its frames, the first the picture, or
//   shows one message and leaves no file; Copy puts the picture on the
//   clipboard;
// - the picture has the frame's size (empty at no size);
// - F5 would load the files the loads read last, each as it was read; the
//   switch "Reload when the file changes" is as the steps left it;
// - the point table shows its eight points as "%lf,%lf,%lf" once it has been
//   left, up to a cell whose number is too large to take; the grey-level box
//   shows the spinner's position once it has been left;
// - no GL error is pending; nothing is left holding the mouse, the keyboard,
//   a popup, a modal window or the busy cursor; both windows are open.

#include <cstdint>
#include <string>
#include <vector>

#include <optional>

#include <QImage>
#include <QPoint>
#include <QStringList>

#include "step.h"

class SoakWorld;
class TFormStatus;

// The first cell of the point table, in the order the table is read (row
// after row from row 1), whose number is too large to take: the cell
// (column, row) where reading the table stops with an error. Nothing when
// every cell can be read.
std::optional<QPoint> CellTooLarge(const TFormStatus& status);

// The point table or its cell editor has the Status window's focus (the
// window's, whether or not the window is active).
bool TableHasFocus(const TFormStatus& status);

// A plot object's data: where it lives, its sizes, and a digest of its bytes.
struct DataState {
  const void* array = nullptr;
  std::uint32_t sizes[3] = {0, 0, 0};
  std::size_t digest = 0;
  friend bool operator==(const DataState&, const DataState&) = default;
};

// The state before an action that its checks compare with.
struct Before {
  DataState surface;
  DataState volume;
  // The files of the save's folder.
  QStringList folder;
};

// Takes what step's checks need; draws the scene before a load that no
// dialog opens (SoakWorld::DrawSceneBeforeLoad).
Before TakeBefore(SoakWorld& world, const Step& step);

// The invariants that step broke, one line each; empty when all hold.
std::vector<std::string> CheckAfter(SoakWorld& world, const Step& step, const Before& before);
