// Profile sampling: averaging over rows, columns and arcs, and the four kinds of line.
#include "analysis/ProfileSampling.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <system_error>
#include <thread>

#include "analysis/WindowMeans.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kPi = std::numbers::pi;

// Round to the nearest integer, halves to even (the default rounding mode).
inline int32_t RoundInt(double v) {
  return static_cast<int32_t>(std::nearbyint(v));
}

inline int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

// Runs work(from, to) over the lines 0 ... count - 1 (rows or columns of the result),
// split between the calling thread and a second one when the work (`cost` additions) is
// large enough to pay for a thread. Every line is computed by exactly one of them, so the
// results do not depend on the split.
template <typename Work>
void ShareLines(int32_t count, int64_t cost, const Work& work) {
  const bool share = cost > 2000000 && count > 1 && std::thread::hardware_concurrency() > 1;
  if (share) {
    const int32_t half = count / 2;
    try {
      std::thread helper([&] { work(half, count); });
      work(0, half);
      helper.join();
      return;
    } catch (const std::system_error&) {
      // no thread to be had: the calling thread does all lines below
    }
  }
  work(0, count);
}

// A display row t outside 0 ... R - 1 folded back into the image: above the top the
// rows are mirrored repeating the top row (-1 -> 0), below the bottom without repeating
// the bottom row (R -> R - 2). One fold suffices for every width up to 2R + 1.
int32_t FoldDisplayRow(int32_t t, int32_t rows) {
  while (t < 0 || t > rows - 1) {
    if (t < 0)
      t = -1 - t;
    else
      t = 2 * (rows - 1) - t;
  }
  return t;
}

// ---- the radial average ----------------------------------------------------------

// Round to even for |v| < 2^51 by the carry of adding 1.5 * 2^52.
inline double RoundEven(double v) {
  constexpr double kShift = 6755399441055744.0;
  return (v + kShift) - kShift;
}

// Cosine and sine at the multiples j / 1024 of a radian for |j| <= 3300 (beyond pi).
struct TrigTable {
  static constexpr int kPerRadian = 1024;
  static constexpr int kHalf = 3300;
  std::vector<double> c, s;
  TrigTable() : c(2 * kHalf + 1), s(2 * kHalf + 1) {
    for (int j = -kHalf; j <= kHalf; ++j) {
      c[j + kHalf] = std::cos(static_cast<double>(j) / kPerRadian);
      s[j + kHalf] = std::sin(static_cast<double>(j) / kPerRadian);
    }
  }
};

const TrigTable& Trig() {
  static const TrigTable table;
  return table;
}

// Cosine and sine of |x| <= 3.2 to within a few units in the last place, from the
// nearest table angle t and the short series of d = x - t (|d| <= 1/2048, remainders
// below 1e-22). They only decide which cell an offset rounds to: an offset that comes
// within 1e-9 of a half is recomputed with std::cos and std::sin, so the cells are
// those of the plain definition.
inline void TableSinCos(const TrigTable& t, double x, double& s, double& c) {
  const double j = RoundEven(x * TrigTable::kPerRadian);
  const double d = x - j * (1.0 / TrigTable::kPerRadian);  // exact
  const int idx = static_cast<int>(j) + TrigTable::kHalf;
  const double d2 = d * d;
  const double cd = 1.0 - d2 * (0.5 - d2 * (1.0 / 24));
  const double sd = d * (1.0 - d2 * (1.0 / 6 - d2 * (1.0 / 120)));
  c = t.c[idx] * cd - t.s[idx] * sd;
  s = t.s[idx] * cd + t.c[idx] * sd;
}

void ArcStart(int32_t width, float& first, float& last) {
  first = static_cast<float>(-(static_cast<double>(width) / 2.0) / 180.0 * kPi);
  last = -first;
}

// The arc of one radius: the angles every cell at distance rho runs through, the same
// for all of them, so they are computed once per distance. For angle k, cs holds
// cos a, cos a, sin a, -sin a: the two rotated offsets of (dx, dy) are then one packed
// product with (dx, dy) and one with (dy, dx).
struct ArcAngles {
  std::vector<float> a;
  std::vector<double> cs;
  size_t n = 0;
};

// The angles: a from `first`, a := a + 1 / (rho + 1) held as a single, until a passes
// `last`; the first angle is always taken. The cosines are computed in the same loop,
// where they fill the wait for each next angle.
void FillArc(const TrigTable& t, float first, float last, float rho, ArcAngles& arc) {
  const double step = 1.0 / (static_cast<double>(rho) + 1.0);
  const size_t bound = static_cast<size_t>((static_cast<double>(last) - first) / step * 1.0001) + 4;
  if (arc.a.size() < bound) {
    arc.a.resize(bound);
    arc.cs.resize(4 * bound);
  }
  size_t n = 0;
  float a = first;
  do {
    if (n == arc.a.size()) {  // never expected: the bound has room to spare
      arc.a.resize(2 * n);
      arc.cs.resize(8 * n);
    }
    arc.a[n] = a;
    double sa, ca;
    TableSinCos(t, a, sa, ca);
    double* cs = &arc.cs[4 * n];
    cs[0] = ca;
    cs[1] = ca;
    cs[2] = sa;
    cs[3] = -sa;
    ++n;
    a = static_cast<float>(static_cast<double>(a) + step);
  } while (!(a > last));
  arc.n = n;
}

// The offsets Round(cos a dx + sin a dy) and Round(cos a dy - sin a dx) at angle `a` with
// the library's cosine and sine: the plain definition, for near-halves.
inline void ExactOffsets(float a, double dx, double dy, int32_t& ip, int32_t& iq) {
  const double ca = std::cos(static_cast<double>(a));
  const double sa = std::sin(static_cast<double>(a));
  ip = static_cast<int32_t>(std::nearbyint(ca * dx + sa * dy));
  iq = static_cast<int32_t>(std::nearbyint(ca * dy - sa * dx));
}

// The two rotated offsets of (dx, dy) at angle k, exactly as the plain definition gives
// them.
inline void RotatedOffsets(const ArcAngles& arc, size_t k, double dx, double dy, int32_t& ip,
                           int32_t& iq) {
  constexpr double kNearHalf = 0.5 - 1e-9;
  const double* cs = &arc.cs[4 * k];
#if defined(__SSE2__)
  // Lane 0: cos a dx + sin a dy; lane 1: cos a dy + (-sin a) dx, the same roundings as
  // cos a dy - sin a dx.
  const __m128d pq = _mm_add_pd(_mm_mul_pd(_mm_loadu_pd(cs), _mm_set_pd(dy, dx)),
                                _mm_mul_pd(_mm_loadu_pd(cs + 2), _mm_set_pd(dx, dy)));
  const __m128d shift = _mm_set1_pd(6755399441055744.0);
  const __m128d r = _mm_sub_pd(_mm_add_pd(pq, shift), shift);
  const __m128d off = _mm_andnot_pd(_mm_set1_pd(-0.0), _mm_sub_pd(pq, r));
  if (_mm_movemask_pd(_mm_cmpgt_pd(off, _mm_set1_pd(kNearHalf))) != 0)
    return ExactOffsets(arc.a[k], dx, dy, ip, iq);
  const __m128i ints = _mm_cvtpd_epi32(r);  // whole numbers already: exact
  ip = _mm_cvtsi128_si32(ints);
  iq = _mm_cvtsi128_si32(_mm_shuffle_epi32(ints, 1));
#else
  const double p = cs[0] * dx + cs[2] * dy;
  const double q = cs[1] * dy + cs[3] * dx;
  const double rp = RoundEven(p);
  const double rq = RoundEven(q);
  if (std::fabs(p - rp) > kNearHalf || std::fabs(q - rq) > kNearHalf)
    return ExactOffsets(arc.a[k], dx, dy, ip, iq);
  ip = static_cast<int32_t>(rp);
  iq = static_cast<int32_t>(rq);
#endif
}

// All cells at one squared distance d2 from the centre: their orbits under quarter
// turns, each given by its member with dx >= 1, dy >= 0 (the centre alone by (0, 0)).
struct DistanceGroup {
  int32_t d2 = 0;
  std::vector<std::pair<int32_t, int32_t>> reps;
};

std::vector<DistanceGroup> GroupCellsByDistance(int32_t radius) {
  // Cells with dx^2 + dy^2 < radius^2 are those with rho < radius: the single square
  // root of an integer below radius^2 (radius <= 257) never rounds up to radius.
  const int32_t limit = radius * radius;
  std::vector<int32_t> slot(static_cast<size_t>(limit), -1);
  std::vector<DistanceGroup> groups;
  auto add = [&](int32_t dx, int32_t dy) {
    const int32_t d2 = dx * dx + dy * dy;
    if (d2 >= limit) return;
    if (slot[d2] < 0) {
      slot[d2] = static_cast<int32_t>(groups.size());
      groups.push_back({d2, {}});
    }
    groups[slot[d2]].reps.emplace_back(dx, dy);
  };
  add(0, 0);
  for (int32_t dx = 1; dx < radius; ++dx)
    for (int32_t dy = 0; dy < radius; ++dy) add(dx, dy);
  // Neighbouring rings one after the other: their arcs read the same parts of the image,
  // which then stay in the cache.
  std::sort(groups.begin(), groups.end(),
            [](const DistanceGroup& a, const DistanceGroup& b) { return a.d2 < b.d2; });
  return groups;
}

// Averages the cells of one group into `out` (image order, R x C).
void AverageGroup(const TVKMPicture& picture, const DistanceGroup& group, float first, float last,
                  ArcAngles& arc, std::vector<float>& out) {
  const int32_t C = picture.Columns;
  const int32_t cx = C / 2;
  const int32_t cy = picture.Rows / 2;
  const float rho = std::sqrt(static_cast<float>(group.d2));
  FillArc(Trig(), first, last, rho, arc);
  const size_t n = arc.n;
  const float count = static_cast<float>(n);
  // The centre cell; the cell (cx + x, cy + y) lies at centre[y * C + x].
  const float* centre = picture.Data() + static_cast<ptrdiff_t>(cy) * C + cx;
  float* outCentre = out.data() + static_cast<ptrdiff_t>(cy) * C + cx;
  for (const auto& [dx, dy] : group.reps) {
    if (dx == 0 && dy == 0) {
      float s = 0;
      for (size_t k = 0; k < n; ++k) s = s + centre[0];
      outCentre[0] = s / count;
      continue;
    }
    // The quarter turns of (dx, dy) meet the quarter turns of its offsets: for the cell
    // (-dy, dx) the two sums are -q and p exactly, and so on round the orbit, so the
    // four cells read at +-(iq C + ip) and +-(ip C - iq) from the centre.
    float s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    const double ddx = dx;
    const double ddy = dy;
    for (size_t k = 0; k < n; ++k) {
      int32_t ip, iq;
      RotatedOffsets(arc, k, ddx, ddy, ip, iq);
      const ptrdiff_t o0 = static_cast<ptrdiff_t>(iq) * C + ip;
      const ptrdiff_t o1 = static_cast<ptrdiff_t>(ip) * C - iq;
      s0 = s0 + centre[o0];
      s1 = s1 + centre[o1];
      s2 = s2 + centre[-o0];
      s3 = s3 + centre[-o1];
    }
    outCentre[static_cast<ptrdiff_t>(dy) * C + dx] = s0 / count;
    outCentre[static_cast<ptrdiff_t>(dx) * C - dy] = s1 / count;
    outCentre[-(static_cast<ptrdiff_t>(dy) * C + dx)] = s2 / count;
    outCentre[-(static_cast<ptrdiff_t>(dx) * C - dy)] = s3 / count;
  }
}

// 2^e as a double, for -1022 <= e <= 1023.
inline double PowerOfTwo(int32_t e) {
  return std::bit_cast<double>(static_cast<uint64_t>(e + 1023) << 52);
}

// The exponent of the lowest set bit of a finite non-zero single: v = m 2^LowestBit(v)
// with m odd.
inline int32_t LowestBit(float v) {
  const uint32_t bits = std::bit_cast<uint32_t>(v);
  const int32_t field = static_cast<int32_t>((bits >> 23) & 0xFFu);
  uint32_t m = bits & 0x7FFFFFu;
  if (field != 0) m |= 0x800000u;
  return (field != 0 ? field - 150 : -149) + std::countr_zero(m);
}

// How many additions of v, starting at s, each add exactly d = t - s (t = s + v rounded,
// t != s, both finite): at least 1, at most n. While the exact sums and the results stay
// inside the binade of s, [2^(E-1), 2^E) in magnitude, every result lies on the same
// grid of spacing u = 2^(E-24), and s + j d + v rounds to s + j d plus v rounded to that
// grid, the same for every j. The one exception is v half-way between two grid points:
// the tie goes to the even grid point, so the amount added stays the same only while
// d / u is even (after one such addition it is).
int64_t EqualSteps(float s, float v, float t, int64_t n) {
  if (n < 2 || !std::isfinite(t) || !(std::fabs(s) >= 0x1p-100f)) return 1;
  // s is normal: |s| in [2^(field - 127), 2^(field - 126)).
  const int32_t field = static_cast<int32_t>((std::bit_cast<uint32_t>(s) >> 23) & 0xFFu);
  const double lo = PowerOfTwo(field - 127);
  const double hi = 2.0 * lo;
  const double a = s;
  const double d = static_cast<double>(t) - a;  // exact: both on the grid of the larger one
  const double absD = std::fabs(d);
  if (absD > lo) return 1;  // more than the binade holds
  if (LowestBit(v) == field - 151) {
    // a tie: only an even number of grid steps repeats
    const int64_t units = static_cast<int64_t>(absD * PowerOfTwo(150 - field));
    if (units % 2 != 0) return 1;
  }
  // Inside the binade, on the side of s. All values below are exact in double: they are
  // multiples of u (or of v's spacing, at least u / 2^24) smaller than 2^(E+1).
  const auto inside = [&](double x) { return a > 0 ? (x >= lo && x < hi) : (x <= -lo && x > -hi); };
  const bool outwards = (d > 0) == (a > 0);
  const double room = outwards ? hi - std::fabs(a) : std::fabs(a) - lo;
  int64_t k = static_cast<int64_t>(room / absD);  // room < 2^E, absD >= u: k < 2^24
  if (k > n) k = n;
  // The results s + d ... s + k d and the exact sums s + v ... s + (k - 1) d + v all lie
  // between the first and the last of them (both sequences are monotone).
  for (int tries = 0; tries < 4 && k >= 2; ++tries, --k) {
    const double kd = static_cast<double>(k) * d;
    if (inside(a + v) && inside(a + kd) && inside(a + (kd - d) + v)) return k;
  }
  return 1;
}

// The column average for W >= 4 C. The window of column x runs over the positions
// i = x - h ... x - h + W - 1 (h = W div 2) and takes the column |i|, or the last column
// when that is C or more: first L(x) = h - C + 1 - x copies of the last column (i <= -C),
// then the 2C - 1 columns |i| for -C < i < C (the same for every x: the window is wide
// enough to hold them all), then T(x) = W - L(x) - (2C - 1) copies of the last column.
// The leading runs of neighbouring columns differ by one addition, the middle is added
// to all columns side by side, and each trailing run is taken with AddRepeatedly.
void AverageWideColumns(const TVKMPicture& picture, int32_t W, TWorkMatrix& K) {
  const int32_t R = picture.Rows;
  const int32_t C = picture.Columns;
  const int64_t h = W / 2;
  const int64_t middle = 2 * static_cast<int64_t>(C) - 1;
  const TWindowKernel kernel = WidestWindowKernel();
  ShareLines(R, static_cast<int64_t>(R) * C * (middle + 64), [&](int32_t from, int32_t to) {
    std::vector<float> sums(static_cast<size_t>(C));
    std::vector<float> terms(static_cast<size_t>(middle));
    for (int32_t r = from; r < to; ++r) {
      const float* src = picture.RowTable[R - 1 - r];
      const float last = src[C - 1];
      // L(C - 1) = h - 2C + 2 >= 0, and L(x) = L(x + 1) + 1.
      float lead = AddRepeatedly(0.0f, last, h - 2 * static_cast<int64_t>(C) + 2);
      sums[C - 1] = lead;
      for (int32_t x = C - 2; x >= 0; --x) sums[x] = lead = lead + last;
      for (int32_t i = 1 - C; i < C; ++i) terms[i + C - 1] = src[std::abs(i)];
      AddToEach(kernel, terms.data(), static_cast<int32_t>(middle), sums.data(), C);
      float* out = K.Row(r);
      for (int32_t x = 0; x < C; ++x) {
        const int64_t leading = h - C + 1 - x;
        const float s = AddRepeatedly(sums[x], last, W - leading - middle);
        // The exact W: above 2^24 it is not a single itself.
        out[x] = static_cast<float>(static_cast<double>(s) / W);
      }
    }
  });
}

}  // namespace

void TWorkMatrix::SetSize(int32_t columns, int32_t rows) {
  Columns = columns < 0 ? 0 : columns;
  Rows = rows < 0 ? 0 : rows;
  Values.assign(static_cast<size_t>(Columns) * static_cast<size_t>(Rows), 0.0f);
}

void TProfile::Clear() {
  Values.clear();
  X.clear();
  Y.clear();
}

void TProfile::Add(int32_t x, int32_t y, float value) {
  X.push_back(x);
  Y.push_back(y);
  Values.push_back(value);
}

int32_t MaxAverageWidth(TProfileMode mode, int32_t rows, int32_t /*columns*/) {
  switch (mode) {
    case TProfileMode::Row:
      return std::max(1, 2 * rows + 1);
    case TProfileMode::Column:
      return std::numeric_limits<int32_t>::max();
    case TProfileMode::Radial:
      return 360;
    case TProfileMode::AnyLine:
      break;
  }
  return 1;
}

int32_t LimitAverageWidth(TProfileMode mode, int32_t width, int32_t rows, int32_t columns) {
  return Clamp(width, 1, MaxAverageWidth(mode, rows, columns));
}

void AverageRows(const TVKMPicture& picture, int32_t width, TWorkMatrix& K) {
  const int32_t R = picture.Rows;
  const int32_t C = picture.Columns;
  K.SetSize(C, R);
  if (R <= 0 || C <= 0 || !picture.HasMatrix()) return;
  const int32_t W = LimitAverageWidth(TProfileMode::Row, width, R, C);
  // The rows of every window in one sequence: display row r averages the stored rows
  // window[r ... r + W - 1].
  std::vector<const float*> window(static_cast<size_t>(R) + W - 1);
  for (int32_t i = 0; i < R + W - 1; ++i)
    window[i] = picture.RowTable[R - 1 - FoldDisplayRow(i - W / 2, R)];
  const TWindowKernel kernel = WidestWindowKernel();
  // Column by column: the column's values down the whole window sequence are gathered
  // into one short row, in which the k-th terms of all R windows lie side by side (the
  // row shifted by k), so the window means run over neighbouring singles like those of
  // the column average; the R means are then written down the column of K.
  ShareLines(C, static_cast<int64_t>(R) * C * W, [&](int32_t from, int32_t to) {
    std::vector<float> ext(static_cast<size_t>(R) + W - 1);
    std::vector<float> means(static_cast<size_t>(R));
    std::vector<const float*> shifted(static_cast<size_t>(W));
    for (int32_t k = 0; k < W; ++k) shifted[k] = ext.data() + k;
    for (int32_t x = from; x < to; ++x) {
      for (int32_t i = 0; i < R + W - 1; ++i) ext[i] = window[i][x];
      WindowMeans(kernel, shifted.data(), W, 0, R, means.data());
      for (int32_t r = 0; r < R; ++r) K.Row(r)[x] = means[r];
    }
  });
}

float AddRepeatedly(float s, float v, int64_t n) {
  while (n > 0) {
    const float t = s + v;
    if (t == s || std::isnan(t)) return t;  // no later addition changes it
    const int64_t k = EqualSteps(s, v, t, n);
    if (k == 1) {
      s = t;
    } else {
      // Exact: s + k d stays on the grid of s's binade (see EqualSteps).
      s = static_cast<float>(static_cast<double>(s) +
                             static_cast<double>(k) * (static_cast<double>(t) - s));
    }
    n -= k;
  }
  return s;
}

void AverageColumns(const TVKMPicture& picture, int32_t width, TWorkMatrix& K) {
  const int32_t R = picture.Rows;
  const int32_t C = picture.Columns;
  K.SetSize(C, R);
  if (R <= 0 || C <= 0 || !picture.HasMatrix()) return;
  const int32_t W = LimitAverageWidth(TProfileMode::Column, width, R, C);
  if (W / 4 >= C) {
    AverageWideColumns(picture, W, K);
    return;
  }
  const TWindowKernel kernel = WidestWindowKernel();
  ShareLines(R, static_cast<int64_t>(R) * C * W, [&](int32_t from, int32_t to) {
    // The window of column x is ext[x ... x + W - 1] with ext[i] the column
    // |i - W div 2| (the last column at or beyond the right edge): the k-th terms of all
    // windows are the row ext shifted by k.
    std::vector<float> ext(static_cast<size_t>(C) + W - 1);
    std::vector<const float*> shifted(static_cast<size_t>(W));
    for (int32_t k = 0; k < W; ++k) shifted[k] = ext.data() + k;
    for (int32_t r = from; r < to; ++r) {
      const float* src = picture.RowTable[R - 1 - r];
      for (int32_t i = 0; i < C + W - 1; ++i) {
        int32_t c = std::abs(i - W / 2);
        if (c >= C) c = C - 1;
        ext[i] = src[c];
      }
      WindowMeans(kernel, shifted.data(), W, 0, C, K.Row(r));
    }
  });
}

int32_t RadialRadius(int32_t rows, int32_t columns) {
  const int32_t side = std::min(rows, columns);
  return side <= 0 ? 0 : (side - 1) / 2;
}

bool AverageRadial(const TVKMPicture& picture, int32_t width, TWorkMatrix& K, Progress* progress) {
  const int32_t R = picture.Rows;
  const int32_t C = picture.Columns;
  if (R <= 0 || C <= 0 || !picture.HasMatrix()) {
    K.SetSize(C, R);
    return true;
  }
  const int32_t W = LimitAverageWidth(TProfileMode::Radial, width, R, C);
  // Cells outside the disc, and those a cancelled run does not reach, keep the image's
  // own values; the result is assembled apart from K, which a window may read meanwhile.
  std::vector<float> out(picture.Data(), picture.Data() + picture.ValueCount());
  const std::vector<DistanceGroup> groups = GroupCellsByDistance(RadialRadius(R, C));
  float first, last;
  ArcStart(W, first, last);

  // Chunks of about equal work (angles x cells), shared between the calling thread and
  // helpers; each cell is written by exactly one chunk, so the order does not matter.
  std::vector<size_t> chunkStart{0};
  {
    double total = 0;
    for (const auto& g : groups) total += (std::sqrt(g.d2) + 1) * (g.reps.size() * 4 + 1);
    const double perChunk = total / 64;
    double acc = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
      acc += (std::sqrt(groups[i].d2) + 1) * (groups[i].reps.size() * 4 + 1);
      if (acc >= perChunk) {
        chunkStart.push_back(i + 1);
        acc = 0;
      }
    }
    if (chunkStart.back() != groups.size()) chunkStart.push_back(groups.size());
  }
  const int chunks = static_cast<int>(chunkStart.size()) - 1;
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  auto runChunk = [&](int c, ArcAngles& arc) {
    for (size_t g = chunkStart[c]; g < chunkStart[c + 1]; ++g)
      AverageGroup(picture, groups[g], first, last, arc, out);
  };
  auto worker = [&] {
    ArcAngles arc;
    for (int c; !stop.load() && (c = next.fetch_add(1)) < chunks;) runChunk(c, arc);
  };
  // A run cancelled before it starts does no work at all.
  bool cancelled = false;
  if (progress) {
    progress->Step(0, chunks);
    if (progress->Cancelled()) {
      cancelled = true;
      stop.store(true);
    }
  }
  std::vector<std::thread> helpers;
  const unsigned cores = std::thread::hardware_concurrency();
  const unsigned helperCount = cancelled || cores < 2 ? 0u : std::min(cores - 1, 7u);
  for (unsigned i = 0; i < helperCount; ++i) {
    try {
      helpers.emplace_back(worker);
    } catch (...) {
      break;  // no thread to be had: the calling thread does the rest alone
    }
  }
  // The calling thread works too and reports after each of its chunks, so a window
  // can let its Cancel button be pressed.
  ArcAngles arc;
  int done = 0;
  for (int c; !stop.load() && (c = next.fetch_add(1)) < chunks;) {
    runChunk(c, arc);
    done = std::min(chunks, next.load());
    if (progress) {
      progress->Step(done, chunks);
      if (progress->Cancelled()) {
        cancelled = true;
        stop.store(true);
      }
    }
  }
  for (auto& t : helpers) t.join();
  if (progress && !cancelled) progress->Step(chunks, chunks);
  K.SetSize(C, R);
  K.Values = std::move(out);
  return !cancelled;
}

void AverageRadialReference(const TVKMPicture& picture, int32_t width, TWorkMatrix& K) {
  const int32_t R = picture.Rows;
  const int32_t C = picture.Columns;
  K.SetSize(C, R);
  if (R <= 0 || C <= 0 || !picture.HasMatrix()) return;
  const int32_t W = LimitAverageWidth(TProfileMode::Radial, width, R, C);
  const int32_t radius = RadialRadius(R, C);
  const int32_t cx = C / 2;
  const int32_t cy = R / 2;
  float first, last;
  ArcStart(W, first, last);
  for (int32_t x = 0; x < C; ++x) {
    for (int32_t y = 0; y < R; ++y) {
      const int32_t dx = x - cx;
      const int32_t dy = y - cy;
      const float rho = std::sqrt(static_cast<float>(dx * dx + dy * dy));
      float s = 0;
      int32_t count = 0;
      float a = first;
      do {
        const double ca = std::cos(static_cast<double>(a));
        const double sa = std::sin(static_cast<double>(a));
        const int32_t xr = RoundInt(ca * dx + sa * dy) + cx;
        const int32_t yr = RoundInt(ca * dy - sa * dx) + cy;
        if (rho < static_cast<float>(radius)) {
          s = s + picture.RowTable[yr][xr];
          ++count;
        }
        a = static_cast<float>(static_cast<double>(a) + 1.0 / (static_cast<double>(rho) + 1.0));
      } while (!(a > last) && rho < static_cast<float>(radius));
      K.Row(y)[x] = count > 0 ? s / static_cast<float>(count) : picture.RowTable[y][x];
    }
  }
}

void RowProfile(const TWorkMatrix& K, int32_t row, TProfile& profile) {
  profile.Clear();
  if (K.Rows <= 0 || K.Columns <= 0) return;
  row = Clamp(row, 0, K.Rows - 1);
  for (int32_t i = 0; i < K.Columns; ++i) profile.Add(i, row, K.At(row, i));
}

void ColumnProfile(const TWorkMatrix& K, int32_t column, TProfile& profile) {
  profile.Clear();
  if (K.Rows <= 0 || K.Columns <= 0) return;
  column = Clamp(column, 0, K.Columns - 1);
  for (int32_t i = 0; i < K.Rows; ++i) profile.Add(column, i, K.At(i, column));
}

void AnyLineProfile(const TVKMPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    TProfile& profile) {
  profile.Clear();
  const int32_t R = picture.Rows;
  const int32_t C = picture.Columns;
  if (R <= 0 || C <= 0 || !picture.HasMatrix()) return;
  const float dx = static_cast<float>(x2 - x1);
  const float dy = static_cast<float>(y2 - y1);
  int32_t n = RoundInt(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy) + 1);
  if (n == 0) n = 1;
  const float ex = dx / static_cast<float>(n);
  const float ey = dy / static_cast<float>(n);
  float fx = static_cast<float>(x1);
  float fy = static_cast<float>(y1);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t xi = Clamp(RoundInt(fx), 0, C - 1);
    const int32_t yi = Clamp(RoundInt(static_cast<double>(R - 1) - fy), 0, R - 1);
    profile.Add(xi, yi, picture.RowTable[yi][xi]);
    fx = fx + ex;
    fy = fy + ey;
  }
}

float NormalizeAngle(float angle) {
  if (!std::isfinite(angle)) return 0;
  double a = angle;
  if (a > 360) a = a - 360 * std::trunc(a / 360);
  if (a < 0) a = a + 360 * (std::trunc(-a / 360) + 1);
  return static_cast<float>(a);
}

void RadialProfile(const TWorkMatrix& K, float angle, TProfile& profile) {
  profile.Clear();
  const int32_t R = K.Rows;
  const int32_t C = K.Columns;
  if (R <= 0 || C <= 0) return;
  const double a = static_cast<double>(NormalizeAngle(angle)) / 180 * kPi;
  const double ca = std::cos(a);
  const double sa = std::sin(a);
  const int32_t n = RadialRadius(R, C) + 1;
  for (int32_t i = 0; i < n; ++i) {
    // |cos a i| <= i <= the radius, so every point lies inside the image.
    const int32_t xi = RoundInt(ca * i + C / 2);
    const int32_t yi = RoundInt(sa * i + R / 2);
    profile.Add(xi, yi, K.At(yi, xi));
  }
}

float ProfileStep(TProfileMode mode, const TScanPara& scan) {
  // Without a pixel count or a (positive) scan range the distance is counted in cells.
  auto perPixel = [](float range, int32_t pixels) {
    const float step = pixels == 0 ? 0.0f : static_cast<float>(static_cast<double>(range) / pixels);
    return step > 0 && std::isfinite(step) ? step : 1.0f;
  };
  switch (mode) {
    case TProfileMode::Row:
      return perPixel(scan.XScanRange, scan.xPixel);
    case TProfileMode::Column:
      return perPixel(scan.YScanRange, scan.yPixel);
    case TProfileMode::AnyLine:
    case TProfileMode::Radial:
      if (scan.XPhysUnit == scan.YPhysUnit && scan.XScanRange == scan.YScanRange)
        return perPixel(scan.XScanRange, scan.xPixel);
      return 1.0f;
  }
  return 1.0f;
}

std::string DistanceUnitLabel(TProfileMode mode, const TScanPara& scan) {
  switch (mode) {
    case TProfileMode::Row:
      return "[" + scan.XPhysUnit + "]";
    case TProfileMode::Column:
      return "[" + scan.YPhysUnit + "]";
    case TProfileMode::AnyLine:
    case TProfileMode::Radial:
      if (scan.XPhysUnit == scan.YPhysUnit && scan.XScanRange == scan.YScanRange)
        return "[" + scan.XPhysUnit + "]";
      return "";
  }
  return "";
}
