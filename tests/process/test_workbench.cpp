#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LevelTestSupport.h"
#include "process/NeighbourFilters.h"
#include "process/Workbench.h"
#include "support/RecordingMessages.h"

using namespace leveltest;

namespace {

// A rendered source picture, as an image window holds it.
std::unique_ptr<TVKMPicture> Source(int columns = 12, int rows = 9, unsigned seed = 4) {
  auto p = Random(columns, rows, Kind::Smooth, seed);
  p->ScanPara.XScanRange = 120.0f;
  p->ScanPara.YScanRange = 90.0f;
  p->ScanPara.xPixel = columns;
  p->ScanPara.yPixel = rows;
  TBitmap8 shown;
  p->Render(shown);
  return p;
}

TBitmap8 Rendered(const std::vector<float>& values, int columns, int rows) {
  auto p = FromRows(columns, rows, values);
  TBitmap8 b;
  p->Render(b);
  return b;
}

bool SameBitmap(const TBitmap8& a, const TBitmap8& b) {
  return a.Width == b.Width && a.Height == b.Height && a.Pixels == b.Pixels;
}

}  // namespace

TEST(Workbench, OpeningCopiesTheSourceAndReadsTheSettings) {
  auto src = Source();
  src->Transformed = true;
  RecordingMessages msgs;
  TWorkbench w(msgs);
  TFilterSettings settings;
  settings.ComboBox1 = 2;
  settings.ComboSlop = 3;
  settings.ComboSlopOrder = 1;
  settings.Edit2 = "2.5";
  ASSERT_TRUE(w.OpenInMode(*src, 4, settings));
  EXPECT_EQ(w.SourcePicture, src.get());
  EXPECT_EQ(Values(*w.WorkPicture), Values(*src));
  EXPECT_TRUE(w.WorkPicture->Transformed);
  EXPECT_TRUE(SameBitmap(w.Image1, src->Bitmap));
  EXPECT_TRUE(SameBitmap(w.Image2, src->Bitmap));
  EXPECT_EQ(w.ComboBox1, 2);
  EXPECT_EQ(w.ComboSlop, 3);
  EXPECT_EQ(w.ComboSlopOrder, 1);
  EXPECT_EQ(w.Edit2, "2.5");
  EXPECT_EQ(w.Mode, 4);
  EXPECT_EQ(msgs.beeps, 0);

  // The threshold text is only read by the bad-point mode, the radius only by the sphere.
  TWorkbench other(msgs);
  settings.Kugel = "12";
  ASSERT_TRUE(other.OpenInMode(*src, 0, settings));
  EXPECT_EQ(other.Edit2, "1");
  EXPECT_EQ(other.RadiusEdit.Text, "0");
  TWorkbench sphere(msgs);
  ASSERT_TRUE(sphere.OpenInMode(*src, 9, settings));
  EXPECT_EQ(sphere.RadiusEdit.Text, "12");
}

TEST(Workbench, ModesOutsideTheTableOnlyBeep) {
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 10, {}));
  EXPECT_EQ(msgs.beeps, 1);
  EXPECT_EQ(w.ModeRow(), nullptr);
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Refused);
  EXPECT_EQ(msgs.beeps, 2);
  EXPECT_EQ(Values(*w.WorkPicture), Values(*src));
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(Workbench, TheModeTableNamesCaptionsPanelsAndMouseHandlers) {
  struct Row {
    int mode;
    const char* caption;
    TFilterPanel panel;
    TImage2Mouse mouse;
  };
  const Row rows[] = {
      {0, "LowPass of scan.int", TFilterPanel::Panel3, TImage2Mouse::None},
      {1, "scan.int", TFilterPanel::Panel3, TImage2Mouse::None},
      {3, "scan.int", TFilterPanel::Panel3, TImage2Mouse::None},
      {4, "Bad points removal of scan.int", TFilterPanel::Panel2, TImage2Mouse::None},
      {5, "Histogram of scan.int", TFilterPanel::Panel4, TImage2Mouse::None},
      {6, "FFT of scan.int", TFilterPanel::Panel5, TImage2Mouse::None},
      {7, "Slop of scan.int", TFilterPanel::Panel6, TImage2Mouse::Slop3D},
      {8, "Zoom of scan.int", TFilterPanel::Panel7, TImage2Mouse::Zoom},
      {9, "Spherefilter scan.int", TFilterPanel::Panel7, TImage2Mouse::None},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(WorkbenchCaption(r.mode, "scan.int"), r.caption);
    const TWorkbenchMode* row = FindWorkbenchMode(r.mode);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Panel, r.panel) << r.mode;
    EXPECT_EQ(row->Image2Mouse, r.mouse) << r.mode;
  }
  EXPECT_EQ(FindWorkbenchMode(-1), nullptr);
  EXPECT_EQ(WorkbenchCaption(12, "scan.int"), "scan.int");
}

TEST(Workbench, ModesWithoutAnOperationBeepAndStillRender) {
  for (int mode = 0; mode <= 9; ++mode) {
    if (FindWorkbenchMode(mode)->Do) continue;
    auto src = Source();
    RecordingMessages msgs;
    TWorkbench w(msgs);
    ASSERT_TRUE(w.OpenInMode(*src, mode, {}));
    NoProgress none;
    EXPECT_EQ(w.Do(none), TDoOutcome::Refused) << mode;
    EXPECT_EQ(msgs.beeps, 1) << mode;
    EXPECT_EQ(Values(*w.WorkPicture), Values(*src)) << mode;
  }
}

TEST(Workbench, DoTwiceFiltersTwiceAndUndoRestores) {
  auto src = Source();
  const std::vector<float> original = Values(*src);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 0, {}));
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  auto twice = FromRows(12, 9, original);
  Filter3x3(*twice, fkLowPass);
  Filter3x3(*twice, fkLowPass);
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), Values(*twice)), -1);
  EXPECT_TRUE(SameBitmap(w.Image2, Rendered(Values(*twice), 12, 9)));
  EXPECT_EQ(Values(*src), original);  // the source is untouched until take over

  w.PointCount = 3;
  w.ZoomX1 = 2;
  w.ZoomX2 = 5;
  w.WorkPicture->Transformed = true;
  w.Undo();
  EXPECT_EQ(Values(*w.WorkPicture), original);
  EXPECT_FALSE(w.WorkPicture->Transformed);
  EXPECT_TRUE(SameBitmap(w.Image1, Rendered(original, 12, 9)));
  EXPECT_TRUE(SameBitmap(w.Image2, w.Image1));
  EXPECT_EQ(w.PointCount, 0);
  EXPECT_EQ(w.ZoomX1, 2);  // the zoom square survives undo
  EXPECT_EQ(w.ZoomX2, 5);
}

TEST(Workbench, TheFilterModeFollowsTheListAndBeepsWithoutAnItem) {
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 0, {}));
  NoProgress none;
  w.ComboBox1 = fkLaplace;
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(w.Mode, fkLaplace);
  auto expected = FromRows(12, 9, Values(*src));
  Filter3x3(*expected, fkLaplace);
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), Values(*expected)), -1);

  const std::vector<float> before = Values(*w.WorkPicture);
  w.ComboBox1 = -1;
  EXPECT_EQ(w.Do(none), TDoOutcome::Refused);
  EXPECT_EQ(msgs.beeps, 1);
  EXPECT_EQ(w.Mode, fkLaplace);
  EXPECT_EQ(Values(*w.WorkPicture), before);
  w.ComboBox1 = fkBeleuchtung;  // a chosen item works again
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(w.Mode, fkBeleuchtung);
}

TEST(Workbench, TakeOverWritesTheValuesButNotTheTransformedFlag) {
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 7, {}));
  w.ComboSlop = smLines;
  w.ComboSlopOrder = soFirst;
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  w.WorkPicture->Transformed = true;
  const std::vector<float> result = Values(*w.WorkPicture);
  w.TakeOver();
  EXPECT_EQ(Values(*src), result);
  EXPECT_FALSE(src->Transformed);
}

TEST(Workbench, TakeOverOfACropResizesTheSourceAndScalesItsRanges) {
  auto src = Source(10, 8);
  src->ScanPara.XScanRange = 100.0f;
  src->ScanPara.YScanRange = 0.3f;
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 8, {}));
  // What a crop leaves: a smaller working copy.
  w.WorkPicture->SetSize(5, 2);
  for (int i = 0; i < 10; ++i) w.WorkPicture->Data()[i] = static_cast<float>(i);
  w.TakeOver();
  EXPECT_EQ(src->Columns, 5);
  EXPECT_EQ(src->Rows, 2);
  EXPECT_EQ(Values(*src), (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(src->ScanPara.XScanRange, 50.0f);
  EXPECT_EQ(src->ScanPara.YScanRange, 0.3f / 8.0f * 2.0f);  // single division, then product
  EXPECT_EQ(src->ScanPara.xPixel, 10);
  EXPECT_EQ(src->ScanPara.yPixel, 8);
}

TEST(Workbench, BadPointsTakeTheThresholdFromTheSourceRangeAndKeepTheText) {
  // A spike of 10 on a flat 0 source: the range 10 makes 60 % a threshold of 6, so the
  // spike goes; 100 % (threshold 10) keeps it.
  auto src = Make(7, 7, [](int c, int r) { return c == 3 && r == 3 ? 10.0f : 0.0f; });
  TBitmap8 shown;
  src->Render(shown);
  NoProgress none;
  RecordingMessages msgs(',');
  TWorkbench w(msgs);
  TFilterSettings settings;
  settings.Edit2 = " 60,0 ";
  ASSERT_TRUE(w.OpenInMode(*src, 4, settings));
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(w.Edit2, "60");
  EXPECT_EQ(w.WorkPicture->RowTable[3][3], 0.0f);
  EXPECT_EQ(w.TakeSettingsToStore(),
            (std::vector<std::pair<std::string, std::string>>{{"Edit2", "60"}}));
  EXPECT_TRUE(w.TakeSettingsToStore().empty());

  w.Undo();
  w.Edit2 = "100";
  w.Do(none);
  EXPECT_EQ(w.WorkPicture->RowTable[3][3], 10.0f);

  // Not a number counts as 0 and is shown as "0".
  w.Edit2 = "abc";
  w.Do(none);
  EXPECT_EQ(w.Edit2, "0");
  EXPECT_EQ(w.WorkPicture->RowTable[3][3], 0.0f);
}

TEST(Workbench, BadPointsOnAFlatSourceUseTheThresholdOne) {
  // The source is flat (its range is 0), the working copy gets a spike of 0.9 and one of
  // 1.5: whatever the percentage, only the one above 1 goes.
  auto src = Make(9, 5, [](int, int) { return 4.0f; });
  TBitmap8 shown;
  src->Render(shown);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  TFilterSettings settings;
  settings.Edit2 = "0";
  ASSERT_TRUE(w.OpenInMode(*src, 4, settings));
  w.WorkPicture->RowTable[2][2] = 4.9f;
  w.WorkPicture->RowTable[2][6] = 5.5f;
  NoProgress none;
  w.Do(none);
  EXPECT_EQ(w.WorkPicture->RowTable[2][2], 4.9f);
  EXPECT_EQ(w.WorkPicture->RowTable[2][6], 4.0f);
}

TEST(Workbench, LevelingStartsAtPointsAndZeroOrderWhichIsNotSupported) {
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 7, {}));
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Refused);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{"Method not supported!"});
  EXPECT_EQ(Values(*w.WorkPicture), Values(*src));
}

TEST(Workbench, PointClicksMarkUpToThirtyPointsThatTheLevelingUses) {
  // A plane: its two slopes are recovered from points at the corners of a rectangle.
  auto src = Make(10, 10, [](int c, int r) { return 2.0f + 0.5f * c + 0.25f * r; });
  TBitmap8 shown;
  src->Render(shown);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  TFilterSettings settings;
  settings.ComboSlopOrder = soFirst;
  ASSERT_TRUE(w.OpenInMode(*src, 7, settings));
  NoProgress none;

  // On a 500-pixel control a 10-pixel picture has 50 control pixels per picture pixel.
  TPicturePixel at;
  ASSERT_TRUE(w.MarkPoint(w.PicturePixel(100, 100, 500, 500), at));
  EXPECT_EQ(at, (TPicturePixel{2, 2}));
  EXPECT_EQ(w.Points[0], (TSlopPoint{2, 7}));  // line 2 from the top is row 7
  EXPECT_EQ(w.Do(none), TDoOutcome::Refused);  // one point is not enough
  EXPECT_EQ(msgs.Texts().back(), "Not enough points!\nPlease mark points with left mouse button.");
  ASSERT_TRUE(w.MarkPoint(w.PicturePixel(400, 100, 500, 500), at));
  ASSERT_TRUE(w.MarkPoint(w.PicturePixel(100, 400, 500, 500), at));
  ASSERT_TRUE(w.MarkPoint(w.PicturePixel(400, 400, 500, 500), at));
  EXPECT_EQ(w.PointCount, 4);
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(w.PointCount, 0);
  EXPECT_EQ(Values(*w.WorkPicture), std::vector<float>(100, 2.0f));

  // Thirty marks at most; the 31st click is ignored.
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(w.MarkPoint({i % 10, i / 10}, at));
  EXPECT_FALSE(w.MarkPoint({5, 5}, at));
  EXPECT_EQ(w.PointCount, 30);

  // With another method chosen the clicks mark nothing.
  w.Undo();
  w.ComboSlop = smLines;
  EXPECT_FALSE(w.MarkPoint({5, 5}, at));
  EXPECT_EQ(w.PointCount, 0);
}

TEST(Workbench, ThePointerRoundsToPicturePixelsAndTheEdgeClickMarksTheLastPixel) {
  auto src = Source(10, 4);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 7, {}));
  // 10 picture columns on 500 control pixels: x = 25 is 0.5 (ties to even: 0), 75 is 1.5.
  EXPECT_EQ(w.PicturePixel(25, 0, 500, 200).X, 0);
  EXPECT_EQ(w.PicturePixel(75, 0, 500, 200).X, 2);
  EXPECT_EQ(w.PicturePixel(499, 199, 500, 200), (TPicturePixel{10, 4}));  // one past both
  TPicturePixel at;
  ASSERT_TRUE(w.MarkPoint(w.PicturePixel(499, 199, 500, 200), at));
  EXPECT_EQ(at, (TPicturePixel{9, 3}));
  EXPECT_EQ(w.Points[0], (TSlopPoint{9, 0}));  // the last column, the bottom row
  EXPECT_EQ(w.PicturePixel(10, 10, 0, 0), (TPicturePixel{0, 0}));  // a control without size
}

TEST(Workbench, OnlyTheLevelingModeMarksPoints) {
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 8, {}));
  TPicturePixel at;
  EXPECT_FALSE(w.MarkPoint({3, 3}, at));
  EXPECT_EQ(w.PointCount, 0);
}

TEST(Workbench, TheLayoutKeepsTheLeftColumnAndCentresTheResultSquare) {
  // 800 x 578 with buttons 68 high: the column is 185 wide, the panel runs from 187 down
  // to 4 above the buttons (510 - 185 - 4 = 321); the square is limited by the height:
  // min(Round(615 * 0.9) = 554, Round(520.2) = 520) = 520, left 185 + 95 div 2 = 232,
  // top 58 div 2 = 29.
  TFilterLayout l = FilterFormLayout(800, 578, 68);
  EXPECT_EQ(l.Image1.Left, 0);
  EXPECT_EQ(l.Image1.Top, 0);
  EXPECT_EQ(l.Image1.Width, 185);
  EXPECT_EQ(l.Image1.Height, 185);
  EXPECT_EQ(l.Panel1.Top, 510);
  EXPECT_EQ(l.Panel1.Width, 185);
  EXPECT_EQ(l.Panel1.Height, 68);
  EXPECT_EQ(l.ModePanel.Left, 0);
  EXPECT_EQ(l.ModePanel.Top, 187);
  EXPECT_EQ(l.ModePanel.Width, 185);
  EXPECT_EQ(l.ModePanel.Height, 321);
  EXPECT_EQ(l.Image3.Width, 175);
  EXPECT_EQ(l.Image3.Height, 291);
  EXPECT_EQ(l.Image2.Width, 520);
  EXPECT_EQ(l.Image2.Height, 520);
  EXPECT_EQ(l.Image2.Left, 232);
  EXPECT_EQ(l.Image2.Top, 29);

  // Narrow and tall: the width limits, Round(520 * 0.9) = 468; left 185 + 52 div 2 = 211,
  // top 432 div 2 = 216.
  l = FilterFormLayout(705, 900, 68);
  EXPECT_EQ(l.Image2.Width, 468);
  EXPECT_EQ(l.Image2.Height, 468);
  EXPECT_EQ(l.Image2.Left, 211);
  EXPECT_EQ(l.Image2.Top, 216);

  // A client smaller than the column gives empty sizes, never negative ones.
  l = FilterFormLayout(100, 50, 68);
  EXPECT_EQ(l.Image2.Width, 0);
  EXPECT_EQ(l.ModePanel.Height, 0);
  EXPECT_EQ(l.Image3.Height, 0);
}

TEST(Workbench, TheRadiusEditAndRadioButtonsReachOnlyTheirMode) {
  RecordingMessages msgs;
  auto src = Source();
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 7, TFilterSettings{}));
  const std::vector<float> before = Values(*w.WorkPicture);
  // The leveling mode has neither control: nothing changes, nothing is said.
  w.RadiusEdit.Text = "5";
  w.RadiusEditEnter();
  w.LowpassRadio = false;
  w.RadioButton1Click();
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), before), -1);
  EXPECT_EQ(w.RadiusArcPixels, -1);
  EXPECT_TRUE(w.TakeSettingsToStore().empty());
  EXPECT_EQ(msgs.beeps, 0);
  EXPECT_TRUE(msgs.shown.empty());
  // Undo renders Image1 afresh, which takes a radius preview away.
  w.RadiusArcPixels = 12;
  w.Undo();
  EXPECT_EQ(w.RadiusArcPixels, -1);
}
