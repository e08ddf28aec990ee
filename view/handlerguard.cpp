#include "view/handlerguard.h"

namespace {
// The GUI thread is the only one that runs handlers.
std::exception_ptr kept;
// Per thread: Qt dispatches the events of its own threads' objects too.
thread_local int nesting = 0;
}  // namespace

int EventNesting() noexcept {
  return nesting;
}

EventDispatch::EventDispatch() noexcept {
  ++nesting;
}

EventDispatch::~EventDispatch() {
  --nesting;
}

void KeepHandlerError(std::exception_ptr error) noexcept {
  if (!kept)
    kept = std::move(error);
}

std::exception_ptr TakeHandlerError() noexcept {
  return std::exchange(kept, nullptr);
}
