#pragma once
// A long piece of work that runs in the event loop's stead (a turntable, a
// mesh) on the load bar: while it lives the bar shows how far it is, every
// input to the program's windows is held back but the bar's Cancel, so
// that the work sees the state it started from, and Esc cancels as that
// button does.

#include <functional>

#include <QObject>

class TLoadBar;

// Throws cError while a load runs in the background: the bar is its, and
// the work would see data that is about to change.
void RefuseWhileLoading();

class TBarWork : public QObject {
 public:
  // Takes the bar over (its Cancel among it) until destroyed.
  explicit TBarWork(TLoadBar& bar);
  ~TBarWork() override;
  TBarWork(const TBarWork&) = delete;
  TBarWork& operator=(const TBarWork&) = delete;

  // Shows done (0 to 1) on the bar and lets the screen and the Cancel
  // through; returns whether to go on.
  bool Step(double done);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TLoadBar& bar;
  bool cancelled = false;
  std::function<void()> loadCancel;  // the bar's own, given back at the end
};
