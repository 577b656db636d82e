#include <gtest/gtest.h>

#include <vector>

#include "analysis/LineProfile.h"

namespace {

std::unique_ptr<TVKMPicture> IndexPicture(int cols, int rows) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = 1000.0f * r + c;
  p->ScanPara.XPhysUnit = p->ScanPara.YPhysUnit = p->ScanPara.PhysUnit = "nm";
  p->ScanPara.XScanRange = p->ScanPara.YScanRange = 1000;
  p->ScanPara.xPixel = cols;
  p->ScanPara.yPixel = rows;
  return p;
}

// A model as the window sets it up: image copy 300 x 300 at (100, 10), graph 300 x 200.
TLineProfileModel MakeModel(int dir, int width, const std::string& number) {
  TLineProfileModel m;
  m.Create(dir, width, number);
  m.Image1 = {100, 10, 300, 300};
  m.GraphWidth = 300;
  m.GraphHeight = 200;
  return m;
}

}  // namespace

TEST(LineProfileModel, OpensOnTheStoredColumn) {
  auto p = IndexPicture(256, 256);
  TLineProfileModel m = MakeModel(1, 1, "40");
  m.SetPicture(p.get());
  EXPECT_EQ(m.Mode, 1);
  EXPECT_EQ(m.ColumnNumber, 40);
  EXPECT_EQ(m.ColumnMarkX, 47);  // Round(40 / 256 * 300)
  EXPECT_EQ(m.NumberText, "40");
  ASSERT_EQ(m.Profile.PointCount(), 256);
  EXPECT_EQ(m.Profile.Values[0], 255040.0f);  // the top of the display is stored row 255
  EXPECT_EQ(m.DistanceUnit, "[nm]");
  EXPECT_EQ(m.LengthText, "1000");  // 256 points x 1000 / 256
  EXPECT_EQ(m.MaxText, "2.55E+5");
  EXPECT_EQ(m.MinText, "4.00E+1");
  EXPECT_EQ(m.ValueUnit, "[nm]");
  TMarkerLine line;
  ASSERT_TRUE(m.MarkerOf(1, line));
  EXPECT_EQ(line, (TMarkerLine{47, 0, 47, 300}));
}

TEST(LineProfileModel, SwitchingModesShowsAndHidesTheirControls) {
  auto p = IndexPicture(64, 64);
  TLineProfileModel m = MakeModel(0, 3, "5");
  m.SetPicture(p.get());
  EXPECT_EQ(m.NumberLabel(), "number");
  EXPECT_EQ(m.WidthText, "3");
  m.ChangeMode(2, m.WidthText);
  EXPECT_EQ(m.Mode, 2);
  EXPECT_TRUE(m.PanelsShown);
  EXPECT_FALSE(m.NumberShown);
  EXPECT_EQ(m.NumberLabel(), "");
  EXPECT_EQ(m.WidthText, "1");
  EXPECT_FALSE(m.WidthEnabled);
  // The width typed before is kept for the averaging modes.
  m.ChangeMode(0, "3");
  EXPECT_FALSE(m.PanelsShown);
  EXPECT_TRUE(m.NumberShown);
  EXPECT_TRUE(m.WidthEnabled);
  EXPECT_EQ(m.AverageWidth, 3);
  m.ChangeMode(3, "3");
  EXPECT_EQ(m.NumberLabel(), "angle");
  EXPECT_EQ(m.Profile.PointCount(), 32);  // (64 - 1) div 2 + 1
  // A stored mode that names no item shows nothing.
  TLineProfileModel none = MakeModel(7, 1, "1");
  none.SetPicture(p.get());
  EXPECT_EQ(none.Mode, -1);
  EXPECT_EQ(none.Profile.PointCount(), 0);
  EXPECT_EQ(none.NumberLabel(), "");
}

TEST(LineProfileModel, MouseOnTheImagePlacesTheLine) {
  auto p = IndexPicture(256, 256);
  TLineProfileModel m = MakeModel(0, 1, "0");
  m.SetPicture(p.get());
  m.ImageMouse(10, 300);  // Round(256 * 300 / 300) = 256, held at 255
  EXPECT_EQ(m.RowNumber, 255);
  EXPECT_EQ(m.RowMarkY, 299);  // Round(255 / 256 * 300)
  EXPECT_EQ(m.Profile.Values[3], 3.0f);
  EXPECT_EQ(TLineProfileModel::AngleAt(200, 150, 300, 300), 0.0f);
  EXPECT_EQ(TLineProfileModel::AngleAt(150, 100, 300, 300), 90.0f);
  EXPECT_EQ(TLineProfileModel::AngleAt(100, 150, 300, 300), 180.0f);
  EXPECT_EQ(TLineProfileModel::AngleAt(150, 200, 300, 300), 270.0f);
  EXPECT_EQ(TLineProfileModel::AngleAt(150, 150, 300, 300), 90.0f);
  EXPECT_EQ(TLineProfileModel::AngleAt(250, 50, 300, 300), 45.0f);
  m.ChangeMode(3, "1");
  m.ImageMouse(150, 250);  // straight below the centre
  EXPECT_EQ(m.Angle, 270.0f);
  EXPECT_EQ(m.NumberText, "270");
  EXPECT_EQ(m.RayX, 149);  // Trunc((cos a + 1) * 150): cos 270 degrees is -1.8e-16
  EXPECT_EQ(m.RayY, 300);  // Trunc((1 - sin a) * 150)
}

TEST(LineProfileModel, TypedNumbersAndWidths) {
  auto p = IndexPicture(20, 10);
  TLineProfileModel m = MakeModel(0, 1, "1");
  m.SetPicture(p.get());
  const std::vector<float> before = m.Profile.Values;
  EXPECT_FALSE(m.NumberEntered("abc"));
  EXPECT_EQ(m.Profile.Values, before);
  EXPECT_TRUE(m.NumberEntered("7"));
  EXPECT_EQ(m.RowNumber, 7);
  EXPECT_EQ(m.Profile.Values[0], 2000.0f);  // display row 7 is stored row 2
  bool cancelled = true;
  EXPECT_TRUE(m.WidthEntered("0", cancelled));
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(m.AverageWidth, 1);
  EXPECT_EQ(m.WidthText, "1");
  EXPECT_FALSE(m.WidthEntered("x2", cancelled));
  EXPECT_EQ(m.AverageWidth, 1);
  EXPECT_EQ(m.WidthText, "x2");
  // Ten rows take at most 21: the edit shows the width in use.
  EXPECT_TRUE(m.WidthEntered("100", cancelled));
  EXPECT_EQ(m.AverageWidth, 21);
  EXPECT_EQ(m.WidthText, "21");
  // Columns take any width: the edit keeps what was typed.
  m.ChangeMode(1, m.WidthText);
  EXPECT_TRUE(m.WidthEntered("100", cancelled));
  EXPECT_EQ(m.AverageWidth, 100);
  EXPECT_EQ(m.WidthText, "100");
  EXPECT_TRUE(m.WidthEntered("2147483647", cancelled));
  EXPECT_EQ(m.WidthText, "2147483647");
  m.ChangeMode(3, m.WidthText);
  EXPECT_EQ(m.WidthText, "360");  // a full turn at most
  m.ShowRadial(450);
  EXPECT_EQ(m.Angle, 90.0f);
  EXPECT_EQ(m.NumberText, "90");
  m.ShowRadial(-90);
  EXPECT_EQ(m.NumberText, "270");
}

TEST(LineProfileModel, MarkerPanelsFollowTheMouseOnlyOverTheImage) {
  auto p = IndexPicture(256, 256);
  TLineProfileModel m = MakeModel(2, 1, "1");
  m.AnyPoint1X = 1;
  m.AnyPoint1Y = 1;
  m.AnyPoint2X = 10;
  m.AnyPoint2Y = 10;
  m.SetPicture(p.get());
  // sx = 256 / 300: cell 1 lies 1.17 pixels into the image, the panel 4 left of that.
  EXPECT_EQ(m.Panel1Left, 97);
  EXPECT_EQ(m.Panel1Top, 7);
  EXPECT_EQ(m.Panel2Left, 108);  // Round(10 / 0.8533 + 96)
  EXPECT_EQ(m.Panel1Hint, "left: x/y [Pixel] : 1/1");
  EXPECT_EQ(m.Profile.PointCount(), 14);  // Round(sqrt(162) + 1)
  m.DragPanel(1, 50, -20);                // x over the image, y above it
  EXPECT_EQ(m.Panel1Left, 143);
  EXPECT_EQ(m.Panel1Top, 7);
  EXPECT_EQ(m.AnyPoint1X, 40);  // Round(47 * 0.8533)
  EXPECT_EQ(m.AnyPoint1Y, 1);
  EXPECT_EQ(m.Panel1Hint, "left: x/y [Pixel] : 40/1");
  EXPECT_EQ(m.Panel2Hint, "right: x/y [Pixel] : 10/10");
  TMarkerLine line;
  ASSERT_TRUE(m.MarkerOf(2, line));
  EXPECT_EQ(line, (TMarkerLine{47, 1, 12, 12}));
  // Points beyond the image are brought to its last cell when the panels are placed.
  m.AnyPoint2X = 999;
  m.PlaceMarkers();
  EXPECT_EQ(m.AnyPoint2X, 255);
}

TEST(LineProfileModel, FreeLineBetweenCellsAsTheCommandLineGivesThem) {
  auto p = IndexPicture(5, 6);
  TLineProfileModel m = MakeModel(2, 1, "1");
  m.SetPicture(p.get());
  m.ShowAnyLineCells(0, 0, 3, 4);
  EXPECT_EQ(m.Profile.X, (std::vector<int32_t>{0, 0, 1, 2, 2, 2}));
  EXPECT_EQ(m.Profile.Y, (std::vector<int32_t>{5, 4, 4, 3, 2, 2}));
  EXPECT_EQ(m.Step, static_cast<float>(1000.0 / 5));
}

TEST(LineProfileModel, LayoutAndMarkerPixels) {
  const TLineFormLayout l = LineFormLayout(636, 449, 644);
  EXPECT_EQ(l.s, 224);  // min(318, Round(224.5))
  EXPECT_EQ(l.d, 22);
  EXPECT_EQ(l.Image1.Left, 335);  // Round(644 * 0.83 - 200)
  EXPECT_EQ(l.Image1.Top, 22);
  EXPECT_EQ(l.Image2.Top, 268);
  EXPECT_EQ(l.Image2.Height, 159);  // 449 - 66 - 224
  EXPECT_EQ(l.CheckBoxTop, 247);
  EXPECT_EQ(l.CheckBoxLeft, 375);
  EXPECT_EQ(l.UnderGraphTop, 434);
  // Labels 17 high under the graph would end at 434 + 17 = 451, below the client.
  const TLineFormLayout fitted = LineFormLayout(636, 449, 644, 17);
  EXPECT_EQ(fitted.Image2.Height, 449 - 2 - 17 - 7 - 268);
  EXPECT_EQ(fitted.UnderGraphTop + 17, 449 - 2);
  // A tall, narrow window: the rule's left (Round(1200 * 0.83 - 200) = 796) would put
  // the 450-pixel image past the right edge.
  const TLineFormLayout tall = LineFormLayout(1190, 900, 1200);
  EXPECT_EQ(tall.s, 450);
  EXPECT_EQ(tall.Image1.Left, 1190 - 8 - 450);
  using P = std::pair<int32_t, int32_t>;
  EXPECT_EQ(LinePixels({0, 0, 3, 0}), (std::vector<P>{{0, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(LinePixels({2, 2, 2, 2}), (std::vector<P>{}));
  EXPECT_EQ(LinePixels({0, 0, 2, 4}), (std::vector<P>{{0, 0}, {1, 1}, {1, 2}, {2, 3}}));
}
