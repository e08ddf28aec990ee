#pragma once
// The loaders fill arrays of hundreds of megabytes that are fresh from the
// kernel. In small pages, touching them the first time costs about 100,000
// page faults for a 4096 x 4096 height field, several times the cost of
// writing the points; in huge pages a few hundred.

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

// Asks the kernel to back the whole pages of [p, p + bytes) with huge pages
// when they are first touched. Call it before writing; p stays owned by the
// caller. Only a hint: where it is refused, or on other systems, nothing
// changes. Never throws.
inline void AdviseHugePages(void* p, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::size_t kWorthIt = std::size_t{8} << 20;
  if (bytes < kWorthIt)
    return;
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t begin = (first + page - 1) / page * page;
  const std::uintptr_t end = (first + bytes) / page * page;
  if (end > begin)
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}
