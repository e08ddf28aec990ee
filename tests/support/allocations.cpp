#include "allocations.h"

#include <atomic>

#if defined(CUBISCOPE_SANITIZE)
// GCC's sanitizer runtime has the hooks but Debian ships no header for them
// with GCC (the declaration is the one of <sanitizer/allocator_interface.h>).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

namespace {

std::atomic<bool> watching{false};
std::atomic<std::size_t> largest{0};

#if defined(CUBISCOPE_SANITIZE)
void Allocated(const volatile void*, std::size_t size) {
  if (!watching.load(std::memory_order_relaxed))
    return;
  std::size_t seen = largest.load(std::memory_order_relaxed);
  while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
}
void Freed(const volatile void*) {}

// The sanitizer takes a few hooks and never lets them go: install once.
const bool hooked = __sanitizer_install_malloc_and_free_hooks(Allocated, Freed) != 0;
#endif

}  // namespace

bool SeesAllocations() {
#if defined(CUBISCOPE_SANITIZE)
  return hooked;
#else
  return false;
#endif
}

void StartWatchingAllocations() {
  largest = 0;
  watching = true;
}

std::size_t LargestAllocationWatched() {
  watching = false;
  return largest;
}
