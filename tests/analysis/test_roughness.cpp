#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "analysis/Roughness.h"

namespace {

std::unique_ptr<TVKMPicture> MakePicture(int cols, int rows, const std::vector<float>& values) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = values[static_cast<size_t>(r) * cols + c];
  return p;
}

}  // namespace

TEST(Roughness, MeanAndPopulationStandardDeviation) {
  auto p = MakePicture(2, 2, {1, 2, 3, 4});
  const auto s = ComputeRoughness(*p);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Mean, 2.5);
  EXPECT_EQ(s->StD, std::sqrt(1.25));
  EXPECT_EQ(RoughnessMessage(p.get(), '.'), "Mean = 2.5\rStD  = 1.11803398874989");
  EXPECT_EQ(RoughnessMessage(p.get(), ','), "Mean = 2,5\rStD  = 1,11803398874989");
}

TEST(Roughness, SumsAreDoublePrecision) {
  // In single precision 2^24 + 1 would be lost; in double both sums are exact.
  auto p = MakePicture(2, 1, {16777216.0f, 1.0f});
  EXPECT_EQ(RoughnessMessage(p.get(), '.'), "Mean = 8388608.5\rStD  = 8388607.5");
}

TEST(Roughness, ZeroAndConstantImages) {
  auto zeros = MakePicture(3, 2, {0, 0, 0, 0, 0, 0});
  EXPECT_EQ(RoughnessMessage(zeros.get(), '.'), "Mean = 0\rStD  = 0");
  auto negative = MakePicture(1, 3, {-2.5f, -2.5f, -2.5f});
  EXPECT_EQ(RoughnessMessage(negative.get(), '.'), "Mean = -2.5\rStD  = 0");
}

TEST(Roughness, RoundingBelowZeroVarianceShowsZero) {
  // 23 values of the single 0.1: Q - S^2/N comes out about -2.8e-17 in double.
  auto p = MakePicture(23, 1, std::vector<float>(23, 0.1f));
  const auto s = ComputeRoughness(*p);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->StD, 0.0);
  EXPECT_EQ(RoughnessMessage(p.get(), '.'), "Mean = 0.100000001490116\rStD  = 0");
}

TEST(Roughness, NothingToShow) {
  EXPECT_FALSE(RoughnessMessage(nullptr, '.'));
  TVKMPicture unsized;
  EXPECT_FALSE(RoughnessMessage(&unsized, '.'));
  auto noColumns = MakePicture(0, 4, {});
  EXPECT_FALSE(RoughnessMessage(noColumns.get(), '.'));
  // Infinite or undefined values give no statistics.
  auto inf = MakePicture(2, 1, {1, std::numeric_limits<float>::infinity()});
  EXPECT_FALSE(RoughnessMessage(inf.get(), '.'));
  auto nan = MakePicture(2, 1, {std::numeric_limits<float>::quiet_NaN(), 1});
  EXPECT_FALSE(RoughnessMessage(nan.get(), '.'));
}
