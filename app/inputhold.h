#pragma once
// While a long piece of work runs in the event loop's stead (a turntable, a
// mesh), every input to the program's windows is held back but the load
// bar's Cancel, so that the work sees the state it started from; Esc
// cancels as that button does.

#include <functional>

#include <QObject>

class QWidget;

class TInputHold : public QObject {
 public:
  // Holds input back until destroyed; cancel is called for Esc.
  TInputHold(const QWidget* cancelButton, std::function<void()> cancel);
  ~TInputHold() override;
  TInputHold(const TInputHold&) = delete;
  TInputHold& operator=(const TInputHold&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const QWidget* cancelButton;
  std::function<void()> cancel;
};
