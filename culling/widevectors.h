#pragma once
// The selection's loops over every point and every candidate triangle are
// written branch-free over plain arrays or with the compiler's vector types,
// so that they run as vector instructions. Where the processor has them, they
// also get a copy for AVX2, with twice as many lanes, chosen when the program
// loads.

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define WIDE_VECTORS __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define WIDE_VECTORS
#endif
