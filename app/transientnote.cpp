#include "app/transientnote.h"

TTransientNote::TTransientNote(QWidget* over) : QLabel(over) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setStyleSheet(QStringLiteral(
      "background-color: rgba(0, 0, 0, 160); color: white; padding: 4px 8px; border-radius: 3px"));
  hide();
  hideTimer.setSingleShot(true);
  connect(&hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void TTransientNote::Show(const QString& text) {
  setText(text);
  adjustSize();
  move(8, 8);
  raise();
  show();
  hideTimer.start(kShownMs);
}
