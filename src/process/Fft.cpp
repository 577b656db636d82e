// The FFT driver: transform size, twiddles, the 2-D transform and the magnitudes,
// with the choice of instruction set for the heavy passes.
#include "process/Fft.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <vector>

#include "process/FftDispatch.h"
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include "process/FftKernel.h"

TFftSize FftSize(int32_t rows, int32_t columns) {
  // Doubling n until it exceeds a side: N = n / 2, m = doublings - 1.
  TFftSize s;
  if (rows < 1 || columns < 1) return s;
  int32_t n = 1;
  int32_t doublings = 0;
  while (n <= rows && n <= columns) {
    n *= 2;
    ++doublings;
  }
  s.N = n / 2;
  s.m = doublings - 1;
  return s;
}

uint32_t BitReversal(int32_t m, uint32_t x) {
  uint32_t r = 0;
  for (int32_t i = 0; i < m; ++i) {
    r = 2 * r + (x & 1u);
    x >>= 1;
  }
  return r;
}

void FftTwiddles(int32_t m, float* cosTable, float* sinTable) {
  const int64_t N = int64_t{1} << m;
  constexpr long double kHalfPi = std::numbers::pi_v<long double> / 2;
  for (int64_t k = 0; k < N; ++k) {
    // 2 pi k / N = quadrant q quarter turns plus (pi/2) rem / N. Within the
    // quadrant the angle is kept at most pi/4 by taking the complement, so sine and
    // cosine are evaluated where they are accurate, and the quarter turns come out
    // as exact 0 and 1.
    const int64_t q = 4 * k / N;
    const int64_t rem = 4 * k - q * N;
    long double c, s;
    if (2 * rem <= N) {
      const long double phi = kHalfPi * static_cast<long double>(rem) / static_cast<long double>(N);
      c = std::cos(phi);
      s = std::sin(phi);
    } else {
      const long double psi =
          kHalfPi * static_cast<long double>(N - rem) / static_cast<long double>(N);
      c = std::sin(psi);
      s = std::cos(psi);
    }
    if (rem == 0) {
      c = 1;
      s = 0;
    }
    long double kc, ks;  // cos and sin of the whole angle
    switch (q) {
      case 0:
        kc = c;
        ks = s;
        break;
      case 1:
        kc = -s;
        ks = c;
        break;
      case 2:
        kc = -c;
        ks = -s;
        break;
      default:
        kc = s;
        ks = -c;
        break;
    }
    // A quarter turn gives 0 and its negation -0; the table holds +0.
    cosTable[k] = static_cast<float>(kc) + 0.0f;
    sinTable[k] = static_cast<float>(ks) + 0.0f;
  }
}

namespace {

// ---- instruction sets ----------------------------------------------------------

#if defined(__x86_64__)
// SSE2 belongs to every x86-64 processor: two doubles per vector, four vectors for
// the eight lanes. Without a fused multiply-add the product is formed first; it is
// exact (a product of singles), so the sum rounds exactly as the fused one does.
struct Sse2 {
  struct F {
    __m128 lo, hi;
  };
  struct D {
    __m128d v[4];
  };
  struct M {
    __m128i lo, hi;
  };

  // The 8 x 8 singles of t, transposed: four 4 x 4 blocks, the off-diagonal ones
  // exchanged.
  static void Transpose8(F (&t)[8]) {
    __m128 a[4] = {t[0].lo, t[1].lo, t[2].lo, t[3].lo}, b[4] = {t[0].hi, t[1].hi, t[2].hi, t[3].hi};
    __m128 c[4] = {t[4].lo, t[5].lo, t[6].lo, t[7].lo}, d[4] = {t[4].hi, t[5].hi, t[6].hi, t[7].hi};
    _MM_TRANSPOSE4_PS(a[0], a[1], a[2], a[3]);
    _MM_TRANSPOSE4_PS(b[0], b[1], b[2], b[3]);
    _MM_TRANSPOSE4_PS(c[0], c[1], c[2], c[3]);
    _MM_TRANSPOSE4_PS(d[0], d[1], d[2], d[3]);
    for (int i = 0; i < 4; ++i) {
      t[i] = {a[i], c[i]};
      t[4 + i] = {b[i], d[i]};
    }
  }
  static F Zero() { return {_mm_setzero_ps(), _mm_setzero_ps()}; }
  static F Load(const float* p) { return {_mm_load_ps(p), _mm_load_ps(p + 4)}; }
  static F LoadU(const float* p) { return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4)}; }
  static void Store(float* p, F x) {
    _mm_store_ps(p, x.lo);
    _mm_store_ps(p + 4, x.hi);
  }
  static void StoreU(float* p, F x) {
    _mm_storeu_ps(p, x.lo);
    _mm_storeu_ps(p + 4, x.hi);
  }
  static D Widen(F x) {
    return {{_mm_cvtps_pd(x.lo), _mm_cvtps_pd(_mm_movehl_ps(x.lo, x.lo)), _mm_cvtps_pd(x.hi),
             _mm_cvtps_pd(_mm_movehl_ps(x.hi, x.hi))}};
  }
  static F Narrow(D x) {
    return {_mm_movelh_ps(_mm_cvtpd_ps(x.v[0]), _mm_cvtpd_ps(x.v[1])),
            _mm_movelh_ps(_mm_cvtpd_ps(x.v[2]), _mm_cvtpd_ps(x.v[3]))};
  }
  template <class Op>
  static D Each(D a, D b, Op op) {
    return {{op(a.v[0], b.v[0]), op(a.v[1], b.v[1]), op(a.v[2], b.v[2]), op(a.v[3], b.v[3])}};
  }
  static D Set(double x) {
    const __m128d v = _mm_set1_pd(x);
    return {{v, v, v, v}};
  }
  static D Add(D a, D b) {
    return Each(a, b, [](__m128d x, __m128d y) { return _mm_add_pd(x, y); });
  }
  static D Sub(D a, D b) {
    return Each(a, b, [](__m128d x, __m128d y) { return _mm_sub_pd(x, y); });
  }
  static D Mul(D a, D b) {
    return Each(a, b, [](__m128d x, __m128d y) { return _mm_mul_pd(x, y); });
  }
  static D Fma(D a, D b, D c) { return Add(Mul(a, b), c); }
  static D Fnma(D a, D b, D c) { return Sub(c, Mul(a, b)); }
  static D Abs(D a) {
    const __m128d sign = _mm_set1_pd(-0.0);
    return Each(a, a, [sign](__m128d x, __m128d) { return _mm_andnot_pd(sign, x); });
  }
  static D Sqrt(D a) {
    return Each(a, a, [](__m128d x, __m128d) { return _mm_sqrt_pd(x); });
  }
  static M True() { return {_mm_set1_epi32(-1), _mm_set1_epi32(-1)}; }
  static M Same(M acc, F x, F y) {
    return {_mm_and_si128(acc.lo, _mm_cmpeq_epi32(_mm_castps_si128(x.lo), _mm_castps_si128(y.lo))),
            _mm_and_si128(acc.hi, _mm_cmpeq_epi32(_mm_castps_si128(x.hi), _mm_castps_si128(y.hi)))};
  }
  static M Finite(M acc, F x) {
    const __m128 inf = _mm_set1_ps(__builtin_inff());
    return {_mm_and_si128(acc.lo, _mm_castps_si128(_mm_cmplt_ps(x.lo, inf))),
            _mm_and_si128(acc.hi, _mm_castps_si128(_mm_cmplt_ps(x.hi, inf)))};
  }
  // Lanes whose double is below infinity (not infinite, not NaN; a double above the
  // largest single counts as infinite, which only sends it the extended way).
  static M FiniteD(M acc, D x) { return Finite(acc, Narrow(x)); }
  static bool All(M acc) { return _mm_movemask_epi8(_mm_and_si128(acc.lo, acc.hi)) == 0xFFFF; }
};

void TransposeInPlaceSse2(float* a, int32_t N, int32_t stride) {
  TransposeInPlaceT<Sse2>(a, N, stride);
}
void TransposeInSse2(const float* const* rows, int32_t shift, int32_t N, float* dst,
                     int32_t stride) {
  TransposeInT<Sse2>(rows, shift, N, dst, stride);
}
void ColumnPassSse2(float* re, float* im, const TFftKernelArgs& args) {
  ColumnPassT<Sse2>(re, im, args);
}
void MagnitudeSse2(const float* re, const float* im, int32_t N, int32_t stride, float* const* rows,
                   uint64_t* fallbacks) {
  MagnitudeT<Sse2>(re, im, N, stride, rows, fallbacks);
}
#endif

// The definition itself, one component after the other in extended precision: for
// transforms smaller than eight and for processors without a vector kernel.
void ColumnPassPortable(float* re, float* im, const TFftKernelArgs& a) {
  const int32_t N = a.N;
  std::vector<float> ar(N), ai(N);
  for (int32_t c = 0; c < N; ++c) {
    for (int32_t j = 0; j < N; ++j) {
      ar[j] = re[static_cast<size_t>(j) * a.Stride + c];
      ai[j] = a.ImagZero ? 0.0f : im[static_cast<size_t>(j) * a.Stride + c];
    }
    for (int32_t s = 1; s <= a.m; ++s) {
      const int32_t h = N >> s;
      for (int32_t g = 0; g < (1 << (s - 1)); ++g) {
        const float c0 = static_cast<float>(a.C0[g]), s0 = static_cast<float>(a.S0[g]);
        const float c1 = static_cast<float>(a.C1[g]), s1 = static_cast<float>(a.S1[g]);
        for (int32_t i = 2 * g * h; i < 2 * g * h + h; ++i) {
          const float xr = ar[i], xi = ai[i], yr = ar[i + h], yi = ai[i + h];
          ar[i] = ExtendedButterflyRe(c0, s0, xr, yr, yi);
          ai[i] = ExtendedButterflyIm(c0, s0, xi, yr, yi);
          ar[i + h] = ExtendedButterflyRe(c1, s1, xr, yr, yi);
          ai[i + h] = ExtendedButterflyIm(c1, s1, xi, yr, yi);
        }
      }
    }
    for (int32_t i = 0; i < N; ++i) {
      re[static_cast<size_t>(a.Rev[i]) * a.Stride + c] = ar[i];
      im[static_cast<size_t>(a.Rev[i]) * a.Stride + c] = ai[i];
    }
  }
}

void MagnitudePortable(const float* re, const float* im, int32_t N, int32_t stride,
                       float* const* rows, uint64_t*) {
  const int32_t h = N / 2;
  for (int32_t r = 0; r < N; ++r) {
    const size_t src = static_cast<size_t>((r + h) % N) * stride;
    for (int32_t c = 0; c < N; ++c) {
      const size_t at = src + static_cast<size_t>((c + h) % N);
      rows[r][c] = ExtendedMagnitude(re[at], im[at]);
    }
  }
}

// Swaps (r, c) with (c, r), tile by tile so that both tiles stay in the cache.
void TransposeInPlaceScalar(float* a, int32_t N, int32_t stride) {
  constexpr int32_t T = 16;
  for (int32_t r0 = 0; r0 < N; r0 += T) {
    for (int32_t c0 = r0; c0 < N; c0 += T) {
      const int32_t r1 = std::min(r0 + T, N), c1 = std::min(c0 + T, N);
      for (int32_t r = r0; r < r1; ++r)
        for (int32_t c = (c0 == r0 ? r + 1 : c0); c < c1; ++c)
          std::swap(a[static_cast<size_t>(r) * stride + c], a[static_cast<size_t>(c) * stride + r]);
    }
  }
}

// dst (c, r) := rows[r][(c + shift) mod N], tile by tile.
void TransposeInScalar(const float* const* rows, int32_t shift, int32_t N, float* dst,
                       int32_t stride) {
  constexpr int32_t T = 16;
  for (int32_t r0 = 0; r0 < N; r0 += T) {
    const int32_t r1 = std::min(r0 + T, N);
    for (int32_t c0 = 0; c0 < N; c0 += T) {
      const int32_t c1 = std::min(c0 + T, N);
      for (int32_t c = c0; c < c1; ++c) {
        float* d = dst + static_cast<size_t>(c) * stride;
        const int32_t sc = (c + shift) % N;
        for (int32_t r = r0; r < r1; ++r) d[r] = rows[r][sc];
      }
    }
  }
}

bool Supported(TFftKernel k) {
  switch (k) {
    case TFftKernel::Automatic:
    case TFftKernel::Portable:
      return true;
#if defined(__x86_64__)
    case TFftKernel::Sse2:
      return true;
    case TFftKernel::Avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case TFftKernel::Avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512dq");
#endif
    default:
      return false;
  }
}

TFftKernel Widest() {
  for (TFftKernel k : {TFftKernel::Avx512, TFftKernel::Avx2, TFftKernel::Sse2})
    if (Supported(k)) return k;
  return TFftKernel::Portable;
}

std::atomic<TFftKernel> g_kernel{TFftKernel::Automatic};
std::atomic<uint64_t> g_fallbacks{0};

TFftKernelSet Kernels(TFftKernel k) {
  switch (k) {
#if defined(__x86_64__)
    case TFftKernel::Avx512:
      return FftKernelsAvx512();
    case TFftKernel::Avx2:
      return FftKernelsAvx2();
    case TFftKernel::Sse2:
      return FftKernelsSse2();
#endif
    default:
      return {ColumnPassPortable, TransposeInPlaceScalar, TransposeInScalar, MagnitudePortable};
  }
}

// ---- the 2-D transform ---------------------------------------------------------

// The two N x N matrices of singles of a transform, aligned for the vector kernels,
// with rows a little longer than N: a power-of-two row length would put a column's
// values into the same few cache sets. They are kept for the next transform on the
// same thread, since fresh memory of this size comes from the system page by page,
// which costs as much as a third of the transform.
class Workspace {
 public:
  static Workspace& ForThisThread() {
    thread_local Workspace w;
    return w;
  }
  static int32_t StrideFor(int32_t N) { return N + 16; }
  void Reserve(int32_t N) {
    const size_t n = static_cast<size_t>(N) * static_cast<size_t>(StrideFor(N));
    if (n <= size_) return;
    re_.reset(static_cast<float*>(::operator new[](n * sizeof(float), std::align_val_t{64})));
    im_.reset(static_cast<float*>(::operator new[](n * sizeof(float), std::align_val_t{64})));
    size_ = n;
  }
  float* Re() { return re_.get(); }
  float* Im() { return im_.get(); }

 private:
  struct AlignedDelete {
    void operator()(float* p) const { ::operator delete[](p, std::align_val_t{64}); }
  };
  std::unique_ptr<float[], AlignedDelete> re_, im_;
  size_t size_ = 0;
};

// The twiddles of one 2-D transform, computed once and shared by its 1-D transforms.
class Plan {
 public:
  explicit Plan(int32_t m) : N_(1 << m), m_(m) {
    std::vector<float> cosT(N_), sinT(N_);
    FftTwiddles(m, cosT.data(), sinT.data());
    const int32_t groups = std::max(N_ / 2, 1);
    c0_.resize(groups);
    s0_.resize(groups);
    c1_.resize(groups);
    s1_.resize(groups);
    for (int32_t g = 0; g < N_ / 2; ++g) {
      const uint32_t k0 = BitReversal(m, 2 * g), k1 = BitReversal(m, 2 * g + 1);
      c0_[g] = cosT[k0];
      s0_[g] = sinT[k0];
      c1_[g] = cosT[k1];
      s1_[g] = sinT[k1];
    }
    rev_.resize(N_);
    for (int32_t i = 0; i < N_; ++i) rev_[i] = static_cast<uint16_t>(BitReversal(m, i));
  }
  // `fallbacks` counts the components computed in extended precision.
  TFftKernelArgs Args(int32_t stride, uint64_t* fallbacks, bool imagZero) const {
    return {N_,         m_,         stride,      c0_.data(), s0_.data(),
            c1_.data(), s1_.data(), rev_.data(), fallbacks,  imagZero};
  }

 private:
  int32_t N_;
  int32_t m_;
  std::vector<double> c0_, s0_, c1_, s1_;
  std::vector<uint16_t> rev_;
};

// Swaps the halves in both directions: (r, c) with ((r + N/2) mod N, (c + N/2) mod N).
void SwapHalves(float* a, int32_t N) {
  const int32_t h = N / 2;
  for (int32_t r = 0; r < h; ++r) {
    float* top = a + static_cast<size_t>(r) * N;
    float* bottom = a + static_cast<size_t>(r + h) * N;
    for (int32_t c = 0; c < h; ++c) {
      std::swap(top[c], bottom[c + h]);
      std::swap(top[c + h], bottom[c]);
    }
  }
}

TFftKernelSet KernelsFor(int32_t N) {
  TFftKernel k = g_kernel.load();
  if (k == TFftKernel::Automatic) k = Widest();
  // The vector kernels work on eight columns at a time.
  if (N < kFftLanes) k = TFftKernel::Portable;
  return Kernels(k);
}

// The row transforms, then the column transforms, of a matrix given transposed:
// the row transforms run down the columns of the transposed copy, eight rows at a
// time; a transposition in place turns the result back, and the column transforms
// run down its columns. The spectrum is left in natural order, not yet centred.
// With `realInput` the imaginary parts count as 0 and `im` need not hold anything.
void TransformTransposed(float* reT, float* im, int32_t m, int32_t stride,
                         const TFftKernelSet& kernels, bool realInput) {
  const int32_t N = 1 << m;
  const Plan plan(m);
  uint64_t fallbacks = 0;
  kernels.ColumnPass(reT, im, plan.Args(stride, &fallbacks, realInput));
  kernels.TransposeInPlace(reT, N, stride);
  kernels.TransposeInPlace(im, N, stride);
  kernels.ColumnPass(reT, im, plan.Args(stride, &fallbacks, false));
  g_fallbacks += fallbacks;
}

// log2 of the magnitude, in extended precision and stored as single, computed in
// double where the interval argument shows that gives the same single.
float LogMagnitude(float re, float im) {
  const double x = std::sqrt(static_cast<double>(re) * re + static_cast<double>(im) * im);
  const double y = std::log2(x);
  // |y - extended y| <= 2^-51 (1 + |y|): the root is within 2^-52 of itself, and
  // both logarithms are accurate to about their last place.
  const double B = 0x1p-47 * (1.0 + std::fabs(y));
  const float lo = static_cast<float>(y - B);
  const float hi = static_cast<float>(y + B);
  uint32_t blo, bhi;
  std::memcpy(&blo, &lo, sizeof blo);
  std::memcpy(&bhi, &hi, sizeof bhi);
  if (blo == bhi && std::isfinite(lo)) return lo;
  ++g_fallbacks;
  return static_cast<float>(
      std::log2(std::sqrt(static_cast<long double>(re) * re + static_cast<long double>(im) * im)));
}

// The centred log2 magnitudes into rows[0 .. N-1][0 .. N-1]. A zero magnitude has no
// logarithm; it is shown one below the smallest logarithm of the block (as half the
// smallest non-zero magnitude would be), so it takes the lowest colour, stays apart
// from every real value and hardly stretches the colour range. A block without any
// non-zero magnitude becomes 0.
void LogMagnitudes(const float* re, const float* im, int32_t N, int32_t stride,
                   float* const* rows) {
  const int32_t h = N / 2;
  bool any = false;
  float least = 0;
  std::vector<float*> zeros;
  for (int32_t r = 0; r < N; ++r) {
    // Destination (r, c) shows the spectrum at ((r + h) mod N, (c + h) mod N).
    const size_t src = static_cast<size_t>((r + h) % N) * stride;
    for (int32_t c = 0; c < N; ++c) {
      const size_t i = src + static_cast<size_t>(c < N - h ? c + h : c - (N - h));
      if (re[i] == 0 && im[i] == 0) {
        zeros.push_back(&rows[r][c]);
        continue;
      }
      const float y = LogMagnitude(re[i], im[i]);
      rows[r][c] = y;
      if (y == y && (!any || y < least)) {
        least = y;
        any = true;
      }
    }
  }
  const float zero = any ? least - 1 : 0;
  for (float* z : zeros) *z = zero;
}

}  // namespace

#if defined(__x86_64__)
TFftKernelSet FftKernelsSse2() {
  return {ColumnPassSse2, TransposeInPlaceSse2, TransposeInSse2, MagnitudeSse2};
}
#endif

bool SetFftKernel(TFftKernel kernel) {
  if (!Supported(kernel)) return false;
  g_kernel.store(kernel);
  return true;
}

TFftKernel ActiveFftKernel() {
  const TFftKernel k = g_kernel.load();
  return k == TFftKernel::Automatic ? Widest() : k;
}

uint64_t FftExtendedFallbacks() {
  return g_fallbacks.load();
}

void Fft2D(float* re, float* im, int32_t m, bool centredInput) {
  if (m < 0 || m > 9) return;
  const int32_t N = 1 << m;
  if (centredInput) {
    SwapHalves(re, N);
    SwapHalves(im, N);
  }
  TransposeInPlaceScalar(re, N, N);
  TransposeInPlaceScalar(im, N, N);
  TransformTransposed(re, im, m, N, KernelsFor(N), false);
  SwapHalves(re, N);
  SwapHalves(im, N);
}

bool FftPicture(TVKMPicture& work, bool logMagnitude) {
  if (!work.HasMatrix()) return false;
  const TFftSize size = FftSize(work.Rows, work.Columns);
  if (size.N == 0) return false;
  const int32_t N = size.N;
  const int32_t h = N / 2;
  const int32_t stride = Workspace::StrideFor(N);
  Workspace& space = Workspace::ForThisThread();
  space.Reserve(N);
  float* re = space.Re();
  float* im = space.Im();  // imaginary parts 0: the first pass only writes them

  // The bottom-left block, transposed for the row transforms; centred data has its
  // halves swapped back first. The vector kernels take tiles of 8 columns, which a
  // swap of halves keeps together from N = 16 on.
  const TFftKernelSet kernels = KernelsFor(N);
  const int32_t shift = work.Transformed ? h : 0;
  std::vector<const float*> srcRows(N);
  for (int32_t r = 0; r < N; ++r) srcRows[r] = work.RowTable[(r + shift) % N];
  (N >= 16 ? kernels.TransposeIn : TransposeInScalar)(srcRows.data(), shift, N, re, stride);

  TransformTransposed(re, im, size.m, stride, kernels, true);
  if (logMagnitude) {
    LogMagnitudes(re, im, N, stride, work.RowTable.data());
  } else {
    uint64_t fallbacks = 0;
    kernels.Magnitude(re, im, N, stride, work.RowTable.data(), &fallbacks);
    g_fallbacks += fallbacks;
  }
  work.Transformed = !work.Transformed;
  return true;
}
