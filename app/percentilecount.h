#pragma once
// The count behind percentiles of a raster held at levels, which reads the
// whole file: on a thread of its own, with the load bar's progress and its
// Cancel, so that the windows go on meanwhile. The levels keep the counts,
// and the colour range then takes them at once.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <QObject>
#include <QTimer>

#include "base/heightlevels.h"

class TLoadBar;

class TPercentileCount : public QObject {
  Q_OBJECT

 public:
  // Shows its progress on bar, which must outlive it.
  TPercentileCount(TLoadBar& bar, QObject* parent);
  // Stops a count still running and waits for its thread.
  ~TPercentileCount() override;

  // Counts levels' cells, stopping a count still running first (its done is
  // then never called); done(counted) follows on this thread, false when it
  // was cancelled or failed.
  void Start(std::shared_ptr<HeightLevels> levels, std::function<void(bool)> done);
  // Stops a count still running; its done is never called.
  void Stop();
  // Whether a count runs, or has ended and its done is still to come.
  bool Running() const { return worker.joinable(); }

 private:
  // The count of generation ended; done is told unless it was stopped.
  void Finished(unsigned generation, bool counted);

  TLoadBar& bar;
  std::thread worker;
  std::atomic<bool> stop{false};
  std::atomic<double> progress{0.0};
  QTimer poll;  // the bar follows progress a few times a second
  std::function<void(bool)> done;
  std::function<void()> barCancel;  // the bar's own Cancel while a count runs
  unsigned generation = 0;          // of the count running, or the last
};
