// The workbench's histogram, FFT and zoom modes driven as the window drives them:
// opening, mouse, "do" (also twice), "undo" and "take over".
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "LevelTestSupport.h"
#include "process/Histogram.h"
#include "process/WorkbenchFft.h"
#include "support/RecordingMessages.h"

using namespace leveltest;

namespace {

// A rendered source picture, as an image window holds it.
std::unique_ptr<TVKMPicture> Rendered(std::unique_ptr<TVKMPicture> p) {
  TBitmap8 shown;
  p->Render(shown);
  return p;
}

// 16 x 11 values 0, 1, ..., 175 row after row: the histogram's bin width is 1, value i
// falls into bin i, and 175 into bin 174.
std::unique_ptr<TVKMPicture> Ramp() {
  return Rendered(Make(16, 11, [](int c, int r) { return static_cast<float>(16 * r + c); }));
}

// Records every progress step.
class StepLog : public Progress {
 public:
  std::vector<std::pair<int, int>> steps;
  void Step(int step, int total) override { steps.emplace_back(step, total); }
};

bool SameBitmap(const TBitmap8& a, const TBitmap8& b) {
  return a.Width == b.Width && a.Height == b.Height && a.Pixels == b.Pixels;
}

std::vector<int32_t> MarkedColumns(const THistogram& h) {
  std::vector<int32_t> marked;
  for (int32_t i = 0; i < kHistogramBins; ++i)
    if (h.Marked(i)) marked.push_back(i);
  return marked;
}

std::vector<int32_t> Span(int32_t from, int32_t to) {
  std::vector<int32_t> v;
  for (int32_t i = from; i <= to; ++i) v.push_back(i);
  return v;
}

}  // namespace

TEST(WorkbenchHistogram, OpeningCountsAndDoClipsFromTheImageAndClearsTheMarks) {
  auto src = Ramp();
  const std::vector<float> original = Values(*src);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, kHistogramMode, {}));
  // Counted at once: one value per bin, two in the last.
  EXPECT_EQ(w.Histogram.HistMin, 0.0f);
  EXPECT_EQ(w.Histogram.HistMax, 175.0f);
  EXPECT_EQ(w.Histogram.BinWidth, 1.0f);
  EXPECT_EQ(w.Histogram.Counts[0], 1);
  EXPECT_EQ(w.Histogram.Counts[173], 1);
  EXPECT_EQ(w.Histogram.Counts[174], 2);
  EXPECT_EQ(w.Histogram.Peak, 2);
  EXPECT_TRUE(MarkedColumns(w.Histogram).empty());

  // A drag from 60 back to 40 marks 40..60; "do" clips to [40, 60].
  HistogramMouseDown(w.Histogram, 60);
  HistogramMouseUp(w.Histogram, 40);
  EXPECT_EQ(MarkedColumns(w.Histogram), Span(40, 60));
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  std::vector<float> clipped;
  for (int i = 0; i < 176; ++i) clipped.push_back(static_cast<float>(std::clamp(i, 40, 60)));
  EXPECT_EQ(Values(*w.WorkPicture), clipped);
  EXPECT_EQ(Values(*src), original);
  // The histogram of the result: its own range, no marks.
  EXPECT_EQ(w.Histogram.HistMin, 40.0f);
  EXPECT_EQ(w.Histogram.HistMax, 60.0f);
  EXPECT_EQ(w.Histogram.BinWidth, 20.0f / 175.0f);
  EXPECT_EQ(w.Histogram.Counts[0], 41);     // 0..40
  EXPECT_EQ(w.Histogram.Counts[174], 116);  // 60..175
  EXPECT_TRUE(MarkedColumns(w.Histogram).empty());
  // The shown result is the clipped picture.
  TBitmap8 expected;
  FromRows(16, 11, clipped)->Render(expected);
  EXPECT_TRUE(SameBitmap(w.Image2, expected));

  // A second "do" without new marks clips the image to the result's own range: the
  // same values again.
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(Values(*w.WorkPicture), clipped);

  // New marks replace the clip instead of adding to it: column 0 (40) and column 87
  // of the new histogram (87 * 20/175 + 40, rounded to single) clip the image's values.
  HistogramMouseDown(w.Histogram, 0);
  HistogramMouseUp(w.Histogram, 0);
  HistogramMouseDown(w.Histogram, 87);
  HistogramMouseUp(w.Histogram, 87);
  const float upper = static_cast<float>(87.0L * static_cast<long double>(20.0f / 175.0f) + 40.0L);
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  std::vector<float> second;
  for (int i = 0; i < 176; ++i) second.push_back(std::clamp(static_cast<float>(i), 40.0f, upper));
  EXPECT_EQ(Values(*w.WorkPicture), second);
}

TEST(WorkbenchHistogram, SeparateDragsClipToTheirWholeSpanAndUndoClearsTheMarks) {
  auto src = Ramp();
  const std::vector<float> original = Values(*src);
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, kHistogramMode, {}));
  HistogramMouseDown(w.Histogram, 10);
  HistogramMouseUp(w.Histogram, 20);
  HistogramMouseDown(w.Histogram, 150);
  HistogramMouseUp(w.Histogram, 160);
  std::vector<int32_t> marks = Span(10, 20);
  for (int32_t i : Span(150, 160)) marks.push_back(i);
  EXPECT_EQ(MarkedColumns(w.Histogram), marks);

  // Undo before "do": the image's values, the histogram counted again, no marks.
  w.Undo();
  EXPECT_TRUE(MarkedColumns(w.Histogram).empty());
  EXPECT_EQ(w.Histogram.Counts[174], 2);
  EXPECT_EQ(Values(*w.WorkPicture), original);

  HistogramMouseDown(w.Histogram, 20);
  HistogramMouseUp(w.Histogram, 10);
  HistogramMouseDown(w.Histogram, 160);
  HistogramMouseUp(w.Histogram, 150);
  NoProgress none;
  w.Do(none);
  std::vector<float> clipped;
  for (int i = 0; i < 176; ++i) clipped.push_back(static_cast<float>(std::clamp(i, 10, 160)));
  EXPECT_EQ(Values(*w.WorkPicture), clipped);

  // Undo after "do": back to the image's values and its histogram.
  w.Undo();
  EXPECT_EQ(Values(*w.WorkPicture), original);
  EXPECT_EQ(w.Histogram.HistMax, 175.0f);
  EXPECT_EQ(w.Histogram.Counts[100], 1);

  // Take over of a clip writes the clipped values.
  w.Histogram.Colours[30] = kHistogramRed;
  w.Do(none);
  w.TakeOver();
  for (int i = 0; i < 176; ++i) EXPECT_EQ(src->Data()[i], 30.0f) << i;
}

TEST(WorkbenchFft, DoTransformsTogglesTheFlagAndUndoClearsIt) {
  // 8 x 6 of the value 2: N = 4, so the bottom-left 4 x 4 block is transformed and the
  // two columns right of it keep their values.
  auto src = Rendered(Make(8, 6, [](int, int) { return 2.0f; }));
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, kFftMode, {}));
  StepLog steps;
  EXPECT_EQ(w.Do(steps), TDoOutcome::Done);
  EXPECT_EQ(steps.steps, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));
  EXPECT_TRUE(w.WorkPicture->Transformed);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 8; ++c) {
      const float expected = r >= 4 || c >= 4 ? 2.0f : (r == 2 && c == 2 ? 32.0f : 0.0f);
      EXPECT_EQ(w.WorkPicture->RowTable[r][c], expected) << r << "," << c;
    }
  EXPECT_EQ(w.WorkPicture->Max, 32.0f);  // rendered

  // The second press shifts the centred peak back to (0, 0): every magnitude is 32.
  w.Do(steps);
  EXPECT_FALSE(w.WorkPicture->Transformed);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(w.WorkPicture->RowTable[r][c], 32.0f);

  // "Log" counts from the next press: log2 32 = 5 at the centre; zero magnitudes one
  // below the smallest logarithm, 4.
  w.Undo();
  EXPECT_FALSE(w.WorkPicture->Transformed);
  EXPECT_EQ(Values(*w.WorkPicture), Values(*src));
  w.CheckBoxLog = true;
  w.Do(steps);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(w.WorkPicture->RowTable[r][c], r == 2 && c == 2 ? 5.0f : 4.0f);

  // Take over writes the spectrum, not the flag.
  w.TakeOver();
  EXPECT_EQ(src->RowTable[2][2], 5.0f);
  EXPECT_EQ(src->RowTable[5][7], 2.0f);
  EXPECT_FALSE(src->Transformed);
}

TEST(WorkbenchFft, AWorkbenchOnACentredSpectrumShiftsItBackFirst) {
  // An impulse of 16 at the centre of a 4 x 4 picture marked as a centred spectrum:
  // shifted back it is an impulse at (0, 0), whose transform is 16 everywhere.
  auto src = Rendered(Make(4, 4, [](int c, int r) { return r == 2 && c == 2 ? 16.0f : 0.0f; }));
  src->Transformed = true;
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, kFftMode, {}));
  NoProgress none;
  w.Do(none);
  EXPECT_EQ(Values(*w.WorkPicture), std::vector<float>(16, 16.0f));
  EXPECT_FALSE(w.WorkPicture->Transformed);
}

TEST(WorkbenchZoom, TheSquareFollowsTheHorizontalDragAndDoCropsAsSeen) {
  // 10 x 8, value 10 * row + column.
  auto src = Rendered(Make(10, 8, [](int c, int r) { return static_cast<float>(10 * r + c); }));
  src->ScanPara.XScanRange = 100.0f;
  src->ScanPara.YScanRange = 0.3f;
  src->ScanPara.xPixel = 10;
  src->ScanPara.yPixel = 8;
  RecordingMessages msgs;
  TWorkbench w(msgs);
  ASSERT_TRUE(w.OpenInMode(*src, kZoomMode, {}));

  ZoomMouseDown(w, {2, 1});
  // Moving without the left button only tells the position.
  TZoomMove move = ZoomMouseMove(w, {7, 3}, false);
  EXPECT_EQ(move.Hint, "X= 7  Y= 3");
  EXPECT_FALSE(move.Dragging);
  EXPECT_EQ(ZoomSquareOf(w).ZoomX2, 2);
  // Dragging: the old outline is drawn again to erase it, then the new one.
  move = ZoomMouseMove(w, {5, 7}, true);
  EXPECT_EQ(move.Hint, "X= 5  Y= 7");
  ASSERT_TRUE(move.Dragging);
  EXPECT_EQ(move.Erase[2], (TPixel{2, 1}));
  EXPECT_EQ(move.Draw[1], (TPixel{2, 4}));  // the height follows the width: 1 + (5 - 2)
  EXPECT_EQ(move.Draw[2], (TPixel{5, 4}));
  EXPECT_EQ(move.Draw[3], (TPixel{5, 1}));
  const TZoomMove next = ZoomMouseMove(w, {6, 2}, true);
  EXPECT_EQ(next.Erase, move.Draw);
  ZoomMouseUp(w, {6, 0});
  EXPECT_EQ(w.ZoomX2, 6);
  EXPECT_EQ(w.ZoomY2, 5);

  // Lines 1..4 of the bitmap are rows 8 - 5 = 3 .. 6; columns 2..5.
  NoProgress none;
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  ASSERT_EQ(w.WorkPicture->Columns, 4);
  ASSERT_EQ(w.WorkPicture->Rows, 4);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(w.WorkPicture->RowTable[r][c], static_cast<float>(10 * (3 + r) + 2 + c));
  EXPECT_EQ(w.Image2.Width, 4);
  EXPECT_EQ(w.Image2.Height, 4);

  // A second press crops the image again with the same square: the same crop.
  const std::vector<float> crop = Values(*w.WorkPicture);
  EXPECT_EQ(w.Do(none), TDoOutcome::Done);
  EXPECT_EQ(Values(*w.WorkPicture), crop);

  // Take over: the image becomes the crop, its ranges shrink with the counts.
  w.TakeOver();
  EXPECT_EQ(src->Columns, 4);
  EXPECT_EQ(src->Rows, 4);
  EXPECT_EQ(Values(*src), crop);
  EXPECT_EQ(src->ScanPara.XScanRange, 40.0f);
  EXPECT_EQ(src->ScanPara.YScanRange, 0.3f / 8.0f * 4.0f);
  EXPECT_EQ(src->ScanPara.xPixel, 10);
  EXPECT_EQ(src->ScanPara.yPixel, 8);
}

TEST(WorkbenchZoom, BackwardDragsClicksAndOtherModes) {
  auto src = Rendered(Make(10, 8, [](int c, int r) { return static_cast<float>(10 * r + c); }));
  RecordingMessages msgs;
  NoProgress none;

  // Right to left over the same columns gives the same square.
  TWorkbench forward(msgs), backward(msgs);
  ASSERT_TRUE(forward.OpenInMode(*src, kZoomMode, {}));
  ASSERT_TRUE(backward.OpenInMode(*src, kZoomMode, {}));
  ZoomMouseDown(forward, {2, 1});
  ZoomMouseUp(forward, {6, 3});
  ZoomMouseDown(backward, {6, 5});
  ZoomMouseUp(backward, {2, 3});
  forward.Do(none);
  backward.Do(none);
  EXPECT_EQ(Values(*backward.WorkPicture), Values(*forward.WorkPicture));
  EXPECT_EQ((std::vector<int>{backward.ZoomX1, backward.ZoomY1, backward.ZoomX2, backward.ZoomY2}),
            (std::vector<int>{2, 1, 6, 5}));  // put in order by "do"

  // A click without movement: nothing happens, the shown picture stays.
  TWorkbench click(msgs);
  ASSERT_TRUE(click.OpenInMode(*src, kZoomMode, {}));
  ZoomMouseDown(click, {3, 3});
  click.Image2.Pixels[0] ^= 1;  // an outline drawn on the shown picture
  const TBitmap8 shown = click.Image2;
  ZoomMouseUp(click, {3, 6});
  EXPECT_EQ(click.Do(none), TDoOutcome::NotRendered);
  EXPECT_TRUE(SameBitmap(click.Image2, shown));
  EXPECT_EQ(Values(*click.WorkPicture), Values(*src));
  EXPECT_EQ(msgs.beeps, 0);

  // A square reaching above the top: of columns 2..9 and lines -5..2 the part in the
  // picture is taken, lines 0..2 (rows 5..7).
  TWorkbench edge(msgs);
  ASSERT_TRUE(edge.OpenInMode(*src, kZoomMode, {}));
  ZoomMouseDown(edge, {10, 3});
  ZoomMouseUp(edge, {2, 0});
  EXPECT_EQ(edge.Do(none), TDoOutcome::Done);
  ASSERT_EQ(edge.WorkPicture->Columns, 8);
  ASSERT_EQ(edge.WorkPicture->Rows, 3);
  EXPECT_EQ(edge.WorkPicture->RowTable[0][0], 52.0f);
  EXPECT_EQ(edge.WorkPicture->RowTable[2][7], 79.0f);

  // Only the zoom mode drags a square; other modes still show the position.
  TWorkbench fft(msgs);
  ASSERT_TRUE(fft.OpenInMode(*src, kFftMode, {}));
  ZoomMouseDown(fft, {1, 1});
  const TZoomMove move = ZoomMouseMove(fft, {4, 4}, true);
  EXPECT_FALSE(move.Dragging);
  EXPECT_EQ(move.Hint, "X= 4  Y= 4");
  EXPECT_EQ(fft.ZoomX2, 1);
}
