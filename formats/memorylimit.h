#pragma once
// Arrays whose size a file dictates are checked against the machine's memory
// before they are asked for. Linux grants a request larger than memory and
// kills the program only when the pages are touched, with everything else the
// user had on screen; refused up front, the load fails like any other and the
// data already shown stays.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "base/errors.h"
#include "base/scopedoverride.h"
#include "formats/hugepages.h"

// The machine's physical memory in bytes; the largest value when it cannot be
// read. Never throws.
std::uint64_t PhysicalMemoryBytes();

// What a load may count on: the physical memory, or less while a
// ScopedMemoryLimit lives. Never throws.
std::uint64_t MemoryLimitBytes();

// Throws cOutOfMemory (errors.h) when bytes exceed MemoryLimitBytes().
void CheckFitsInMemory(std::uint64_t bytes);

// Lowers MemoryLimitBytes() to bytes while it lives (never raises it above the
// physical memory), for tests: a file of a few kilobytes can then claim more
// than the limit, and a load that reaches for it is seen to be refused without
// the test needing gigabytes. Not for use from several threads at once.
class ScopedMemoryLimit : ScopedOverride<std::uint64_t> {
 public:
  explicit ScopedMemoryLimit(std::uint64_t bytes);
};

// A new T[n], left uninitialised for the loader to fill and hand over (the
// plot objects free adopted arrays with delete[]). Large arrays ask for huge
// pages (hugepages.h). Throws cOutOfMemory when it cannot be allocated; check
// the size with CheckFitsInMemory first, which decides which error a file
// too large for the machine gives.
template <class T>
std::unique_ptr<T[]> NewArray(std::size_t n) {
  std::unique_ptr<T[]> array;
  try {
    array = std::make_unique_for_overwrite<T[]>(n);
  } catch (const std::bad_alloc&) {
    throw cOutOfMemory();
  }
  AdviseHugePages(array.get(), n * sizeof(T));
  return array;
}
