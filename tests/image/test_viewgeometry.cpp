#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "image/NumberFormat.h"
#include "image/ViewGeometry.h"

TEST(ViewGeometry, ClientFitIsThreeToTwoWithColourBar) {
  EXPECT_EQ(FitClient(600, 400, true), (TViewSize{600, 400}));
  // Too wide: the width follows the height.
  EXPECT_EQ(FitClient(900, 400, true), (TViewSize{600, 400}));
  // Too high: the height follows (width div 3) * 2.
  EXPECT_EQ(FitClient(451, 500, true), (TViewSize{450, 300}));
  EXPECT_EQ(FitClient(452, 500, true), (TViewSize{450, 300}));
  EXPECT_EQ(FitClient(453, 500, true), (TViewSize{453, 302}));
  // Odd s: (s * 3) div 2 truncates.
  EXPECT_EQ(FitClient(1000, 301, true), (TViewSize{451, 301}));
}

TEST(ViewGeometry, ClientFitIsSquareWithoutColourBar) {
  EXPECT_EQ(FitClient(600, 400, false), (TViewSize{400, 400}));
  EXPECT_EQ(FitClient(250, 400, false), (TViewSize{250, 250}));
  EXPECT_EQ(FitClient(0, 400, false), (TViewSize{0, 0}));
}

TEST(ViewGeometry, SideOfTheSquareImage) {
  EXPECT_EQ(ViewSide(600, 400, true), 400);  // min(400, 420)
  EXPECT_EQ(ViewSide(450, 300, true), 300);  // min(300, 315)
  EXPECT_EQ(ViewSide(300, 400, true), 210);
  // 0.7 * 15 = 10.5 rounds to the even 10.
  EXPECT_EQ(ViewSide(15, 100, true), 10);
  EXPECT_EQ(ViewSide(600, 400, false), 400);
  EXPECT_EQ(ViewSide(300, 400, false), 300);
}

TEST(ViewGeometry, ColourBarFromOuterSize) {
  // 0.8 * 450 = 360, 0.25 * 300 = 75, 4 * round(9) = 36, 4 * round(30) = 120.
  EXPECT_EQ(ZScaleBarRect(450, 300), (TViewRect{360, 75, 36, 120}));
  // 0.02 * 625 = 12.5 -> 12 and 0.1 * 425 = 42.5 -> 42 (half to even);
  // 0.8 * 625 = 500, 0.25 * 425 = 106.25 -> 106.
  EXPECT_EQ(ZScaleBarRect(625, 425), (TViewRect{500, 106, 48, 168}));
  const TViewRect bar{360, 75, 36, 120};
  EXPECT_EQ(bar.Right(), 396);
  EXPECT_EQ(bar.Bottom(), 195);
}

TEST(ViewGeometry, LabelsAboveAndBelowTheBar) {
  const TViewRect bar{360, 75, 36, 120};
  EXPECT_EQ(MaxLabelPos(bar, -11), (TViewPoint{360, 54}));
  EXPECT_EQ(MaxLabelPos(bar, 11), (TViewPoint{360, 54}));
  EXPECT_EQ(MinLabelPos(bar), (TViewPoint{360, 205}));
}

TEST(ViewGeometry, ScaleBarLengthIsARoundTenth) {
  struct Case {
    float range;
    double L;
  };
  const Case cases[] = {{3.7f, 0.4},      {25, 2},         {97, 10},     {0.37f, 0.04},
                        {1, 0.1},         {10, 1},         {10.5f, 1},   {5000, 500},
                        {0.001f, 0.0001}, {123456, 10000}, {0.95f, 0.09}};
  for (const auto& c : cases) {
    const TXYScaleBar bar = XYScaleBar(c.range, 300);
    ASSERT_TRUE(bar.Shown) << c.range;
    EXPECT_NEAR(bar.L, c.L, c.L * 1e-12) << c.range;
    // The label in the general number format is the round number.
    EXPECT_EQ(FormatGeneral(bar.L), FormatGeneral(c.L)) << c.range;
  }
  EXPECT_EQ(FormatGeneral(XYScaleBar(0.37f, 300).L), "0.04");
  EXPECT_EQ(FormatGeneral(XYScaleBar(3.7f, 300).L), "0.4");
}

TEST(ViewGeometry, ScaleBarPixelsAndPlace) {
  // 25 -> L = 2: 2 / 25 * 400 = 32 pixels, centred at round(0.8 * 400) = 320.
  TXYScaleBar bar = XYScaleBar(25, 400);
  EXPECT_EQ(bar.Len, 32);
  EXPECT_EQ(bar.H, 16);
  EXPECT_EQ(bar.Cx, 320);
  EXPECT_EQ(bar.Cy, 320);
  // 3.7 -> 0.4: 300 / 3.7 * 0.4 = 32.43 -> 32.
  bar = XYScaleBar(3.7f, 300);
  EXPECT_EQ(bar.Len, 32);
  EXPECT_EQ(bar.Cx, 240);
  // 97 -> 10: 300 / 97 * 10 = 30.93 -> 31, h = 15.
  bar = XYScaleBar(97, 300);
  EXPECT_EQ(bar.Len, 31);
  EXPECT_EQ(bar.H, 15);
  // 0.8 * 302 = 241.6 -> 242; 0.8 * 5 = 4 .. 0.8 * 15 = 12.
  EXPECT_EQ(XYScaleBar(1, 302).Cx, 242);
}

TEST(ViewGeometry, NoScaleBarWithoutAPositiveFiniteRange) {
  EXPECT_FALSE(XYScaleBar(0, 300).Shown);
  EXPECT_FALSE(XYScaleBar(-5, 300).Shown);
  EXPECT_FALSE(XYScaleBar(std::numeric_limits<float>::quiet_NaN(), 300).Shown);
  EXPECT_FALSE(XYScaleBar(std::numeric_limits<float>::infinity(), 300).Shown);
  // The largest finite range still normalises.
  const TXYScaleBar big = XYScaleBar(std::numeric_limits<float>::max(), 300);
  EXPECT_TRUE(big.Shown);
  EXPECT_GT(big.L, 0);
  EXPECT_TRUE(XYScaleBar(std::numeric_limits<float>::denorm_min(), 300).Shown);
}

TEST(ViewGeometry, NaturalClientShowsOnePixelPerValueWithinLimits) {
  EXPECT_EQ(NaturalClient(256, 256, false, 2000, 2000), (TViewSize{256, 256}));
  EXPECT_EQ(NaturalClient(256, 256, true, 2000, 2000), (TViewSize{384, 256}));
  EXPECT_EQ(NaturalClient(300, 120, false, 2000, 2000), (TViewSize{300, 300}));
  // Small pictures get the minimum, 100 square or 150 x 100.
  EXPECT_EQ(NaturalClient(3, 2, false, 2000, 2000), (TViewSize{100, 100}));
  EXPECT_EQ(NaturalClient(3, 2, true, 2000, 2000), (TViewSize{150, 100}));
  // A small area limits it, keeping the proportion...
  EXPECT_EQ(NaturalClient(514, 514, false, 400, 300), (TViewSize{300, 300}));
  EXPECT_EQ(NaturalClient(514, 514, true, 400, 300), (TViewSize{399, 266}));
  // ...but never below the minimum.
  EXPECT_EQ(NaturalClient(514, 514, true, 90, 60), (TViewSize{150, 100}));
}

TEST(ViewGeometry, LabelsAreKeptInsideTheView) {
  // Fits as placed: unchanged.
  EXPECT_EQ(KeepLabelInView({360, 54}, 50, 13, 450, 300), (TViewPoint{360, 54}));
  // A wide text is moved left until its end meets the right edge.
  EXPECT_EQ(KeepLabelInView({360, 54}, 120, 24, 450, 300), (TViewPoint{330, 54}));
  EXPECT_EQ(KeepLabelInView({360, 290}, 50, 24, 450, 300), (TViewPoint{360, 276}));
  // Wider than the view: it starts at the left edge.
  EXPECT_EQ(KeepLabelInView({100, -5}, 500, 20, 450, 300), (TViewPoint{0, 0}));
}
