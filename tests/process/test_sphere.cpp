#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "process/Sphere.h"
#include "support/RecordingMessages.h"

namespace {

// A picture of `cols` x `rows` whose values are given row after row, row 0 first.
std::unique_ptr<TVKMPicture> MakePicture(int cols, int rows, const std::vector<float>& values) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (size_t i = 0; i < values.size(); ++i) p->Data()[i] = values[i];
  return p;
}

std::vector<float> Values(const TVKMPicture& p) {
  return std::vector<float>(p.Data(), p.Data() + p.ValueCount());
}

TScanPara Para(float range, int pixels, const char* xUnit, const char* zUnit) {
  TScanPara s;
  s.XScanRange = range;
  s.xPixel = pixels;
  s.XPhysUnit = xUnit;
  s.PhysUnit = zUnit;
  return s;
}

// Records every step reported.
struct RecordingProgress : Progress {
  std::vector<std::pair<int, int>> steps;
  void Step(int step, int total) override { steps.push_back({step, total}); }
};

}  // namespace

TEST(SphereBall, OnePixelWideRadiusWithEqualUnitsGivesBallTwoAndHalfTheRadius) {
  const TScanPara para = Para(100.0f, 50, "nm", "nm");  // 2 nm per pixel
  TSphereBall ball;
  ASSERT_TRUE(SphereBallFor(2.0, para, ball));
  EXPECT_EQ(ball.R, 2);
  EXPECT_EQ(ball.z, 1.0);

  ASSERT_TRUE(SphereBallFor(0.0, para, ball));  // radius 0: R = 1, z = 0
  EXPECT_EQ(ball.R, 1);
  EXPECT_EQ(ball.z, 0.0);
}

TEST(SphereBall, SizeRoundsHalfToEven) {
  const TScanPara para = Para(10.0f, 10, "nm", "nm");  // 1 nm per pixel
  TSphereBall ball;
  ASSERT_TRUE(SphereBallFor(1.5, para, ball));  // 2.5 -> 2
  EXPECT_EQ(ball.R, 2);
  ASSERT_TRUE(SphereBallFor(2.5, para, ball));  // 3.5 -> 4
  EXPECT_EQ(ball.R, 4);
  EXPECT_EQ(ball.z, 2.5 / 4);
}

TEST(SphereBall, HeightScaleFromDifferentUnits) {
  struct Case {
    const char* x;
    const char* z;
    double expected;
  } cases[] = {
      {"nm", "\xB5m", 0.000000001 / 0.000001},      // Latin-1 micro sign
      {"nm", "\xC2\xB5m", 0.000000001 / 0.000001},  // the same sign in UTF-8
      {"mm", "nm", 0.001 / 0.000000001},
      {"\xB5m", "nm", 0.000001 / 0.000000001},
      {"\xB5m", "V", 0.000001},  // a unit without prefix leaves z alone
      {"Pixel", "nm", 1.0 / 0.000000001},
      {"A", "pA", 1.0},
      {"nm", "", 0.000000001},
      {"\xB5m", "\xC2\xB5m", 1.0},  // same sign, different bytes: units differ
  };
  for (const Case& c : cases) {
    TSphereBall ball;
    ASSERT_TRUE(SphereBallFor(7.0, Para(100.0f, 100, c.x, c.z), ball)) << c.x << " " << c.z;
    EXPECT_EQ(ball.z, c.expected) << c.x << " " << c.z;
    EXPECT_EQ(ball.R, 8);  // the units do not change the size
  }
}

TEST(SphereBall, ZeroScanRangeTakesTheRadiusInPixels) {
  const TScanPara para = Para(0.0f, 256, "nm", "nm");
  EXPECT_EQ(SphereRadiusInPixels(3.0, para), 3.0);
  TSphereBall ball;
  ASSERT_TRUE(SphereBallFor(3.0, para, ball));
  EXPECT_EQ(ball.R, 4);
  EXPECT_EQ(ball.z, 0.75);
}

TEST(SphereBall, SizesOutsideTheTableAndEndlessScalesFail) {
  TSphereBall ball;
  EXPECT_FALSE(SphereBallFor(-5.0, Para(10.0f, 10, "nm", "nm"), ball));  // R = -4
  EXPECT_FALSE(SphereBallFor(1e6, Para(10.0f, 10, "nm", "nm"), ball));   // beyond kMaxSphereBall
  EXPECT_TRUE(SphereBallFor(kMaxSphereBall - 1.0, Para(10.0f, 10, "nm", "nm"), ball));
  EXPECT_EQ(ball.R, kMaxSphereBall);
  // R = Round(-1 + 1) = 0 with equal units: z = r / 0.
  EXPECT_FALSE(SphereBallFor(-1.0, Para(10.0f, 10, "nm", "nm"), ball));
  // The same size with different units has a finite z.
  EXPECT_TRUE(SphereBallFor(-1.0, Para(10.0f, 10, "nm", "V"), ball));
  EXPECT_EQ(ball.R, 0);
  EXPECT_FALSE(
      SphereBallFor(std::numeric_limits<double>::quiet_NaN(), Para(10.0f, 10, "nm", "nm"), ball));
}

TEST(SphereCapTable, OnePixelBallHoldsCentreRimAndSkippedCorners) {
  std::vector<double> K;
  const double z = 0.75;
  ASSERT_TRUE(SphereCapTable(2, z, K));
  EXPECT_EQ(K.size(), 36u);  // room for (S + 1)^2
  auto at = [&](int i, int j) { return K[i * 5 + j]; };
  for (int c : {0, 4})
    for (int d : {0, 4}) EXPECT_EQ(at(c, d), 0.0);  // squared distance 8 > 5
  EXPECT_EQ(at(2, 2), (3.0 - std::sqrt(5.0)) * z);
  EXPECT_EQ(at(2, 3), (3.0 - 2.0) * z);  // q = 4
  EXPECT_EQ(at(3, 3), (3.0 - std::sqrt(3.0)) * z);
  EXPECT_EQ(at(2, 0), (3.0 - 1.0) * z);  // q = 1
  EXPECT_EQ(at(0, 1), 3.0 * z);          // squared distance 5: q = 0, the rim
  EXPECT_EQ(at(1, 0), 3.0 * z);
  EXPECT_EQ(at(4, 3), at(0, 1));
  EXPECT_EQ(at(3, 1), at(1, 3));
}

TEST(SphereCapTable, FailsForSizesOutsideAndEntriesThatOverflow) {
  std::vector<double> K;
  EXPECT_FALSE(SphereCapTable(-1, 1.0, K));
  EXPECT_TRUE(K.empty());
  EXPECT_FALSE(SphereCapTable(kMaxSphereBall + 1, 1.0, K));
  EXPECT_FALSE(SphereCapTable(3, 1e308, K));  // (R + 1) * z overflows
  EXPECT_TRUE(K.empty());
  ASSERT_TRUE(SphereCapTable(0, 5.0, K));  // one entry, (1 - sqrt(1)) * z = 0
  EXPECT_EQ(K[0], 0.0);
}

TEST(SphereRadius, RadiusAboveAQuarterOfTheWidthIsReduced) {
  const TScanPara para = Para(200.0f, 100, "nm", "nm");  // 2 nm per pixel
  // 101 columns: half = 50, at most 25 pixels.
  TSphereRadius r = SphereAcceptRadius(50.0, 101, para);  // 25 pixels
  EXPECT_TRUE(r.Accepted);
  EXPECT_FALSE(r.Reduced);
  EXPECT_EQ(r.Pixels, 25);
  EXPECT_EQ(r.r, 50.0);

  r = SphereAcceptRadius(51.0, 101, para);  // 25.5 rounds to 26
  EXPECT_TRUE(r.Reduced);
  EXPECT_EQ(r.Pixels, 25);
  EXPECT_EQ(r.r, 50.0);

  r = SphereAcceptRadius(1e300, 101, para);  // far too large, still reduced
  EXPECT_TRUE(r.Accepted);
  EXPECT_EQ(r.Pixels, 25);

  // half = 51 (odd): half / 2 = 25.5 < rp from 26 on; reduced to 51 div 2 = 25.
  r = SphereAcceptRadius(51.0, 103, para);
  EXPECT_TRUE(r.Reduced);
  EXPECT_EQ(r.Pixels, 25);
}

TEST(SphereRadius, ReducedRadiusIsPixelsTimesPixelSize) {
  const TScanPara para = Para(3.0f, 7, "\xB5m", "nm");
  const TSphereRadius r = SphereAcceptRadius(10.0, 40, para);  // half 20, limit 10 pixels
  ASSERT_TRUE(r.Reduced);
  EXPECT_EQ(r.Pixels, 10);
  EXPECT_EQ(r.r, 10.0 * 3.0 / 7.0);
}

TEST(SphereRadius, UnconvertibleRadiiAreRejectedAndZeroRangeCountsPixels) {
  EXPECT_FALSE(
      SphereAcceptRadius(std::numeric_limits<double>::infinity(), 100, Para(10.0f, 100, "nm", "nm"))
          .Accepted);
  EXPECT_FALSE(SphereAcceptRadius(1e300, 100, Para(1e-30f, 100, "nm", "nm")).Accepted);
  EXPECT_FALSE(SphereAcceptRadius(std::nan(""), 100, Para(10.0f, 100, "nm", "nm")).Accepted);
  const TSphereRadius r = SphereAcceptRadius(40.0, 100, Para(0.0f, 100, "nm", "nm"));
  EXPECT_TRUE(r.Reduced);
  EXPECT_EQ(r.Pixels, 25);
  EXPECT_EQ(r.r, 25.0);
  const TSphereRadius negative = SphereAcceptRadius(-3.0, 100, Para(10.0f, 10, "nm", "nm"));
  EXPECT_TRUE(negative.Accepted);  // refused later by the filter
  EXPECT_EQ(negative.Pixels, -3);
}

TEST(SphereReflect, MirrorsAtBothEndsAndAgainForWideBalls) {
  EXPECT_EQ(SphereReflect(0, 5), 0);
  EXPECT_EQ(SphereReflect(-1, 5), 1);
  EXPECT_EQ(SphereReflect(-4, 5), 4);
  EXPECT_EQ(SphereReflect(5, 5), 3);
  EXPECT_EQ(SphereReflect(8, 5), 0);
  // Beyond one reflection: 9 -> -1 -> 1, -10 -> 10 -> -2 -> 2, 12 -> 4.
  EXPECT_EQ(SphereReflect(9, 5), 1);
  EXPECT_EQ(SphereReflect(-10, 5), 2);
  EXPECT_EQ(SphereReflect(12, 5), 4);
  for (int n : {-130, -1, 0, 1, 129}) EXPECT_EQ(SphereReflect(n, 1), 0);
  EXPECT_EQ(SphereReflect(3, 2), 1);
  EXPECT_EQ(SphereReflect(-3, 2), 1);
}

TEST(SphereFilter, PeakIsSeenThroughTheCapAndTheMirror) {
  // Different units without prefixes: z = 1. One pixel per unit, r = 0.1 gives
  // R = Round(1.1) = 1: a 3 x 3 table with centre 2 - sqrt(2), sides 1, corners 2.
  auto image = MakePicture(3, 1, {0.0f, 10.0f, 0.0f});
  image->ScanPara = Para(3.0f, 3, "Pixel", "Pixel2");
  auto work = MakePicture(3, 1, {0, 0, 0});
  RecordingMessages msg;
  NoProgress none;
  // The left value sees 10 - 1 through its right side and, mirrored at the edge,
  // through its left side (rows above and below mirror onto the one row and pay
  // the corner height 2). The peak keeps itself: 10 - (2 - sqrt 2) is lower.
  ASSERT_EQ(SphereFilterPlain(*image, *work, 0.1, true, none, msg), TSphereRun::Done);
  EXPECT_EQ(Values(*work), (std::vector<float>{9.0f, 10.0f, 9.0f}));
  ASSERT_EQ(SphereFilterPlain(*image, *work, 0.1, false, none, msg), TSphereRun::Done);
  EXPECT_EQ(Values(*work), (std::vector<float>{-9.0f, 0.0f, -9.0f}));
  ASSERT_EQ(SphereFilter(*image, *work, 0.1, false, none, msg), TSphereRun::Done);
  EXPECT_EQ(Values(*work), (std::vector<float>{-9.0f, 0.0f, -9.0f}));
  EXPECT_TRUE(msg.shown.empty());
}

TEST(SphereFilter, FlatImagesAndRadiusZeroKeepTheImage) {
  auto flat = MakePicture(6, 4, std::vector<float>(24, -3.25f));
  flat->ScanPara = Para(6.0f, 6, "nm", "nm");
  auto work = MakePicture(6, 4, std::vector<float>(24, 99.0f));
  RecordingMessages msg;
  NoProgress none;
  // Every cap height is positive: nothing rises above a flat image.
  ASSERT_EQ(SphereFilter(*flat, *work, 1.0, true, none, msg), TSphereRun::Done);
  EXPECT_EQ(Values(*work), std::vector<float>(24, -3.25f));
  ASSERT_EQ(SphereFilter(*flat, *work, 1.0, false, none, msg), TSphereRun::Done);
  EXPECT_EQ(Values(*work), std::vector<float>(24, 0.0f));

  // Radius 0 with equal units: R = 1, z = 0, every entry is 0 and skipped.
  auto bumpy = MakePicture(3, 2, {1.0f, 5.0f, -2.0f, 7.5f, 0.0f, 3.0f});
  bumpy->ScanPara = Para(3.0f, 3, "nm", "nm");
  auto out = MakePicture(3, 2, {0, 0, 0, 0, 0, 0});
  ASSERT_EQ(SphereFilter(*bumpy, *out, 0.0, true, none, msg), TSphereRun::Done);
  EXPECT_EQ(Values(*out), Values(*bumpy));
  ASSERT_EQ(SphereFilter(*bumpy, *out, 0.0, false, none, msg), TSphereRun::Done);
  EXPECT_EQ(Values(*out), std::vector<float>(6, 0.0f));
  EXPECT_TRUE(msg.shown.empty());
}

TEST(SphereFilter, FailedTableReportsAndLeavesTheWorkingCopy) {
  auto image = MakePicture(4, 1, {1, 2, 3, 4});
  auto work = MakePicture(4, 1, {7, 7, 7, 7});
  NoProgress none;
  struct Case {
    const char* what;
    TScanPara para;
    double r;
  } cases[] = {
      {"negative ball size", Para(4.0f, 4, "nm", "nm"), -20.0},
      {"R = 0 with equal units: z = r / 0", Para(4.0f, 4, "nm", "nm"), -1.0},
      {"beyond the largest ball", Para(4.0f, 4, "mm", "nm"), 1e300},
  };
  for (const Case& c : cases) {
    image->ScanPara = c.para;
    RecordingMessages msg;
    EXPECT_EQ(SphereFilter(*image, *work, c.r, true, none, msg), TSphereRun::InitFailed) << c.what;
    EXPECT_EQ(msg.Texts(), std::vector<std::string>{"Error in Sphere-Init."}) << c.what;
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].kind, TMsgDlgType::mtInformation);
    EXPECT_EQ(Values(*work), std::vector<float>(4, 7.0f)) << c.what;
    RecordingMessages plainMsg;
    EXPECT_EQ(SphereFilterPlain(*image, *work, c.r, true, none, plainMsg), TSphereRun::InitFailed);
    EXPECT_EQ(plainMsg.Texts(), std::vector<std::string>{"Error in Sphere-Init."});
  }
  // A working copy of another size is never written.
  image->ScanPara = Para(4.0f, 4, "nm", "nm");
  auto other = MakePicture(3, 1, {7, 7, 7});
  RecordingMessages msg;
  EXPECT_EQ(SphereFilter(*image, *other, 1.0, true, none, msg), TSphereRun::InitFailed);
  EXPECT_EQ(Values(*other), std::vector<float>(3, 7.0f));
}

TEST(SphereSwitch, SwitchesBetweenLowAndHighPass) {
  auto image = MakePicture(2, 2, {1.5f, -2.0f, 0.1f, 3.0e-8f});
  auto work = MakePicture(2, 2, {1.0f, -2.5f, 0.1f, 1.0f});
  SphereSwitch(*image, *work);
  EXPECT_EQ(Values(*work), (std::vector<float>{0.5f, 0.5f, 0.0f, 3.0e-8f - 1.0f}));
  SphereSwitch(*image, *work);
  EXPECT_EQ(Values(*work), (std::vector<float>{1.0f, -2.5f, 0.1f, 3.0e-8f - (3.0e-8f - 1.0f)}));
}

TEST(SphereProgress, PlainReportsEveryRowAndFastEndsAtTheLastRow) {
  auto image = MakePicture(5, 4, std::vector<float>(20, 1.0f));
  image->ScanPara = Para(5.0f, 5, "nm", "nm");
  auto work = MakePicture(5, 4, std::vector<float>(20, 0.0f));
  RecordingMessages msg;
  RecordingProgress plain;
  ASSERT_EQ(SphereFilterPlain(*image, *work, 1.0, true, plain, msg), TSphereRun::Done);
  EXPECT_EQ(plain.steps, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));

  RecordingProgress fast;
  ASSERT_EQ(SphereFilter(*image, *work, 1.0, true, fast, msg), TSphereRun::Done);
  ASSERT_FALSE(fast.steps.empty());
  EXPECT_EQ(fast.steps.front(), (std::pair<int, int>{0, 3}));
  EXPECT_EQ(fast.steps.back(), (std::pair<int, int>{3, 3}));
  for (size_t i = 1; i < fast.steps.size(); ++i) {
    EXPECT_GE(fast.steps[i].first, fast.steps[i - 1].first);
    EXPECT_EQ(fast.steps[i].second, 3);
  }
}
