// Leveling routines and the dispatch of the leveling workbench.
#include "process/Leveling.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "process/SingleRounding.h"
#include "process/VectorClones.h"

namespace {

using ext = long double;  // extended precision: products, quotients, coefficients

// --- all or nothing ---------------------------------------------------------------------
//
// The results are computed into a buffer first and copied into the picture only when
// every one of them is a finite single, so a routine never leaves a picture half leveled.
float* Scratch(size_t n) {
  thread_local std::vector<float> scratch;
  if (scratch.size() < n) scratch.resize(n);
  return scratch.data();
}

TARNISK_VECTOR_CLONES bool AllFinite(const float* v, size_t n) {
  uint32_t bad = 0;
  for (size_t i = 0; i < n; ++i)
    bad |= static_cast<uint32_t>((std::bit_cast<uint32_t>(v[i]) & 0x7F800000u) == 0x7F800000u);
  return bad == 0;
}

bool Commit(TVKMPicture& p, const float* out) {
  const size_t n = p.ValueCount();
  if (!AllFinite(out, n)) return false;
  std::memcpy(p.Data(), out, n * sizeof(float));
  return true;
}

// A coefficient stored as single; false when it is not a finite single.
bool StoreSingle(ext v, float& out) {
  out = static_cast<float>(v);
  return std::isfinite(out);
}

// --- the residuals ------------------------------------------------------------------
//
// Every leveling ends in v := ((v - t1) - t2) - t3, formed in extended precision and
// stored as single, where the terms are products of a position and a single coefficient
// (exact in double: at most 10 + 24 bits, or 19 + 24 for a squared position). Whenever
// each partial result is exact in double, double arithmetic gives the exact value and
// its single rounding is the one extended precision gives. A partial result is exact
// when it is a multiple of the smallest last-bit value L among the values and
// coefficients involved and smaller than 2^52 L; that is checked once per row (or once
// for the picture), and only lines that fail it take extended arithmetic.

// The exponent field that bounds the last bit of a nonzero single from below (the
// subnormals share the smallest one); 255 for 0, which constrains nothing.
inline uint32_t LowField(float x) {
  const uint32_t bits = std::bit_cast<uint32_t>(x) & 0x7FFFFFFFu;
  const uint32_t field = bits >> 23;
  return bits == 0 ? 255u : (field == 0 ? 1u : field);
}

// What the check needs to know of a set of values.
struct TValueRange {
  uint32_t lowField = 255;  // the smallest LowField
  float maxAbs = 0;         // the largest magnitude
  bool finite = true;
  void Add(float x) {
    lowField = std::min(lowField, LowField(x));
    maxAbs = std::max(maxAbs, std::fabs(x));
    finite = finite && std::isfinite(x);
  }
};

TARNISK_VECTOR_CLONES TValueRange ScanValues(const float* v, size_t n) {
  // Magnitudes are compared as their bit patterns, which order them as the numbers do.
  uint32_t low = 255, nonFinite = 0, maxBits = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t bits = std::bit_cast<uint32_t>(v[i]) & 0x7FFFFFFFu;
    const uint32_t field = bits >> 23;
    const uint32_t f = bits == 0 ? 255u : (field == 0 ? 1u : field);
    low = f < low ? f : low;
    nonFinite |= static_cast<uint32_t>(field == 255);
    maxBits = bits > maxBits ? bits : maxBits;
  }
  TValueRange r;
  r.lowField = low;
  r.maxAbs = std::bit_cast<float>(maxBits);
  r.finite = nonFinite == 0;
  return r;
}

// True when every partial result bounded by `magnitude` is exact in double (with a
// factor 2 to spare for the rounding of the bound itself) and far inside the single range.
bool ExactInDouble(const TValueRange& r, double magnitude) {
  if (!r.finite || !(magnitude < 0x1p120)) return false;
  if (r.lowField == 255) return true;  // every number involved is 0
  return magnitude < std::ldexp(1.0, static_cast<int>(r.lowField) - 150 + 51);
}

// (v - x * b) - a in extended precision, stored as single.
inline float LineResidual(float v, int x, float b, float a) {
  return static_cast<float>((static_cast<ext>(v) - static_cast<ext>(x) * b) - a);
}

// ((v - x^2 * a2) - x * a1) - a0 in extended precision, stored as single.
inline float ParabolaResidual(float v, int x, float a2, float a1, float a0) {
  const ext xx = static_cast<ext>(static_cast<int64_t>(x) * x);
  return static_cast<float>(((static_cast<ext>(v) - xx * a2) - static_cast<ext>(x) * a1) - a0);
}

// The same residuals in double, for values known to make them exact; x runs along the
// row, or is the row's position when the coefficients change along the row.
TARNISK_VECTOR_CLONES void LineRowExact(const float* __restrict v, float* __restrict o, int n,
                                        double b, double a) {
  for (int x = 0; x < n; ++x)
    o[x] = static_cast<float>((static_cast<double>(v[x]) - static_cast<double>(x) * b) - a);
}

TARNISK_VECTOR_CLONES void LineColumnsExact(const float* __restrict v, float* __restrict o, int n,
                                            double y, const float* __restrict b,
                                            const float* __restrict a) {
  for (int c = 0; c < n; ++c)
    o[c] = static_cast<float>((static_cast<double>(v[c]) - y * static_cast<double>(b[c])) -
                              static_cast<double>(a[c]));
}

TARNISK_VECTOR_CLONES void ParabolaRowExact(const float* __restrict v, float* __restrict o, int n,
                                            double a2, double a1, double a0) {
  for (int x = 0; x < n; ++x) {
    const double xd = x;
    o[x] = static_cast<float>(((static_cast<double>(v[x]) - xd * xd * a2) - xd * a1) - a0);
  }
}

TARNISK_VECTOR_CLONES void ParabolaColumnsExact(const float* __restrict v, float* __restrict o,
                                                int n, double y, const float* __restrict a2,
                                                const float* __restrict a1,
                                                const float* __restrict a0) {
  const double yy = y * y;
  for (int c = 0; c < n; ++c)
    o[c] = static_cast<float>(((static_cast<double>(v[c]) - yy * static_cast<double>(a2[c])) -
                               y * static_cast<double>(a1[c])) -
                              static_cast<double>(a0[c]));
}

// (v - c sx) - r sy along one row, with r sy passed in.
TARNISK_VECTOR_CLONES void SlopesRowExact(const float* __restrict v, float* __restrict o, int n,
                                          double sx, double rsy) {
  for (int c = 0; c < n; ++c)
    o[c] = static_cast<float>((static_cast<double>(v[c]) - static_cast<double>(c) * sx) - rsy);
}

// The slopes' residual of a whole picture: (v - c sx) - r sy.
void SlopesResidual(const TVKMPicture& p, float* out, float sx, float sy) {
  const int R = p.Rows, C = p.Columns;
  TValueRange range = ScanValues(p.Data(), p.ValueCount());
  range.Add(sx);
  range.Add(sy);
  const double magnitude = static_cast<double>(range.maxAbs) +
                           static_cast<double>(C - 1) * std::fabs(sx) +
                           static_cast<double>(R - 1) * std::fabs(sy);
  const bool exact = ExactInDouble(range, magnitude);
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    float* o = out + static_cast<size_t>(r) * C;
    if (exact) {
      SlopesRowExact(v, o, C, sx, static_cast<double>(r) * sy);
    } else {
      const ext rsy = static_cast<ext>(r) * sy;
      for (int c = 0; c < C; ++c)
        o[c] = static_cast<float>((static_cast<ext>(v[c]) - static_cast<ext>(c) * sx) - rsy);
    }
  }
}

// --- sums -------------------------------------------------------------------------------

// Column sums, one row at a time: acc += v, single sums.
TARNISK_VECTOR_CLONES void AddRow(float* __restrict acc, const float* __restrict v, int n) {
  for (int c = 0; c < n; ++c) acc[c] += v[c];
}

// Column sums of position times value, one row at a time: next := acc + y * v rounded to
// single as extended precision rounds it. Values where the double sum may have met a
// tie are flagged (see SingleRounding.h); returns whether there are any.
TARNISK_VECTOR_CLONES uint32_t AddScaledRow(const float* __restrict acc, const float* __restrict v,
                                            float* __restrict next, uint32_t* __restrict flag,
                                            int n, double y) {
  uint32_t any = 0;
  for (int c = 0; c < n; ++c) {
    const double s = acc[c];
    const double p = y * static_cast<double>(v[c]);
    const double t = s + p;
    const double back = t - s;
    const double err = (s - (t - back)) + (p - back);
    const uint32_t f = MayTieAsSingleFlag(t, err);
    flag[c] = f;
    any |= f;
    next[c] = static_cast<float>(t);
  }
  return any;
}

// Single column sums of v and of y * v over the rows y = first, first + 1, ...
void ColumnSums(const TVKMPicture& p, int first, std::vector<float>& Z0, std::vector<float>& Z1) {
  const int R = p.Rows, C = p.Columns;
  Z0.assign(static_cast<size_t>(C), 0.0f);
  Z1.assign(static_cast<size_t>(C), 0.0f);
  std::vector<float> next(static_cast<size_t>(C));
  std::vector<uint32_t> flag(static_cast<size_t>(C));
  for (int r = 0; r < R; ++r) {
    const float* v = p.RowTable[r];
    const double y = r + first;
    AddRow(Z0.data(), v, C);
    if (AddScaledRow(Z1.data(), v, next.data(), flag.data(), C, y)) [[unlikely]]
      for (int c = 0; c < C; ++c)
        if (flag[c]) next[c] = AddRoundSingle(Z1[c], y * static_cast<double>(v[c]));
    Z1.swap(next);
  }
}

// Double column sums of v, y v and y^2 v over the rows.
TARNISK_VECTOR_CLONES void AddPowersRow(double* __restrict z0, double* __restrict z1,
                                        double* __restrict z2, const float* __restrict v, int n,
                                        double y) {
  const double yy = y * y;
  for (int c = 0; c < n; ++c) {
    const double x = v[c];
    z0[c] += x;
    z1[c] += y * x;
    z2[c] += yy * x;
  }
}

// A sum along a row is a chain of dependent additions; rows are taken in blocks so that
// the chains of several rows run side by side. Each row's sum keeps its own order.
// `block(r0, K)` sums the rows r0 .. r0 + K - 1.
template <typename Block>
void ForRowBlocks(int R, Block block) {
  constexpr int K = 8;
  int r = 0;
  for (; r + K <= R; r += K) block(r, std::integral_constant<int, K>());
  for (; r < R; ++r) block(r, std::integral_constant<int, 1>());
}

// The sums of the parabola fit over positions 0 .. n - 1 and the reciprocal of its
// determinant, with the normal matrix [[n, S1, S2], [S1, S2, S3], [S2, S3, S4]].
struct TParabolaBase {
  double n = 0, S1 = 0, S2 = 0, S3 = 0, S4 = 0;
  double E = 0;  // -1 / determinant, a double
};

bool ParabolaBase(int n, TParabolaBase& b) {
  b.n = n;
  for (int x = 0; x < n; ++x) {
    b.S1 += x;
    b.S2 += static_cast<double>(static_cast<int64_t>(x) * x);
    b.S3 += static_cast<double>(static_cast<int64_t>(x) * x * x);  // x^3 as an integer
    // x^4 is at most 2^37: the power function's exact result, had by multiplying.
    b.S4 += static_cast<double>(static_cast<ext>(x) * x * x * x);
  }
  const ext C = n, S1 = b.S1, S2 = b.S2, S3 = b.S3, S4 = b.S4;
  const ext den = C * (S3 * S3) - C * S2 * S4 + (S1 * S1) * S4 - 2 * S1 * S2 * S3 + S2 * S2 * S2;
  if (den == 0) return false;  // fewer than three positions: no parabola
  b.E = static_cast<double>(1.0L / den);
  return std::isfinite(b.E);
}

// Cramer's rule for v ~ a0 + a1 x + a2 x^2 from Z0 = sum v, Z1 = sum x v, Z2 = sum x^2 v.
bool ParabolaCoefficients(const TParabolaBase& b, double z0, double z1, double z2, float& a0,
                          float& a1, float& a2) {
  const ext C = b.n, S1 = b.S1, S2 = b.S2, S3 = b.S3, S4 = b.S4, E = b.E;
  const ext Z0 = z0, Z1 = z1, Z2 = z2;
  const ext n0 =
      Z0 * S2 * S4 - Z0 * (S3 * S3) + S1 * S3 * Z2 - S1 * S4 * Z1 + S2 * S3 * Z1 - (S2 * S2) * Z2;
  const ext n1 =
      S1 * S2 * Z2 - S1 * S4 * Z0 - C * S3 * Z2 + C * S4 * Z1 + S2 * S3 * Z0 - (S2 * S2) * Z1;
  const ext n2 =
      (S1 * S1) * Z2 - S1 * S3 * Z0 + C * S3 * Z1 - C * S2 * Z2 - S1 * S2 * Z1 + (S2 * S2) * Z0;
  return StoreSingle(-n0 * E, a0) && StoreSingle(-n1 * E, a1) && StoreSingle(n2 * E, a2);
}

TARNISK_VECTOR_CLONES void SubtractConstant(const float* __restrict v, float* __restrict o,
                                            size_t n, float m) {
  for (size_t i = 0; i < n; ++i) o[i] = v[i] - m;
}

TARNISK_VECTOR_CLONES void SubtractRow(const float* __restrict v, float* __restrict o, int n,
                                       const float* __restrict m) {
  for (int c = 0; c < n; ++c) o[c] = v[c] - m[c];
}

}  // namespace

bool LevelRowMean(TVKMPicture& p) {
  if (!p.HasMatrix() || p.Columns == 0) return false;
  const int R = p.Rows, C = p.Columns;
  std::vector<float> m(static_cast<size_t>(R));
  ForRowBlocks(R, [&](int r0, auto block) {
    constexpr int K = decltype(block)::value;
    float s[K] = {};
    for (int c = 0; c < C; ++c)
      for (int k = 0; k < K; ++k) s[k] += p.RowTable[r0 + k][c];
    // The quotient of two singles rounded once to single, as extended precision gives it.
    for (int k = 0; k < K; ++k) m[r0 + k] = s[k] / static_cast<float>(C);
  });
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r)
    SubtractConstant(p.RowTable[r], out + static_cast<size_t>(r) * C, static_cast<size_t>(C), m[r]);
  return Commit(p, out);
}

bool LevelColumnMean(TVKMPicture& p) {
  if (!p.HasMatrix() || p.Columns == 0) return false;
  const int R = p.Rows, C = p.Columns;
  std::vector<float> m(static_cast<size_t>(C), 0.0f);
  for (int r = 0; r < R; ++r) AddRow(m.data(), p.RowTable[r], C);
  for (int c = 0; c < C; ++c) m[c] /= static_cast<float>(R);
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r)
    SubtractRow(p.RowTable[r], out + static_cast<size_t>(r) * C, C, m.data());
  return Commit(p, out);
}

bool LevelRowLine(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  double S1 = 0, S2 = 0;
  for (int x = 0; x < C; ++x) {
    S1 += x;
    S2 += static_cast<double>(x) * x;
  }
  const ext den = static_cast<ext>(C) * S2 - static_cast<ext>(S1) * S1;
  if (den == 0) return false;  // fewer than two columns: no line
  float D;
  if (!StoreSingle(1.0L / den, D)) return false;
  std::vector<double> Z0(static_cast<size_t>(R)), Z1(static_cast<size_t>(R));
  ForRowBlocks(R, [&](int r0, auto block) {
    constexpr int K = decltype(block)::value;
    double z0[K] = {}, z1[K] = {};
    for (int c = 0; c < C; ++c)
      for (int k = 0; k < K; ++k) {
        const double v = p.RowTable[r0 + k][c];
        z0[k] += v;
        z1[k] += static_cast<double>(c) * v;  // exact: an integer below 2^10 times a single
      }
    std::copy(z0, z0 + K, Z0.begin() + r0);
    std::copy(z1, z1 + K, Z1.begin() + r0);
  });
  float* out = Scratch(p.ValueCount());
  for (int r = 0; r < R; ++r) {
    float a, b;
    if (!StoreSingle((static_cast<ext>(Z0[r]) * S2 - static_cast<ext>(Z1[r]) * S1) * D, a) ||
        !StoreSingle((static_cast<ext>(C) * Z1[r] - static_cast<ext>(Z0[r]) * S1) * D, b))
      return false;
    const float* v = p.RowTable[r];
    float* o = out + static_cast<size_t>(r) * C;
    TValueRange range = ScanValues(v, static_cast<size_t>(C));
    range.Add(a);
    range.Add(b);
    const double magnitude = static_cast<double>(range.maxAbs) +
                             static_cast<double>(C - 1) * std::fabs(b) + std::fabs(a);
    if (ExactInDouble(range, magnitude))
      LineRowExact(v, o, C, b, a);
    else
      for (int c = 0; c < C; ++c) o[c] = LineResidual(v[c], c, b, a);
  }
  return Commit(p, out);
}

bool LevelColumnLine(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  float S1 = 0, S2 = 0;
  for (int y = 0; y < R; ++y) {
    S1 += static_cast<float>(y);
    S2 += static_cast<float>(y * y);  // y^2 is a single exactly; the sum is rounded
  }
  const ext den = static_cast<ext>(R) * S2 - static_cast<ext>(S1) * S1;
  if (den == 0) return false;  // fewer than two rows: no line
  float D;
  if (!StoreSingle(1.0L / den, D)) return false;
  std::vector<float> Z0, Z1;
  ColumnSums(p, 0, Z0, Z1);
  std::vector<float> a(static_cast<size_t>(C)), b(static_cast<size_t>(C));
  TValueRange range = ScanValues(p.Data(), p.ValueCount());
  float maxA = 0, maxB = 0;
  for (int c = 0; c < C; ++c) {
    if (!StoreSingle((static_cast<ext>(Z0[c]) * S2 - static_cast<ext>(Z1[c]) * S1) * D, a[c]) ||
        !StoreSingle((static_cast<ext>(R) * Z1[c] - static_cast<ext>(Z0[c]) * S1) * D, b[c]))
      return false;
    range.Add(a[c]);
    range.Add(b[c]);
    maxA = std::max(maxA, std::fabs(a[c]));
    maxB = std::max(maxB, std::fabs(b[c]));
  }
  const bool exact = ExactInDouble(
      range, static_cast<double>(range.maxAbs) + static_cast<double>(R - 1) * maxB + maxA);
  float* out = Scratch(p.ValueCount());
  for (int y = 0; y < R; ++y) {
    const float* v = p.RowTable[y];
    float* o = out + static_cast<size_t>(y) * C;
    if (exact)
      LineColumnsExact(v, o, C, y, b.data(), a.data());
    else
      for (int c = 0; c < C; ++c) o[c] = LineResidual(v[c], y, b[c], a[c]);
  }
  return Commit(p, out);
}

bool LevelRowParabola(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  TParabolaBase base;
  if (!ParabolaBase(C, base)) return false;
  std::vector<double> Z0(static_cast<size_t>(R)), Z1(static_cast<size_t>(R)),
      Z2(static_cast<size_t>(R));
  ForRowBlocks(R, [&](int r0, auto block) {
    constexpr int K = decltype(block)::value;
    double z0[K] = {}, z1[K] = {}, z2[K] = {};
    for (int c = 0; c < C; ++c) {
      const double x = c, xx = static_cast<double>(static_cast<int64_t>(c) * c);
      for (int k = 0; k < K; ++k) {
        const double v = p.RowTable[r0 + k][c];
        z0[k] += v;
        z1[k] += x * v;
        z2[k] += xx * v;  // exact: 19 + 24 bits
      }
    }
    std::copy(z0, z0 + K, Z0.begin() + r0);
    std::copy(z1, z1 + K, Z1.begin() + r0);
    std::copy(z2, z2 + K, Z2.begin() + r0);
  });
  float* out = Scratch(p.ValueCount());
  const double xMax = C - 1;
  for (int r = 0; r < R; ++r) {
    float a0, a1, a2;
    if (!ParabolaCoefficients(base, Z0[r], Z1[r], Z2[r], a0, a1, a2)) return false;
    const float* v = p.RowTable[r];
    float* o = out + static_cast<size_t>(r) * C;
    TValueRange range = ScanValues(v, static_cast<size_t>(C));
    range.Add(a0);
    range.Add(a1);
    range.Add(a2);
    const double magnitude = static_cast<double>(range.maxAbs) + xMax * xMax * std::fabs(a2) +
                             xMax * std::fabs(a1) + std::fabs(a0);
    if (ExactInDouble(range, magnitude))
      ParabolaRowExact(v, o, C, a2, a1, a0);
    else
      for (int c = 0; c < C; ++c) o[c] = ParabolaResidual(v[c], c, a2, a1, a0);
  }
  return Commit(p, out);
}

bool LevelColumnParabola(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  TParabolaBase base;
  if (!ParabolaBase(R, base)) return false;
  std::vector<double> Z0(static_cast<size_t>(C), 0.0), Z1(static_cast<size_t>(C), 0.0),
      Z2(static_cast<size_t>(C), 0.0);
  for (int y = 0; y < R; ++y) AddPowersRow(Z0.data(), Z1.data(), Z2.data(), p.RowTable[y], C, y);
  std::vector<float> a0(static_cast<size_t>(C)), a1(static_cast<size_t>(C)),
      a2(static_cast<size_t>(C));
  TValueRange range = ScanValues(p.Data(), p.ValueCount());
  float max0 = 0, max1 = 0, max2 = 0;
  for (int c = 0; c < C; ++c) {
    if (!ParabolaCoefficients(base, Z0[c], Z1[c], Z2[c], a0[c], a1[c], a2[c])) return false;
    range.Add(a0[c]);
    range.Add(a1[c]);
    range.Add(a2[c]);
    max0 = std::max(max0, std::fabs(a0[c]));
    max1 = std::max(max1, std::fabs(a1[c]));
    max2 = std::max(max2, std::fabs(a2[c]));
  }
  const double yMax = R - 1;
  const bool exact = ExactInDouble(
      range, static_cast<double>(range.maxAbs) + yMax * yMax * max2 + yMax * max1 + max0);
  float* out = Scratch(p.ValueCount());
  for (int y = 0; y < R; ++y) {
    const float* v = p.RowTable[y];
    float* o = out + static_cast<size_t>(y) * C;
    if (exact)
      ParabolaColumnsExact(v, o, C, y, a2.data(), a1.data(), a0.data());
    else
      for (int c = 0; c < C; ++c) o[c] = ParabolaResidual(v[c], y, a2[c], a1[c], a0[c]);
  }
  return Commit(p, out);
}

bool LevelGlobalMean(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int R = p.Rows, C = p.Columns;
  std::vector<double> rowSum(static_cast<size_t>(R));
  ForRowBlocks(R, [&](int r0, auto block) {
    constexpr int K = decltype(block)::value;
    double s[K] = {};
    for (int c = 0; c < C; ++c)
      for (int k = 0; k < K; ++k) s[k] += p.RowTable[r0 + k][c];
    std::copy(s, s + K, rowSum.begin() + r0);
  });
  double total = 0;
  for (int r = 0; r < R; ++r)  // the row mean is formed in extended precision and added
    total = static_cast<double>(static_cast<ext>(total) + static_cast<ext>(rowSum[r]) / C);
  const float m = static_cast<float>(static_cast<ext>(total) / R);
  if (!std::isfinite(m)) return false;  // no mean: the level stays
  float* out = Scratch(p.ValueCount());
  SubtractConstant(p.Data(), out, p.ValueCount(), m);
  return Commit(p, out);
}

bool LevelMeanSlopes(TVKMPicture& p) {
  if (!p.HasMatrix()) return false;
  const int nx = p.Columns, ny = p.Rows;
  float Sx = 0, Sxx = 0, Sy = 0, Syy = 0;
  for (int i = 1; i <= nx; ++i) {
    Sx += static_cast<float>(i);
    Sxx += static_cast<float>(i * i);
  }
  for (int j = 1; j <= ny; ++j) {
    Sy += static_cast<float>(j);
    Syy += static_cast<float>(j * j);
  }
  // Row pass: each row's slope numerator, positions i = 1 .. nx, summed over the rows.
  std::vector<float> rowS0(static_cast<size_t>(ny)), rowS1(static_cast<size_t>(ny));
  ForRowBlocks(ny, [&](int r0, auto block) {
    constexpr int K = decltype(block)::value;
    float s0[K] = {}, s1[K] = {};
    for (int i = 1; i <= nx; ++i)
      for (int k = 0; k < K; ++k) {
        const float v = p.RowTable[r0 + k][i - 1];
        s1[k] = AddRoundSingle(s1[k], static_cast<double>(i) * v);
        s0[k] += v;
      }
    std::copy(s0, s0 + K, rowS0.begin() + r0);
    std::copy(s1, s1 + K, rowS1.begin() + r0);
  });
  float A = 0;
  for (int r = 0; r < ny; ++r)
    A = static_cast<float>(static_cast<ext>(A) +
                           (static_cast<ext>(nx) * rowS1[r] - static_cast<ext>(rowS0[r]) * Sx));
  // Column pass, positions j = 1 .. ny.
  std::vector<float> t0, t1;
  ColumnSums(p, 1, t0, t1);
  float B = 0;
  for (int i = 0; i < nx; ++i)
    B = static_cast<float>(static_cast<ext>(B) +
                           (static_cast<ext>(ny) * t1[i] - static_cast<ext>(t0[i]) * Sy));
  // A line of one point has no slope: that slope counts as 0.
  float sx = 0, sy = 0;
  const ext denX = (static_cast<ext>(nx) * Sxx - static_cast<ext>(Sx) * Sx) * ny;
  const ext denY = (static_cast<ext>(ny) * Syy - static_cast<ext>(Sy) * Sy) * nx;
  if (denX != 0 && !StoreSingle(static_cast<ext>(A) / denX, sx)) return false;
  if (denY != 0 && !StoreSingle(static_cast<ext>(B) / denY, sy)) return false;
  if (denX == 0 && denY == 0) return false;
  float* out = Scratch(p.ValueCount());
  SlopesResidual(p, out, sx, sy);
  return Commit(p, out);
}

namespace {

// The slope of z over one coordinate of the points (double sums): false when every point
// has the same coordinate, or the slope is not a finite single.
bool PointSlope(const TVKMPicture& p, const TSlopPoint* points, int count, bool overColumns,
                float& slope) {
  double S = 0, Sz = 0, Ssz = 0, Sss = 0;
  for (int k = 0; k < count; ++k) {
    const int32_t s = overColumns ? points[k].Column : points[k].Row;
    const float z = p.RowTable[points[k].Row][points[k].Column];
    Ssz += static_cast<double>(s) * z;
    S += s;
    Sz += z;
    Sss += static_cast<double>(static_cast<int64_t>(s) * s);  // s^2 as an integer
  }
  const ext den = static_cast<ext>(count) * Sss - static_cast<ext>(S) * S;
  if (den == 0) return false;
  return StoreSingle((static_cast<ext>(count) * Ssz - static_cast<ext>(S) * Sz) / den, slope);
}

}  // namespace

TPointSlopesResult LevelPointSlopes(TVKMPicture& p, const TSlopPoint* points, int count) {
  if (count < 2) return TPointSlopesResult::TooFewPoints;
  if (!p.HasMatrix()) return TPointSlopesResult::Unchanged;
  for (int k = 0; k < count; ++k)
    if (points[k].Column < 0 || points[k].Column >= p.Columns || points[k].Row < 0 ||
        points[k].Row >= p.Rows)
      return TPointSlopesResult::Unchanged;
  float sx, sy;
  // Points in one column (or one row) give no slope along it: the user has to mark more.
  if (!PointSlope(p, points, count, true, sx) || !PointSlope(p, points, count, false, sy)) {
    // Tell a missing spread apart from a slope that overflows.
    bool columnsSpread = false, rowsSpread = false;
    for (int k = 1; k < count; ++k) {
      columnsSpread |= points[k].Column != points[0].Column;
      rowsSpread |= points[k].Row != points[0].Row;
    }
    return columnsSpread && rowsSpread ? TPointSlopesResult::Unchanged
                                       : TPointSlopesResult::TooFewPoints;
  }
  float* out = Scratch(p.ValueCount());
  SlopesResidual(p, out, sx, sy);
  return Commit(p, out) ? TPointSlopesResult::Leveled : TPointSlopesResult::Unchanged;
}

TLevelResult Leveling(TVKMPicture& work, int method, int order, const TSlopPoint* points,
                      int& pointCount, Messages& messages) {
  bool (*routine)(TVKMPicture&) = nullptr;
  switch (method) {
    case smPoints:
      if (order == soFirst) {
        switch (LevelPointSlopes(work, points, pointCount)) {
          case TPointSlopesResult::Leveled:
            pointCount = 0;  // the marks vanish at the render that follows
            return TLevelResult::Leveled;
          case TPointSlopesResult::TooFewPoints:
            messages.ShowMessage(kNotEnoughPoints, TMsgDlgType::mtInformation);
            return TLevelResult::NotEnoughPoints;
          case TPointSlopesResult::Unchanged:
            return TLevelResult::Unchanged;
        }
      }
      break;
    case sm2Dim:
      if (order == soZero) routine = LevelGlobalMean;
      if (order == soFirst) routine = LevelMeanSlopes;
      break;
    case smLines:
      if (order == soZero) routine = LevelRowMean;
      if (order == soFirst) routine = LevelRowLine;
      if (order == soSecond) routine = LevelRowParabola;
      break;
    case smCols:
      if (order == soZero) routine = LevelColumnMean;
      if (order == soFirst) routine = LevelColumnLine;
      if (order == soSecond) routine = LevelColumnParabola;
      break;
    default:
      break;
  }
  if (!routine) {
    messages.ShowMessage(kMethodNotSupported, TMsgDlgType::mtInformation);
    return TLevelResult::NotSupported;
  }
  return routine(work) ? TLevelResult::Leveled : TLevelResult::Unchanged;
}
