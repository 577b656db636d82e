#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/ProfileSampling.h"

namespace {

// A picture whose stored row r, column c holds values[r * cols + c].
std::unique_ptr<TVKMPicture> MakePicture(int cols, int rows, const std::vector<float>& values) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = values[static_cast<size_t>(r) * cols + c];
  return p;
}

std::unique_ptr<TVKMPicture> RandomPicture(int cols, int rows, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-50.0f, 50.0f);
  std::vector<float> v(static_cast<size_t>(cols) * rows);
  for (auto& x : v) x = d(rng);
  return MakePicture(cols, rows, v);
}

// M[j][x] = 10 j + x: every cell tells its stored row and column.
std::unique_ptr<TVKMPicture> IndexPicture(int cols, int rows) {
  std::vector<float> v;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) v.push_back(10.0f * r + c);
  return MakePicture(cols, rows, v);
}

// The row average written straight from its rule: stored row |R - 1 - t|, reflected
// at the top once more when that leaves the image.
float RowAverageByRule(const TVKMPicture& M, int W, int r, int x) {
  const int R = M.Rows;
  float s = 0;
  for (int k = 0; k < W; ++k) {
    const int t = r - W / 2 + k;
    int j = std::abs(R - 1 - t);
    if (j >= R) j = 2 * R - 1 - j;
    s += M.RowTable[j][x];
  }
  return s / static_cast<float>(W);
}

float ColumnAverageByRule(const TVKMPicture& M, int W, int r, int x) {
  const int R = M.Rows;
  const int C = M.Columns;
  float s = 0;
  for (int k = 0; k < W; ++k) {
    int c = std::abs(x - W / 2 + k);
    if (c >= C) c = C - 1;
    s += M.RowTable[R - 1 - r][c];
  }
  return static_cast<float>(static_cast<double>(s) / W);  // the exact W
}

// (((s + v) + v) + ... + v), one single-precision addition at a time.
float AddOneByOne(float s, float v, int64_t n) {
  for (int64_t i = 0; i < n; ++i) s += v;
  return s;
}

class CancelAfter : public Progress {
 public:
  explicit CancelAfter(int steps) : left_(steps) {}
  void Step(int step, int total) override {
    ++calls;
    lastStep = step;
    lastTotal = total;
    --left_;
  }
  bool Cancelled() const override { return left_ <= 0; }
  int calls = 0, lastStep = -1, lastTotal = -1;

 private:
  int left_;
};

}  // namespace

TEST(ProfileRows, WidthOneIsTheImageUpsideDown) {
  auto p = IndexPicture(3, 4);
  TWorkMatrix K;
  AverageRows(*p, 1, K);
  for (int r = 0; r < 4; ++r)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(K.At(r, x), 10.0f * (3 - r) + x) << r << "," << x;
  TProfile prof;
  RowProfile(K, 0, prof);  // the top row of the display, left to right
  EXPECT_EQ(prof.Values, (std::vector<float>{30, 31, 32}));
  EXPECT_EQ(prof.X, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(prof.Y, (std::vector<int32_t>{0, 0, 0}));
}

TEST(ProfileRows, EdgesMirrorRepeatingTheTopRowButNotTheBottomRow) {
  auto p = IndexPicture(2, 5);  // stored rows 0..4, display row 0 = stored row 4
  TWorkMatrix K;
  AverageRows(*p, 3, K);
  // Top display row: stored rows 4 (repeated), 4, 3.
  EXPECT_EQ(K.At(0, 1), (41.0f + 41.0f + 31.0f) / 3.0f);
  // Bottom display row: stored rows 1, 0, 1.
  EXPECT_EQ(K.At(4, 0), (10.0f + 0.0f + 10.0f) / 3.0f);
  // An even width takes one more row above the centre row: display rows -1 and 0.
  AverageRows(*p, 2, K);
  EXPECT_EQ(K.At(0, 0), 40.0f);
  EXPECT_EQ(K.At(2, 0), (30.0f + 20.0f) / 2.0f);
}

TEST(ProfileColumns, EdgesMirrorOnTheLeftAndRepeatOnTheRight) {
  auto p = IndexPicture(4, 2);
  TWorkMatrix K;
  AverageColumns(*p, 2, K);
  // x = 0 with W = 2: columns |-1| = 1 and 0 of display row 0 (stored row 1).
  EXPECT_EQ(K.At(0, 0), (11.0f + 10.0f) / 2.0f);
  AverageColumns(*p, 3, K);
  // x = C - 1 with W = 3: columns C - 2, C - 1, C - 1.
  EXPECT_EQ(K.At(1, 3), (2.0f + 3.0f + 3.0f) / 3.0f);
  TProfile prof;
  ColumnProfile(K, 3, prof);  // from the top of the display downwards
  EXPECT_EQ(prof.Y, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(prof.Values[0], (12.0f + 13.0f + 13.0f) / 3.0f);
}

TEST(ProfileRowsAndColumns, MatchTheRulesForEveryWidthOnRandomImages) {
  for (auto [cols, rows] : {std::pair{7, 5}, std::pair{5, 9}, std::pair{1, 3}, std::pair{6, 1}}) {
    auto p = RandomPicture(cols, rows, static_cast<unsigned>(cols * 31 + rows));
    TWorkMatrix K;
    for (int W = 1; W <= 2 * rows + 1; ++W) {
      AverageRows(*p, W, K);
      for (int r = 0; r < rows; ++r)
        for (int x = 0; x < cols; ++x)
          ASSERT_EQ(K.At(r, x), RowAverageByRule(*p, W, r, x)) << W << " " << r << " " << x;
    }
    for (int W = 1; W <= 2 * cols + 1; ++W) {
      AverageColumns(*p, W, K);
      for (int r = 0; r < rows; ++r)
        for (int x = 0; x < cols; ++x)
          ASSERT_EQ(K.At(r, x), ColumnAverageByRule(*p, W, r, x)) << W << " " << r << " " << x;
    }
  }
}

TEST(ProfileRowsAndColumns, LargeImagesSharedBetweenThreadsGiveTheSameNumbers) {
  auto p = RandomPicture(300, 280, 11);
  TWorkMatrix K;
  AverageRows(*p, 61, K);
  for (int r = 0; r < 280; r += 7)
    for (int x = 0; x < 300; x += 3) ASSERT_EQ(K.At(r, x), RowAverageByRule(*p, 61, r, x));
  AverageColumns(*p, 61, K);
  for (int r = 0; r < 280; r += 7)
    for (int x = 0; x < 300; x += 3) ASSERT_EQ(K.At(r, x), ColumnAverageByRule(*p, 61, r, x));
}

TEST(ProfileRowsAndColumns, SumsAreSinglePrecision) {
  // 2^24 + 1 + 1 in singles stays 2^24: the mean is 2^24 / 3, not (2^24 + 2) / 3.
  auto p = MakePicture(1, 3, {1.0f, 1.0f, 16777216.0f});  // display rows: 2^24, 1, 1
  TWorkMatrix K;
  AverageRows(*p, 3, K);
  EXPECT_EQ(K.At(1, 0), 5592405.5f);
  auto q = MakePicture(3, 1, {16777216.0f, 1.0f, 1.0f});
  AverageColumns(*q, 3, K);
  EXPECT_EQ(K.At(0, 1), 5592405.5f);
}

TEST(ProfileColumns, EveryWidthSumsAsTheRuleSays) {
  // Up to 4C - 1 the windows are summed side by side; from 4C on the runs of the last
  // column are summed apart: both sides of that change, tiny and non-square images.
  for (auto [cols, rows] : {std::pair{1, 2}, std::pair{2, 3}, std::pair{3, 1}, std::pair{7, 4}}) {
    auto p = RandomPicture(cols, rows, static_cast<unsigned>(cols * 17 + rows));
    TWorkMatrix K;
    std::vector<int> widths;
    for (int W = 1; W <= 6 * cols + 12; ++W) widths.push_back(W);
    for (int W : {100, 101, 4097, 65536, 300001}) widths.push_back(W);
    for (int W : widths) {
      AverageColumns(*p, W, K);
      for (int r = 0; r < rows; ++r)
        for (int x = 0; x < cols; ++x)
          ASSERT_EQ(K.At(r, x), ColumnAverageByRule(*p, W, r, x))
              << cols << "x" << rows << " W " << W << " " << r << " " << x;
    }
  }
  // The last column large against the others: its runs stop growing the sum once it is
  // 2^24 times larger, and the leading and trailing runs differ from column to column.
  auto q = MakePicture(5, 2, {0.3f, -7.0f, 1e-3f, 2.5f, 1.0f, 3.0f, 1e6f, -1e6f, 0.1f, -1.0f});
  TWorkMatrix K;
  for (int W : {21, 22, 1000, 123457, 2000001}) {
    AverageColumns(*q, W, K);
    for (int r = 0; r < 2; ++r)
      for (int x = 0; x < 5; ++x)
        ASSERT_EQ(K.At(r, x), ColumnAverageByRule(*q, W, r, x)) << W << " " << r << " " << x;
  }
}

TEST(ProfileColumns, WidthsBeyondTwoToThe24DivideByTheExactWidth) {
  // 2^24 + 3 is no single: dividing by it rounded would give another mean. The sum of
  // ones stops at 2^24.
  auto p = MakePicture(2, 1, {1.0f, 1.0f});
  TWorkMatrix K;
  const int W = (1 << 24) + 3;
  AverageColumns(*p, W, K);
  EXPECT_EQ(K.At(0, 0), static_cast<float>(16777216.0 / W));
  EXPECT_EQ(K.At(0, 0), ColumnAverageByRule(*p, W, 0, 0));
  // The largest width, checked against one-by-one sums that stop once adding the last
  // column no longer changes them (after at most some 2^25 additions).
  const auto settled = [](float s, float v, int64_t n) {
    for (int64_t i = 0; i < n && s + v != s; ++i) s += v;
    return s;
  };
  auto q = RandomPicture(64, 64, 5);
  const int64_t Wmax = 2147483647;
  AverageColumns(*q, static_cast<int32_t>(Wmax), K);
  const float* row = q->RowTable[63 - 10];  // display row 10
  for (int x : {0, 31, 63}) {
    const int64_t leading = Wmax / 2 - 64 + 1 - x;
    float s = settled(0.0f, row[63], leading);
    for (int i = -63; i < 64; ++i) s += row[std::abs(i)];
    s = settled(s, row[63], Wmax - leading - 127);
    EXPECT_EQ(K.At(10, x), static_cast<float>(static_cast<double>(s) / Wmax)) << x;
  }
}

TEST(ProfileColumns, RepeatedAdditionsInStepsEqualOneByOne) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<float> mant(1.0f, 2.0f);
  std::uniform_int_distribution<int> expo(-30, 30);
  std::uniform_int_distribution<int64_t> count(0, 200000);
  const auto value = [&] {
    const float m = mant(rng) * ((rng() & 1) ? 1.0f : -1.0f);
    return std::ldexp(m, expo(rng));
  };
  for (int i = 0; i < 3000; ++i) {
    const float s = value();
    float v = value();
    if (i % 3 == 0) {
      // v half-way between two neighbours of the grid s lies on: ties to even
      int e = 0;
      std::frexp(s, &e);
      v = std::ldexp(static_cast<float>(2 * (rng() % 64) + 1), e - 25) * (rng() & 1 ? 1 : -1);
    }
    const int64_t n = count(rng);
    ASSERT_EQ(AddRepeatedly(s, v, n), AddOneByOne(s, v, n)) << s << " " << v << " " << n;
  }
  // Across zero, from and into subnormals, to the point where v stops counting, to
  // infinity and from NaN.
  struct Case {
    float s, v;
    int64_t n;
  };
  for (const Case& c :
       {Case{-1000.3f, 0.7f, 5000}, Case{1e-40f, 1e-41f, 100000}, Case{-3e-38f, 1e-39f, 100000},
        Case{0.0f, 0.1f, 40000000}, Case{0.0f, -3.0f, 40000000}, Case{0.0f, 1.0f, 20000000},
        Case{3e38f, 1e32f, 100000}, Case{-3e38f, -1e32f, 1000}, Case{std::nanf(""), 1.0f, 10},
        Case{1.0f, INFINITY, 10}, Case{5.0f, 0.0f, 1000}, Case{16777216.0f, 1.0f, 1000}}) {
    const float got = AddRepeatedly(c.s, c.v, c.n);
    const float want = AddOneByOne(c.s, c.v, c.n);
    if (std::isnan(want))
      EXPECT_TRUE(std::isnan(got)) << c.s << " " << c.v;
    else
      EXPECT_EQ(got, want) << c.s << " " << c.v << " " << c.n;
  }
}

TEST(ProfileWidths, AreLimitedWhereTheyStopAddingRows) {
  EXPECT_EQ(MaxAverageWidth(TProfileMode::Row, 10, 20), 21);
  EXPECT_EQ(MaxAverageWidth(TProfileMode::Column, 10, 20), 2147483647);
  EXPECT_EQ(LimitAverageWidth(TProfileMode::Column, 1000, 10, 20), 1000);
  EXPECT_EQ(MaxAverageWidth(TProfileMode::Radial, 10, 20), 360);
  EXPECT_EQ(LimitAverageWidth(TProfileMode::Row, 0, 10, 20), 1);
  EXPECT_EQ(LimitAverageWidth(TProfileMode::Row, 1000, 10, 20), 21);
  // A wider window computes exactly what the widest one does, and stays inside the image.
  auto p = RandomPicture(4, 3, 7);
  TWorkMatrix wide, widest;
  AverageRows(*p, 1000000, wide);
  AverageRows(*p, 7, widest);
  EXPECT_EQ(wide.Values, widest.Values);
}

TEST(ProfileAnyLine, StepsBelowOneCellAndReadsStoredRows) {
  auto p = IndexPicture(5, 6);  // R = 6: display row d is stored row 5 - d
  TProfile prof;
  AnyLineProfile(*p, 0, 0, 3, 4, prof);
  // Length 5, n = 6, steps 0.5 and 0.6667: x rounds 0, 0, 1, 2, 2, 2 (halves to even),
  // the display rows 0, 1, 1, 2, 3, 3.
  ASSERT_EQ(prof.PointCount(), 6);
  EXPECT_EQ(prof.X, (std::vector<int32_t>{0, 0, 1, 2, 2, 2}));
  EXPECT_EQ(prof.Y, (std::vector<int32_t>{5, 4, 4, 3, 2, 2}));
  EXPECT_EQ(prof.Values[3], 32.0f);
  // Both ends on one cell: one point.
  AnyLineProfile(*p, 2, 3, 2, 3, prof);
  EXPECT_EQ(prof.PointCount(), 1);
  EXPECT_EQ(prof.Values[0], 22.0f);
  // Points beyond the image are held at its edge.
  AnyLineProfile(*p, -3, 0, 0, 0, prof);
  EXPECT_EQ(prof.X, (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(ProfileRadial, AnglesComeIntoOneTurn) {
  EXPECT_EQ(NormalizeAngle(450), 90.0f);
  EXPECT_EQ(NormalizeAngle(-90), 270.0f);
  EXPECT_EQ(NormalizeAngle(720), 0.0f);
  EXPECT_EQ(NormalizeAngle(-360), 360.0f);
  EXPECT_EQ(NormalizeAngle(360), 360.0f);
  EXPECT_EQ(NormalizeAngle(12.5f), 12.5f);
}

TEST(ProfileRadial, RayFromTheCentre) {
  auto p = IndexPicture(256, 256);
  TWorkMatrix K;
  ASSERT_TRUE(AverageRadial(*p, 1, K));
  TProfile prof;
  RadialProfile(K, 0, prof);
  ASSERT_EQ(prof.PointCount(), 128);  // Rmax = 127
  EXPECT_EQ(prof.X[0], 128);
  EXPECT_EQ(prof.Y[0], 128);
  EXPECT_EQ(prof.X[127], 255);
  EXPECT_EQ(prof.Y[127], 128);
  RadialProfile(K, 90, prof);  // upwards: stored rows grow
  EXPECT_EQ(prof.X[5], 128);
  EXPECT_EQ(prof.Y[5], 133);
  RadialProfile(K, 450, prof);
  EXPECT_EQ(prof.Y[5], 133);
  RadialProfile(K, 225, prof);  // down and left: Round(-0.7071 * 10) = -7
  EXPECT_EQ(prof.X[10], 121);
  EXPECT_EQ(prof.Y[10], 121);
}

TEST(ProfileRadial, ArcOfOneCellByHand) {
  // 5 x 5, centre (2, 2), Rmax 2. The cell (3, 2) has rho = 1: with W = 90 the angle runs
  // -pi/4, -pi/4 + 0.5, + 1.0, + 1.5 (then past pi/4), taking the cells
  // (Round(cos a) + 2, Round(-sin a) + 2) = (3, 3), (3, 2), (3, 2), (3, 1).
  std::vector<float> v(25, 0.0f);
  v[3 * 5 + 3] = 1;   // row 3, column 3
  v[2 * 5 + 3] = 2;   // row 2, column 3
  v[1 * 5 + 3] = 16;  // row 1, column 3
  v[0] = 7;           // a corner, outside the disc
  auto p = MakePicture(5, 5, v);
  TWorkMatrix K, ref;
  ASSERT_TRUE(AverageRadial(*p, 90, K));
  EXPECT_EQ(K.At(2, 3), (1.0f + 2.0f + 2.0f + 16.0f) / 4.0f);
  EXPECT_EQ(K.At(0, 0), 7.0f);  // rho >= Rmax keeps its value
  AverageRadialReference(*p, 90, ref);
  EXPECT_EQ(ref.Values, K.Values);
}

TEST(ProfileRadial, ConstantImageStaysConstantInEveryMode) {
  auto p = MakePicture(9, 9, std::vector<float>(81, 2.5f));
  TWorkMatrix K;
  for (int W : {1, 2, 7, 360}) {
    ASSERT_TRUE(AverageRadial(*p, W, K));
    for (float v : K.Values) ASSERT_EQ(v, 2.5f) << W;
    AverageRows(*p, W > 19 ? 19 : W, K);
    for (float v : K.Values) ASSERT_EQ(v, 2.5f) << W;
    AverageColumns(*p, W > 19 ? 19 : W, K);
    for (float v : K.Values) ASSERT_EQ(v, 2.5f) << W;
  }
}

TEST(ProfileRadial, FastAverageEqualsThePlainDefinition) {
  struct Case {
    int cols, rows, width;
  };
  for (const Case& c :
       {Case{64, 64, 360}, Case{65, 65, 45}, Case{33, 33, 1}, Case{40, 70, 90}, Case{70, 40, 17},
        Case{128, 128, 360}, Case{7, 7, 2}, Case{2, 2, 360}, Case{1, 5, 360}}) {
    auto p = RandomPicture(c.cols, c.rows, static_cast<unsigned>(c.cols * 7 + c.width));
    TWorkMatrix fast, plain;
    ASSERT_TRUE(AverageRadial(*p, c.width, fast));
    AverageRadialReference(*p, c.width, plain);
    ASSERT_EQ(fast.Values.size(), plain.Values.size());
    for (size_t i = 0; i < fast.Values.size(); ++i)
      ASSERT_EQ(fast.Values[i], plain.Values[i])
          << c.cols << "x" << c.rows << " W " << c.width << " cell " << i;
  }
}

TEST(ProfileRadial, NonSquareImagesKeepEveryPointInside) {
  // Fewer rows than columns: the disc's radius comes from the rows; fewer columns than
  // rows: the ray is as long as the columns allow.
  auto wide = IndexPicture(60, 21);
  EXPECT_EQ(RadialRadius(21, 60), 10);
  TWorkMatrix K;
  ASSERT_TRUE(AverageRadial(*wide, 360, K));
  TProfile prof;
  for (float a : {0.0f, 90.0f, 180.0f, 270.0f, 33.0f}) {
    RadialProfile(K, a, prof);
    ASSERT_EQ(prof.PointCount(), 11);
    for (int i = 0; i < prof.PointCount(); ++i) {
      EXPECT_TRUE(prof.X[i] >= 0 && prof.X[i] < 60);
      EXPECT_TRUE(prof.Y[i] >= 0 && prof.Y[i] < 21);
    }
  }
  auto tall = IndexPicture(21, 60);
  ASSERT_TRUE(AverageRadial(*tall, 360, K));
  RadialProfile(K, 180, prof);
  ASSERT_EQ(prof.PointCount(), 11);
  EXPECT_EQ(prof.X[10], 0);
  EXPECT_EQ(prof.Y[10], 30);
}

TEST(ProfileRadial, CancelKeepsTheImageWhereItStopped) {
  auto p = RandomPicture(60, 60, 3);
  TWorkMatrix plain, K;
  AverageRadialReference(*p, 360, plain);
  // Cancelled at the first report, before any work: the image's own values.
  CancelAfter first(1);
  EXPECT_FALSE(AverageRadial(*p, 360, K, &first));
  EXPECT_EQ(first.lastStep, 0);
  EXPECT_GT(first.lastTotal, 1);
  EXPECT_EQ(K.Values, std::vector<float>(p->Data(), p->Data() + 3600));
  // Cancelled later: every cell is either finished or still the image's own value.
  CancelAfter later(2);
  AverageRadial(*p, 360, K, &later);
  for (size_t i = 0; i < K.Values.size(); ++i)
    ASSERT_TRUE(K.Values[i] == plain.Values[i] || K.Values[i] == p->Data()[i]) << "cell " << i;
  // A run that is not cancelled reports its last step as complete.
  CancelAfter never(1000000);
  EXPECT_TRUE(AverageRadial(*p, 360, K, &never));
  EXPECT_EQ(never.lastStep, never.lastTotal);
  EXPECT_EQ(K.Values, plain.Values);
}

TEST(ProfileSteps, FromTheScanRangesAndUnits) {
  TScanPara s;
  s.XPhysUnit = s.YPhysUnit = "nm";
  s.XScanRange = 1000;
  s.YScanRange = 1000;
  s.xPixel = 256;
  s.yPixel = 128;
  EXPECT_EQ(ProfileStep(TProfileMode::Row, s), 3.90625f);
  EXPECT_EQ(ProfileStep(TProfileMode::Column, s), 7.8125f);
  EXPECT_EQ(ProfileStep(TProfileMode::AnyLine, s), 3.90625f);
  EXPECT_EQ(DistanceUnitLabel(TProfileMode::Radial, s), "[nm]");
  s.YScanRange = 500;  // the axes disagree: cells
  EXPECT_EQ(ProfileStep(TProfileMode::Radial, s), 1.0f);
  EXPECT_EQ(DistanceUnitLabel(TProfileMode::AnyLine, s), "");
  s.YPhysUnit = "um";
  EXPECT_EQ(DistanceUnitLabel(TProfileMode::Column, s), "[um]");
  s.xPixel = 0;  // no pixel count: one cell per point
  EXPECT_EQ(ProfileStep(TProfileMode::Row, s), 1.0f);
  s.xPixel = 512;  // no scan range either
  s.XScanRange = 0;
  EXPECT_EQ(ProfileStep(TProfileMode::Row, s), 1.0f);
}
