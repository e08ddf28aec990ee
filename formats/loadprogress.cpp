#include "formats/loadprogress.h"

#include <algorithm>
#include <exception>

#include "base/errors.h"

namespace {

thread_local LoadProgress* current = nullptr;
// The current stage's part of the whole load.
thread_local double stageFrom = 0.0;
thread_local double stageTo = 1.0;

}  // namespace

ScopedLoadProgress::ScopedLoadProgress(LoadProgress& progress)
    : previous(current), previousFrom(stageFrom), previousTo(stageTo) {
  current = &progress;
  stageFrom = 0.0;
  stageTo = 1.0;
}

ScopedLoadProgress::~ScopedLoadProgress() {
  current = previous;
  stageFrom = previousFrom;
  stageTo = previousTo;
}

LoadStage::LoadStage(double from, double to)
    : outerFrom(stageFrom), outerTo(stageTo), pending(std::uncaught_exceptions()) {
  const double span = outerTo - outerFrom;
  stageFrom = outerFrom + from * span;
  stageTo = outerFrom + to * span;
}

LoadStage::~LoadStage() {
  // Reached its end only when it ended well; a stage left by an error says
  // nothing, and must not throw on the way out.
  if (std::uncaught_exceptions() == pending && current)
    current->fraction.store(std::max(current->Fraction(), stageTo), std::memory_order_relaxed);
  stageFrom = outerFrom;
  stageTo = outerTo;
}

bool NoteLoadProgress(double done) noexcept {
  LoadProgress* progress = current;
  if (!progress)
    return true;
  const double at = stageFrom + std::clamp(done, 0.0, 1.0) * (stageTo - stageFrom);
  // Only this thread writes it.
  const double fraction = std::max(progress->Fraction(), at);
  progress->fraction.store(fraction, std::memory_order_relaxed);
  if (progress->onReport)
    progress->onReport(*progress);
  return !progress->Cancelled();
}

void ReportLoadProgress(double done) {
  if (!NoteLoadProgress(done))
    throw cAbort();
}

void ThrowIfLoadCancelled() {
  if (current && current->Cancelled())
    throw cAbort();
}
