#pragma once
// How far a load has come, and whether it is to stop. The readers report
// their progress as they go, on the thread that runs the load; whoever waits
// for the load reads it and may cancel it from another thread. A load is
// made of stages (reading the bytes, decoding, building the field), each a
// part of the whole; a reader reports what share of its own stage is done.
//
// Without a LoadProgress made current on the thread, reports cost a check of
// a thread-local pointer and do nothing, so that every reader can report
// whoever calls it (the command line, the benchmarks, the fuzzers).

#include <atomic>
#include <functional>

class LoadProgress {
 public:
  // The share of the load done, 0 to 1; it never goes back. Any thread.
  double Fraction() const { return fraction.load(std::memory_order_relaxed); }
  // Asks the load to stop: its next report throws cAbort. Any thread.
  void Cancel() { cancelled.store(true, std::memory_order_relaxed); }
  bool Cancelled() const { return cancelled.load(std::memory_order_relaxed); }

  // Called on the loading thread at every report, once the fraction is set
  // and before the report checks for Cancel: tests hold a load at a known
  // point with it, the command line prints the fraction. Set before the load
  // starts. Must not throw: it runs inside the libraries' frames too.
  std::function<void(const LoadProgress&)> onReport;

 private:
  friend bool NoteLoadProgress(double done) noexcept;
  friend class LoadStage;
  std::atomic<double> fraction{0.0};
  std::atomic<bool> cancelled{false};
};

// Makes progress the one that the loads on this thread report to while the
// object lives.
class ScopedLoadProgress {
 public:
  explicit ScopedLoadProgress(LoadProgress& progress);
  ~ScopedLoadProgress();
  ScopedLoadProgress(const ScopedLoadProgress&) = delete;
  ScopedLoadProgress& operator=(const ScopedLoadProgress&) = delete;

 private:
  LoadProgress* previous;
  double previousFrom, previousTo;
};

// A stage of the load on this thread, from `from` to `to` of the stage around
// it (0 to 1 of the whole load at first): while it lives, reports of 0 to 1
// fall within it. Ends with the stage reported done.
class LoadStage {
 public:
  LoadStage(double from, double to);
  ~LoadStage();
  LoadStage(const LoadStage&) = delete;
  LoadStage& operator=(const LoadStage&) = delete;

 private:
  double outerFrom, outerTo;
  int pending;  // exceptions on their way when the stage began
};

// Reports that the current stage is done to the share done (0 to 1) and
// throws cAbort when the load has been cancelled. Does nothing on a thread
// without a current LoadProgress.
void ReportLoadProgress(double done);
// The same without throwing, for a report from inside a library's frames
// (an exception must not unwind through them): false when the load has been
// cancelled.
bool NoteLoadProgress(double done) noexcept;

// Throws cAbort when the load on this thread has been cancelled, without
// reporting; for a reader whose own failure may be a cancelled load's.
void ThrowIfLoadCancelled();
