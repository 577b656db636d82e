#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "LevelTestSupport.h"
#include "process/Leveling.h"
#include "process/SingleRounding.h"
#include "support/RecordingMessages.h"

using namespace leveltest;

namespace {

// The leveling routines written out plainly, value by value: every product and quotient
// in extended precision, single sums rounded to single after each addition, double sums
// added in double. The fast routines must agree with these bit for bit.
namespace ref {

using ext = long double;
using M = std::vector<float>;

float S(ext x) {
  return static_cast<float>(x);
}
float& At(M& v, int C, int r, int c) {
  return v[static_cast<size_t>(r) * C + c];
}
bool AllFinite(const M& v) {
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}
// Results replace the values only when all are finite singles.
bool Commit(M& v, const M& out) {
  if (!AllFinite(out)) return false;
  v = out;
  return true;
}

bool RowMean(M& v, int C, int R) {
  M out = v;
  for (int r = 0; r < R; ++r) {
    float s = 0;
    for (int c = 0; c < C; ++c) s = S(ext(s) + At(v, C, r, c));
    const float m = S(ext(s) / C);
    for (int c = 0; c < C; ++c) At(out, C, r, c) = S(ext(At(v, C, r, c)) - m);
  }
  return Commit(v, out);
}

bool ColMean(M& v, int C, int R) {
  M out = v;
  for (int c = 0; c < C; ++c) {
    float s = 0;
    for (int r = 0; r < R; ++r) s = S(ext(s) + At(v, C, r, c));
    const float m = S(ext(s) / R);
    for (int r = 0; r < R; ++r) At(out, C, r, c) = S(ext(At(v, C, r, c)) - m);
  }
  return Commit(v, out);
}

// One line fit along a row (`alongRow`) or a column; `single` picks single sums.
bool Lines(M& v, int C, int R, bool alongRow, bool single) {
  const int n = alongRow ? C : R, lines = alongRow ? R : C;
  auto val = [&](int line, int x) -> float& {
    return alongRow ? At(v, C, line, x) : At(v, C, x, line);
  };
  ext S1, S2;
  if (single) {
    float s1 = 0, s2 = 0;
    for (int x = 0; x < n; ++x) {
      s1 = S(ext(s1) + x);
      s2 = S(ext(s2) + ext(x) * x);
    }
    S1 = s1;
    S2 = s2;
  } else {
    double s1 = 0, s2 = 0;
    for (int x = 0; x < n; ++x) {
      s1 = s1 + x;
      s2 = s2 + double(x) * x;
    }
    S1 = s1;
    S2 = s2;
  }
  const ext den = ext(n) * S2 - S1 * S1;
  if (den == 0) return false;
  const float D = S(1.0L / den);
  M out = v;
  for (int line = 0; line < lines; ++line) {
    ext Z0, Z1;
    if (single) {
      float z0 = 0, z1 = 0;
      for (int x = 0; x < n; ++x) {
        z0 = S(ext(z0) + val(line, x));
        z1 = S(ext(z1) + ext(x) * val(line, x));
      }
      Z0 = z0;
      Z1 = z1;
    } else {
      double z0 = 0, z1 = 0;
      for (int x = 0; x < n; ++x) {
        z0 = z0 + double(val(line, x));
        z1 = z1 + double(x) * val(line, x);
      }
      Z0 = z0;
      Z1 = z1;
    }
    const float a = S((Z0 * S2 - Z1 * S1) * D);
    const float b = S((ext(n) * Z1 - Z0 * S1) * D);
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    for (int x = 0; x < n; ++x) {
      const float r = S((ext(val(line, x)) - ext(x) * b) - a);
      if (alongRow)
        At(out, C, line, x) = r;
      else
        At(out, C, x, line) = r;
    }
  }
  return Commit(v, out);
}

bool Parabolas(M& v, int C, int R, bool alongRow) {
  const int n = alongRow ? C : R, lines = alongRow ? R : C;
  auto val = [&](int line, int x) { return alongRow ? At(v, C, line, x) : At(v, C, x, line); };
  double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  for (int x = 0; x < n; ++x) {
    s1 = s1 + x;
    s2 = s2 + double(x * x);
    s3 = s3 + double(x * x * x);
    s4 = s4 + double(std::pow(ext(x), 4.0L));
  }
  const ext Cn = n, S1 = s1, S2 = s2, S3 = s3, S4 = s4;
  const ext den = Cn * (S3 * S3) - Cn * S2 * S4 + (S1 * S1) * S4 - 2 * S1 * S2 * S3 + S2 * S2 * S2;
  if (den == 0) return false;
  const double E = double(1.0L / den);
  M out = v;
  for (int line = 0; line < lines; ++line) {
    double z0 = 0, z1 = 0, z2 = 0;
    for (int x = 0; x < n; ++x) {
      z0 = z0 + double(val(line, x));
      z1 = z1 + double(x) * val(line, x);
      z2 = z2 + double(x * x) * val(line, x);
    }
    const ext Z0 = z0, Z1 = z1, Z2 = z2;
    const float a0 = S(-(Z0 * S2 * S4 - Z0 * (S3 * S3) + S1 * S3 * Z2 - S1 * S4 * Z1 +
                         S2 * S3 * Z1 - (S2 * S2) * Z2) *
                       E);
    const float a1 = S(-(S1 * S2 * Z2 - S1 * S4 * Z0 - Cn * S3 * Z2 + Cn * S4 * Z1 + S2 * S3 * Z0 -
                         (S2 * S2) * Z1) *
                       E);
    const float a2 = S(((S1 * S1) * Z2 - S1 * S3 * Z0 + Cn * S3 * Z1 - Cn * S2 * Z2 - S1 * S2 * Z1 +
                        (S2 * S2) * Z0) *
                       E);
    for (int x = 0; x < n; ++x) {
      const float r = S(((ext(val(line, x)) - ext(x * x) * a2) - ext(x) * a1) - a0);
      if (alongRow)
        At(out, C, line, x) = r;
      else
        At(out, C, x, line) = r;
    }
  }
  return Commit(v, out);
}

bool GlobalMean(M& v, int C, int R) {
  double total = 0;
  for (int r = 0; r < R; ++r) {
    double rs = 0;
    for (int c = 0; c < C; ++c) rs = rs + double(At(v, C, r, c));
    total = double(ext(total) + ext(rs) / C);
  }
  const float m = S(ext(total) / R);
  if (!std::isfinite(m)) return false;
  M out = v;
  for (float& x : out) x = S(ext(x) - m);
  return Commit(v, out);
}

bool MeanSlopes(M& v, int C, int R) {
  const int nx = C, ny = R;
  float Sx = 0, Sxx = 0, Sy = 0, Syy = 0;
  for (int i = 1; i <= nx; ++i) {
    Sx = S(ext(Sx) + i);
    Sxx = S(ext(Sxx) + ext(i) * i);
  }
  for (int j = 1; j <= ny; ++j) {
    Sy = S(ext(Sy) + j);
    Syy = S(ext(Syy) + ext(j) * j);
  }
  float A = 0;
  for (int j = 1; j <= ny; ++j) {
    float s0 = 0, s1 = 0;
    for (int i = 1; i <= nx; ++i) {
      s1 = S(ext(s1) + ext(i) * At(v, C, j - 1, i - 1));
      s0 = S(ext(s0) + At(v, C, j - 1, i - 1));
    }
    A = S(ext(A) + (ext(nx) * s1 - ext(s0) * Sx));
  }
  float B = 0;
  for (int i = 1; i <= nx; ++i) {
    float t0 = 0, t1 = 0;
    for (int j = 1; j <= ny; ++j) {
      t1 = S(ext(t1) + ext(j) * At(v, C, j - 1, i - 1));
      t0 = S(ext(t0) + At(v, C, j - 1, i - 1));
    }
    B = S(ext(B) + (ext(ny) * t1 - ext(t0) * Sy));
  }
  const ext denX = (ext(nx) * Sxx - ext(Sx) * Sx) * ny;
  const ext denY = (ext(ny) * Syy - ext(Sy) * Sy) * nx;
  if (denX == 0 && denY == 0) return false;
  const float sx = denX == 0 ? 0.0f : S(ext(A) / denX);
  const float sy = denY == 0 ? 0.0f : S(ext(B) / denY);
  M out = v;
  for (int r = 0; r < R; ++r)
    for (int c = 0; c < C; ++c)
      At(out, C, r, c) = S((ext(At(v, C, r, c)) - ext(c) * sx) - ext(r) * sy);
  return Commit(v, out);
}

}  // namespace ref

using RoutineFn = bool (*)(TVKMPicture&);

struct Routine {
  const char* name;
  RoutineFn fast;
  std::function<bool(std::vector<float>&, int, int)> plain;
};

std::vector<Routine> Routines() {
  return {
      {"row mean", LevelRowMean, ref::RowMean},
      {"column mean", LevelColumnMean, ref::ColMean},
      {"row line", LevelRowLine,
       [](std::vector<float>& v, int C, int R) { return ref::Lines(v, C, R, true, false); }},
      {"column line", LevelColumnLine,
       [](std::vector<float>& v, int C, int R) { return ref::Lines(v, C, R, false, true); }},
      {"row parabola", LevelRowParabola,
       [](std::vector<float>& v, int C, int R) { return ref::Parabolas(v, C, R, true); }},
      {"column parabola", LevelColumnParabola,
       [](std::vector<float>& v, int C, int R) { return ref::Parabolas(v, C, R, false); }},
      {"global mean", LevelGlobalMean, ref::GlobalMean},
      {"mean slopes", LevelMeanSlopes, ref::MeanSlopes},
  };
}

// Runs a routine on `p` and its plain version on a copy of p's values; expects the same
// outcome and the same bits.
void ExpectSameAsPlain(const Routine& routine, TVKMPicture& p, const std::string& what) {
  std::vector<float> plain = Values(p);
  const bool plainOk = routine.plain(plain, p.Columns, p.Rows);
  const std::vector<float> before = Values(p);
  const bool fastOk = routine.fast(p);
  EXPECT_EQ(fastOk, plainOk) << routine.name << ", " << what;
  const std::vector<float>& expected = plainOk ? plain : before;
  const long at = FirstBitDifference(Values(p), expected);
  EXPECT_EQ(at, -1) << routine.name << ", " << what << ": value " << at << " is "
                    << (at >= 0 ? Values(p)[at] : 0) << ", expected "
                    << (at >= 0 ? expected[at] : 0);
}

}  // namespace

// --- the worked examples -------------------------------------------------------------

TEST(Leveling, PlaneIsRemovedByRowLinesAndColumnLines) {
  // On 5 x 4 the single reciprocal determinants 1/50 and 1/20 are close enough to give
  // every offset and slope exactly; on other sizes a rounded coefficient can leave a
  // residue of an ulp.
  for (RoutineFn fn : {LevelRowLine, LevelColumnLine}) {
    auto p = Make(5, 4, [](int c, int r) { return 3.0f + 2.0f * c + 5.0f * r; });
    ASSERT_TRUE(fn(*p));
    EXPECT_EQ(Values(*p), std::vector<float>(20, 0.0f));
  }
}

TEST(Leveling, SlopesKeepTheLevelOfAPlane) {
  auto plane = [](int c, int r) { return 3.0f + 2.0f * c + 5.0f * r; };
  auto p = Make(4, 3, plane);
  ASSERT_TRUE(LevelMeanSlopes(*p));
  EXPECT_EQ(Values(*p), std::vector<float>(12, 3.0f));

  // The four corners of the rectangle: each regression sees both columns (rows) equally.
  auto q = Make(5, 4, plane);
  const TSlopPoint corners[] = {{0, 0}, {4, 0}, {0, 3}, {4, 3}};
  EXPECT_EQ(LevelPointSlopes(*q, corners, 4), TPointSlopesResult::Leveled);
  EXPECT_EQ(Values(*q), std::vector<float>(20, 3.0f));

  // Points on a diagonal: column and row move together, so each separate regression
  // takes up both slopes (2 + 5 each) and the plane is not recovered.
  auto d = Make(5, 4, plane);
  const TSlopPoint diagonal[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  EXPECT_EQ(LevelPointSlopes(*d, diagonal, 4), TPointSlopesResult::Leveled);
  EXPECT_EQ(d->RowTable[0][0], 3.0f);
  EXPECT_EQ(d->RowTable[0][1], 3.0f + 2.0f - 7.0f);  // v - c * 7 - r * 7
  EXPECT_EQ(d->RowTable[3][4], 3.0f + 8.0f + 15.0f - 28.0f - 21.0f);
}

TEST(Leveling, SquaresLeaveTheLineResidualAndVanishUnderTheParabola) {
  auto sq = [](int c, int) { return static_cast<float>(c * c); };
  auto p = Make(4, 3, sq);
  ASSERT_TRUE(LevelRowLine(*p));
  for (int r = 0; r < 3; ++r)
    EXPECT_EQ(std::vector<float>(p->RowTable[r], p->RowTable[r] + 4),
              (std::vector<float>{1, -1, -1, 1}));
  auto q = Make(4, 3, sq);
  ASSERT_TRUE(LevelRowParabola(*q));
  EXPECT_EQ(Values(*q), std::vector<float>(12, 0.0f));

  // The same along the columns.
  auto t = Make(3, 4, [](int, int r) { return static_cast<float>(r * r); });
  ASSERT_TRUE(LevelColumnParabola(*t));
  EXPECT_EQ(Values(*t), std::vector<float>(12, 0.0f));
}

TEST(Leveling, ColumnMeansRemoveColumnOffsetsAndRowMeansKeepThem) {
  const float offsets[] = {1.0f, 3.0f, 5.0f};
  auto image = [&](int c, int r) { return offsets[c] + 0.5f * r; };
  auto p = Make(3, 4, image);
  ASSERT_TRUE(LevelColumnMean(*p));
  // Column c holds 0.5 r - 0.75: mean zero in every column.
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(p->RowTable[r][c], 0.5f * r - 0.75f);
  auto q = Make(3, 4, image);
  ASSERT_TRUE(LevelRowMean(*q));
  for (int r = 0; r < 4; ++r)
    EXPECT_EQ(std::vector<float>(q->RowTable[r], q->RowTable[r] + 3),
              (std::vector<float>{-2, 0, 2}));
}

TEST(Leveling, GlobalMeanIsSubtractedFromEveryValue) {
  auto p = FromRows(3, 2, {1, 2, 3, 4, 5, 6});
  ASSERT_TRUE(LevelGlobalMean(*p));
  EXPECT_EQ(Values(*p), (std::vector<float>{-2.5f, -1.5f, -0.5f, 0.5f, 1.5f, 2.5f}));
}

TEST(Leveling, SingularFitsLeaveThePictureAsItWas) {
  struct Case {
    RoutineFn fn;
    int columns, rows;
  };
  for (const Case& k : {Case{LevelRowLine, 1, 4}, Case{LevelRowParabola, 1, 4},
                        Case{LevelRowParabola, 2, 4}, Case{LevelColumnLine, 4, 1},
                        Case{LevelColumnParabola, 4, 1}, Case{LevelColumnParabola, 4, 2}}) {
    auto p = Make(k.columns, k.rows, [](int c, int r) { return 1.0f + c + 7.0f * r; });
    const std::vector<float> before = Values(*p);
    EXPECT_FALSE(k.fn(*p));
    EXPECT_EQ(Values(*p), before);
  }
  // Through the dispatch: no message either.
  auto p = Make(1, 4, [](int, int r) { return 2.0f * r; });
  RecordingMessages msgs;
  int count = 0;
  EXPECT_EQ(Leveling(*p, smLines, soFirst, nullptr, count, msgs), TLevelResult::Unchanged);
  EXPECT_TRUE(msgs.shown.empty());
  EXPECT_EQ(Values(*p), (std::vector<float>{0, 2, 4, 6}));
}

TEST(Leveling, ResultsBeyondSingleRangeLeaveThePictureAsItWas) {
  // Row line of 3e38, -3e38, 3e38: the middle residual is -4e38.
  auto p = FromRows(3, 2, {3e38f, -3e38f, 3e38f, 1, 2, 3});
  EXPECT_FALSE(LevelRowLine(*p));
  EXPECT_EQ(Values(*p), (std::vector<float>{3e38f, -3e38f, 3e38f, 1, 2, 3}));
  // A row sum that overflows in single precision.
  auto q = FromRows(2, 2, {3e38f, 3e38f, 1, 2});
  EXPECT_FALSE(LevelRowMean(*q));
  EXPECT_EQ(Values(*q), (std::vector<float>{3e38f, 3e38f, 1, 2}));
  // A value that is not finite: no mean exists.
  auto r = FromRows(2, 2, {1, std::numeric_limits<float>::infinity(), 1, 2});
  EXPECT_FALSE(LevelGlobalMean(*r));
  EXPECT_EQ(r->RowTable[0][0], 1.0f);
}

TEST(Leveling, MeanSlopesOfALineScanRemoveItsOnlySlope) {
  auto row = Make(5, 1, [](int c, int) { return 3.0f + 2.0f * c; });
  ASSERT_TRUE(LevelMeanSlopes(*row));
  EXPECT_EQ(Values(*row), std::vector<float>(5, 3.0f));
  auto column = Make(1, 4, [](int, int r) { return 3.0f - 5.0f * r; });
  ASSERT_TRUE(LevelMeanSlopes(*column));
  EXPECT_EQ(Values(*column), std::vector<float>(4, 3.0f));
  auto single = Make(1, 1, [](int, int) { return 7.0f; });
  EXPECT_FALSE(LevelMeanSlopes(*single));
  EXPECT_EQ(single->RowTable[0][0], 7.0f);
}

// --- the dispatch and its messages ---------------------------------------------------

TEST(Leveling, UnsupportedCombinationsSayMethodNotSupported) {
  struct Pair {
    int method, order;
  };
  for (const Pair& pr : {Pair{smPoints, soZero}, Pair{smPoints, soSecond}, Pair{sm2Dim, soSecond},
                         Pair{-1, soFirst}, Pair{smLines, -1}, Pair{4, soZero}, Pair{smCols, 3}}) {
    auto p = Make(3, 3, [](int c, int r) { return 1.0f * c + r; });
    RecordingMessages msgs;
    int count = 0;
    EXPECT_EQ(Leveling(*p, pr.method, pr.order, nullptr, count, msgs), TLevelResult::NotSupported);
    ASSERT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(msgs.shown[0].text, "Method not supported!");
    EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtInformation);
    EXPECT_EQ(Values(*p), Values(*Make(3, 3, [](int c, int r) { return 1.0f * c + r; })));
  }
}

TEST(Leveling, EveryTableEntryReachesItsRoutine) {
  struct Entry {
    int method, order;
    RoutineFn fn;
  };
  const TSlopPoint corners[] = {{0, 0}, {6, 0}, {0, 4}, {6, 4}};
  for (const Entry& e :
       {Entry{sm2Dim, soZero, LevelGlobalMean}, Entry{sm2Dim, soFirst, LevelMeanSlopes},
        Entry{smLines, soZero, LevelRowMean}, Entry{smLines, soFirst, LevelRowLine},
        Entry{smLines, soSecond, LevelRowParabola}, Entry{smCols, soZero, LevelColumnMean},
        Entry{smCols, soFirst, LevelColumnLine}, Entry{smCols, soSecond, LevelColumnParabola}}) {
    auto viaDispatch = Random(7, 5, Kind::Smooth, 11);
    auto direct = Random(7, 5, Kind::Smooth, 11);
    RecordingMessages msgs;
    int count = 4;
    EXPECT_EQ(Leveling(*viaDispatch, e.method, e.order, corners, count, msgs),
              TLevelResult::Leveled);
    ASSERT_TRUE(e.fn(*direct));
    EXPECT_EQ(FirstBitDifference(Values(*viaDispatch), Values(*direct)), -1);
    EXPECT_EQ(count, 4);  // only point leveling uses up the points
    EXPECT_TRUE(msgs.shown.empty());
  }
}

TEST(Leveling, PointsNeedTwoThatSpreadOverColumnsAndRows) {
  auto p = Make(6, 6, [](int c, int) { return 1.0f + 4.0f * c; });
  const std::vector<float> before = Values(*p);
  RecordingMessages msgs;
  TSlopPoint points[kMaxSlopPoints] = {{1, 1}};
  int count = 1;
  EXPECT_EQ(Leveling(*p, smPoints, soFirst, points, count, msgs), TLevelResult::NotEnoughPoints);
  ASSERT_EQ(msgs.shown.size(), 1u);
  EXPECT_EQ(msgs.shown[0].text, "Not enough points!\nPlease mark points with left mouse button.");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Values(*p), before);

  // All in one column, then all in one row: the same message, the points stay.
  points[1] = {1, 4};
  count = 2;
  EXPECT_EQ(Leveling(*p, smPoints, soFirst, points, count, msgs), TLevelResult::NotEnoughPoints);
  points[1] = {5, 1};
  EXPECT_EQ(Leveling(*p, smPoints, soFirst, points, count, msgs), TLevelResult::NotEnoughPoints);
  EXPECT_EQ(msgs.shown.size(), 3u);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Values(*p), before);

  // A second point in another column and row: the leveling runs and uses them up. The
  // heights 5 and 17 rise by 12 over 3 columns and over 4 rows, so the two separate
  // regressions give the slopes 4 and 3.
  points[1] = {4, 5};
  EXPECT_EQ(Leveling(*p, smPoints, soFirst, points, count, msgs), TLevelResult::Leveled);
  EXPECT_EQ(count, 0);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c) EXPECT_EQ(p->RowTable[r][c], 1.0f - 3.0f * r);
  EXPECT_EQ(msgs.shown.size(), 3u);
}

TEST(Leveling, PointSlopesFollowTheirDefinitionOnRandomData) {
  // Independent of the routines above: each slope is the least-squares slope of z over
  // the coordinate, the result v - c sx - r sy in extended precision.
  auto p = Random(40, 30, Kind::Smooth, 5);
  const std::vector<float> v = Values(*p);
  std::vector<TSlopPoint> pts = {{3, 2}, {38, 4}, {20, 29}, {7, 17}, {33, 25}, {12, 9}};
  auto slope = [&](bool overColumns) {
    double s = 0, z = 0, sz = 0, ss = 0;
    for (const TSlopPoint& k : pts) {
      const double x = overColumns ? k.Column : k.Row;
      const double h = v[static_cast<size_t>(k.Row) * 40 + k.Column];
      s += x;
      z += h;
      sz += x * h;
      ss += x * x;
    }
    const long double n = pts.size();
    return static_cast<float>((n * sz - static_cast<long double>(s) * z) /
                              (n * ss - static_cast<long double>(s) * s));
  };
  const float sx = slope(true), sy = slope(false);
  ASSERT_EQ(LevelPointSlopes(*p, pts.data(), static_cast<int>(pts.size())),
            TPointSlopesResult::Leveled);
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 40; ++c) {
      const long double expected = (static_cast<long double>(v[static_cast<size_t>(r) * 40 + c]) -
                                    static_cast<long double>(c) * sx) -
                                   static_cast<long double>(r) * sy;
      ASSERT_EQ(p->RowTable[r][c], static_cast<float>(expected)) << c << "," << r;
    }
}

TEST(Leveling, PositionSumsNearAHalfWayPointRoundAsInExtendedPrecision) {
  // In a single sum of position times value a small d is followed by 3 * 5592407 =
  // 2^24 + 5, half-way between the singles 2^24 + 4 and 2^24 + 6. Extended precision keeps
  // d = 2^-35, so the sum rounds up to 2^24 + 6 (a double sum would drop d and tie to the
  // even 2^24 + 4); it drops d = 2^-50 and ties to 2^24 + 4 (the exact sum would round up).
  // Mean slopes of one line of four, positions 1..4 with sums 10 and 30: the slope is
  // (4 * Z1 - 5592407 * 10) / 20, 559240.9 (stored as 559240.875) for Z1 = 2^24 + 6 and
  // 559240.5 for 2^24 + 4; the values lose position * slope (4473925.25 ties to 4473925).
  struct {
    float d;
    std::vector<float> leveled;
  } const cases[] = {{0x1p-35f, {0x1p-35f, -559240.875f, 4473925.0f, -1677722.625f}},
                     {0x1p-50f, {0x1p-50f, -559240.5f, 4473926.0f, -1677721.5f}}};
  for (const auto& k : cases)
    for (const float sign : {1.0f, -1.0f}) {
      const std::vector<float> line = {sign * k.d, 0.0f, sign * 5592407.0f, 0.0f};
      std::vector<float> expected = k.leveled;
      for (float& x : expected) x *= sign;
      auto column = FromRows(1, 4, line);  // the column pass; no slope along a row of one
      ASSERT_TRUE(LevelMeanSlopes(*column));
      EXPECT_EQ(Values(*column), expected) << k.d;
      auto row = FromRows(4, 1, line);  // the row pass
      ASSERT_TRUE(LevelMeanSlopes(*row));
      EXPECT_EQ(Values(*row), expected) << k.d;
    }
  // The column line sums y * v the same way (positions from 0): the case in every column,
  // each column with a value of its own after it.
  for (const float d : {0x1p-35f, 0x1p-50f}) {
    auto p = Make(5, 6, [d](int c, int r) {
      return r == 1 ? d : r == 3 ? 5592407.0f : r == 5 ? 0.25f * c : 0.0f;
    });
    for (const Routine& routine : Routines())
      if (std::string(routine.name) == "column line") ExpectSameAsPlain(routine, *p, "near a tie");
  }
}

// --- the fast routines against the plain ones -----------------------------------------

TEST(Leveling, EveryRoutineMatchesThePlainDefinitionBitForBit) {
  const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 5}, {17, 9}, {64, 33}};
  unsigned seed = 1;
  for (const Routine& routine : Routines())
    for (Kind kind : AllKinds())
      for (const auto& size : sizes) {
        auto p = Random(size[0], size[1], kind, seed++);
        ExpectSameAsPlain(
            routine, *p,
            KindName(kind) + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]));
      }
}

TEST(Leveling, EveryRoutineMatchesThePlainDefinitionOnTheLargestPicture) {
  unsigned seed = 100;
  for (const Routine& routine : Routines())
    for (Kind kind : {Kind::Smooth, Kind::Wide}) {
      auto p = Random(kMaxPictureSide, kMaxPictureSide, kind, seed++);
      ExpectSameAsPlain(routine, *p, KindName(kind) + " 514x514");
    }
}

// --- rounding a sum to single as extended precision does ------------------------------

TEST(SingleRounding, HalfWayDoublesAndTinyOnesAreFlagged) {
  EXPECT_TRUE(MayTieAsSingle(1.0 + 0x1p-24));   // half-way between 1 and 1 + 2^-23
  EXPECT_TRUE(MayTieAsSingle(-3.0 - 0x1p-23));  // half-way in [2, 4)
  EXPECT_FALSE(MayTieAsSingle(1.0 + 0x1p-23));  // a single
  EXPECT_FALSE(MayTieAsSingle(1.0 + 0x1p-24 + 0x1p-52));
  EXPECT_FALSE(MayTieAsSingle(0.0));
  EXPECT_FALSE(MayTieAsSingle(0x1p-126));        // the smallest normal single
  EXPECT_TRUE(MayTieAsSingle(0x1p-127 * 1.25));  // below it the grid is coarser
  EXPECT_FALSE(MayTieAsSingle(std::numeric_limits<double>::infinity()));
}

TEST(SingleRounding, AnInexactHalfWaySumRoundsAsInExtendedPrecision) {
  // 16 + (2^-20 + 2^-50): in double the sum lands on the half-way point 16 + 2^-20 and
  // would round to the even 16; the exact sum lies above it and rounds up.
  const double p = 0x1p-20 + 0x1p-50;
  EXPECT_EQ(static_cast<float>(16.0 + p), 16.0f);
  EXPECT_EQ(AddRoundSingle(16.0f, p), 16.0f + 0x1p-19f);
  EXPECT_EQ(AddRoundSingle(-16.0f, -p), -16.0f - 0x1p-19f);
  // An exact half-way sum ties to even in every precision.
  EXPECT_EQ(AddRoundSingle(1.0f, 0x1p-24), 1.0f);
  EXPECT_EQ(AddRoundSingle(1.0f + 0x1p-23f, 0x1p-24), 1.0f + 0x1p-22f);
}
