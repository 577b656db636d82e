#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "LevelTestSupport.h"
#include "process/Sphere.h"
#include "process/WorkbenchSphere.h"
#include "support/RecordingMessages.h"

using namespace leveltest;

namespace {

// A rendered source of `columns` x `rows` values, 10 nm per pixel, heights in nm: a
// rough surface (up to 60 nm) that a ball of a few pixels does not fit into everywhere.
std::unique_ptr<TVKMPicture> Source(int columns = 40, int rows = 30, unsigned seed = 9) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> height(0.0f, 60.0f);
  auto p = Make(columns, rows, [&](int, int) { return height(rng); });
  p->ScanPara.XScanRange = 10.0f * static_cast<float>(columns);
  p->ScanPara.YScanRange = 10.0f * static_cast<float>(rows);
  p->ScanPara.xPixel = columns;
  p->ScanPara.yPixel = rows;
  p->ScanPara.XPhysUnit = "nm";
  p->ScanPara.PhysUnit = "nm";
  TBitmap8 shown;
  p->Render(shown);
  return p;
}

TFilterSettings WithRadius(const std::string& text) {
  TFilterSettings s;
  s.Kugel = text;
  return s;
}

// The filter's result by the plain definition, as a list of values.
std::vector<float> Plain(const TVKMPicture& src, double r, bool lowpass) {
  RecordingMessages quiet;
  TVKMPicture out;
  out.SetSize(src.Columns, src.Rows);
  NoProgress none;
  EXPECT_EQ(SphereFilterPlain(src, out, r, lowpass, none, quiet), TSphereRun::Done);
  return Values(out);
}

TBitmap8 Rendered(const TVKMPicture& p) {
  auto copy = FromRows(p.Columns, p.Rows, Values(p));
  TBitmap8 b;
  copy->Render(b);
  return b;
}

bool SameBitmap(const TBitmap8& a, const TBitmap8& b) {
  return a.Width == b.Width && a.Height == b.Height && a.Pixels == b.Pixels;
}

struct RecordingProgress : Progress {
  std::vector<std::pair<int, int>> steps;
  void Step(int step, int total) override { steps.emplace_back(step, total); }
};

}  // namespace

TEST(WorkbenchSphere, OpeningAcceptsTheStoredRadius) {
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("25")));
  EXPECT_TRUE(w.RadiusEdit.IsWhite());
  EXPECT_EQ(w.RadiusEdit.Text, "25");
  EXPECT_EQ(w.Radius, 25.0);
  // 25 nm at 10 nm per pixel: 2.5 pixels, rounded half to even.
  EXPECT_EQ(w.RadiusArcPixels, 2);
  EXPECT_EQ(w.RadiusHint, "Radius=25 nm");
  EXPECT_EQ(w.TakeSettingsToStore(),
            (std::vector<std::pair<std::string, std::string>>{{"Kugel", "25"}}));
  EXPECT_EQ(w.SphereProgressMax, 29);
  EXPECT_EQ(w.SphereProgressPosition, 0);
  EXPECT_TRUE(w.LowpassRadio);
  EXPECT_TRUE(SameBitmap(w.Image1, Rendered(*src)));
  EXPECT_EQ(Values(*w.WorkPicture), Values(*src));
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(WorkbenchSphere, RadiiAboveAQuarterOfTheWidthAreReduced) {
  // 40 columns: half 20, at most 10 pixels. 150 nm would be 15.
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("150")));
  EXPECT_TRUE(w.RadiusEdit.IsWhite());
  EXPECT_EQ(w.RadiusEdit.Text, "100");
  EXPECT_EQ(w.Radius, 100.0);
  EXPECT_EQ(w.RadiusArcPixels, 10);
  EXPECT_EQ(w.RadiusHint, "Radius=100 nm");
  EXPECT_EQ(w.TakeSettingsToStore(),
            (std::vector<std::pair<std::string, std::string>>{{"Kugel", "100"}}));

  // The reduced radius is written with the window's separator: 10 px of 0.75 nm.
  auto fine = Source();
  fine->ScanPara.XScanRange = 30.0f;
  RecordingMessages comma(',');
  TWorkbench v(comma);
  ASSERT_TRUE(v.OpenInMode(*fine, 9, WithRadius("100")));
  EXPECT_EQ(v.RadiusEdit.Text, "7,5");
  EXPECT_EQ(v.Radius, 7.5);

  // Exactly a quarter stays as typed.
  TWorkbench u(msgs);
  ASSERT_TRUE(u.OpenInMode(*src, 9, WithRadius(" 100")));
  EXPECT_EQ(u.RadiusEdit.Text, " 100");
  EXPECT_EQ(u.RadiusArcPixels, 10);
}

TEST(WorkbenchSphere, ARejectedRadiusRunsNothingUntilAnAcceptedOne) {
  auto src = Source();
  const std::vector<float> original = Values(*src);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("abc")));
  EXPECT_TRUE(w.RadiusEdit.IsRed());
  EXPECT_EQ(w.RadiusArcPixels, -1);
  EXPECT_TRUE(w.TakeSettingsToStore().empty());
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Refused);
  EXPECT_EQ(Values(*w.WorkPicture), original);
  EXPECT_TRUE(msgs.shown.empty());
  EXPECT_EQ(msgs.beeps, 0);

  // Typed and "do" pressed without Enter: accepted first, then run (3 px, R = 4).
  w.RadiusEdit.KeyDown();
  w.RadiusEdit.Text = "30";
  EXPECT_TRUE(w.RadiusEdit.IsSilver());
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_TRUE(w.RadiusEdit.IsWhite());
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), Plain(*src, 30.0, true)), -1);
  EXPECT_TRUE(SameBitmap(w.Image2, Rendered(*w.WorkPicture)));
  EXPECT_EQ(w.TakeSettingsToStore(),
            (std::vector<std::pair<std::string, std::string>>{{"Kugel", "30"}}));

  // A radius whose pixel count is no finite number is rejected like a bad text, and
  // the last accepted radius is kept.
  src->ScanPara.XScanRange = 1e-30f;
  w.RadiusEdit.KeyDown();
  w.RadiusEdit.Text = "1e300";
  EXPECT_FALSE(SphereAcceptRadiusEdit(w));
  EXPECT_TRUE(w.RadiusEdit.IsRed());
  EXPECT_EQ(w.Radius, 30.0);
  EXPECT_EQ(w.Do(none), TDoOutcome::Refused);
}

TEST(WorkbenchSphere, AFinishedResultSwitchesBetweenLowAndHighPass) {
  auto src = Source();
  const std::vector<float> image = Values(*src);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("40")));
  RecordingProgress steps;
  ASSERT_EQ(w.Do(steps), TDoOutcome::Done);
  ASSERT_FALSE(steps.steps.empty());
  EXPECT_EQ(steps.steps.back(), (std::pair<int, int>{29, 29}));
  EXPECT_EQ(w.SphereProgressPosition, 29);
  const std::vector<float> low = Plain(*src, 40.0, true);
  ASSERT_EQ(FirstBitDifference(Values(*w.WorkPicture), low), -1);
  ASSERT_NE(low, image);  // the ball lifts some values

  // Highpass: image - low, in single.
  std::vector<float> high(image.size());
  for (size_t i = 0; i < image.size(); ++i) high[i] = image[i] - low[i];
  EXPECT_TRUE(SphereSelectKind(w, false));
  EXPECT_FALSE(w.LowpassRadio);
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), high), -1);
  EXPECT_TRUE(SameBitmap(w.Image2, Rendered(*w.WorkPicture)));

  // The selected button again: nothing.
  EXPECT_FALSE(SphereSelectKind(w, false));
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), high), -1);

  // Back: image - (image - low), which is low up to rounding.
  std::vector<float> back(image.size());
  for (size_t i = 0; i < image.size(); ++i) back[i] = image[i] - high[i];
  EXPECT_TRUE(SphereSelectKind(w, true));
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), back), -1);

  // The window's path: the radio's state into LowpassRadio, then the click. A second
  // click on the same button changes nothing.
  std::vector<float> again(image.size());
  for (size_t i = 0; i < image.size(); ++i) again[i] = image[i] - back[i];
  w.LowpassRadio = false;
  w.RadioButton1Click();
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), again), -1);
  w.RadioButton1Click();
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), again), -1);
  w.LowpassRadio = true;
  w.RadioButton1Click();

  // After undo the choice only sets the next run's kind.
  w.Undo();
  EXPECT_EQ(w.SphereProgressPosition, 0);
  EXPECT_FALSE(SphereSelectKind(w, false));
  EXPECT_EQ(Values(*w.WorkPicture), image);
  NoProgress none;
  ASSERT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), Plain(*src, 40.0, false)), -1);

  // "do" again reads the source, not the result: the same high-pass.
  ASSERT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), Plain(*src, 40.0, false)), -1);
}

TEST(WorkbenchSphere, AcceptingARadiusEndsSwitchingOfTheShownResult) {
  auto src = Source();
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("20")));
  NoProgress none;
  ASSERT_EQ(w.Do(none), TDoOutcome::Done);
  const std::vector<float> low = Values(*w.WorkPicture);
  w.RadiusEdit.KeyDown();
  w.RadiusEdit.Text = "50";
  ASSERT_TRUE(SphereAcceptRadiusEdit(w));
  EXPECT_EQ(w.SphereProgressPosition, 0);
  EXPECT_EQ(w.RadiusArcPixels, 5);
  EXPECT_FALSE(SphereSelectKind(w, false));
  EXPECT_EQ(Values(*w.WorkPicture), low);
}

TEST(WorkbenchSphere, OneRowPicturesSwitchOnlyAfterARun) {
  // The progress runs from 0 to rows - 1 = 0: a position at its maximum right after
  // opening must not make the unfiltered copy look like a result.
  auto src = Source(16, 1, 3);
  const std::vector<float> image = Values(*src);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("20")));
  EXPECT_EQ(w.SphereProgressMax, 0);
  EXPECT_FALSE(SphereSelectKind(w, false));
  EXPECT_EQ(Values(*w.WorkPicture), image);
  NoProgress none;
  ASSERT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), Plain(*src, 20.0, false)), -1);
  EXPECT_TRUE(SphereSelectKind(w, true));
  const std::vector<float> high = Plain(*src, 20.0, false);
  std::vector<float> low(image.size());
  for (size_t i = 0; i < image.size(); ++i) low[i] = image[i] - high[i];
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), low), -1);
}

TEST(WorkbenchSphere, ATableThatCannotBeMadeIsSaidAndLeavesTheCopy) {
  // A negative radius is accepted (it is a number) but gives no ball.
  auto src = Source();
  const std::vector<float> original = Values(*src);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("-30")));
  EXPECT_TRUE(w.RadiusEdit.IsWhite());
  EXPECT_EQ(w.RadiusArcPixels, -1);  // no circle to preview
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Refused);
  ASSERT_EQ(msgs.shown.size(), 1u);
  EXPECT_EQ(msgs.shown[0].text, "Error in Sphere-Init.");
  EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtInformation);
  EXPECT_EQ(Values(*w.WorkPicture), original);
  EXPECT_FALSE(SphereSelectKind(w, false));
  EXPECT_EQ(Values(*w.WorkPicture), original);
}

TEST(WorkbenchSphere, WithoutAScanRangeTheRadiusIsInPixels) {
  auto src = Source();
  src->ScanPara.XScanRange = 0.0f;
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, 9, WithRadius("3")));
  EXPECT_EQ(w.RadiusArcPixels, 3);
  NoProgress none;
  ASSERT_EQ(w.Do(none), TDoOutcome::Done);
  // 3 pixels: the same as 3 nm on a picture of 1 nm per pixel (R = 4, z = 3 / 4).
  auto perNm = Source();
  perNm->ScanPara.XScanRange = 40.0f;
  EXPECT_EQ(FirstBitDifference(Values(*w.WorkPicture), Plain(*perNm, 3.0, true)), -1);
  // And not the same as 3 nm at 10 nm per pixel (R = 1).
  EXPECT_NE(FirstBitDifference(Values(*w.WorkPicture), Plain(*Source(), 3.0, true)), -1);

  // Larger than a quarter: reduced to 10 pixels, shown as 10.
  w.RadiusEdit.KeyDown();
  w.RadiusEdit.Text = "50";
  ASSERT_TRUE(SphereAcceptRadiusEdit(w));
  EXPECT_EQ(w.RadiusEdit.Text, "10");
  EXPECT_EQ(w.Radius, 10.0);
}
