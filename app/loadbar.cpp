#include "app/loadbar.h"

#include <cmath>

#include "view/handlerguard.h"

TLoadBar::TLoadBar(QWidget* over) : QWidget(over) {
  ui.setupUi(this);
  hide();
  connect(ui.ButtonCancel, &QPushButton::clicked, this, [this] {
    if (cancel)
      RunHandler(cancel);
  });
}

void TLoadBar::Show(double done) {
  ui.ProgressBarLoad->setValue(static_cast<int>(std::lround(done * ui.ProgressBarLoad->maximum())));
  // Placed again each time: the window may have been resized meanwhile.
  adjustSize();
  move(8, parentWidget()->height() - height() - 8);
  if (isVisible())
    return;
  raise();
  show();
}
