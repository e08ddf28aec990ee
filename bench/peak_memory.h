#pragma once
// The peak memory of a height-field load is measured in a fresh process: the
// benchmark program runs itself with kPeakMemoryChild and the path of a
// bitmap, loads it the way the LoadBMP handler does, and prints how far its
// resident memory rose.

inline constexpr char kPeakMemoryChild[] = "--peak-memory-child";

// The child's work: loads the bitmap at path into a surface and writes
// "<resident KiB before> <peak resident KiB>" to standard output. Returns the
// process's exit code.
int RunPeakMemoryChild(const char* path);
