// 3x3 filters and bad-point removal on the working copy of the workbench.
#include "process/NeighbourFilters.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "process/SingleRounding.h"
#include "process/VectorClones.h"

const std::array<std::array<float, 9>, kFilterKernelCount> kFilterKernels = {{
    {1.0f / 9, 1.0f / 9, 1.0f / 9, 1.0f / 9, 1.0f / 9, 1.0f / 9, 1.0f / 9, 1.0f / 9, 1.0f / 9},
    {-1, -1, -1, -1, 9, -1, -1, -1, -1},
    {-1, -1, -1, -1, 8, -1, -1, -1, -1},
    {0, 0, 0, -1, 1, 0, 0, 0, 0},
}};

namespace {

using ext = long double;

// Reflection without repeating the edge: -1 reads 1 and n reads n - 2. A line of a
// single value has nothing to reflect but itself.
inline int Reflect(int i, int n) {
  if (i < 0) return n > 1 ? 1 : 0;
  if (i >= n) return n > 1 ? n - 2 : 0;
  return i;
}

// One output value by the definition: products in extended precision, the running sum
// rounded to single after every addition.
float Convolve(const float w[9], const std::array<float, 9>& k) {
  float s = 0;
  for (int i = 0; i < 9; ++i)
    s = static_cast<float>(static_cast<ext>(s) + static_cast<ext>(w[i]) * k[i]);
  return s;
}

// The picture with its border reflected around it: (R + 2) x (C + 2) values, row r + 1
// and column c + 1 holding value (r, c), so every value has its whole window.
struct TPadded {
  std::vector<float> Values;
  int Width = 0;  // C + 2
  const float* Row(int r) const { return Values.data() + static_cast<size_t>(r + 1) * Width; }
};

void Pad(const TVKMPicture& p, TPadded& padded) {
  const int R = p.Rows, C = p.Columns;
  padded.Width = C + 2;
  padded.Values.resize(static_cast<size_t>(R + 2) * padded.Width);
  for (int r = -1; r <= R; ++r) {
    const float* src = p.RowTable[Reflect(r, R)];
    float* dst = padded.Values.data() + static_cast<size_t>(r + 1) * padded.Width;
    dst[0] = src[Reflect(-1, C)];
    std::memcpy(dst + 1, src, static_cast<size_t>(C) * sizeof(float));
    dst[C + 1] = src[Reflect(C, C)];
  }
}

float ConvolveAt(const TPadded& padded, int r, int c, const std::array<float, 9>& k) {
  const float* lo = padded.Row(r - 1) + c;
  const float* mid = padded.Row(r) + c;
  const float* hi = padded.Row(r + 1) + c;
  const float w[9] = {lo[0], lo[1], lo[2], mid[0], mid[1], mid[2], hi[0], hi[1], hi[2]};
  return Convolve(w, k);
}

bool AllFinite(const float* v, size_t n) {
  uint32_t bad = 0;
  for (size_t i = 0; i < n; ++i)
    bad |= static_cast<uint32_t>((std::bit_cast<uint32_t>(v[i]) & 0x7F800000u) == 0x7F800000u);
  return bad == 0;
}

// The values of a row of a finite picture are computed one kernel weight at a time
// across the whole row, so that each pass is a short loop over
// independent values that the compiler turns into vector code. `acc` holds the running
// sums; `flag` marks the values where the double computation may have met a tie (see
// SingleRounding.h), which are recomputed by the definition afterwards.

// acc := acc + w * k rounded to single as extended precision rounds it, where w * k is
// exact in double: a single times 1/9 as single has at most 48 significant bits, a
// single times 8 or 9 at most 28. With `exactSums` the sum's rounding error is taken
// too (two-sum), so that exact half-way sums, which are frequent when the products have
// few bits, are not flagged; where they are rare the definition is cheaper for them.
template <bool exactSums>
TARNISK_VECTOR_CLONES void AddProducts(float* __restrict acc, const float* __restrict w,
                                       uint32_t* __restrict flag, int n, double k) {
  for (int j = 0; j < n; ++j) {
    const double s = acc[j];
    const double p = static_cast<double>(w[j]) * k;
    const double t = s + p;
    double err = 1.0;
    if constexpr (exactSums) {
      const double back = t - s;
      err = (s - (t - back)) + (p - back);
    }
    flag[j] |= MayTieAsSingleFlag(t, err);
    acc[j] = static_cast<float>(t);
  }
}

// acc := acc - w: the sum of two singles, which extended precision rounds exactly as
// single arithmetic does.
TARNISK_VECTOR_CLONES void SubtractValues(float* __restrict acc, const float* __restrict w, int n) {
  for (int j = 0; j < n; ++j) acc[j] -= w[j];
}

// One row from the padded rows below (lo), at (mid) and above (hi) it: tap k of the
// window order reads its row shifted so that index j is the window of column j.
void FilterInnerRow(int kernel, const float* lo, const float* mid, const float* hi,
                    float* __restrict acc, uint32_t* __restrict flag, int n) {
  const float* taps[9] = {lo, lo + 1, lo + 2, mid, mid + 1, mid + 2, hi, hi + 1, hi + 2};
  std::fill(flag, flag + n, 0u);
  switch (kernel) {
    case fkLowPass: {
      const double q = kFilterKernels[fkLowPass][0];
      // The first step adds the exact product to 0 (which also turns -0 into +0): one
      // rounding of an exact value, never a tie.
      for (int j = 0; j < n; ++j)
        acc[j] = static_cast<float>(0.0 + static_cast<double>(taps[0][j]) * q);
      for (int k = 1; k < 9; ++k) AddProducts<false>(acc, taps[k], flag, n, q);
      break;
    }
    case fkHighPass:
    case fkLaplace: {
      std::fill(acc, acc + n, 0.0f);
      for (int k = 0; k < 4; ++k) SubtractValues(acc, taps[k], n);
      AddProducts<true>(acc, taps[4], flag, n, kernel == fkHighPass ? 9.0 : 8.0);
      for (int k = 5; k < 9; ++k) SubtractValues(acc, taps[k], n);
      break;
    }
    default: {
      // Illumination: the zero-weighted products of finite values are zeros that leave
      // the sum as it is (it is +0 before w4 and never -0 after it), so the value is
      // (0 - w4) + w5 in single arithmetic.
      for (int j = 0; j < n; ++j) acc[j] = (0.0f - taps[3][j]) + taps[4][j];
      break;
    }
  }
}

}  // namespace

bool Filter3x3(TVKMPicture& p, int kernel) {
  if (kernel < 0 || kernel >= kFilterKernelCount) return false;
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  if (C == 0) return true;
  const std::array<float, 9>& k = kFilterKernels[kernel];
  // The filter reads the padded copy and writes the picture, so every output is computed
  // from unfiltered values. The copy is kept for the next call.
  thread_local TPadded padded;
  Pad(p, padded);
  // Values that are not finite turn zero weights into NaN; such pictures take the
  // definition everywhere.
  if (!AllFinite(p.Data(), p.ValueCount())) {
    for (int r = 0; r < R; ++r)
      for (int c = 0; c < C; ++c) p.RowTable[r][c] = ConvolveAt(padded, r, c, k);
    return true;
  }
  thread_local std::vector<uint32_t> flag;
  flag.resize(static_cast<size_t>(C));
  for (int r = 0; r < R; ++r) {
    float* o = p.RowTable[r];
    FilterInnerRow(kernel, padded.Row(r - 1), padded.Row(r), padded.Row(r + 1), o, flag.data(), C);
    uint32_t any = 0;
    for (int c = 0; c < C; ++c) any |= flag[c];
    if (any) [[unlikely]]
      for (int c = 0; c < C; ++c)
        if (flag[c]) o[c] = ConvolveAt(padded, r, c, k);
  }
  return true;
}

float BadPointThreshold(float sourceMin, float sourceMax, double percent) {
  const float d = sourceMax - sourceMin;
  if (d == 0) return 1.0f;
  const float t = d / 100.0f * static_cast<float>(percent);
  return t < 0 ? 0.0f : t;
}

namespace {

// |a - b| > t with the difference in extended precision. The difference of two singles
// rounded to single compares with the single t as the exact difference does, except
// when it rounds onto t itself; only then is the extended difference needed.
inline bool Differs(float a, float b, float t) {
  const float d = std::fabs(a - b);
  if (d != t) [[likely]]
    return d > t;
  return std::fabs(static_cast<ext>(a) - static_cast<ext>(b)) > t;
}

// The mean of n values: summed in the given order in extended precision, the sum
// rounded to single, divided by n and rounded to single again.
template <typename... V>
float Mean(V... v) {
  ext s = 0;
  ((s += static_cast<ext>(v)), ...);
  const float sum = static_cast<float>(s);
  return static_cast<float>(static_cast<ext>(sum) / static_cast<ext>(sizeof...(V)));
}

}  // namespace

void RemoveBadPoints(TVKMPicture& p, float t) {
  if (!p.HasMatrix() || p.Rows < 2 || p.Columns < 2) return;
  const int L = p.Rows - 1, K = p.Columns - 1;
  auto v = [&p](int r, int c) -> float& { return p.RowTable[r][c]; };
  for (int r = 1; r < L; ++r) {
    float* lo = p.RowTable[r - 1];
    float* mid = p.RowTable[r];
    float* hi = p.RowTable[r + 1];
    for (int c = 1; c < K; ++c) {
      // The right neighbour is still unchanged here; test it first, it rarely differs.
      if (Differs(mid[c], mid[c + 1], t) && Differs(mid[c], mid[c - 1], t)) [[unlikely]]
        mid[c] =
            Mean(lo[c - 1], lo[c], lo[c + 1], mid[c - 1], mid[c + 1], hi[c - 1], hi[c], hi[c + 1]);
    }
    if (Differs(v(r, 0), v(r - 1, 0), t) && Differs(v(r, 0), v(r + 1, 0), t))
      v(r, 0) = Mean(v(r - 1, 0), v(r + 1, 0), v(r - 1, 1), v(r, 1), v(r + 1, 1));
    if (Differs(v(r, K), v(r - 1, K), t) && Differs(v(r, K), v(r + 1, K), t))
      v(r, K) = Mean(v(r - 1, K), v(r + 1, K), v(r - 1, K - 1), v(r, K - 1), v(r + 1, K - 1));
  }
  for (int c = 1; c < K; ++c) {
    if (Differs(v(0, c), v(0, c - 1), t) && Differs(v(0, c), v(0, c + 1), t))
      v(0, c) = Mean(v(0, c - 1), v(0, c + 1), v(1, c - 1), v(1, c), v(1, c + 1));
    if (Differs(v(L, c), v(L, c - 1), t) && Differs(v(L, c), v(L, c + 1), t))
      v(L, c) = Mean(v(L, c - 1), v(L, c + 1), v(L - 1, c - 1), v(L - 1, c), v(L - 1, c + 1));
  }
  if (Differs(v(0, 0), v(1, 0), t) && Differs(v(0, 0), v(0, 1), t))
    v(0, 0) = Mean(v(0, 1), v(1, 0), v(1, 1));
  if (Differs(v(L, 0), v(L, 1), t) && Differs(v(L, 0), v(L - 1, 0), t))
    v(L, 0) = Mean(v(L, 1), v(L - 1, 0), v(L - 1, 1));
  if (Differs(v(0, K), v(0, K - 1), t) && Differs(v(0, K), v(1, K), t))
    v(0, K) = Mean(v(0, K - 1), v(1, K), v(1, K - 1));
  if (Differs(v(L, K), v(L, K - 1), t) && Differs(v(L, K), v(L - 1, K), t))
    v(L, K) = Mean(v(L, K - 1), v(L - 1, K), v(L - 1, K - 1));
}
