#pragma once
// A short note over the picture that goes by itself after a few seconds (a
// raster read reduced, say). It lies over the picture as a widget of its own:
// the picture itself, and what Copy, Save and the command line take of it,
// stays as drawn.

#include <QLabel>
#include <QTimer>

class TTransientNote : public QLabel {
  Q_OBJECT

 public:
  // Lies over the top left corner of over, which owns it.
  explicit TTransientNote(QWidget* over);

  // Shows text until it is replaced or kShown has passed.
  void Show(const QString& text);

  static constexpr int kShownMs = 6000;

 private:
  QTimer hideTimer;
};
