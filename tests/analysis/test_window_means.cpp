#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "analysis/ProfileSampling.h"
#include "analysis/WindowMeans.h"

namespace {

// Values of very different sizes and signs: single-precision sums of them depend on the
// order of the additions, so any kernel that regroups them gives other bits.
std::vector<float> OrderSensitiveValues(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> mant(-1.0f, 1.0f);
  std::uniform_int_distribution<int> expo(-12, 24);
  std::vector<float> v(n);
  for (float& x : v) x = std::ldexp(mant(rng), expo(rng));
  return v;
}

uint32_t Bits(float v) {
  return std::bit_cast<uint32_t>(v);
}

const TWindowKernel kAllKernels[] = {TWindowKernel::Portable, TWindowKernel::Sse2,
                                     TWindowKernel::Avx, TWindowKernel::Avx512};

std::unique_ptr<TVKMPicture> OrderSensitivePicture(int cols, int rows, unsigned seed) {
  const std::vector<float> v = OrderSensitiveValues(static_cast<size_t>(cols) * rows, seed);
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = v[static_cast<size_t>(r) * cols + c];
  return p;
}

// The row and column averages of one cell, one addition after the other in the window's
// order: display row t is stored row |R - 1 - t|, reflected once more at the top when
// that leaves the image; column |x - W div 2 + k|, the last one at and beyond the right
// edge.
float RowMeanInOrder(const TVKMPicture& M, int W, int r, int x) {
  const int R = M.Rows;
  float s = 0;
  for (int k = 0; k < W; ++k) {
    int j = std::abs(R - 1 - (r - W / 2 + k));
    if (j >= R) j = 2 * R - 1 - j;
    s = s + M.RowTable[j][x];
  }
  return s / static_cast<float>(W);
}

float ColumnMeanInOrder(const TVKMPicture& M, int W, int r, int x) {
  const int R = M.Rows;
  const int C = M.Columns;
  float s = 0;
  for (int k = 0; k < W; ++k) {
    int c = std::abs(x - W / 2 + k);
    if (c >= C) c = C - 1;
    s = s + M.RowTable[R - 1 - r][c];
  }
  return s / static_cast<float>(W);
}

}  // namespace

TEST(WindowMeans, EveryKernelAddsEachColumnInTheWindowsOrder) {
  // Rows of 400 values; ranges that start at odd places and end in every kind of
  // remainder (whole blocks, single vectors, single lanes).
  constexpr int kLength = 400;
  const std::vector<float> values = OrderSensitiveValues(1100 * kLength, 3);
  int kernelsRun = 0;
  for (TWindowKernel kernel : kAllKernels) {
    if (!WindowKernelSupported(kernel)) continue;
    ++kernelsRun;
    for (int W : {1, 2, 3, 17, 130, 1029}) {
      std::vector<const float*> src(W);
      for (int k = 0; k < W; ++k) src[k] = values.data() + static_cast<size_t>(k) * kLength;
      for (auto [from, to] : {std::pair{0, 400}, std::pair{3, 3 + 128 + 64 + 8 + 4 + 3},
                              std::pair{5, 6}, std::pair{7, 7 + 15}, std::pair{0, 0}}) {
        std::vector<float> out(kLength, -7.0f);
        WindowMeans(kernel, src.data(), W, from, to, out.data());
        int orderMatters = 0;
        for (int x = 0; x < kLength; ++x) {
          if (x < from || x >= to) {
            ASSERT_EQ(out[x], -7.0f) << "written outside the range at " << x;
            continue;
          }
          float s = 0, reversed = 0;
          for (int k = 0; k < W; ++k) s = s + src[k][x];
          for (int k = W - 1; k >= 0; --k) reversed = reversed + src[k][x];
          if (Bits(s / W) != Bits(reversed / W)) ++orderMatters;
          ASSERT_EQ(Bits(out[x]), Bits(s / static_cast<float>(W)))
              << "kernel " << static_cast<int>(kernel) << " W " << W << " x " << x;
        }
        // The data tells the orders apart, so a regrouped sum would have been seen.
        if (W >= 17 && to - from >= 100) {
          EXPECT_GT(orderMatters, (to - from) / 2);
        }
      }
    }
  }
  EXPECT_GE(kernelsRun, 1);
}

TEST(WindowMeans, EveryKernelAddsTheTermsToEachSumInOrder) {
  const std::vector<float> terms = OrderSensitiveValues(1027, 8);
  const std::vector<float> start = OrderSensitiveValues(400, 9);
  int kernelsRun = 0;
  for (TWindowKernel kernel : kAllKernels) {
    if (!WindowKernelSupported(kernel)) continue;
    ++kernelsRun;
    for (int n : {0, 1, 5, 1027}) {
      // Whole blocks of every kernel, single vectors and single lanes at the end.
      for (int C : {0, 1, 15, 17, 64 + 8 + 3, 128 + 16 + 1, 259, 400}) {
        std::vector<float> sums(start.begin(), start.begin() + C);
        sums.push_back(-7.0f);
        AddToEach(kernel, terms.data(), n, sums.data(), C);
        ASSERT_EQ(sums[C], -7.0f) << "written past the sums, C " << C;
        for (int x = 0; x < C; ++x) {
          float s = start[x];
          for (int k = 0; k < n; ++k) s = s + terms[k];
          ASSERT_EQ(Bits(sums[x]), Bits(s))
              << "kernel " << static_cast<int>(kernel) << " n " << n << " C " << C << " x " << x;
        }
      }
    }
  }
  EXPECT_GE(kernelsRun, 1);
}

TEST(WindowMeans, WidestKernelIsSupported) {
  EXPECT_TRUE(WindowKernelSupported(WidestWindowKernel()));
  EXPECT_TRUE(WindowKernelSupported(TWindowKernel::Portable));
}

TEST(ProfileRowsAndColumns, EqualTheInOrderSumsOnImagesWiderThanTheVectorBlocks) {
  // Sizes beyond the widest block (128 singles) with ragged ends, widths up to the widest.
  for (auto [cols, rows] : {std::pair{259, 141}, std::pair{133, 300}}) {
    auto p = OrderSensitivePicture(cols, rows, static_cast<unsigned>(cols + rows));
    TWorkMatrix K;
    for (int W : {1, 2, 64, 2 * rows, 2 * rows + 1}) {
      AverageRows(*p, W, K);
      for (int r = 0; r < rows; ++r)
        for (int x = 0; x < cols; ++x)
          ASSERT_EQ(Bits(K.At(r, x)), Bits(RowMeanInOrder(*p, W, r, x)))
              << cols << "x" << rows << " W " << W << " r " << r << " x " << x;
    }
    for (int W : {1, 2, 64, 2 * cols, 2 * cols + 1, 4 * cols - 1, 4 * cols, 4 * cols + 37}) {
      AverageColumns(*p, W, K);
      for (int r = 0; r < rows; ++r)
        for (int x = 0; x < cols; ++x)
          ASSERT_EQ(Bits(K.At(r, x)), Bits(ColumnMeanInOrder(*p, W, r, x)))
              << cols << "x" << rows << " W " << W << " r " << r << " x " << x;
    }
  }
}

TEST(ProfileRowsAndColumns, WidestWindowsOnTheLargestImageEqualTheInOrderSums) {
  auto p = OrderSensitivePicture(kMaxPictureSide, kMaxPictureSide, 5);
  const int W = 2 * kMaxPictureSide + 1;
  TWorkMatrix K;
  AverageRows(*p, W, K);
  for (int r = 0; r < kMaxPictureSide; r += 37)
    for (int x = 0; x < kMaxPictureSide; x += 3)
      ASSERT_EQ(Bits(K.At(r, x)), Bits(RowMeanInOrder(*p, W, r, x))) << r << " " << x;
  for (int x = 0; x < kMaxPictureSide; x += 41)
    for (int r = 0; r < kMaxPictureSide; r += 5)
      ASSERT_EQ(Bits(K.At(r, x)), Bits(RowMeanInOrder(*p, W, r, x))) << r << " " << x;
  AverageColumns(*p, W, K);
  for (int r = 0; r < kMaxPictureSide; r += 37)
    for (int x = 0; x < kMaxPictureSide; x += 3)
      ASSERT_EQ(Bits(K.At(r, x)), Bits(ColumnMeanInOrder(*p, W, r, x))) << r << " " << x;
}
