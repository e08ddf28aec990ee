#include "input/loadjob.h"

#include <utility>

std::function<void(const LoadProgress&)> cLoadJob::reportHook;

cLoadJob::cLoadJob(Read read, std::function<void()> ended) {
  progress.onReport = reportHook;
  thread = std::thread([this, read = std::move(read), onEnded = std::move(ended)] {
    Outcome result;
    try {
      const ScopedLoadProgress current(progress);
      result.data = read([&result](LoadKind kind) { result.read = kind; });
    } catch (...) {
      result.error = std::current_exception();
    }
    {
      const std::lock_guard lock(mutex);
      outcome = std::move(result);
      this->ended = true;
    }
    endedSignal.notify_all();
    // Nothing may leave the thread's function; whoever waits has been told.
    try {
      if (onEnded)
        onEnded();
    } catch (...) {
    }
  });
}

cLoadJob::~cLoadJob() {
  progress.Cancel();
  if (thread.joinable())
    thread.join();
}

bool cLoadJob::WaitFor(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex);
  if (wait == std::chrono::milliseconds::max())
    endedSignal.wait(lock, [this] { return ended; });
  else
    endedSignal.wait_for(lock, wait, [this] { return ended; });
  return ended;
}

bool cLoadJob::Ended() {
  const std::lock_guard lock(mutex);
  return ended;
}

cLoadJob::Outcome cLoadJob::Take() {
  if (thread.joinable())
    thread.join();
  return std::move(outcome);
}
