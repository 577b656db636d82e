#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "LevelTestSupport.h"
#include "process/NeighbourFilters.h"

using namespace leveltest;

namespace {

using ext = long double;

// The filter as defined, value by value: the window read with reflection at the border
// (a line of one value reflecting onto itself), products in extended precision, the
// running sum rounded to single after every addition.
std::vector<float> PlainFilter(const TVKMPicture& p, int kernel) {
  const int R = p.Rows, C = p.Columns;
  auto reflect = [](int i, int n) {
    return i < 0 ? (n > 1 ? 1 : 0) : i >= n ? (n > 1 ? n - 2 : 0) : i;
  };
  std::vector<float> out(p.ValueCount());
  for (int r = 0; r < R; ++r)
    for (int c = 0; c < C; ++c) {
      float s = 0;
      int k = 0;
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc, ++k) {
          const float w = p.RowTable[reflect(r + dr, R)][reflect(c + dc, C)];
          s = static_cast<float>(static_cast<ext>(s) +
                                 static_cast<ext>(w) * kFilterKernels[kernel][k]);
        }
      out[static_cast<size_t>(r) * C + c] = s;
    }
  return out;
}

// Bad-point removal as defined, with every difference and mean in extended precision.
void PlainBadPoints(TVKMPicture& p, float t) {
  const int L = p.Rows - 1, K = p.Columns - 1;
  auto v = [&](int r, int c) -> float& { return p.RowTable[r][c]; };
  auto differs = [t](float a, float b) { return std::fabs(static_cast<ext>(a) - b) > t; };
  auto mean = [](std::initializer_list<float> xs) {
    ext s = 0;
    for (float x : xs) s += x;
    return static_cast<float>(static_cast<ext>(static_cast<float>(s)) / xs.size());
  };
  for (int r = 1; r < L; ++r) {
    for (int c = 1; c < K; ++c)
      if (differs(v(r, c), v(r, c - 1)) && differs(v(r, c), v(r, c + 1)))
        v(r, c) = mean({v(r - 1, c - 1), v(r - 1, c), v(r - 1, c + 1), v(r, c - 1), v(r, c + 1),
                        v(r + 1, c - 1), v(r + 1, c), v(r + 1, c + 1)});
    if (differs(v(r, 0), v(r - 1, 0)) && differs(v(r, 0), v(r + 1, 0)))
      v(r, 0) = mean({v(r - 1, 0), v(r + 1, 0), v(r - 1, 1), v(r, 1), v(r + 1, 1)});
    if (differs(v(r, K), v(r - 1, K)) && differs(v(r, K), v(r + 1, K)))
      v(r, K) = mean({v(r - 1, K), v(r + 1, K), v(r - 1, K - 1), v(r, K - 1), v(r + 1, K - 1)});
  }
  for (int c = 1; c < K; ++c) {
    if (differs(v(0, c), v(0, c - 1)) && differs(v(0, c), v(0, c + 1)))
      v(0, c) = mean({v(0, c - 1), v(0, c + 1), v(1, c - 1), v(1, c), v(1, c + 1)});
    if (differs(v(L, c), v(L, c - 1)) && differs(v(L, c), v(L, c + 1)))
      v(L, c) = mean({v(L, c - 1), v(L, c + 1), v(L - 1, c - 1), v(L - 1, c), v(L - 1, c + 1)});
  }
  if (differs(v(0, 0), v(1, 0)) && differs(v(0, 0), v(0, 1)))
    v(0, 0) = mean({v(0, 1), v(1, 0), v(1, 1)});
  if (differs(v(L, 0), v(L, 1)) && differs(v(L, 0), v(L - 1, 0)))
    v(L, 0) = mean({v(L, 1), v(L - 1, 0), v(L - 1, 1)});
  if (differs(v(0, K), v(0, K - 1)) && differs(v(0, K), v(1, K)))
    v(0, K) = mean({v(0, K - 1), v(1, K), v(1, K - 1)});
  if (differs(v(L, K), v(L, K - 1)) && differs(v(L, K), v(L - 1, K)))
    v(L, K) = mean({v(L, K - 1), v(L - 1, K), v(L - 1, K - 1)});
}

std::unique_ptr<TVKMPicture> Flat(int columns, int rows, float value) {
  return Make(columns, rows, [value](int, int) { return value; });
}

}  // namespace

// --- 3x3 filters ----------------------------------------------------------------------

TEST(Filter3x3, ConstantPicturesShowTheRoundingOfTheWeights) {
  auto one = Flat(6, 5, 1.0f);
  ASSERT_TRUE(Filter3x3(*one, fkLowPass));
  EXPECT_EQ(Values(*one), std::vector<float>(30, 1.0f));
  auto three = Flat(6, 5, 3.0f);
  ASSERT_TRUE(Filter3x3(*three, fkLowPass));
  EXPECT_EQ(Values(*three), std::vector<float>(30, 2.9999998f));  // the single below 3
  EXPECT_EQ(2.9999998f, std::nextafter(3.0f, 0.0f));
  auto laplace = Flat(6, 5, 3.0f);
  ASSERT_TRUE(Filter3x3(*laplace, fkLaplace));
  EXPECT_EQ(Values(*laplace), std::vector<float>(30, 0.0f));
  auto high = Flat(6, 5, 3.0f);
  ASSERT_TRUE(Filter3x3(*high, fkHighPass));
  EXPECT_EQ(Values(*high), std::vector<float>(30, 3.0f));
}

TEST(Filter3x3, IlluminationIsTheStepFromTheLeftNeighbour) {
  auto p = Make(5, 4, [](int c, int) { return static_cast<float>(c); });
  ASSERT_TRUE(Filter3x3(*p, fkBeleuchtung));
  for (int r = 0; r < 4; ++r)
    EXPECT_EQ(std::vector<float>(p->RowTable[r], p->RowTable[r] + 5),
              (std::vector<float>{-1, 1, 1, 1, 1}));  // column 0 reads column 1 on its left
}

TEST(Filter3x3, TheBorderIsReflectedWithoutRepeatingTheEdge) {
  // v = 10 r + c on 3 x 3. At (0, 0) the window reads rows 1, 0, 1 and columns 1, 0, 1.
  auto p = Make(3, 3, [](int c, int r) { return 10.0f * r + c; });
  ASSERT_TRUE(Filter3x3(*p, fkHighPass));
  EXPECT_EQ(p->RowTable[0][0], 9 * 0.0f - (11 + 10 + 11 + 1 + 1 + 11 + 10 + 11));
  auto q = Make(3, 3, [](int c, int r) { return 10.0f * r + c; });
  ASSERT_TRUE(Filter3x3(*q, fkLaplace));
  // At (2, 2): rows 1, 2, 1 and columns 1, 2, 1.
  EXPECT_EQ(q->RowTable[2][2], 8 * 22.0f - (11 + 12 + 11 + 21 + 21 + 11 + 12 + 11));
  // At (1, 0): rows 0, 1, 2 and columns 1, 0, 1.
  EXPECT_EQ(q->RowTable[1][0], 8 * 10.0f - (1 + 0 + 1 + 11 + 11 + 21 + 20 + 21));
}

TEST(Filter3x3, ALineOfOneValueReflectsOntoItself) {
  auto row = FromRows(4, 1, {1, 2, 4, 8});
  ASSERT_TRUE(Filter3x3(*row, fkLaplace));
  // Every window row is the picture's only row; columns 1, 0, 1 at column 0.
  EXPECT_EQ(Values(*row), (std::vector<float>{8 * 1.0f - (2 + 1 + 2 + 2 + 2 + 2 + 1 + 2),
                                              8 * 2.0f - (1 + 2 + 4 + 1 + 4 + 1 + 2 + 4),
                                              8 * 4.0f - (2 + 4 + 8 + 2 + 8 + 2 + 4 + 8),
                                              8 * 8.0f - (4 + 8 + 4 + 4 + 4 + 4 + 8 + 4)}));
  auto single = FromRows(1, 1, {5});
  ASSERT_TRUE(Filter3x3(*single, fkHighPass));
  EXPECT_EQ(single->RowTable[0][0], 5.0f);
}

TEST(Filter3x3, AnIndexOutsideTheListChangesNothing) {
  for (int kernel : {-1, 4, 100}) {
    auto p = Make(4, 4, [](int c, int r) { return 1.0f * c * r; });
    EXPECT_FALSE(Filter3x3(*p, kernel));
    EXPECT_EQ(Values(*p), Values(*Make(4, 4, [](int c, int r) { return 1.0f * c * r; })));
  }
}

TEST(Filter3x3, EveryKernelMatchesTheDefinitionBitForBit) {
  const int sizes[][2] = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 3}, {17, 9}, {67, 40}};
  unsigned seed = 1;
  for (int kernel = 0; kernel < kFilterKernelCount; ++kernel)
    for (Kind kind : AllKinds())
      for (const auto& size : sizes) {
        auto p = Random(size[0], size[1], kind, seed++);
        const std::vector<float> expected = PlainFilter(*p, kernel);
        ASSERT_TRUE(Filter3x3(*p, kernel));
        const long at = FirstBitDifference(Values(*p), expected);
        EXPECT_EQ(at, -1) << kFilterNames[kernel] << " " << KindName(kind) << " " << size[0] << "x"
                          << size[1] << " at " << at;
      }
}

TEST(Filter3x3, TheLargestPictureMatchesTheDefinition) {
  for (int kernel = 0; kernel < kFilterKernelCount; ++kernel) {
    auto p = Random(kMaxPictureSide, kMaxPictureSide, kernel % 2 ? Kind::Wide : Kind::Integers,
                    77u + kernel);
    const std::vector<float> expected = PlainFilter(*p, kernel);
    ASSERT_TRUE(Filter3x3(*p, kernel));
    EXPECT_EQ(FirstBitDifference(Values(*p), expected), -1) << kFilterNames[kernel];
  }
}

TEST(Filter3x3, ZerosKeepTheirSignAsTheSumsGiveIt) {
  // -0 inputs: the running sum starts at +0, so +0 + (-0) is +0.
  auto p = Flat(4, 4, -0.0f);
  const std::vector<float> low = PlainFilter(*p, fkLowPass);
  ASSERT_TRUE(Filter3x3(*p, fkLowPass));
  EXPECT_EQ(FirstBitDifference(Values(*p), low), -1);
  EXPECT_FALSE(std::signbit(p->RowTable[1][1]));
}

TEST(Filter3x3, SumsNearAHalfWayPointRoundAsInExtendedPrecision) {
  // At the centre the running sum holds a small d (minus the corner's -d) when the product
  // 9 * 1864137 = 2^24 + 17 is added, half-way between the singles 2^24 + 16 and 2^24 + 18.
  // Extended precision keeps d = 2^-35 (64 bits reach down to 2^-39 here), so the sum
  // rounds up to 2^24 + 18; a double sum would drop it and tie to the even 2^24 + 16.
  // It drops d = 2^-50 and ties to 2^24 + 16, where the exact sum would round up.
  // Elsewhere the centre is read two or four times (reflection): -2c or -4c exactly.
  struct {
    float d, centre;
  } const cases[] = {{0x1p-35f, 16777234.0f}, {0x1p-50f, 16777232.0f}};
  for (const auto& k : cases)
    for (const float sign : {1.0f, -1.0f}) {
      auto p = FromRows(3, 3, {-sign * k.d, 0, 0, 0, sign * 1864137.0f, 0, 0, 0, 0});
      ASSERT_TRUE(Filter3x3(*p, fkHighPass));
      const float edge = -sign * 3728274.0f, corner = -sign * 7456548.0f;
      EXPECT_EQ(Values(*p), (std::vector<float>{corner, edge, corner, edge, sign * k.centre, edge,
                                                corner, edge, corner}))
          << k.d;
    }
}

TEST(Filter3x3, ValuesThatAreNotFiniteSpreadAsTheDefinitionSpreadsThem) {
  auto p = Random(8, 6, Kind::Smooth, 3);
  p->RowTable[2][3] = std::numeric_limits<float>::infinity();
  p->RowTable[4][6] = std::numeric_limits<float>::quiet_NaN();
  for (int kernel = 0; kernel < kFilterKernelCount; ++kernel) {
    auto q = Make(8, 6, [&](int c, int r) { return p->RowTable[r][c]; });
    const std::vector<float> expected = PlainFilter(*q, kernel);
    ASSERT_TRUE(Filter3x3(*q, kernel));
    EXPECT_EQ(FirstBitDifference(Values(*q), expected), -1) << kFilterNames[kernel];
  }
  // A zero weight times infinity is NaN: the illumination filter, which reads only the
  // left neighbour, still turns the window around the infinite value into NaN.
  ASSERT_TRUE(Filter3x3(*p, fkBeleuchtung));
  EXPECT_TRUE(std::isnan(p->RowTable[1][2]));
  EXPECT_TRUE(std::isnan(p->RowTable[3][4]));
  EXPECT_FALSE(std::isnan(p->RowTable[0][0]));
}

// --- bad points -----------------------------------------------------------------------

TEST(BadPoints, ThresholdIsAShareOfTheSourceRangeOrOneForAFlatSource) {
  EXPECT_EQ(BadPointThreshold(-20.0f, 30.0f, 2.0), 1.0f);  // 50 / 100 * 2
  EXPECT_EQ(BadPointThreshold(0.0f, 400.0f, 0.25), 1.0f);  // 4 * 0.25
  EXPECT_EQ(BadPointThreshold(5.0f, 5.0f, 50.0), 1.0f);    // flat: whatever the percentage
  EXPECT_EQ(BadPointThreshold(5.0f, 5.0f, 0.0), 1.0f);
  EXPECT_EQ(BadPointThreshold(0.0f, 100.0f, 0.0), 0.0f);
  EXPECT_EQ(BadPointThreshold(0.0f, 100.0f, -3.0), 0.0f);  // never below 0
  // Single arithmetic throughout: 0.1 as a single times 1 (= 100 / 100).
  EXPECT_EQ(BadPointThreshold(0.0f, 100.0f, 0.1), 0.1f);
}

TEST(BadPoints, ASpikeGoesOnlyWhenItExceedsTheThreshold) {
  auto p = Flat(7, 7, 0.0f);
  p->RowTable[3][3] = 10.0f;
  RemoveBadPoints(*p, 5.0f);
  EXPECT_EQ(Values(*p), std::vector<float>(49, 0.0f));
  auto q = Flat(7, 7, 0.0f);
  q->RowTable[3][3] = 10.0f;
  RemoveBadPoints(*q, 10.0f);  // 10 is not more than 10
  EXPECT_EQ(q->RowTable[3][3], 10.0f);
}

TEST(BadPoints, AVerticalLineIsFlattenedPointByPointWithTheNewValuesBelow) {
  auto p = Make(7, 10, [](int c, int) { return c == 3 ? 8.0f : 0.0f; });
  RemoveBadPoints(*p, 1.0f);
  // Row r takes (value below, already replaced, + 8 above) / 8.
  float below = 8.0f;
  for (int r = 1; r <= 8; ++r) {
    const float expected = (below + 8.0f) / 8.0f;
    EXPECT_EQ(p->RowTable[r][3], expected) << r;
    below = expected;
  }
  EXPECT_EQ(p->RowTable[1][3], 2.0f);
  EXPECT_EQ(p->RowTable[2][3], 1.25f);
  // The bottom and top rows: five neighbours, one of them the replaced value above or below.
  EXPECT_EQ(p->RowTable[0][3], 2.0f / 5.0f);
  EXPECT_EQ(p->RowTable[9][3], static_cast<float>(static_cast<long double>(p->RowTable[8][3]) / 5));
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 7; ++c)
      if (c != 3) {
        EXPECT_EQ(p->RowTable[r][c], 0.0f);
      }

  // A horizontal line only differs from the values above and below it: it stays.
  auto h = Make(10, 7, [](int, int r) { return r == 3 ? 8.0f : 0.0f; });
  RemoveBadPoints(*h, 1.0f);
  for (int c = 1; c < 9; ++c) EXPECT_EQ(h->RowTable[3][c], 8.0f);
}

TEST(BadPoints, TwoAdjacentSpikesProtectEachOther) {
  auto p = Flat(8, 5, 0.0f);
  p->RowTable[2][3] = 10.0f;
  p->RowTable[2][4] = 10.0f;
  RemoveBadPoints(*p, 5.0f);
  EXPECT_EQ(p->RowTable[2][3], 10.0f);
  EXPECT_EQ(p->RowTable[2][4], 10.0f);
}

TEST(BadPoints, ARampIsReplacedUsingTheValueJustWrittenToItsLeft) {
  auto p = Flat(7, 3, 0.0f);
  const float ramp[] = {0, 10, 20, 10, 0};
  for (int c = 0; c < 5; ++c) p->RowTable[1][c + 1] = ramp[c];
  RemoveBadPoints(*p, 5.0f);
  EXPECT_EQ(std::vector<float>(p->RowTable[1], p->RowTable[1] + 7),
            (std::vector<float>{0, 0, 2.5f, 1.5625f, 0.1953125f, 0, 0}));
}

TEST(BadPoints, EdgesAndCornersCompareAlongTheBorder) {
  // A left-edge value that stands out from the values above and below goes; the mean of
  // (r-1, 0), (r+1, 0), (r-1, 1), (r, 1), (r+1, 1).
  auto p = Flat(5, 5, 0.0f);
  p->RowTable[2][0] = 9.0f;
  p->RowTable[2][1] = 8.5f;  // close to its left neighbour: it stays
  RemoveBadPoints(*p, 1.0f);
  EXPECT_EQ(p->RowTable[2][1], 8.5f);
  EXPECT_EQ(p->RowTable[2][0], 8.5f / 5);

  // A corner spike goes when it differs from both of its edge neighbours ...
  auto c = Flat(5, 5, 0.0f);
  c->RowTable[0][4] = 6.0f;
  c->RowTable[1][3] = 3.0f;  // the diagonal neighbour takes part in the mean
  c->RowTable[1][2] = 3.0f;  // (and keeps its place: it does not differ from this one)
  RemoveBadPoints(*c, 1.0f);
  EXPECT_EQ(c->RowTable[0][4], 1.0f);
  // ... and stays when one of them is close to it.
  auto d = Flat(5, 5, 0.0f);
  d->RowTable[4][0] = 6.0f;
  d->RowTable[3][0] = 5.5f;
  RemoveBadPoints(*d, 1.0f);
  EXPECT_EQ(d->RowTable[4][0], 6.0f);
}

TEST(BadPoints, TooSmallPicturesStayAsTheyAre) {
  auto row = FromRows(5, 1, {0, 9, 0, 9, 0});
  RemoveBadPoints(*row, 1.0f);
  EXPECT_EQ(Values(*row), (std::vector<float>{0, 9, 0, 9, 0}));
  auto column = FromRows(1, 5, {0, 9, 0, 9, 0});
  RemoveBadPoints(*column, 1.0f);
  EXPECT_EQ(Values(*column), (std::vector<float>{0, 9, 0, 9, 0}));
}

TEST(BadPoints, MatchesTheDefinitionOnRandomPictures) {
  const int sizes[][2] = {{2, 2}, {2, 9}, {9, 2}, {3, 3}, {31, 17}, {kMaxPictureSide, 60}};
  unsigned seed = 500;
  for (Kind kind : AllKinds())
    for (const auto& size : sizes)
      for (float share : {0.0f, 0.05f, 0.3f}) {
        auto p = Random(size[0], size[1], kind, seed++);
        p->ComputeMinMax();
        const float t = BadPointThreshold(p->Min, p->Max, share * 100.0);
        auto q = Make(size[0], size[1], [&](int c, int r) { return p->RowTable[r][c]; });
        PlainBadPoints(*q, t);
        RemoveBadPoints(*p, t);
        EXPECT_EQ(FirstBitDifference(Values(*p), Values(*q)), -1)
            << KindName(kind) << " " << size[0] << "x" << size[1] << " share " << share;
      }
}

TEST(BadPoints, MeansNearAHalfWayPointRoundAsInExtendedPrecision) {
  // The spike's neighbours above it are 2^24 + 16, 1 and a small d (the others 0): a sum
  // just above 2^24 + 17, half-way between two singles. Extended precision keeps d = 2^-35,
  // so the sum rounds up to 2^24 + 18 and the mean is 2097154.25 (a double sum would drop
  // d and give 2097154); it drops d = 2^-50, so the tie goes to the even 2^24 + 16 and the
  // mean is 2097154 (the exact sum would round up).
  struct {
    float d, mean;
  } const cases[] = {{0x1p-35f, 2097154.25f}, {0x1p-50f, 2097154.0f}};
  for (const auto& k : cases) {
    auto p = Flat(5, 5, 0.0f);
    p->RowTable[3][1] = 16777232.0f;
    p->RowTable[3][2] = 1.0f;
    p->RowTable[3][3] = k.d;
    p->RowTable[2][2] = -3.0e7f;
    RemoveBadPoints(*p, 1.0f);
    EXPECT_EQ(p->RowTable[2][2], k.mean) << k.d;
  }
}

TEST(BadPoints, DifferencesRoundingOntoTheThresholdAreDecidedExactly) {
  // 1 - 2^-30 and 1 + 2^-30 both round to 1 in single, the threshold itself. Exactly,
  // the first is not more than 1 and the second is.
  auto p = Flat(5, 3, 0.0f);
  p->RowTable[1][2] = 1.0f;
  p->RowTable[1][1] = 0x1p-30f;
  p->RowTable[1][3] = 0x1p-30f;
  RemoveBadPoints(*p, 1.0f);
  EXPECT_EQ(p->RowTable[1][2], 1.0f);
  auto q = Flat(5, 3, 0.0f);
  q->RowTable[1][2] = 1.0f;
  q->RowTable[1][1] = -0x1p-30f;
  q->RowTable[1][3] = -0x1p-30f;
  RemoveBadPoints(*q, 1.0f);
  EXPECT_EQ(q->RowTable[1][2], static_cast<float>((-0x1p-30L - 0x1p-30L) / 8));
}
