#include "view/handlerguard.h"

namespace {
// The GUI thread is the only one that runs handlers.
std::exception_ptr kept;
}  // namespace

void KeepHandlerError(std::exception_ptr error) noexcept {
  if (!kept)
    kept = std::move(error);
}

std::exception_ptr TakeHandlerError() noexcept {
  return std::exchange(kept, nullptr);
}
