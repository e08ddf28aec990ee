#pragma once
// TFormRoot: the main window. Its only content is the view-control frame and
// its only logic is attaching the plot view once everything exists.

#include <QWidget>

#include "ui_formroot.h"

class TFormRoot : public QWidget {
  Q_OBJECT

 public:
  explicit TFormRoot(QWidget* parent = nullptr);

  void FormCreate();

  Ui::TFormRoot ui;

 protected:
  // Closing the main window ends the program, whatever else is still open.
  void closeEvent(QCloseEvent* event) override;
};

// The main window while the program runs (set by the entry function).
extern TFormRoot* FormRoot;
