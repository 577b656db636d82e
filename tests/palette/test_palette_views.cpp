#include <gtest/gtest.h>

#include "palette/PaletteViews.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The pixels of column x that are not black, as (y, colour) pairs.
std::vector<std::pair<int, uint32_t>> Column(const ViewPixels& p, int x) {
  std::vector<std::pair<int, uint32_t>> lit;
  for (int y = 0; y < kPaletteViewSide; ++y)
    if (ViewPixel(p, x, y) != kBlack) lit.push_back({y, ViewPixel(p, x, y)});
  return lit;
}

}  // namespace

TEST(PaletteChannelView, CoincidingCurvesMergeAndHiddenOnesVanish) {
  PaletteBytes d{};
  for (int i = 0; i < 256; ++i) {
    d[3 * i] = 100;      // red flat at 100
    d[3 * i + 1] = 100;  // green on top of it
    d[3 * i + 2] = 7;
  }
  ViewPixels p = ChannelViewPixels(d, {true, true, false});
  for (int x : {0, 1, 128, 255}) {
    EXPECT_EQ(Column(p, x), (std::vector<std::pair<int, uint32_t>>{{155, 0xFFFF8000u}})) << x;
  }
  EXPECT_TRUE(Column(p, 256).empty());

  p = ChannelViewPixels(d, {false, true, true});
  EXPECT_EQ(Column(p, 9),
            (std::vector<std::pair<int, uint32_t>>{{155, 0xFF008000u}, {248, 0xFF0000FFu}}));
  p = ChannelViewPixels(d, {false, false, false});
  EXPECT_TRUE(Column(p, 9).empty());
}

TEST(PaletteChannelView, StepsAreVerticalLinesWithBothEnds) {
  PaletteBytes d{};
  d[3 * 5] = 10;
  d[3 * 6] = 20;  // up by 10 at entry 6, back to 0 at entry 7
  ViewPixels p = ChannelViewPixels(d, {true, false, false});
  EXPECT_EQ(Column(p, 5).size(), 11u);  // 255 down to 245
  EXPECT_EQ(Column(p, 5).front().first, 245);
  EXPECT_EQ(Column(p, 5).back().first, 255);
  EXPECT_EQ(Column(p, 6).front().first, 235);
  EXPECT_EQ(Column(p, 6).back().first, 245);
  EXPECT_EQ(Column(p, 7).size(), 21u);  // 235 down to 255
  EXPECT_EQ(Column(p, 8), (std::vector<std::pair<int, uint32_t>>{{255, 0xFFFF0000u}}));
}

TEST(PaletteGridView, CellsGridLinesAndOneRowOutline) {
  PaletteBytes d{};
  for (int k = 0; k < 256; ++k) SetEntryColour(d, k, {uint8_t(k), 1, 2});
  const ViewPixels p = PaletteViewPixels(d, 35, 37);
  // Entry 35: row 2, column 3: x 49..63, y 33..47.
  EXPECT_EQ(ViewPixel(p, 49, 33), 0xFF230102u);
  EXPECT_EQ(ViewPixel(p, 63, 47), 0xFF230102u);
  EXPECT_EQ(ViewPixel(p, 255, 255), 0xFFFF0102u);
  // Grid lines away from the block stay black.
  EXPECT_EQ(ViewPixel(p, 16, 100), kBlack);
  EXPECT_EQ(ViewPixel(p, 100, 16), kBlack);
  EXPECT_EQ(ViewPixel(p, 256, 100), kBlack);
  // The outline runs on the grid lines x = 48, 96 and y = 32, 48, every other pixel.
  EXPECT_EQ(ViewPixel(p, 48, 32), kWhite);
  EXPECT_EQ(ViewPixel(p, 49, 32), kBlack);
  EXPECT_EQ(ViewPixel(p, 50, 32), kWhite);
  EXPECT_EQ(ViewPixel(p, 96, 32), kWhite);
  EXPECT_EQ(ViewPixel(p, 96, 34), kWhite);
  EXPECT_EQ(ViewPixel(p, 96, 48), kWhite);
  EXPECT_EQ(ViewPixel(p, 48, 48), kWhite);
  EXPECT_EQ(ViewPixel(p, 48, 40), kWhite);
  int white = 0;
  for (uint32_t px : p) white += px == kWhite;
  EXPECT_EQ(white, (2 * 48 + 2 * 16) / 2);  // half of the 128 pixels around the block
}

TEST(PaletteGridView, OutlineWrapsFromRowToRow) {
  PaletteBytes d{};
  const ViewPixels p = PaletteViewPixels(d, 30, 35);
  // Start row: from x = 224 to the right border at y = 16, down the border.
  EXPECT_EQ(ViewPixel(p, 224, 16), kWhite);
  EXPECT_EQ(ViewPixel(p, 222, 16), kBlack);
  EXPECT_EQ(ViewPixel(p, 256, 16), kWhite);
  EXPECT_EQ(ViewPixel(p, 256, 18), kWhite);
  // End row: down at x = 64, along the bottom y = 48 to the left border, up it.
  EXPECT_EQ(ViewPixel(p, 64, 40), kWhite);
  EXPECT_EQ(ViewPixel(p, 64, 48), kWhite);
  EXPECT_EQ(ViewPixel(p, 66, 48), kBlack);
  EXPECT_EQ(ViewPixel(p, 0, 48), kWhite);
  EXPECT_EQ(ViewPixel(p, 0, 40), kWhite);
  // Nothing below the end row or above the start row.
  for (int x = 0; x < kPaletteViewSide; ++x) {
    EXPECT_EQ(ViewPixel(p, x, 64), kBlack) << x;
    EXPECT_EQ(ViewPixel(p, x, 0), kBlack) << x;
  }
}
