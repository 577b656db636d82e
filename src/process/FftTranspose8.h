// The 8 x 8 transposition of single-precision rows in AVX registers, shared by the
// AVX2 and AVX-512 FFT kernels. Kept in an unnamed namespace: each kernel file is
// compiled for its own instruction set and must get its own copy.
#pragma once

#if defined(__x86_64__)
#include <immintrin.h>

namespace {

inline void TransposeSingles8x8(__m256 (&t)[8]) {
  const __m256 a0 = _mm256_unpacklo_ps(t[0], t[1]), a1 = _mm256_unpackhi_ps(t[0], t[1]);
  const __m256 a2 = _mm256_unpacklo_ps(t[2], t[3]), a3 = _mm256_unpackhi_ps(t[2], t[3]);
  const __m256 a4 = _mm256_unpacklo_ps(t[4], t[5]), a5 = _mm256_unpackhi_ps(t[4], t[5]);
  const __m256 a6 = _mm256_unpacklo_ps(t[6], t[7]), a7 = _mm256_unpackhi_ps(t[6], t[7]);
  const __m256 b0 = _mm256_shuffle_ps(a0, a2, 0x44), b1 = _mm256_shuffle_ps(a0, a2, 0xEE);
  const __m256 b2 = _mm256_shuffle_ps(a1, a3, 0x44), b3 = _mm256_shuffle_ps(a1, a3, 0xEE);
  const __m256 b4 = _mm256_shuffle_ps(a4, a6, 0x44), b5 = _mm256_shuffle_ps(a4, a6, 0xEE);
  const __m256 b6 = _mm256_shuffle_ps(a5, a7, 0x44), b7 = _mm256_shuffle_ps(a5, a7, 0xEE);
  t[0] = _mm256_permute2f128_ps(b0, b4, 0x20);
  t[1] = _mm256_permute2f128_ps(b1, b5, 0x20);
  t[2] = _mm256_permute2f128_ps(b2, b6, 0x20);
  t[3] = _mm256_permute2f128_ps(b3, b7, 0x20);
  t[4] = _mm256_permute2f128_ps(b0, b4, 0x31);
  t[5] = _mm256_permute2f128_ps(b1, b5, 0x31);
  t[6] = _mm256_permute2f128_ps(b2, b6, 0x31);
  t[7] = _mm256_permute2f128_ps(b3, b7, 0x31);
}

}  // namespace

#endif
