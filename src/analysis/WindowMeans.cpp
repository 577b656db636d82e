// Window means for the row and column averages. The columns of a window are
// independent sums, so they go into the lanes of vectors; eight vectors of columns are
// held in registers while the whole window is added, so each row of the window is read
// once per block and nothing is written until the block's sums are done. The additions
// within a lane keep the window's order, which makes every kernel give the same bits.
#include "analysis/WindowMeans.h"

#include <initializer_list>

#if defined(__x86_64__)
#include <immintrin.h>
#define TARNISK_WINDOW_X86 1
#endif

namespace {

void MeansPortable(const float* const* src, int32_t W, int32_t from, int32_t to, float* out) {
  const float w = static_cast<float>(W);
  for (int32_t x = from; x < to; ++x) {
    float s = 0.0f;
    for (int32_t k = 0; k < W; ++k) s = s + src[k][x];
    out[x] = s / w;
  }
}

// The sums x ... in blocks of `Block`, held in registers (as many vectors as the block
// needs) while every term is added; x is left at the first sum not done.
template <int32_t Block>
inline __attribute__((always_inline)) void AddToBlocks(const float* terms, int32_t n, float* sums,
                                                       int32_t& x, int32_t C) {
  for (; x + Block <= C; x += Block) {
    float acc[Block];
    for (int32_t j = 0; j < Block; ++j) acc[j] = sums[x + j];
    for (int32_t k = 0; k < n; ++k) {
      const float t = terms[k];
      for (int32_t j = 0; j < Block; ++j) acc[j] = acc[j] + t;
    }
    for (int32_t j = 0; j < Block; ++j) sums[x + j] = acc[j];
  }
}

void AddPortable(const float* terms, int32_t n, float* sums, int32_t C) {
  int32_t x = 0;
  AddToBlocks<1>(terms, n, sums, x, C);
}

#if defined(TARNISK_WINDOW_X86)

void MeansSse2(const float* const* src, int32_t W, int32_t from, int32_t to, float* out) {
  const __m128 w = _mm_set1_ps(static_cast<float>(W));
  int32_t x = from;
  for (; x + 32 <= to; x += 32) {
    __m128 a0 = _mm_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0, a6 = a0, a7 = a0;
    for (int32_t k = 0; k < W; ++k) {
      const float* p = src[k] + x;
      a0 = _mm_add_ps(a0, _mm_loadu_ps(p));
      a1 = _mm_add_ps(a1, _mm_loadu_ps(p + 4));
      a2 = _mm_add_ps(a2, _mm_loadu_ps(p + 8));
      a3 = _mm_add_ps(a3, _mm_loadu_ps(p + 12));
      a4 = _mm_add_ps(a4, _mm_loadu_ps(p + 16));
      a5 = _mm_add_ps(a5, _mm_loadu_ps(p + 20));
      a6 = _mm_add_ps(a6, _mm_loadu_ps(p + 24));
      a7 = _mm_add_ps(a7, _mm_loadu_ps(p + 28));
    }
    _mm_storeu_ps(out + x, _mm_div_ps(a0, w));
    _mm_storeu_ps(out + x + 4, _mm_div_ps(a1, w));
    _mm_storeu_ps(out + x + 8, _mm_div_ps(a2, w));
    _mm_storeu_ps(out + x + 12, _mm_div_ps(a3, w));
    _mm_storeu_ps(out + x + 16, _mm_div_ps(a4, w));
    _mm_storeu_ps(out + x + 20, _mm_div_ps(a5, w));
    _mm_storeu_ps(out + x + 24, _mm_div_ps(a6, w));
    _mm_storeu_ps(out + x + 28, _mm_div_ps(a7, w));
  }
  for (; x + 4 <= to; x += 4) {
    __m128 a = _mm_setzero_ps();
    for (int32_t k = 0; k < W; ++k) a = _mm_add_ps(a, _mm_loadu_ps(src[k] + x));
    _mm_storeu_ps(out + x, _mm_div_ps(a, w));
  }
  if (x < to) MeansPortable(src, W, x, to, out);
}

__attribute__((target("avx"))) void MeansAvx(const float* const* src, int32_t W, int32_t from,
                                             int32_t to, float* out) {
  const __m256 w = _mm256_set1_ps(static_cast<float>(W));
  int32_t x = from;
  for (; x + 64 <= to; x += 64) {
    __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0, a6 = a0, a7 = a0;
    for (int32_t k = 0; k < W; ++k) {
      const float* p = src[k] + x;
      a0 = _mm256_add_ps(a0, _mm256_loadu_ps(p));
      a1 = _mm256_add_ps(a1, _mm256_loadu_ps(p + 8));
      a2 = _mm256_add_ps(a2, _mm256_loadu_ps(p + 16));
      a3 = _mm256_add_ps(a3, _mm256_loadu_ps(p + 24));
      a4 = _mm256_add_ps(a4, _mm256_loadu_ps(p + 32));
      a5 = _mm256_add_ps(a5, _mm256_loadu_ps(p + 40));
      a6 = _mm256_add_ps(a6, _mm256_loadu_ps(p + 48));
      a7 = _mm256_add_ps(a7, _mm256_loadu_ps(p + 56));
    }
    _mm256_storeu_ps(out + x, _mm256_div_ps(a0, w));
    _mm256_storeu_ps(out + x + 8, _mm256_div_ps(a1, w));
    _mm256_storeu_ps(out + x + 16, _mm256_div_ps(a2, w));
    _mm256_storeu_ps(out + x + 24, _mm256_div_ps(a3, w));
    _mm256_storeu_ps(out + x + 32, _mm256_div_ps(a4, w));
    _mm256_storeu_ps(out + x + 40, _mm256_div_ps(a5, w));
    _mm256_storeu_ps(out + x + 48, _mm256_div_ps(a6, w));
    _mm256_storeu_ps(out + x + 56, _mm256_div_ps(a7, w));
  }
  for (; x + 8 <= to; x += 8) {
    __m256 a = _mm256_setzero_ps();
    for (int32_t k = 0; k < W; ++k) a = _mm256_add_ps(a, _mm256_loadu_ps(src[k] + x));
    _mm256_storeu_ps(out + x, _mm256_div_ps(a, w));
  }
  _mm256_zeroupper();
  if (x < to) MeansSse2(src, W, x, to, out);
}

__attribute__((target("avx512f"))) void MeansAvx512(const float* const* src, int32_t W,
                                                    int32_t from, int32_t to, float* out) {
  const __m512 w = _mm512_set1_ps(static_cast<float>(W));
  int32_t x = from;
  for (; x + 128 <= to; x += 128) {
    __m512 a0 = _mm512_setzero_ps(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0, a6 = a0, a7 = a0;
    for (int32_t k = 0; k < W; ++k) {
      const float* p = src[k] + x;
      a0 = _mm512_add_ps(a0, _mm512_loadu_ps(p));
      a1 = _mm512_add_ps(a1, _mm512_loadu_ps(p + 16));
      a2 = _mm512_add_ps(a2, _mm512_loadu_ps(p + 32));
      a3 = _mm512_add_ps(a3, _mm512_loadu_ps(p + 48));
      a4 = _mm512_add_ps(a4, _mm512_loadu_ps(p + 64));
      a5 = _mm512_add_ps(a5, _mm512_loadu_ps(p + 80));
      a6 = _mm512_add_ps(a6, _mm512_loadu_ps(p + 96));
      a7 = _mm512_add_ps(a7, _mm512_loadu_ps(p + 112));
    }
    _mm512_storeu_ps(out + x, _mm512_div_ps(a0, w));
    _mm512_storeu_ps(out + x + 16, _mm512_div_ps(a1, w));
    _mm512_storeu_ps(out + x + 32, _mm512_div_ps(a2, w));
    _mm512_storeu_ps(out + x + 48, _mm512_div_ps(a3, w));
    _mm512_storeu_ps(out + x + 64, _mm512_div_ps(a4, w));
    _mm512_storeu_ps(out + x + 80, _mm512_div_ps(a5, w));
    _mm512_storeu_ps(out + x + 96, _mm512_div_ps(a6, w));
    _mm512_storeu_ps(out + x + 112, _mm512_div_ps(a7, w));
  }
  // The last columns, up to sixteen at a time; masked lanes read and write nothing.
  for (; x < to; x += 16) {
    const int32_t lanes = to - x < 16 ? to - x : 16;
    const __mmask16 m = static_cast<__mmask16>((1u << lanes) - 1u);
    __m512 a = _mm512_setzero_ps();
    for (int32_t k = 0; k < W; ++k) a = _mm512_add_ps(a, _mm512_maskz_loadu_ps(m, src[k] + x));
    _mm512_mask_storeu_ps(out + x, m, _mm512_div_ps(a, w));
  }
  _mm256_zeroupper();
}

void AddSse2(const float* terms, int32_t n, float* sums, int32_t C) {
  int32_t x = 0;
  AddToBlocks<32>(terms, n, sums, x, C);
  AddToBlocks<4>(terms, n, sums, x, C);
  AddToBlocks<1>(terms, n, sums, x, C);
}

__attribute__((target("avx"))) void AddAvx(const float* terms, int32_t n, float* sums, int32_t C) {
  int32_t x = 0;
  AddToBlocks<64>(terms, n, sums, x, C);
  AddToBlocks<8>(terms, n, sums, x, C);
  AddToBlocks<1>(terms, n, sums, x, C);
}

__attribute__((target("avx512f"))) void AddAvx512(const float* terms, int32_t n, float* sums,
                                                  int32_t C) {
  int32_t x = 0;
  AddToBlocks<128>(terms, n, sums, x, C);
  AddToBlocks<16>(terms, n, sums, x, C);
  AddToBlocks<1>(terms, n, sums, x, C);
}

#endif

}  // namespace

bool WindowKernelSupported(TWindowKernel kernel) {
  switch (kernel) {
    case TWindowKernel::Portable:
      return true;
#if defined(TARNISK_WINDOW_X86)
    case TWindowKernel::Sse2:
      return true;
    case TWindowKernel::Avx:
      return __builtin_cpu_supports("avx");
    case TWindowKernel::Avx512:
      return __builtin_cpu_supports("avx512f");
#endif
    default:
      return false;
  }
}

TWindowKernel WidestWindowKernel() {
  static const TWindowKernel widest = [] {
    for (TWindowKernel k : {TWindowKernel::Avx512, TWindowKernel::Avx, TWindowKernel::Sse2})
      if (WindowKernelSupported(k)) return k;
    return TWindowKernel::Portable;
  }();
  return widest;
}

void WindowMeans(TWindowKernel kernel, const float* const* src, int32_t W, int32_t from, int32_t to,
                 float* out) {
  switch (kernel) {
#if defined(TARNISK_WINDOW_X86)
    case TWindowKernel::Sse2:
      return MeansSse2(src, W, from, to, out);
    case TWindowKernel::Avx:
      return MeansAvx(src, W, from, to, out);
    case TWindowKernel::Avx512:
      return MeansAvx512(src, W, from, to, out);
#endif
    default:
      return MeansPortable(src, W, from, to, out);
  }
}

void AddToEach(TWindowKernel kernel, const float* terms, int32_t n, float* sums, int32_t C) {
  switch (kernel) {
#if defined(TARNISK_WINDOW_X86)
    case TWindowKernel::Sse2:
      return AddSse2(terms, n, sums, C);
    case TWindowKernel::Avx:
      return AddAvx(terms, n, sums, C);
    case TWindowKernel::Avx512:
      return AddAvx512(terms, n, sums, C);
#endif
    default:
      return AddPortable(terms, n, sums, C);
  }
}
