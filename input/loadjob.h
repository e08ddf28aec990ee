#pragma once
// A load whose reading (loadobject.h) runs on a thread of its own, so that a
// long one need not stop the windows. Whoever starts it may wait a while for
// it; otherwise it is told when the reading has ended, and takes the result
// on its own thread, where the objects live. The reading touches no object.

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "formats/loadprogress.h"
#include "input/loadobject.h"

class cLoadJob {
 public:
  using Read = std::function<LoadedData(const ReadNotice& read)>;

  // How the reading ended: the kind it read the file as, once it got that
  // far (a load worth repeating, whether or not its data is taken), and its
  // data or its error (cAbort when cancelled).
  struct Outcome {
    std::optional<LoadKind> read;
    LoadedData data;
    std::exception_ptr error;
  };

  // Starts read on a thread of its own; ended is called on that thread once
  // the reading has ended, however it ended. Throws std::system_error when no
  // thread can be started.
  cLoadJob(Read read, std::function<void()> ended);
  // Cancels the reading and waits for its thread.
  ~cLoadJob();
  cLoadJob(const cLoadJob&) = delete;
  cLoadJob& operator=(const cLoadJob&) = delete;

  // Waits at most wait (milliseconds::max(): for ever) for the reading to
  // end, processing nothing meanwhile; true when it has ended.
  bool WaitFor(std::chrono::milliseconds wait);
  bool Ended();
  // How far the reading has come; Cancel() on it stops the reading at its
  // next report.
  LoadProgress& Progress() { return progress; }
  // How it ended; waits for the thread. Once only.
  Outcome Take();

  // Called on the reading thread at each report of every job started while
  // it is set (LoadProgress::onReport): tests hold a load at a known point
  // with it.
  static std::function<void(const LoadProgress&)> reportHook;

 private:
  LoadProgress progress;
  std::mutex mutex;
  std::condition_variable endedSignal;
  bool ended = false;
  Outcome outcome;
  std::thread thread;
};
