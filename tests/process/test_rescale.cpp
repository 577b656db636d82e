#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "process/Rescale.h"
#include "support/RecordingMessages.h"

namespace {

// A one-row picture holding `values`, with Min and Max computed.
std::unique_ptr<TVKMPicture> MakeRow(const std::vector<float>& values) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(static_cast<int>(values.size()), 1);
  for (size_t i = 0; i < values.size(); ++i) p->RowTable[0][i] = values[i];
  p->ComputeMinMax();
  return p;
}

std::vector<float> Values(const TVKMPicture& p) {
  return std::vector<float>(p.Data(), p.Data() + p.ValueCount());
}

}  // namespace

TEST(AxesForm, FormShowFillsTheEditsInTheGeneralFormat) {
  auto p = MakeRow({-1.5f, 3.0f, 0.25f});
  p->ScanPara.XScanRange = 2.5f;
  p->ScanPara.YScanRange = 0.1f;
  p->ScanPara.XPhysUnit = "nm";
  p->ScanPara.YPhysUnit = "um";
  p->ScanPara.PhysUnit = "pA";
  TAxesModel m;
  m.Edit2.State = TEditState::Red;
  m.FormShow(*p, ',');
  EXPECT_EQ(m.Edit1.Text, "2,5");
  EXPECT_EQ(m.Edit2.Text, "0,100000001490116");  // the single 0.1 as it is stored
  EXPECT_EQ(m.Edit3.Text, "4,5");
  EXPECT_EQ(m.Edit4, "nm");
  EXPECT_EQ(m.Edit5, "um");
  EXPECT_EQ(m.Edit6, "pA");
  EXPECT_EQ(m.Edit2.State, TEditState::Red);  // states are not reset
  EXPECT_EQ(m.Edit1.State, TEditState::White);
}

TEST(AxesForm, OkWritesRangesUnitsAndScalesValues) {
  auto p = MakeRow({-1, 3, 0.5f});  // range 4
  TAxesModel m;
  m.FormShow(*p, '.');
  m.Edit1.Text = "12.5";
  m.Edit2.Text = "0.1";
  m.Edit3.Text = "8";  // twice the range
  m.Edit4 = "um";
  m.Edit5 = "mm";
  m.Edit6 = " n m ";  // units as typed
  RecordingMessages msg;
  EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::Applied);
  EXPECT_TRUE(msg.shown.empty());
  EXPECT_EQ(Values(*p), (std::vector<float>{-2, 6, 1}));
  EXPECT_EQ(p->ScanPara.XScanRange, 12.5f);
  EXPECT_EQ(p->ScanPara.YScanRange, 0.1f);
  EXPECT_EQ(p->ScanPara.XPhysUnit, "um");
  EXPECT_EQ(p->ScanPara.YPhysUnit, "mm");
  EXPECT_EQ(p->ScanPara.PhysUnit, " n m ");
  EXPECT_EQ(m.Edit1.State, TEditState::White);
  EXPECT_EQ(m.Edit3.State, TEditState::White);
  EXPECT_EQ(m.Edit1.Text, "12.5");  // OK parses but does not rewrite
}

TEST(AxesForm, RangeWithinOneThousandthKeepsTheValues) {
  // d = 1000: z = 1001 differs by 1, not by more than z / 1000 = 1.001; values stay.
  auto p = MakeRow({0, 1000, 250});
  EXPECT_FALSE(RescalePicture(*p, 1, 1, 1001, "", "", ""));
  EXPECT_EQ(Values(*p), (std::vector<float>{0, 1000, 250}));
  EXPECT_FALSE(RescalePicture(*p, 1, 1, 999.5, "", "", ""));
  EXPECT_EQ(Values(*p), (std::vector<float>{0, 1000, 250}));
  // z = 1002 differs by 2 > 1.002: scaled by 1.002.
  EXPECT_TRUE(RescalePicture(*p, 1, 1, 1002, "", "", ""));
  EXPECT_EQ(Values(*p), (std::vector<float>{0, 1002, 250.5f}));
}

TEST(AxesForm, ScalingUsesTheRangeAsLastComputed) {
  auto p = MakeRow({1, 2});
  p->Min = 0;  // as the last rendering left them
  p->Max = 4;
  EXPECT_TRUE(RescalePicture(*p, 1, 1, 2, "", "", ""));
  EXPECT_EQ(Values(*p), (std::vector<float>{0.5f, 1}));
}

TEST(AxesForm, FlatImageKeepsItsValuesButTakesRangesAndUnits) {
  auto p = MakeRow({5, 5, 5});
  TAxesModel m;
  m.FormShow(*p, '.');
  EXPECT_EQ(m.Edit3.Text, "0");
  m.Edit1.Text = "3";
  m.Edit2.Text = "4";
  m.Edit3.Text = "10";
  m.Edit6 = "V";
  RecordingMessages msg;
  EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::Applied);
  EXPECT_EQ(Values(*p), (std::vector<float>{5, 5, 5}));
  EXPECT_EQ(p->ScanPara.XScanRange, 3.0f);
  EXPECT_EQ(p->ScanPara.YScanRange, 4.0f);
  EXPECT_EQ(p->ScanPara.PhysUnit, "V");

  // An infinite range has no usable factor either.
  auto q = MakeRow({1, std::numeric_limits<float>::infinity()});
  EXPECT_FALSE(RescalePicture(*q, 1, 1, 10, "", "", ""));
  EXPECT_EQ(q->RowTable[0][0], 1.0f);
}

TEST(AxesForm, RedEditRefusesOkUntilTypedIntoOrConfirmed) {
  auto p = MakeRow({0, 2});
  TAxesModel m;
  m.FormShow(*p, '.');
  m.Edit1.Text = "7";
  m.Edit2.Text = "abc";
  m.Edit3.Text = "2";
  m.Edit3.State = TEditState::Silver;
  RecordingMessages msg;

  // The parse stops at Edit2 without a message; Edit3 is not reached.
  EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::ParseFailed);
  EXPECT_TRUE(msg.shown.empty());
  EXPECT_EQ(m.Edit1.State, TEditState::White);
  EXPECT_EQ(m.Edit2.State, TEditState::Red);
  EXPECT_EQ(m.Edit3.State, TEditState::Silver);
  EXPECT_EQ(p->ScanPara.XScanRange, 0.0f);  // nothing written

  EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::Refused);
  EXPECT_EQ(msg.Texts(), std::vector<std::string>{"Please confirm all values first!"});

  // Typing turns it silver, which lifts the refusal; the text still fails to parse.
  m.Edit2.KeyDown();
  EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::ParseFailed);
  EXPECT_EQ(msg.shown.size(), 1u);

  // Confirming a number with Enter lifts it too.
  m.Edit2.Text = "3.25";
  EXPECT_TRUE(m.Edit2.AcceptAndRewrite('.'));
  EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::Applied);
  EXPECT_EQ(p->ScanPara.XScanRange, 7.0f);
  EXPECT_EQ(p->ScanPara.YScanRange, 3.25f);
  EXPECT_EQ(Values(*p), (std::vector<float>{0, 2}));  // z = range: values stay

  // A red Z edit refuses too, and so does a red X edit.
  for (TNumberEdit* e : {&m.Edit1, &m.Edit3}) {
    e->State = TEditState::Red;
    EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::Refused);
    e->State = TEditState::White;
  }
}

TEST(AxesForm, OkWithoutCurrentImageOnlyValidates) {
  TAxesModel m;
  m.Edit1.Text = "1";
  m.Edit2.Text = "2";
  m.Edit3.Text = "3";
  RecordingMessages msg;
  EXPECT_EQ(m.BitBtn2Click(nullptr, msg, '.'), TAxesOkResult::Applied);
  m.Edit3.Text = "x";
  EXPECT_EQ(m.BitBtn2Click(nullptr, msg, '.'), TAxesOkResult::ParseFailed);
  EXPECT_EQ(m.Edit3.State, TEditState::Red);
}

TEST(AxesForm, RangesAndHeightsBeyondTheSingleRangeTurnTheirEditRed) {
  // Enter: the largest single (3.4028235e38) is a range; 3.41e38 is none.
  TNumberEdit e;
  for (const char* ok : {"3.4e38", "-3.4028235e38", "1e-50"}) {
    e.Text = ok;
    EXPECT_TRUE(e.AcceptAndRewriteSingle('.')) << ok;
    EXPECT_EQ(e.State, TEditState::White) << ok;
  }
  for (const char* bad : {"1e39", "3.41e38", "-1e300"}) {
    e.Text = bad;
    EXPECT_FALSE(e.AcceptAndRewriteSingle('.')) << bad;
    EXPECT_EQ(e.State, TEditState::Red) << bad;
    EXPECT_EQ(e.Text, bad);
  }

  // OK: the first edit that is beyond the range stays red; nothing is written.
  auto p = MakeRow({1e38f, 2e38f});
  p->ScanPara.XScanRange = 5;
  p->ScanPara.PhysUnit = "nm";
  struct Case {
    const char *x, *y, *z;
    TNumberEdit TAxesModel::*red;
  };
  // The last case has a finite z, but 3 x the values would leave the single range.
  for (const Case& c :
       {Case{"1e39", "1", "1", &TAxesModel::Edit1}, Case{"1", "-5e38", "1", &TAxesModel::Edit2},
        Case{"1", "1", "1e40", &TAxesModel::Edit3}, Case{"1", "1", "3e38", &TAxesModel::Edit3}}) {
    TAxesModel m;
    m.FormShow(*p, '.');
    m.Edit1.Text = c.x;
    m.Edit2.Text = c.y;
    m.Edit3.Text = c.z;
    m.Edit6 = "pm";
    RecordingMessages msg;
    EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::ParseFailed) << c.z;
    EXPECT_EQ((m.*c.red).State, TEditState::Red) << c.x << c.y << c.z;
    EXPECT_TRUE(msg.shown.empty());
    EXPECT_EQ(p->ScanPara.XScanRange, 5.0f);
    EXPECT_EQ(p->ScanPara.PhysUnit, "nm");
    EXPECT_EQ(Values(*p), (std::vector<float>{1e38f, 2e38f}));
  }
  // A z of 1.5e38 scales by 1.5: 1.5e38 and 3e38 are singles still.
  TAxesModel m;
  m.FormShow(*p, '.');
  m.Edit3.Text = "1.5e38";
  RecordingMessages msg;
  EXPECT_EQ(m.BitBtn2Click(p.get(), msg, '.'), TAxesOkResult::Applied);
  EXPECT_EQ(Values(*p), (std::vector<float>{1.5e38f, 3e38f}));
}
