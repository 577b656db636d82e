// The fast sphere dilation against the plain definition: the same doubles, bit for
// bit, on every kind of picture and ball.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "process/Sphere.h"
#include "support/RecordingMessages.h"

namespace {

std::vector<float> Uniform(int rows, int cols, unsigned seed, float lo, float hi) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(lo, hi);
  std::vector<float> v(static_cast<size_t>(rows) * cols);
  for (float& x : v) x = u(rng);
  return v;
}

// Both dilations of `image` with ball size R and height scale z; the first value
// that differs is reported.
void ExpectSameDilation(const std::vector<float>& image, int rows, int cols, int R, double z,
                        int threads = 1) {
  std::vector<double> K;
  ASSERT_TRUE(SphereCapTable(R, z, K));
  std::vector<double> plain(image.size()), fast(image.size());
  NoProgress none;
  SphereDilatePlain(image.data(), rows, cols, R, K, plain.data(), none);
  SphereDilate(image.data(), rows, cols, R, K, fast.data(), none, threads);
  for (size_t i = 0; i < image.size(); ++i) {
    if (std::memcmp(&plain[i], &fast[i], sizeof(double)) != 0) {
      ADD_FAILURE() << rows << " x " << cols << ", R " << R << ", z " << z << ": value " << i
                    << " plain " << plain[i] << " fast " << fast[i];
      return;
    }
  }
}

std::unique_ptr<TVKMPicture> Picture(int cols, int rows, const std::vector<float>& v) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  std::memcpy(p->Data(), v.data(), v.size() * sizeof(float));
  return p;
}

}  // namespace

TEST(SphereEquality, RandomImagesOverManyRadii) {
  // Height scales from a nearly flat ball (the maximum of the disc decides) to a
  // steep one (only the centre survives), on values between 0 and 100.
  const int radii[] = {1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  15,  16, 17,
                       21, 27, 32, 33, 40, 50, 64, 81, 100, 128, 129, 130};
  const double scales[] = {1e-4, 0.05, 1.0, 30.0};
  unsigned seed = 1;
  for (int R : radii)
    for (double z : scales) ExpectSameDilation(Uniform(19, 27, seed++, 0.0f, 100.0f), 19, 27, R, z);
}

TEST(SphereEquality, SizesFromOneValueToWideAndTall) {
  const int sizes[][2] = {{1, 1},  {1, 2},  {2, 1},   {1, 40},  {40, 1},  {2, 2},
                          {3, 50}, {50, 3}, {16, 16}, {17, 33}, {33, 17}, {5, 64}};
  unsigned seed = 100;
  for (const auto& s : sizes)
    for (int R : {1, 2, 5, 9, 20, 64})
      ExpectSameDilation(Uniform(s[0], s[1], seed++, -5.0f, 5.0f), s[0], s[1], R, 0.2);
}

TEST(SphereEquality, FlatQuantisedAndSmoothSurfaces) {
  const int rows = 40, cols = 47;
  std::vector<float> flat(rows * cols, 12.5f), steps(rows * cols), levels(rows * cols),
      plane(rows * cols), gentle(rows * cols), ripple(rows * cols);
  std::mt19937 rng(7);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < cols; ++x) {
      const int i = y * cols + x;
      steps[i] = x < 20 ? 0.0f : (y < 15 ? 4.0f : 9.0f);
      levels[i] = static_cast<float>(rng() % 4);  // many equal values: ties everywhere
      plane[i] = 3.0f * x - 0.7f * y;             // steeper than the cap over most of it
      gentle[i] = 0.1f * x + 0.02f * y + 0.001f * static_cast<float>(rng() % 100);
      ripple[i] = 20.0f * std::sin(0.3f * x) * std::cos(0.2f * y) + 0.1f * x;
    }
  for (const auto* image : {&flat, &steps, &levels, &plane, &gentle, &ripple})
    for (int R : {1, 3, 11, 25, 45})
      for (double z : {0.01, 1.0, 6.0}) ExpectSameDilation(*image, rows, cols, R, z);
}

TEST(SphereEquality, ReflectionAtAllFourEdges) {
  // A spike beside each edge of a zero picture. The far side never sees it (a wrong
  // reflection, wrapping around, would bring it close); its own edge sees it as the
  // definition says.
  const int rows = 13, cols = 21;
  const int at[][2] = {{0, 10}, {12, 10}, {6, 0}, {6, 20}, {0, 0}, {12, 20}};
  for (const auto& p : at) {
    std::vector<float> image(rows * cols, 0.0f);
    image[p[0] * cols + p[1]] = 100.0f;
    for (int R : {2, 6, 12, 25}) ExpectSameDilation(image, rows, cols, R, 1.0);
    std::vector<double> K;
    ASSERT_TRUE(SphereCapTable(4, 1.0, K));
    std::vector<double> m(image.size());
    NoProgress none;
    SphereDilate(image.data(), rows, cols, 4, K, m.data(), none);
    // The spike itself stays; a value 3 cells away along a row or column sees
    // 100 - (5 - sqrt(17 - 9)).
    EXPECT_EQ(m[p[0] * cols + p[1]], 100.0);
    const int y3 = p[0] == 12 ? 9 : (p[0] == 0 ? 3 : p[0]);
    const int x3 = p[0] == 0 || p[0] == 12 ? p[1] : (p[1] == 0 ? 3 : 17);
    EXPECT_EQ(m[y3 * cols + x3], 100.0 - (5.0 - std::sqrt(8.0)));
    EXPECT_EQ(m[(rows - 1 - p[0]) * cols + (cols - 1 - p[1])], 0.0);
  }
}

TEST(SphereEquality, BallsWiderThanThePicture) {
  unsigned seed = 300;
  for (int R : {3, 7, 20, 64, 130})
    for (const auto& s : {std::pair{4, 6}, std::pair{7, 3}, std::pair{1, 9}})
      ExpectSameDilation(Uniform(s.first, s.second, seed++, 0.0f, 1.0f), s.first, s.second, R,
                         0.003);
}

TEST(SphereEquality, MissingAndEndlessValues) {
  const int rows = 24, cols = 31;
  std::vector<float> image = Uniform(rows, cols, 11, 0.0f, 10.0f);
  const float inf = std::numeric_limits<float>::infinity();
  image[5] = std::numeric_limits<float>::quiet_NaN();
  image[cols * 10 + 3] = std::numeric_limits<float>::quiet_NaN();
  image[cols * 20 + 20] = -inf;
  image[cols * 3 + 30] = -0.0f;
  for (int R : {1, 4, 9}) ExpectSameDilation(image, rows, cols, R, 0.5);
  image[cols * 12 + 15] = inf;
  for (int R : {1, 4, 9}) ExpectSameDilation(image, rows, cols, R, 0.5);
}

TEST(SphereEquality, ThreadCountDoesNotChangeTheResult) {
  const int rows = 60, cols = 70;
  const std::vector<float> image = Uniform(rows, cols, 21, -1.0f, 1.0f);
  for (int threads : {1, 2, 3, 7}) ExpectSameDilation(image, rows, cols, 17, 0.01, threads);
}

TEST(SphereEquality, UnitCombinationsThroughTheFilter) {
  const int rows = 30, cols = 36;
  struct Case {
    const char* x;
    const char* z;
    float range;
    double r;
    float lo, hi;
  } cases[] = {
      {"nm", "nm", 72.0f, 9.0, -20.0f, 20.0f},      // equal units, 2 nm pixels
      {"nm", "nm", 36.0f, 4.5, 0.0f, 1.0f},         // equal units, heights below a pixel
      {"nm", "\xB5m", 360.0f, 50.0, 0.0f, 0.002f},  // heights in µm
      {"\xB5m", "nm", 3.6f, 0.9, 0.0f, 5000.0f},    // heights in nm under µm pixels
      {"mm", "nm", 0.036f, 0.008, 0.0f, 3e6f},      {"nm", "mm", 360.0f, 80.0, 0.0f, 1e-4f},
      {"\xC2\xB5m", "V", 2.0f, 0.4, -10.0f, 10.0f},
  };
  unsigned seed = 500;
  for (const Case& c : cases) {
    auto image = Picture(cols, rows, Uniform(rows, cols, seed++, c.lo, c.hi));
    image->ScanPara.XScanRange = c.range;
    image->ScanPara.xPixel = cols;
    image->ScanPara.XPhysUnit = c.x;
    image->ScanPara.PhysUnit = c.z;
    for (bool low : {true, false}) {
      auto plain = Picture(cols, rows, std::vector<float>(rows * cols, 0.0f));
      auto fast = Picture(cols, rows, std::vector<float>(rows * cols, 0.0f));
      RecordingMessages msg;
      NoProgress none;
      ASSERT_EQ(SphereFilterPlain(*image, *plain, c.r, low, none, msg), TSphereRun::Done);
      ASSERT_EQ(SphereFilter(*image, *fast, c.r, low, none, msg), TSphereRun::Done);
      EXPECT_EQ(std::memcmp(plain->Data(), fast->Data(), rows * cols * sizeof(float)), 0)
          << c.x << " / " << c.z << (low ? " low-pass" : " high-pass");
    }
  }
}

TEST(SphereEquality, LargePictureAtAThirdOfTheLargestBall) {
  const int rows = 96, cols = 514;
  std::vector<float> image(rows * cols);
  std::mt19937 rng(31);
  std::normal_distribution<float> noise(0.0f, 0.3f);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < cols; ++x)
      image[y * cols + x] =
          0.01f * x + std::sin(0.08f * x) * std::cos(0.05f * y) * 4.0f + noise(rng);
  ExpectSameDilation(image, rows, cols, 43, 0.3, 2);
}

TEST(SphereEquality, CandidatesWhoseRoundedValuesTie) {
  // Values near 1e8 with cap heights below their last digit: many candidates round
  // to the same double while their exact values differ. Deciding between them on
  // the rounded values drops the one that leads a little further on.
  const std::vector<float> image = {
      1e8f,         1e8f,         1e8f,         100000008.0f, 100000016.0f, 100000016.0f,
      100000008.0f, 1e8f,         1e8f,         1e8f,         100000016.0f, 100000008.0f,
      100000008.0f, 100000016.0f, 1e8f,         100000016.0f, 100000016.0f, 100000016.0f,
      100000008.0f, 1e8f,         100000008.0f, 100000008.0f, 100000008.0f, 100000008.0f,
      100000016.0f, 100000016.0f, 1e8f,         100000008.0f, 100000008.0f, 100000008.0f,
      1e8f,         1e8f};
  ExpectSameDilation(image, 2, 16, 11, 2e-8);
  ExpectSameDilation(image, 1, 32, 11, 2e-8);
  std::mt19937 rng(9);
  for (int k = 0; k < 40; ++k) {
    std::vector<float> v(3 * 24);
    for (float& x : v) x = 1e8f + 8.0f * static_cast<float>(rng() % 3);
    ExpectSameDilation(v, 3, 24, 1 + k % 12, (k % 4 + 1) * 1e-8);
  }
}
