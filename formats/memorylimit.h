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
#include "formats/hugepages.h"

// The machine's physical memory in bytes; the largest value when it cannot be
// read. Never throws.
std::uint64_t PhysicalMemoryBytes();

// Throws cOutOfMemory (errors.h) when bytes exceed the physical memory.
void CheckFitsInMemory(std::uint64_t bytes);

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
