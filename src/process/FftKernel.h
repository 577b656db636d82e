// The FFT's butterflies and magnitudes, written once over a small set of vector
// operations `O` and compiled once per instruction set. Everything here has internal
// linkage on purpose: each including file is built for its own instruction set, and
// a shared copy of a function could end up running on a processor without it.
//
// Every component is defined as an extended-precision expression of single inputs,
// rounded to single. The kernels compute it in double precision instead, together
// with a bound on how far the double result can lie from the extended one; when the
// whole interval rounds to one and the same single, that single is the extended
// result. Otherwise (about once in millions of components, or for infinite and NaN
// inputs) the component is computed in extended precision after all. So every
// kernel gives exactly the numbers of the extended-precision definition.
#pragma once

#include <cstddef>
#include <cstdint>

#include "process/FftDispatch.h"

namespace {

// The components of one butterfly, B = a + w b with w = cos k - i sin k, in
// extended precision, left to right, stored as single.
[[maybe_unused]] inline float ExtendedButterflyRe(float c, float s, float ar, float br, float bi) {
  return static_cast<float>(static_cast<long double>(c) * br + ar +
                            static_cast<long double>(s) * bi);
}
[[maybe_unused]] inline float ExtendedButterflyIm(float c, float s, float ai, float br, float bi) {
  return static_cast<float>(static_cast<long double>(c) * bi + ai -
                            static_cast<long double>(s) * br);
}
// sqrt(re^2 + im^2) in extended precision, stored as single.
[[maybe_unused]] inline float ExtendedMagnitude(float re, float im) {
  return static_cast<float>(
      __builtin_sqrtl(static_cast<long double>(re) * re + static_cast<long double>(im) * im));
}

// The double result of a butterfly component c x + a + s y lies within 2^-51.9 L of
// the extended one, L = |c x| + |a| + |s y| (products of singles are exact in both,
// and each of the two additions rounds by at most 2^-53 of a value not above L); a
// magnitude within 2^-52 of itself. 2^-48 leaves room for the rounding of the
// interval's ends. A component whose three terms are all zero is exact in both.
constexpr double kFftSlack = 0x1p-48;

// Eight columns of the matrices, interleaved: entry j holds re[8] then im[8].
constexpr int32_t kFftLanes = 8;
constexpr int32_t kFftEntry = 2 * kFftLanes;

// A twiddle broadcast to all lanes, with |cos| and |sin| scaled by the slack for the
// bounds, and the singles themselves for the extended computation.
template <class O>
struct TTwiddle {
  typename O::D c, s, bc, bs;
  float fc, fs;
  TTwiddle(double cd, double sd)
      : c(O::Set(cd)),
        s(O::Set(sd)),
        bc(O::Set(__builtin_fabs(cd) * kFftSlack)),
        bs(O::Set(__builtin_fabs(sd) * kFftSlack)),
        fc(static_cast<float>(cd)),
        fs(static_cast<float>(sd)) {}
};

// A butterfly whose twiddles are quarter turns (cos and sin in {0, +-1}): each
// component is then a sum of two singles and a signed zero, and the double sum rounds
// to the same single as the extended one. Either the exact sum fits in a double, or
// the smaller single lies below 2^-28 of the larger, so both round back to the
// larger. No bound is needed (and one would often fail: sums of two singles land on
// the midpoint between two singles all the time).
template <class O>
inline void QuarterTurnButterfly(float* pa, float* pb, const TTwiddle<O>& w0, const TTwiddle<O>& w1,
                                 uint64_t* fallbacks) {
  using D = typename O::D;
  using F = typename O::F;
  const F far = O::Load(pa), fai = O::Load(pa + kFftLanes);
  const F fbr = O::Load(pb), fbi = O::Load(pb + kFftLanes);
  const D ar = O::Widen(far), ai = O::Widen(fai), br = O::Widen(fbr), bi = O::Widen(fbi);
  // Infinite or NaN inputs go the extended way.
  const typename O::M ok =
      O::FiniteD(O::True(), O::Add(O::Add(O::Abs(ar), O::Abs(ai)), O::Add(O::Abs(br), O::Abs(bi))));
  if (O::All(ok)) {
    O::Store(pa, O::Narrow(O::Fma(w0.s, bi, O::Fma(w0.c, br, ar))));
    O::Store(pa + kFftLanes, O::Narrow(O::Fnma(w0.s, br, O::Fma(w0.c, bi, ai))));
    O::Store(pb, O::Narrow(O::Fma(w1.s, bi, O::Fma(w1.c, br, ar))));
    O::Store(pb + kFftLanes, O::Narrow(O::Fnma(w1.s, br, O::Fma(w1.c, bi, ai))));
    return;
  }
  ++*fallbacks;
  alignas(64) float in[4][kFftLanes];
  O::Store(in[0], far);
  O::Store(in[1], fai);
  O::Store(in[2], fbr);
  O::Store(in[3], fbi);
  for (int32_t l = 0; l < kFftLanes; ++l) {
    const float a_re = in[0][l], a_im = in[1][l], b_re = in[2][l], b_im = in[3][l];
    pa[l] = ExtendedButterflyRe(w0.fc, w0.fs, a_re, b_re, b_im);
    pa[kFftLanes + l] = ExtendedButterflyIm(w0.fc, w0.fs, a_im, b_re, b_im);
    pb[l] = ExtendedButterflyRe(w1.fc, w1.fs, a_re, b_re, b_im);
    pb[kFftLanes + l] = ExtendedButterflyIm(w1.fc, w1.fs, a_im, b_re, b_im);
  }
}

// One butterfly on eight lanes, in place on entries pa and pb: pa := a + w0 b,
// pb := a + w1 b.
template <class O>
inline void Butterfly(float* pa, float* pb, const TTwiddle<O>& w0, const TTwiddle<O>& w1,
                      uint64_t* fallbacks) {
  using D = typename O::D;
  using F = typename O::F;
  const F far = O::Load(pa), fai = O::Load(pa + kFftLanes);
  const F fbr = O::Load(pb), fbi = O::Load(pb + kFftLanes);
  const D ar = O::Widen(far), ai = O::Widen(fai), br = O::Widen(fbr), bi = O::Widen(fbi);
  const D slack = O::Set(kFftSlack);
  const D bar = O::Mul(O::Abs(ar), slack), bai = O::Mul(O::Abs(ai), slack);
  const D abr = O::Abs(br), abi = O::Abs(bi);
  // The bounds of the real and imaginary components. w1 = -w0 (k1 = k0 + N/2, and the
  // table is symmetric), so they serve both outputs.
  const D Bre = O::Fma(w0.bs, abi, O::Fma(w0.bc, abr, bar));
  const D Bim = O::Fma(w0.bs, abr, O::Fma(w0.bc, abi, bai));
  // Infinite or NaN inputs make a bound infinite or NaN (no twiddle here is 0) and go
  // the extended way.
  typename O::M ok = O::FiniteD(O::True(), O::Add(Bre, Bim));

  // c b.re + a.re + s b.im and c b.im + a.im - s b.re.
  D r = O::Fma(w0.s, bi, O::Fma(w0.c, br, ar));
  const F o0r = O::Narrow(O::Sub(r, Bre));
  ok = O::Same(ok, o0r, O::Narrow(O::Add(r, Bre)));
  r = O::Fnma(w0.s, br, O::Fma(w0.c, bi, ai));
  const F o0i = O::Narrow(O::Sub(r, Bim));
  ok = O::Same(ok, o0i, O::Narrow(O::Add(r, Bim)));
  r = O::Fma(w1.s, bi, O::Fma(w1.c, br, ar));
  const F o1r = O::Narrow(O::Sub(r, Bre));
  ok = O::Same(ok, o1r, O::Narrow(O::Add(r, Bre)));
  r = O::Fnma(w1.s, br, O::Fma(w1.c, bi, ai));
  const F o1i = O::Narrow(O::Sub(r, Bim));
  ok = O::Same(ok, o1i, O::Narrow(O::Add(r, Bim)));

  if (O::All(ok)) {
    O::Store(pa, o0r);
    O::Store(pa + kFftLanes, o0i);
    O::Store(pb, o1r);
    O::Store(pb + kFftLanes, o1i);
    return;
  }
  ++*fallbacks;
  alignas(64) float in[4][kFftLanes];
  O::Store(in[0], far);
  O::Store(in[1], fai);
  O::Store(in[2], fbr);
  O::Store(in[3], fbi);
  for (int32_t l = 0; l < kFftLanes; ++l) {
    const float a_re = in[0][l], a_im = in[1][l], b_re = in[2][l], b_im = in[3][l];
    pa[l] = ExtendedButterflyRe(w0.fc, w0.fs, a_re, b_re, b_im);
    pa[kFftLanes + l] = ExtendedButterflyIm(w0.fc, w0.fs, a_im, b_re, b_im);
    pb[l] = ExtendedButterflyRe(w1.fc, w1.fs, a_re, b_re, b_im);
    pb[kFftLanes + l] = ExtendedButterflyIm(w1.fc, w1.fs, a_im, b_re, b_im);
  }
}

// The stages s = 1 .. m of the 1-D transform on the eight interleaved columns in
// `buf`. Stage s pairs entry i with i + h, h = N / 2^s, in groups of h entries;
// group g uses the twiddles of rev(2g) for the first and rev(2g + 1) for the second
// output. Each stage writes what it reads, so one buffer serves for both.
template <class O>
void ButterflyStages(float* buf, const TFftKernelArgs& a) {
  for (int32_t s = 1; s <= a.m; ++s) {
    const int32_t h = a.N >> s;
    const int32_t groups = 1 << (s - 1);
    for (int32_t g = 0; g < groups; ++g) {
      const TTwiddle<O> w0(a.C0[g], a.S0[g]), w1(a.C1[g], a.S1[g]);
      float* pa = buf + static_cast<size_t>(2 * g * h) * kFftEntry;
      float* pb = pa + static_cast<size_t>(h) * kFftEntry;
      // Groups 0 and 1 use k = 0, N/2, N/4 and 3N/4: quarter turns.
      if (g < 2) {
        for (int32_t j = 0; j < h; ++j, pa += kFftEntry, pb += kFftEntry)
          QuarterTurnButterfly<O>(pa, pb, w0, w1, a.Fallbacks);
      } else {
        for (int32_t j = 0; j < h; ++j, pa += kFftEntry, pb += kFftEntry)
          Butterfly<O>(pa, pb, w0, w1, a.Fallbacks);
      }
    }
  }
}

// The 1-D transform down every column: eight columns are gathered into a compact
// buffer (the column stride of a power-of-two matrix would make them collide in the
// cache), transformed, and written back in natural order (entry i is element rev(i)).
template <class O>
void ColumnPassT(float* re, float* im, const TFftKernelArgs& a) {
  const int32_t N = a.N;
  alignas(64) float buf[512 * kFftEntry];
  for (int32_t c0 = 0; c0 < N; c0 += kFftLanes) {
    for (int32_t j = 0; j < N; ++j) {
      const size_t at = static_cast<size_t>(j) * a.Stride + c0;
      O::Store(buf + static_cast<size_t>(j) * kFftEntry, O::LoadU(re + at));
      O::Store(buf + static_cast<size_t>(j) * kFftEntry + kFftLanes,
               a.ImagZero ? O::Zero() : O::LoadU(im + at));
    }
    ButterflyStages<O>(buf, a);
    // Row p of the result is entry rev(p); rev is its own inverse.
    for (int32_t p = 0; p < N; ++p) {
      const size_t at = static_cast<size_t>(p) * a.Stride + c0;
      const float* e = buf + static_cast<size_t>(a.Rev[p]) * kFftEntry;
      O::StoreU(re + at, O::Load(e));
      O::StoreU(im + at, O::Load(e + kFftLanes));
    }
  }
}

// Transposition in tiles of 8 x 8, each turned in registers.
// In place: tile (i, j) and tile (j, i) swap, each transposed (N a multiple of 8).
template <class O>
void TransposeInPlaceT(float* a, int32_t N, int32_t stride) {
  using F = typename O::F;
  auto load = [&](F(&t)[8], int32_t r0, int32_t c0) {
    for (int32_t i = 0; i < 8; ++i) t[i] = O::LoadU(a + static_cast<size_t>(r0 + i) * stride + c0);
  };
  auto store = [&](F(&t)[8], int32_t r0, int32_t c0) {
    for (int32_t i = 0; i < 8; ++i) O::StoreU(a + static_cast<size_t>(r0 + i) * stride + c0, t[i]);
  };
  for (int32_t r0 = 0; r0 < N; r0 += 8) {
    F d[8];
    load(d, r0, r0);
    O::Transpose8(d);
    store(d, r0, r0);
    for (int32_t c0 = r0 + 8; c0 < N; c0 += 8) {
      F x[8], y[8];
      load(x, r0, c0);
      load(y, c0, r0);
      O::Transpose8(x);
      O::Transpose8(y);
      store(x, c0, r0);
      store(y, r0, c0);
    }
  }
}

// dst (c, r) := rows[r][(c + shift) mod N] for r, c < N (N a multiple of 8, shift a
// multiple of 8): the block read row by row, written transposed.
template <class O>
void TransposeInT(const float* const* rows, int32_t shift, int32_t N, float* dst, int32_t stride) {
  using F = typename O::F;
  for (int32_t r0 = 0; r0 < N; r0 += 8) {
    for (int32_t c0 = 0; c0 < N; c0 += 8) {
      const int32_t sc = (c0 + shift) % N;
      F t[8];
      for (int32_t i = 0; i < 8; ++i) t[i] = O::LoadU(rows[r0 + i] + sc);
      O::Transpose8(t);
      for (int32_t i = 0; i < 8; ++i)
        O::StoreU(dst + static_cast<size_t>(c0 + i) * stride + r0, t[i]);
    }
  }
}

// `count` magnitudes from re/im into dst, eight at a time, the rest one by one.
template <class O>
inline void MagnitudeRun(const float* re, const float* im, float* dst, int32_t count,
                         uint64_t* fallbacks) {
  using D = typename O::D;
  int32_t c = 0;
  for (; c + kFftLanes <= count; c += kFftLanes) {
    const typename O::F fr = O::LoadU(re + c), fi = O::LoadU(im + c);
    const D r = O::Widen(fr), i = O::Widen(fi);
    const D x = O::Sqrt(O::Fma(r, r, O::Mul(i, i)));
    const D B = O::Mul(x, O::Set(kFftSlack));
    const typename O::F lo = O::Narrow(O::Sub(x, B));
    const typename O::M ok = O::Finite(O::Same(O::True(), lo, O::Narrow(O::Add(x, B))), lo);
    if (O::All(ok)) {
      O::StoreU(dst + c, lo);
    } else {
      ++*fallbacks;
      for (int32_t l = 0; l < kFftLanes; ++l) dst[c + l] = ExtendedMagnitude(re[c + l], im[c + l]);
    }
  }
  for (; c < count; ++c) dst[c] = ExtendedMagnitude(re[c], im[c]);
}

// The centred magnitudes: destination (r, c) is the spectrum at ((r + N/2) mod N,
// (c + N/2) mod N).
template <class O>
void MagnitudeT(const float* re, const float* im, int32_t N, int32_t stride, float* const* rows,
                uint64_t* fallbacks) {
  const int32_t h = N / 2;
  for (int32_t r = 0; r < N; ++r) {
    const size_t src = static_cast<size_t>((r + h) % N) * stride;
    float* dst = rows[r];
    MagnitudeRun<O>(re + src + h, im + src + h, dst, h, fallbacks);
    MagnitudeRun<O>(re + src, im + src, dst + h, N - h, fallbacks);
  }
}

}  // namespace
