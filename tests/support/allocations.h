#pragma once
// The largest single allocation made while a piece of code runs, on any
// thread. Only the sanitizer build can see allocations (through the
// sanitizer's allocation hooks); elsewhere nothing is seen.

#include <cstddef>

// Whether this build sees allocations at all.
bool SeesAllocations();

// Starts watching: the largest allocation seen so far is forgotten.
void StartWatchingAllocations();

// Stops watching and answers the largest allocation, in bytes, since the
// start; 0 where allocations are not seen.
std::size_t LargestAllocationWatched();
