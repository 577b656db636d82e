#include <gtest/gtest.h>

#include <vector>

#include "analysis/Relief3D.h"

namespace {

std::unique_ptr<TVKMPicture> MakePicture(int cols, int rows, const std::vector<float>& values) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = values[static_cast<size_t>(r) * cols + c];
  p->ComputeMinMax();
  return p;
}

uint8_t At(const TBitmap8& b, int x, int y) {
  return b.ScanLine(y)[x];
}

}  // namespace

TEST(Relief3D, TwoRowsOfBarsByHand) {
  // Stored row 0 holds 0, 0; row 1 holds 1, 1. G = 10, S = 0.
  auto p = MakePicture(2, 2, {0, 0, 1, 1});
  TBitmap8 B;
  ASSERT_TRUE(DrawRelief(*p, 10, 0, B));
  ASSERT_EQ(B.Width, 41);
  ASSERT_EQ(B.Height, 51);
  // Row 1's bars run from B row 21 (index 254) down to row 31, falling by
  // dk = Round(254 / 10) - 1 = 24 per pixel, over row 0's pixels at row 30.
  std::vector<uint8_t> expected(41 * 51, 255);
  for (int x : {20, 21})
    for (int y = 21; y <= 31; ++y) expected[y * 41 + x] = static_cast<uint8_t>(254 - 24 * (y - 21));
  EXPECT_EQ(B.Pixels, expected);
  EXPECT_EQ(At(B, 20, 30), 38);
  EXPECT_EQ(At(B, 21, 31), 14);
  EXPECT_EQ(B.Palette, p->ColourTable.palPalEntry);
}

TEST(Relief3D, ShiftShearsTheRowsToEitherSide) {
  // A flat column of 256 rows with no gain: every cell one pixel at its foot.
  auto p = MakePicture(1, 256, std::vector<float>(256, 3.0f));
  TBitmap8 B;
  ASSERT_TRUE(DrawRelief(*p, 0, 10, B));
  EXPECT_EQ(B.Width, 50);
  EXPECT_EQ(B.Height, 295);
  EXPECT_EQ(At(B, 20, 20), 0);   // stored row 0, at the back
  EXPECT_EQ(At(B, 30, 275), 0);  // the last row, 10 pixels further right
  EXPECT_EQ(At(B, 20, 275), 255);
  ASSERT_TRUE(DrawRelief(*p, 0, -10, B));
  EXPECT_EQ(B.Width, 50);
  EXPECT_EQ(At(B, 30, 20), 0);  // sheared to the left, kept 20 pixels from the edge
  EXPECT_EQ(At(B, 20, 275), 0);
}

TEST(Relief3D, IndicesOutsideTheTableAreHeldAtItsEnds) {
  // A gain far above 254 pixels makes dk = -1: the index climbs past 255 on the way
  // down and stays at 255 instead of wrapping to 0, 1, ...
  auto p = MakePicture(1, 2, {0, 1});
  TBitmap8 B;
  ASSERT_TRUE(DrawRelief(*p, 1000, 0, B));
  EXPECT_EQ(At(B, 20, 21), 254);  // the top of row 1's bar
  EXPECT_EQ(At(B, 20, 22), 255);
  EXPECT_EQ(At(B, 20, 23), 255);
  EXPECT_EQ(At(B, 20, 1021), 255);
  // A value below the recorded minimum gives a negative index: held at 0.
  p->Min = 0.5f;
  ASSERT_TRUE(DrawRelief(*p, 10, 0, B));
  EXPECT_EQ(At(B, 20, 40), 0);  // Round(-0.5 * 10 / 0.5) = -10 pixels: below its foot at 30
}

TEST(Relief3D, SingleRowAndFlatImagesDraw) {
  auto one = MakePicture(3, 1, {0, 1, 2});
  TBitmap8 B;
  ASSERT_TRUE(DrawRelief(*one, 10, 5, B));
  EXPECT_EQ(B.Width, 47);
  EXPECT_EQ(B.Height, 50);
  EXPECT_EQ(At(B, 22, 20), 254);  // value 2: 10 pixels above its foot at 30, no shear
  EXPECT_EQ(At(B, 20, 30), 0);
  auto flat = MakePicture(2, 2, {7, 7, 7, 7});
  ASSERT_TRUE(DrawRelief(*flat, 10, 0, B));
  EXPECT_EQ(At(B, 20, 30), 0);
  EXPECT_EQ(At(B, 21, 31), 0);
  EXPECT_EQ(At(B, 20, 29), 255);
  TVKMPicture empty;
  EXPECT_FALSE(DrawRelief(empty, 10, 0, B));
}

TEST(Relief3D, EditTextsAndLimits) {
  TReliefParams r = ReliefParams("abc", "x");
  EXPECT_EQ(r.Gain, 10);
  EXPECT_EQ(r.Shift, 0);
  EXPECT_TRUE(r.GainReplaced);
  EXPECT_TRUE(r.ShiftReplaced);
  r = ReliefParams(" 12 ", "-7");
  EXPECT_EQ(r.Gain, 12);
  EXPECT_EQ(r.Shift, -7);
  EXPECT_FALSE(r.GainReplaced || r.ShiftReplaced);
  r = ReliefParams("-5", "99999");
  EXPECT_EQ(r.Gain, 0);
  EXPECT_TRUE(r.GainReplaced);
  EXPECT_EQ(r.Shift, kMaxReliefShift);
  EXPECT_TRUE(r.ShiftReplaced);
  // A negative gain draws what gain 0 draws.
  auto p = MakePicture(2, 2, {0, 1, 2, 3});
  TBitmap8 negative, zero;
  ASSERT_TRUE(DrawRelief(*p, -5, 0, negative));
  ASSERT_TRUE(DrawRelief(*p, 0, 0, zero));
  EXPECT_EQ(negative.Pixels, zero.Pixels);
  EXPECT_EQ(negative.Height, 41);
  EXPECT_EQ(ReliefTimeText(0.123456, '.'), "0.12s");
  EXPECT_EQ(ReliefTimeText(1.5, ','), "1,50s");
}
