#include "formats/memorylimit.h"

#include <unistd.h>

#include "base/errors.h"

std::uint64_t PhysicalMemoryBytes() {
  static const std::uint64_t bytes = [] {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
      return UINT64_MAX;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
  }();
  return bytes;
}

void CheckFitsInMemory(std::uint64_t bytes) {
  if (bytes > PhysicalMemoryBytes())
    throw cOutOfMemory();
}
