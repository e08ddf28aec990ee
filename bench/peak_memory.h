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

// Run with kPeakOfProcess and a command, the benchmark program runs the
// command in a process of its own and prints "<exit code> <peak resident
// KiB>" of it: a process started straight from the benchmarks would inherit
// their own peak.
inline constexpr char kPeakOfProcess[] = "--peak-of";

// The intermediary's work: runs command (null-terminated) and prints its exit
// code and peak resident memory. Returns 0, or 1 when it cannot run it.
int RunPeakOf(char** command);
