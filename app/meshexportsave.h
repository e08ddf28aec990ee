#pragma once
// "Export mesh…" of the picture's context menu: the whole surface as a mesh
// file (meshexport.h), asked for in TMeshExportDialog. The load bar shows
// how far it is, and its Cancel, or Esc, stops it and leaves no file;
// meanwhile every other input is held back, as while a turntable is made.

#include <QObject>

#include "input/meshexportdialog.h"

class QAction;
class TLoadBar;
class QWidget;

class TMeshExportSave : public QObject {
  Q_OBJECT

 public:
  // The action belongs to parent; owner and bar outlive this.
  TMeshExportSave(QWidget& owner, TLoadBar& bar, QObject* parent);

  // Asks and writes the mesh; cancel does nothing. Refuses with cError
  // while a load runs in the background (the bar is its) and when there is
  // no surface. Throws what ExportMesh throws; nothing of the file is left
  // then.
  void Export();

  QAction* action = nullptr;
  TMeshExportDialog Dialog;

 private:
  QWidget& owner;
  TLoadBar& bar;
  bool running = false;
};
