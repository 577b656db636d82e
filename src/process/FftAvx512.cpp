// The FFT kernels for processors with AVX-512: eight doubles per vector. This file
// is compiled with -mavx512f -mavx512vl -mavx512dq and only called after the
// processor has been asked.
#include "process/FftDispatch.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "process/FftKernel.h"

namespace {

struct Avx512 {
  using F = __m256;   // eight singles
  using D = __m512d;  // the same eight as doubles
  using M = __m256i;  // all ones in a lane while it is exact

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
  static M True() { return _mm256_set1_epi32(-1); }
  static M Same(M acc, F x, F y) {
    return _mm256_and_si256(acc,
                            _mm256_cmpeq_epi32(_mm256_castps_si256(x), _mm256_castps_si256(y)));
  }
  static M Finite(M acc, F x) {
    const F inf = _mm256_set1_ps(__builtin_inff());
    return _mm256_and_si256(acc, _mm256_castps_si256(_mm256_cmp_ps(x, inf, _CMP_LT_OQ)));
  }
  // Lanes whose double is below infinity (not infinite, not NaN).
  static M FiniteD(M acc, D x) {
    const __mmask8 k = _mm512_cmp_pd_mask(x, _mm512_set1_pd(__builtin_inf()), _CMP_LT_OQ);
    return _mm256_and_si256(acc, _mm256_maskz_set1_epi32(k, -1));
  }
  static bool All(M acc) { return _mm256_movemask_epi8(acc) == -1; }
};

void ColumnPassAvx512(float* re, float* im, const TFftKernelArgs& args) {
  ColumnPassT<Avx512>(re, im, args);
}
void MagnitudeAvx512(const float* re, const float* im, int32_t N, int32_t stride,
                     float* const* rows, uint64_t* fallbacks) {
  MagnitudeT<Avx512>(re, im, N, stride, rows, fallbacks);
}

}  // namespace

TFftKernelSet FftKernelsAvx512() {
  return {ColumnPassAvx512, MagnitudeAvx512};
}
#endif
