// The FFT kernels for processors with AVX-512: eight doubles per vector. This file
// is compiled with -mavx512f -mavx512vl -mavx512dq and only called after the
// processor has been asked.
#include "process/FftDispatch.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "process/FftKernel.h"
#include "process/FftTranspose8.h"

namespace {

struct Avx512 {
  using F = __m256;    // eight singles
  using D = __m512d;   // the same eight as doubles
  using M = __mmask8;  // a set bit for each lane still exact

  // The 8 x 8 singles of t, transposed.
  static void Transpose8(F (&t)[8]) { TransposeSingles8x8(t); }
  static F Zero() { return _mm256_setzero_ps(); }
  static F Load(const float* p) { return _mm256_load_ps(p); }
  static F LoadU(const float* p) { return _mm256_loadu_ps(p); }
  static void Store(float* p, F v) { _mm256_store_ps(p, v); }
  static void StoreU(float* p, F v) { _mm256_storeu_ps(p, v); }
  static D Widen(F v) { return _mm512_maskz_cvtps_pd(0xFF, v); }
  static F Narrow(D v) { return _mm512_maskz_cvtpd_ps(0xFF, v); }
  static D Set(double x) { return _mm512_set1_pd(x); }
  static D Add(D a, D b) { return _mm512_add_pd(a, b); }
  static D Sub(D a, D b) { return _mm512_sub_pd(a, b); }
  static D Mul(D a, D b) { return _mm512_mul_pd(a, b); }
  static D Fma(D a, D b, D c) { return _mm512_fmadd_pd(a, b, c); }
  static D Fnma(D a, D b, D c) { return _mm512_fnmadd_pd(a, b, c); }
  static D Abs(D a) { return _mm512_abs_pd(a); }
  static D Sqrt(D a) { return _mm512_maskz_sqrt_pd(0xFF, a); }
  static M True() { return 0xFF; }
  // Each check compares under the mask of the lanes still exact, in one instruction.
  static M Same(M acc, F x, F y) {
    return _mm256_mask_cmpeq_epi32_mask(acc, _mm256_castps_si256(x), _mm256_castps_si256(y));
  }
  static M Finite(M acc, F x) {
    return _mm256_mask_cmp_ps_mask(acc, x, _mm256_set1_ps(__builtin_inff()), _CMP_LT_OQ);
  }
  // Lanes whose double is below infinity (not infinite, not NaN).
  static M FiniteD(M acc, D x) {
    return _mm512_mask_cmp_pd_mask(acc, x, _mm512_set1_pd(__builtin_inf()), _CMP_LT_OQ);
  }
  static bool All(M acc) { return acc == 0xFF; }
};

void TransposeInPlaceAvx512(float* a, int32_t N, int32_t stride) {
  TransposeInPlaceT<Avx512>(a, N, stride);
}
void TransposeInAvx512(const float* const* rows, int32_t shift, int32_t N, float* dst,
                       int32_t stride) {
  TransposeInT<Avx512>(rows, shift, N, dst, stride);
}
void ColumnPassAvx512(float* re, float* im, const TFftKernelArgs& args) {
  ColumnPassT<Avx512>(re, im, args);
}
void MagnitudeAvx512(const float* re, const float* im, int32_t N, int32_t stride,
                     float* const* rows, uint64_t* fallbacks) {
  MagnitudeT<Avx512>(re, im, N, stride, rows, fallbacks);
}

}  // namespace

TFftKernelSet FftKernelsAvx512() {
  return {ColumnPassAvx512, TransposeInPlaceAvx512, TransposeInAvx512, MagnitudeAvx512};
}
#endif
