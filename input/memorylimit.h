#pragma once
// Arrays whose size a file dictates are checked against the machine's memory
// before they are asked for. Linux grants a request larger than memory and
// kills the program only when the pages are touched, with everything else the
// user had on screen; refused up front, the load fails like any other and the
// data already shown stays.

#include <cstdint>

// The machine's physical memory in bytes; the largest value when it cannot be
// read. Never throws.
std::uint64_t PhysicalMemoryBytes();

// Throws cOutOfMemory (errors.h) when bytes exceed the physical memory.
void CheckFitsInMemory(std::uint64_t bytes);
