// Loops over many values that the compiler can turn into vector code are compiled once
// more for processors with wider vectors, and the version that fits the processor is
// chosen when the program starts.
#pragma once

// The arithmetic is the same IEEE arithmetic in every version: products and sums are
// never fused (see CMakeLists.txt), and every operation rounds as in the plain version.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__)
#define TARNISK_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define TARNISK_VECTOR_CLONES
#endif
