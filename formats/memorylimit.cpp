#include "formats/memorylimit.h"

#include <algorithm>

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

namespace {
std::uint64_t lowered = UINT64_MAX;  // ScopedMemoryLimit's, UINT64_MAX for none
}  // namespace

std::uint64_t MemoryLimitBytes() {
  return std::min(lowered, PhysicalMemoryBytes());
}

void CheckFitsInMemory(std::uint64_t bytes) {
  if (bytes > MemoryLimitBytes())
    throw cOutOfMemory();
}

ScopedMemoryLimit::ScopedMemoryLimit(std::uint64_t bytes)
    : ScopedOverride(lowered, std::min(lowered, bytes)) {}
