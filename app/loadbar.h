#pragma once
// The progress of a load that runs in the background, with its Cancel
// button, lying over the bottom left corner of the picture while the load
// runs. It is a widget of its own over the picture: the picture, and what
// Copy, Save and the command line take of it, stays as drawn.

#include <functional>

#include <QWidget>

#include "ui_loadbar.h"

class TLoadBar : public QWidget {
  Q_OBJECT

 public:
  // Lies over the panel over, which owns it; hidden at first.
  explicit TLoadBar(QWidget* over);

  // Shows the bar at done (0 to 1).
  void Show(double done);

  // Called when Cancel is clicked.
  std::function<void()> cancel;

  Ui::TLoadBar ui;
};
