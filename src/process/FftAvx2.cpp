// The FFT kernels for processors with AVX2 and FMA: four doubles per vector, two
// vectors for the eight lanes. This file is compiled with -mavx2 -mfma and only
// called after the processor has been asked.
#include "process/FftDispatch.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "process/FftKernel.h"
#include "process/FftTranspose8.h"

namespace {

struct Avx2 {
  struct D {
    __m256d lo, hi;
  };
  using F = __m256;
  using M = __m256i;

  // The 8 x 8 singles of t, transposed.
  static void Transpose8(F (&t)[8]) { TransposeSingles8x8(t); }
  static F Zero() { return _mm256_setzero_ps(); }
  static F Load(const float* p) { return _mm256_load_ps(p); }
  static F LoadU(const float* p) { return _mm256_loadu_ps(p); }
  static void Store(float* p, F v) { _mm256_store_ps(p, v); }
  static void StoreU(float* p, F v) { _mm256_storeu_ps(p, v); }
  static D Widen(F v) {
    return {_mm256_cvtps_pd(_mm256_castps256_ps128(v)),
            _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1))};
  }
  static F Narrow(D v) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(v.lo)),
                                _mm256_cvtpd_ps(v.hi), 1);
  }
  static D Set(double x) { return {_mm256_set1_pd(x), _mm256_set1_pd(x)}; }
  static D Add(D a, D b) { return {_mm256_add_pd(a.lo, b.lo), _mm256_add_pd(a.hi, b.hi)}; }
  static D Sub(D a, D b) { return {_mm256_sub_pd(a.lo, b.lo), _mm256_sub_pd(a.hi, b.hi)}; }
  static D Mul(D a, D b) { return {_mm256_mul_pd(a.lo, b.lo), _mm256_mul_pd(a.hi, b.hi)}; }
  static D Fma(D a, D b, D c) {
    return {_mm256_fmadd_pd(a.lo, b.lo, c.lo), _mm256_fmadd_pd(a.hi, b.hi, c.hi)};
  }
  static D Fnma(D a, D b, D c) {
    return {_mm256_fnmadd_pd(a.lo, b.lo, c.lo), _mm256_fnmadd_pd(a.hi, b.hi, c.hi)};
  }
  static D Abs(D a) {
    const __m256d sign = _mm256_set1_pd(-0.0);
    return {_mm256_andnot_pd(sign, a.lo), _mm256_andnot_pd(sign, a.hi)};
  }
  static D Sqrt(D a) { return {_mm256_sqrt_pd(a.lo), _mm256_sqrt_pd(a.hi)}; }
  static M True() { return _mm256_set1_epi32(-1); }
  static M Same(M acc, F x, F y) {
    return _mm256_and_si256(acc,
                            _mm256_cmpeq_epi32(_mm256_castps_si256(x), _mm256_castps_si256(y)));
  }
  static M Finite(M acc, F x) {
    const F inf = _mm256_set1_ps(__builtin_inff());
    return _mm256_and_si256(acc, _mm256_castps_si256(_mm256_cmp_ps(x, inf, _CMP_LT_OQ)));
  }
  // Lanes whose double is below infinity (not infinite, not NaN; a double above the
  // largest single counts as infinite, which only sends it the extended way).
  static M FiniteD(M acc, D x) { return Finite(acc, Narrow(x)); }
  static bool All(M acc) { return _mm256_movemask_epi8(acc) == -1; }
};

void TransposeInPlaceAvx2(float* a, int32_t N, int32_t stride) {
  TransposeInPlaceT<Avx2>(a, N, stride);
}
void TransposeInAvx2(const float* const* rows, int32_t shift, int32_t N, float* dst,
                     int32_t stride) {
  TransposeInT<Avx2>(rows, shift, N, dst, stride);
}
void ColumnPassAvx2(float* re, float* im, const TFftKernelArgs& args) {
  ColumnPassT<Avx2>(re, im, args);
}
void MagnitudeAvx2(const float* re, const float* im, int32_t N, int32_t stride, float* const* rows,
                   uint64_t* fallbacks) {
  MagnitudeT<Avx2>(re, im, N, stride, rows, fallbacks);
}

}  // namespace

TFftKernelSet FftKernelsAvx2() {
  return {ColumnPassAvx2, TransposeInPlaceAvx2, TransposeInAvx2, MagnitudeAvx2};
}
#endif
