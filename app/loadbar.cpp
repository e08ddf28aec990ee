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
  if (isVisible())
    return;
  adjustSize();
  move(8, parentWidget()->height() - height() - 8);
  raise();
  show();
}
