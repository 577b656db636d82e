// The fast sphere dilation: the ball taken row by row, nearly all of it ruled out by
// bounds, the rest evaluated cell by cell exactly as the plain definition does, so
// the result is the same bit for bit.
//
// Why the result is the same. For every value the plain definition starts with
// m = image(y, x) and takes t = image(cell) - K(cell) (one double subtraction of the
// single value and the table entry) whenever t > m. So its result is m's start value
// if no t exceeds it, otherwise the largest t. Two candidates of equal value are the
// same double: a t is never -0 (x - K with K != 0 rounds to +0 when it is zero) and a
// NaN never compares greater. The result therefore depends only on the set of
// candidates, not on the order in which they are visited, and a candidate can be left
// out whenever it is known not to exceed the result.
//
// 1. Every candidate evaluated here is formed by the same expression,
//    double(image value) - K[i * S + j], from the same single value and the same table
//    entry, and compared with the same strict ">". Nothing is computed in single
//    precision and nothing is rearranged: writing t as (v - c) - (K - c), splitting K
//    into a row part and a column part, or rounding v - K to single before taking the
//    maximum (and once more on storing) would each round differently from the
//    definition in rare cases. Only bounds are computed otherwise (see 3).
// 2. Cells reached through a reflection are left out. A reflected read of image cell c
//    lies, in each direction, at least as far from the output as c itself (the
//    reflection folds the line onto the picture without stretching it), c is inside
//    the ball too, and the table does not fall away from the centre in either
//    direction (checked): the same value minus a smaller or equal entry. With
//    monotone rounding that candidate is at least as large, so the reflected one can
//    never exceed the result. So every read stays inside the picture. NaN values are
//    passed over too: NaN > m is false, they never become a result.
// 3. A group of cells is skipped only when an upper bound of all its candidates does
//    not exceed the current m of every output it could reach. The bounds work on the
//    image minus its fitted plane T, with the cap tilted by the same plane:
//    v - K = T(output) + (v - T(cell)) - (K - (T(cell) - T(output))) exactly, and a
//    tilted image then has nearly level rows, whose row maxima bound tightly. Every
//    quantity of a bound is rounded (detrended values upwards to single, block maxima
//    exact, tilted cap minima downwards through prefix and suffix minima); the sum of
//    all rounding errors is below a margin of 2^-40 of the largest magnitude, which
//    is subtracted from every threshold. So whenever a bound does not exceed its
//    threshold, every fl(v - K) of the group is at most the current m, which only
//    grows towards the final result.
// 4. The centre row of the ball is dilated first, by a monotone envelope that picks
//    for each output the candidate of the row with the largest exact value v - K and
//    takes t = fl(v - K) of it; monotone rounding makes that the largest rounded
//    candidate of the row. The envelope compares candidates exactly (when rounded
//    differences tie, their rounding errors decide), because it drops a candidate for
//    all later outputs on the strength of one comparison: deciding on a rounded tie
//    could drop the one that is strictly larger a little further on. Dropping is
//    sound because the row's table entries are convex in the offset (checked), so once
//    a newer candidate is at least as large as an older one it stays so.
//
// Tables that are not the usual positive cap rising from the centre (a zero or
// negative height scale, which only small balls can have) are dilated by the plain
// definition.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "process/Sphere.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kBlock = 16;  // columns per block of the bound tables and outputs per group
constexpr float kNoValue = -std::numeric_limits<float>::infinity();
constexpr double kInf = std::numeric_limits<double>::infinity();

// True when p1 - g1 >= p2 - g2 in exact arithmetic (finite operands). The rounded
// differences decide unless they are equal; then their rounding errors (two-sum)
// decide.
inline bool AtLeast(double p1, double g1, double p2, double g2) {
  const double a = p1 - g1;
  const double b = p2 - g2;
  if (a != b) return a > b;
  double v = a - p1;
  const double e1 = (p1 - (a - v)) + (-g1 - v);
  v = b - p2;
  const double e2 = (p2 - (b - v)) + (-g2 - v);
  return e1 >= e2;
}

// m[x] := value - k[x - c] where that is greater, for x in [from, to].
inline void RaiseRow(double* m, const double* k, int c, double value, int from, int to) {
  int x = from;
#if defined(__SSE2__)
  const __m128d v = _mm_set1_pd(value);
  for (; x + 1 <= to; x += 2) {
    const __m128d t = _mm_sub_pd(v, _mm_loadu_pd(k + (x - c)));
    // max(t, m) is t where t > m and m otherwise, NaN and equal zeros included.
    _mm_storeu_pd(m + x, _mm_max_pd(t, _mm_loadu_pd(m + x)));
  }
#endif
  for (; x <= to; ++x) {
    const double t = value - k[x - c];
    if (t > m[x]) m[x] = t;
  }
}

// The smallest single at or above v.
inline float SingleAtLeast(double v) {
  constexpr double kTop = std::numeric_limits<float>::max();
  if (v > kTop) return std::numeric_limits<float>::infinity();
  if (v < -kTop) return -std::numeric_limits<float>::max();
  float f = static_cast<float>(v);
  if (static_cast<double>(f) < v) f = std::nextafter(f, std::numeric_limits<float>::infinity());
  return f;
}

// One row of the ball, at signed distance s from the centre row.
struct BallRow {
  int w = -1;                   // half width: offsets -w..w are in the ball; -1: none
  const double* k = nullptr;    // k[d], d in -w..w: the table entries
  const double* low = nullptr;  // low[d]: at most every tilted entry at offsets
                                // from d away from `lowest` (prefix and suffix minima)
  int lowest = 0;               // offset of the smallest tilted entry
  double lowestValue = kInf;

  // At most every tilted entry at offsets lo..hi.
  double Below(int lo, int hi) const { return low[std::clamp(lowest, lo, hi)]; }
};

class Dilation {
 public:
  Dilation(const float* image, int rows, int cols, int R, const std::vector<double>& K)
      : image_(image), rows_(rows), cols_(cols), R_(R), S_(2 * R + 1) {
    usable_ = ReadTable(K);
    if (!usable_) return;
    FitPlane();
    TiltTable();
    BuildBounds();
  }

  bool Usable() const { return usable_; }

  struct Scratch {
    std::vector<double> D, tilt;
    std::vector<int> dqC, dqStart;
    std::vector<double> bound;
  };
  Scratch MakeScratch() const {
    Scratch s;
    s.D.resize(cols_);
    s.tilt.resize(cols_);
    s.dqC.resize(cols_ + 2 * R_ + 1);
    s.dqStart.resize(cols_ + 2 * R_ + 1);
    s.bound.resize(S_);
    return s;
  }

  // m (cols values) := the dilation of row y.
  void Row(int y, double* m, Scratch& s) const {
    const float* src = Values(y);
    for (int x = 0; x < cols_; ++x) m[x] = src[x];
    if (envelopeOk_) {
      CentreRow(y, s);
      for (int x = 0; x < cols_; ++x)
        if (s.D[x] > m[x]) m[x] = s.D[x];
    }
    // The plane at each output, plus the margin every threshold gives away.
    for (int x = 0; x < cols_; ++x) s.tilt[x] = Plane(x, y) + margin_;
    for (int x0 = 0; x0 < cols_; x0 += kBlock) Group(y, x0, std::min(cols_, x0 + kBlock) - 1, m, s);
  }

 private:
  const float* Values(int y) const { return image_ + static_cast<size_t>(y) * cols_; }

  // Rows of the table and the checks that make the bounds sound; false when the
  // table is not a positive cap rising from the centre in both directions.
  bool ReadTable(const std::vector<double>& K) {
    rowsOfBall_.assign(S_, BallRow{});
    for (int s = -R_; s <= R_; ++s) {
      const double* row = K.data() + static_cast<size_t>(s + R_) * S_ + R_;
      BallRow& b = rowsOfBall_[s + R_];
      int w = -1;
      while (w < R_ && row[w + 1] != 0.0) ++w;
      for (int d = w + 1; d <= R_; ++d)
        if (row[d] != 0.0) return false;  // the ball's cells of a row must be contiguous
      for (int d = 0; d <= w; ++d) {
        if (!(row[d] > 0.0) || row[-d] != row[d]) return false;
        if (d > 0 && row[d] < row[d - 1]) return false;
      }
      for (int d = -R_; d <= R_; ++d)  // symmetric: columns rise like rows
        if (row[d] != K[static_cast<size_t>(d + R_) * S_ + R_ + s]) return false;
      b.w = w;
      b.k = row;
    }
    const BallRow& c = rowsOfBall_[R_];
    envelopeOk_ = c.w >= 1;
    for (int d = -c.w + 1; envelopeOk_ && d < c.w; ++d) {
      // Convex with a wide margin: the exact second difference is at least
      // z / (R + 1), far above the rounding of three entries.
      const double second = (c.k[d + 1] - c.k[d]) - (c.k[d] - c.k[d - 1]);
      if (!(second > (c.k[d + 1] + 2 * c.k[d] + c.k[d - 1]) * 1e-12)) envelopeOk_ = false;
    }
    return true;
  }

  // The least-squares plane of the finite values. Any plane keeps the bounds sound;
  // a fitting one keeps them tight.
  void FitPlane() {
    double sum = 0, sx = 0, sy = 0, sxx = 0, syy = 0, count = 0;
    const double mx = (cols_ - 1) / 2.0;
    const double my = (rows_ - 1) / 2.0;
    for (int y = 0; y < rows_; ++y) {
      const float* v = Values(y);
      for (int x = 0; x < cols_; ++x) {
        if (!std::isfinite(v[x])) continue;
        sum += v[x];
        sx += (x - mx) * v[x];
        sy += (y - my) * v[x];
        sxx += (x - mx) * (x - mx);
        syy += (y - my) * (y - my);
        count += 1;
      }
    }
    slopeX_ = sxx > 0 ? sx / sxx : 0.0;
    slopeY_ = syy > 0 ? sy / syy : 0.0;
    const double mean = count > 0 ? sum / count : 0.0;
    base_ = mean - slopeX_ * mx - slopeY_ * my;
    if (!std::isfinite(slopeX_) || !std::isfinite(slopeY_) || !std::isfinite(base_))
      slopeX_ = slopeY_ = base_ = 0.0;
  }

  double Plane(int x, int y) const { return base_ + slopeX_ * x + slopeY_ * y; }

  // Tilted entries K - (T(cell) - T(output)) = K - (slopeX d + slopeY s), made
  // monotone away from their smallest entry by prefix and suffix minima.
  void TiltTable() {
    tilted_.assign(static_cast<size_t>(S_) * S_, kInf);
    double largest = 0;
    for (int s = -R_; s <= R_; ++s) {
      BallRow& b = rowsOfBall_[s + R_];
      if (b.w < 0) continue;
      double* t = tilted_.data() + static_cast<size_t>(s + R_) * S_ + R_;
      for (int d = -b.w; d <= b.w; ++d) {
        t[d] = b.k[d] - (slopeX_ * d + slopeY_ * s);
        largest = std::max(largest, b.k[d] + std::fabs(slopeX_ * d) + std::fabs(slopeY_ * s));
        if (t[d] < b.lowestValue) {
          b.lowestValue = t[d];
          b.lowest = d;
        }
      }
      for (int d = b.w - 1; d > b.lowest; --d) t[d] = std::min(t[d], t[d + 1]);
      for (int d = -b.w + 1; d < b.lowest; ++d) t[d] = std::min(t[d], t[d - 1]);
      b.low = t;
    }
    // Ball rows by their smallest tilted entry: once the best level value of the
    // whole square minus that entry is below every threshold, the later rows are too.
    order_.clear();
    for (int s = -R_; s <= R_; ++s)
      if (rowsOfBall_[s + R_].w >= 0) order_.push_back(s);
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
      return rowsOfBall_[a + R_].lowestValue < rowsOfBall_[b + R_].lowestValue;
    });
    tableMagnitude_ = largest;
  }

  // Level values (value - plane, rounded up to single), their block maxima per row
  // with a sparse table over blocks, and the maxima over each output row's square.
  void BuildBounds() {
    double largest = 0;
    for (size_t i = 0; i < static_cast<size_t>(rows_) * cols_; ++i) {
      const float v = image_[i];
      if (std::isfinite(v))
        largest = std::max(largest, static_cast<double>(std::fabs(v)));
      else if (v > 0)
        envelopeOk_ = false;  // the envelope's exact comparisons need finite values
    }
    largest += std::fabs(base_) + std::fabs(slopeX_) * cols_ + std::fabs(slopeY_) * rows_;
    margin_ = (largest + tableMagnitude_) * 0x1p-40;

    nb_ = (cols_ + kBlock - 1) / kBlock;
    levels_ = 1;
    while ((1 << levels_) <= nb_) ++levels_;
    blocks_.assign(static_cast<size_t>(levels_) * rows_ * nb_, kNoValue);
    for (int y = 0; y < rows_; ++y) {
      const float* v = Values(y);
      float* b0 = BlockRow(0, y);
      for (int b = 0; b < nb_; ++b) {
        float mx = kNoValue;
        for (int x = b * kBlock; x < std::min(cols_, (b + 1) * kBlock); ++x)
          if (v[x] > kNoValue) mx = std::max(mx, SingleAtLeast(Level(v[x], x, y)));
        b0[b] = mx;
      }
      for (int lv = 1; lv < levels_; ++lv) {
        const float* lower = BlockRow(lv - 1, y);
        float* upper = BlockRow(lv, y);
        const int half = 1 << (lv - 1);
        for (int b = 0; b + half < nb_; ++b) upper[b] = std::max(lower[b], lower[b + half]);
      }
    }
    // square_[y][b]: the highest of block column b over rows y - R .. y + R (those
    // inside the picture).
    square_.assign(static_cast<size_t>(rows_) * nb_, kNoValue);
    const int n = rows_ + 2 * R_;
    std::vector<float> column(n, kNoValue), ahead(n), behind(n);
    for (int b = 0; b < nb_; ++b) {
      for (int y = 0; y < rows_; ++y) column[y + R_] = BlockRow(0, y)[b];
      for (int i = 0; i < n; ++i)
        ahead[i] = (i % S_ == 0) ? column[i] : std::max(ahead[i - 1], column[i]);
      for (int i = n - 1; i >= 0; --i)
        behind[i] =
            (i == n - 1 || (i + 1) % S_ == 0) ? column[i] : std::max(behind[i + 1], column[i]);
      for (int y = 0; y < rows_; ++y)
        square_[static_cast<size_t>(y) * nb_ + b] = std::max(behind[y], ahead[y + S_ - 1]);
    }
  }

  // value - T(x, y) in double; within the margin of the exact difference.
  double Level(float v, int x, int y) const { return static_cast<double>(v) - Plane(x, y); }

  float* BlockRow(int level, int y) {
    return blocks_.data() + (static_cast<size_t>(level) * rows_ + y) * nb_;
  }
  const float* BlockRow(int level, int y) const {
    return blocks_.data() + (static_cast<size_t>(level) * rows_ + y) * nb_;
  }

  // The highest level value of blocks bl..br of row y.
  float BlockMax(int y, int bl, int br) const {
    const int l = 31 - __builtin_clz(static_cast<unsigned>(br - bl + 1));
    const float* t = BlockRow(l, y);
    return std::max(t[bl], t[br - (1 << l) + 1]);
  }

  // s.D := the centre row's dilation: for each x the largest candidate of row y,
  // found by the envelope of the row's candidates.
  //
  // Candidate c (column c - w) reaches outputs x = c - 2w .. c with the entry
  // g[c - x] (g = the row's entries from offset -w). For an older candidate b < c the
  // difference (p[c] - g[c - x]) - (p[b] - g[b - x]) does not fall as x grows, since g
  // is convex: once c is at least as large as b, it stays so, and it outlives b. The
  // deque holds candidates in column order with the first output from which each one
  // leads; a new candidate removes those it already matches where they would start
  // to lead, then searches where it overtakes the last one kept.
  void CentreRow(int y, Scratch& s) const {
    const BallRow& row = rowsOfBall_[R_];
    const int w = row.w;
    const float* v = Values(y);
    auto p = [&](int c) { return static_cast<double>(v[c - w]); };
    const double* g = row.k - w;
    int* dc = s.dqC.data();
    int* ds = s.dqStart.data();
    int head = 0;
    int tail = 0;
    int lastLead = w;  // distance from a candidate back to where it began to lead
    auto insert = [&](int c, int x) {
      if (c < w || c >= w + cols_) return;  // outside the picture: see above
      const double pc = p(c);
      if (!(pc > -kInf)) return;  // NaN or -inf: never the highest
      int t = x;
      while (tail > head) {
        t = std::max(ds[tail - 1], x);
        if (!AtLeast(pc, g[c - t], p(dc[tail - 1]), g[dc[tail - 1] - t])) break;
        --tail;
      }
      if (tail == head) {
        dc[tail] = c;
        ds[tail++] = x;
        return;
      }
      const int b = dc[tail - 1];
      const double pb = p(b);
      // The first output in t + 1 .. b where c is at least b; b + 1 when none (b has
      // left the window by then).
      int lo = t + 1;
      int hi = b + 1;
      if (lo <= b && AtLeast(pc, g[c - b], pb, g[0])) {
        // On smooth rows the crossing keeps its distance to the new candidate, so the
        // search gallops out from the last one.
        hi = b;
        auto ahead = [&](int at) { return AtLeast(pc, g[c - at], pb, g[b - at]); };
        const int guess = std::clamp(c - lastLead, lo, hi);
        if (ahead(guess)) {
          hi = guess;
          for (int step = 1; hi - step >= lo; step *= 2) {
            if (!ahead(hi - step)) {
              lo = hi - step + 1;
              break;
            }
            hi -= step;
          }
        } else {
          lo = guess + 1;
          for (int step = 1; lo + step - 1 < hi; step *= 2) {
            if (ahead(lo + step - 1)) {
              hi = lo + step - 1;
              break;
            }
            lo += step;
          }
        }
        while (lo < hi) {
          const int mid = lo + (hi - lo) / 2;
          if (ahead(mid))
            hi = mid;
          else
            lo = mid + 1;
        }
        lastLead = c - hi;
      }
      dc[tail] = c;
      ds[tail++] = hi;
    };
    const int reach = 2 * w;
    for (int c = 0; c < reach; ++c) insert(c, 0);
    for (int x = 0; x < cols_; ++x) {
      while (tail > head && dc[head] < x) ++head;  // left the window
      insert(x + reach, x);
      while (tail - head >= 2 && ds[head + 1] <= x) ++head;
      if (tail > head) {
        const int c = dc[head];
        s.D[x] = p(c) - g[c - x];
      } else {
        s.D[x] = -kInf;
      }
    }
  }

  // The lowest level threshold m - T - margin of outputs x0..x1; NaN outputs are
  // left out (nothing raises them).
  static double Lowest(const double* m, const double* tilt, int x0, int x1) {
    double low = kInf;
    for (int x = x0; x <= x1; ++x) {
      const double t = m[x] - tilt[x];
      if (t < low) low = t;
    }
    return low;
  }

  // Outputs x0..x1 of row y: the ball rows best bound first, then by their smallest
  // tilted entry until the best level value of the whole square minus that entry
  // rules out the rest.
  void Group(int y, int x0, int x1, double* m, Scratch& s) const {
    double low = Lowest(m, s.tilt.data(), x0, x1);
    if (low == kInf || order_.empty()) return;
    float top = kNoValue;
    const float* sq = square_.data() + static_cast<size_t>(y) * nb_;
    const int first = std::max(0, x0 - R_) / kBlock;
    const int last = std::min(cols_ - 1, x1 + R_) / kBlock;
    for (int b = first; b <= last; ++b) top = std::max(top, sq[b]);
    const double topD = static_cast<double>(top);
    if (!(topD - rowsOfBall_[order_[0] + R_].lowestValue > low)) return;

    // A ball row that reads a row of the picture and is not done already.
    const int centreDone = envelopeOk_ ? 0 : R_ + 1;
    auto open = [&](int sIdx) { return sIdx != centreDone && y + sIdx >= 0 && y + sIdx < rows_; };
    // Only rows whose smallest entry leaves the square's best value above the
    // threshold can raise anything: a leading part of order_.
    size_t reach = 0;
    while (reach < order_.size() && topD - rowsOfBall_[order_[reach] + R_].lowestValue > low)
      ++reach;
    int best = centreDone;
    double bestBound = -kInf;
    for (size_t i = 0; i < reach; ++i) {
      const int sIdx = order_[i];
      if (!open(sIdx)) continue;
      const BallRow& b = rowsOfBall_[sIdx + R_];
      const int bl = std::max(0, x0 - b.w) / kBlock;
      const int br = std::min(cols_ - 1, x1 + b.w) / kBlock;
      const double bound = static_cast<double>(BlockMax(y + sIdx, bl, br)) - b.lowestValue;
      s.bound[sIdx + R_] = bound;
      if (bound > bestBound) {
        bestBound = bound;
        best = sIdx;
      }
    }
    if (bestBound > low) low = RaiseByRow(y, best, x0, x1, m, s, low);
    for (size_t i = 0; i < reach; ++i) {
      const int sIdx = order_[i];
      if (!(topD - rowsOfBall_[sIdx + R_].lowestValue > low)) break;
      if (sIdx == best || !open(sIdx) || !(s.bound[sIdx + R_] > low)) continue;
      low = RaiseByRow(y, sIdx, x0, x1, m, s, low);
    }
  }

  // Raises m[x0..x1] by the candidates of ball row sIdx (picture row y + sIdx) whose
  // bounds exceed `low`; returns the new lowest level threshold.
  double RaiseByRow(int y, int sIdx, int x0, int x1, double* m, const Scratch& s,
                    double low) const {
    const BallRow& row = rowsOfBall_[sIdx + R_];
    const int w = row.w;
    const int Y = y + sIdx;
    const float* v = Values(Y);
    const float* bmax = BlockRow(0, Y);
    const int c0 = std::max(0, x0 - w);
    const int c1 = std::min(cols_ - 1, x1 + w);
    for (int b = c0 / kBlock; b <= c1 / kBlock; ++b) {
      const int cs = std::max(c0, b * kBlock);
      const int ce = std::min(c1, b * kBlock + kBlock - 1);
      // Cell c reaches output x at offset d = c - x.
      if (!(static_cast<double>(bmax[b]) - row.Below(cs - x1, ce - x0) > low)) continue;
      for (int c = cs; c <= ce; ++c) {
        if (!(Level(v[c], c, Y) - row.Below(c - x1, c - x0) > low)) continue;
        // The table is symmetric, so the entry for output x is k[x - c].
        RaiseRow(m, row.k, c, v[c], std::max(x0, c - w), std::min(x1, c + w));
      }
    }
    return Lowest(m, s.tilt.data(), x0, x1);
  }

  const float* image_;
  int rows_, cols_, R_, S_;
  bool usable_ = false;
  bool envelopeOk_ = false;
  std::vector<BallRow> rowsOfBall_;  // by signed distance from the centre row, index s + R
  std::vector<int> order_;           // ball rows by their smallest tilted entry
  std::vector<double> tilted_;       // tilted entries, made monotone (see BallRow::low)
  double slopeX_ = 0, slopeY_ = 0, base_ = 0;  // T(x, y) = base + slopeX x + slopeY y
  double tableMagnitude_ = 0;
  double margin_ = 0;  // exceeds every rounding error of a bound
  int nb_ = 0, levels_ = 0;
  std::vector<float> blocks_;  // block maxima of the level values, [level][row][block]
  std::vector<float> square_;  // [output row][block]: maximum over rows y - R .. y + R
};

}  // namespace

void SphereDilate(const float* image, int32_t rows, int32_t cols, int32_t R,
                  const std::vector<double>& K, double* m, Progress& progress, int threads) {
  const Dilation dilation(image, rows, cols, R, K);
  if (!dilation.Usable()) {
    SphereDilatePlain(image, rows, cols, R, K, m, progress);
    return;
  }
  if (threads <= 0) {
    // Small pictures or balls are done before a second thread would start.
    const double work = static_cast<double>(rows) * cols * (2.0 * R + 1);
    threads = work < 2e5 ? 1 : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  }
  threads = std::max(1, std::min(threads, rows));

  std::atomic<int> next{0};
  std::atomic<int> done{0};
  auto work = [&](Dilation::Scratch& s, bool reports) {
    for (;;) {
      const int y = next.fetch_add(1);
      if (y >= rows) break;
      dilation.Row(y, m + static_cast<size_t>(y) * cols, s);
      const int finished = done.fetch_add(1) + 1;
      if (reports) progress.Step(std::min(finished, rows - 1), rows - 1);
    }
  };
  std::vector<Dilation::Scratch> scratch;
  for (int t = 0; t < threads; ++t) scratch.push_back(dilation.MakeScratch());
  progress.Step(0, rows - 1);
  std::vector<std::thread> helpers;
  try {
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work, std::ref(scratch[t]), false);
  } catch (const std::system_error&) {
    // No further thread to be had: the rows left are done here.
  }
  work(scratch[0], true);
  for (std::thread& h : helpers) h.join();
  progress.Step(rows - 1, rows - 1);
}
