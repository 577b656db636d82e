#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "process/Histogram.h"

namespace {

void Fill(TVKMPicture& p, int cols, int rows, const std::vector<float>& values) {
  p.SetSize(cols, rows);
  std::memcpy(p.Data(), values.data(), values.size() * sizeof(float));
}

std::vector<float> Values(const TVKMPicture& p) {
  return std::vector<float>(p.Data(), p.Data() + p.ValueCount());
}

// A working copy and its histogram, counted as the workbench counts it.
struct Bench {
  TVKMPicture source, work;
  TBitmap8 image2;
  THistogram h;
  explicit Bench(int cols, int rows, const std::vector<float>& values) {
    Fill(source, cols, rows, values);
    Fill(work, cols, rows, values);
    ComputeHistogram(work, image2, h);
  }
  void Drag(int from, int to) {
    HistogramMouseDown(h, from);
    HistogramMouseUp(h, to);
  }
  // "do": clip, then count again.
  void Do() {
    ASSERT_TRUE(ClipToMarkedRange(h, source, work));
    ComputeHistogram(work, image2, h);
  }
};

// The values 0, 1, ..., 175 (BinWidth 1, HistMin 0), in a 16 x 11 picture.
std::vector<float> Ramp() {
  std::vector<float> v(176);
  for (int i = 0; i < 176; ++i) v[i] = static_cast<float>(i);
  return v;
}

}  // namespace

TEST(Histogram, CountsWithTiesToEvenAndTheLastBinTakesTheTop) {
  Bench b(5, 1, {0.0f, 0.5f, 1.5f, 2.5f, 175.0f});
  EXPECT_EQ(b.h.HistMin, 0.0f);
  EXPECT_EQ(b.h.HistMax, 175.0f);
  EXPECT_EQ(b.h.BinWidth, 1.0f);
  for (int i = 0; i < kHistogramBins; ++i) {
    const int want = i == 0 ? 2 : i == 2 ? 2 : i == 174 ? 1 : 0;
    EXPECT_EQ(b.h.Counts[i], want) << "bin " << i;
    EXPECT_EQ(b.h.Colours[i], kHistogramBlue);
  }
  EXPECT_EQ(b.h.Peak, 2);
  // Counting renders the working copy into the result image.
  EXPECT_EQ(b.image2.Width, 5);
  EXPECT_EQ(b.image2.Height, 1);
}

TEST(Histogram, FlatPictureFillsBinZeroWithWidthOne) {
  Bench b(4, 3, std::vector<float>(12, -2.5f));
  EXPECT_EQ(b.h.BinWidth, 1.0f);
  EXPECT_EQ(b.h.Counts[0], 12);
  EXPECT_EQ(b.h.Peak, 12);
}

TEST(Histogram, BinWidthIsASingleQuotient) {
  // (0.3 - 0.1) in single is 0.2 + 1.5e-8; divided by 175 in single.
  Bench b(2, 1, {0.1f, 0.3f});
  EXPECT_EQ(b.h.BinWidth, (0.3f - 0.1f) / 175.0f);
  EXPECT_NE(b.h.BinWidth, static_cast<float>((0.3 - 0.1) / 175.0));
}

TEST(Histogram, FastCountingEqualsRoundingEveryValueInExtendedPrecision) {
  std::mt19937 rng(5);
  std::normal_distribution<float> noise(0.0f, 3.0f);
  std::uniform_int_distribution<int> step(0, 350);
  for (int kind = 0; kind < 3; ++kind) {
    std::vector<float> v(514 * 300);
    for (size_t i = 0; i < v.size(); ++i) {
      if (kind == 0) v[i] = noise(rng);
      // Half steps of the bin width 1: every other value is a tie.
      if (kind == 1) v[i] = 0.5f * static_cast<float>(step(rng));
      if (kind == 2) v[i] = 1e-30f + 1e-32f * static_cast<float>(step(rng));
    }
    Bench b(514, 300, v);
    std::vector<int> want(kHistogramBins, 0);
    for (float x : v) {
      const long double q = (static_cast<long double>(x) - b.h.HistMin) / b.h.BinWidth;
      long double r = std::nearbyint(q);
      if (r < 0) r = 0;
      if (r > 174) r = 174;
      ++want[static_cast<int>(r)];
    }
    for (int i = 0; i < kHistogramBins; ++i) ASSERT_EQ(b.h.Counts[i], want[i]) << kind << ", " << i;
  }
}

TEST(Histogram, LabelsAreFixedWithThreeDecimals) {
  EXPECT_EQ(HistogramLabel(12.3456f, '.'), "12.346");
  EXPECT_EQ(HistogramLabel(-0.5f, ','), "-0,500");
  EXPECT_EQ(HistogramLabel(0.0f, '.'), "0.000");
  EXPECT_EQ(HistogramLabel(1234.5678f, '.'), "1234.570");
}

TEST(Histogram, ColumnHeightsFollowTheLineRule) {
  THistogram h;
  h.Peak = 20;
  const struct {
    int count, height, top, bottom;
  } cases[] = {
      {20, 100, 1, 99},   // full height: the top line is the line's end, left out
      {10, 100, 51, 99},  // half: Round(50) = 50, end at line 50
      {3, 10, 9, 9},      // Round(1.5) = 2: one line
      {1, 10, 9, 9},   // Round(0.5) = 0 (ties to even): the line runs down one, first point drawn
      {2, 10, 0, -1},  // Round(1) = 1: a line of no length draws nothing
      {0, 10, 0, -1},  // empty bin
  };
  for (const auto& c : cases) {
    h.Counts[7] = c.count;
    const TColumnSpan s = HistogramColumnSpan(h, 7, c.height);
    EXPECT_EQ(s.Top, c.top) << c.count << " of 20 at height " << c.height;
    EXPECT_EQ(s.Bottom, c.bottom) << c.count << " of 20 at height " << c.height;
  }
}

TEST(Histogram, DrawingShowsColumnsInTheirColoursAndFeedbackInRed) {
  THistogram h;
  h.Colours.fill(kHistogramBlue);
  h.Peak = 4;
  h.Counts[3] = 4;  // lines 1..3 of 4
  h.Counts[5] = 2;  // Round(2) = 2: lines 3..3
  h.Counts[6] = 4;
  h.Colours[6] = kHistogramRed;
  const int H = 4;
  auto at = [](const std::vector<uint32_t>& px, int x, int y) {
    return px[y * kHistogramBins + x];
  };

  const std::vector<uint32_t> px = DrawHistogram(h, H);
  ASSERT_EQ(px.size(), static_cast<size_t>(kHistogramBins * H));
  EXPECT_EQ(at(px, 3, 0), kHistogramWhite);
  EXPECT_EQ(at(px, 3, 1), kHistogramBlue);
  EXPECT_EQ(at(px, 3, 3), kHistogramBlue);
  EXPECT_EQ(at(px, 5, 2), kHistogramWhite);
  EXPECT_EQ(at(px, 5, 3), kHistogramBlue);
  EXPECT_EQ(at(px, 6, 2), kHistogramRed);
  EXPECT_EQ(at(px, 4, 3), kHistogramWhite);  // empty bin

  // Feedback from 5 back to 2: the non-empty columns 3 and 5 turn red, nothing else.
  const std::vector<uint32_t> fb = DrawHistogram(h, H, true, 5, 2);
  EXPECT_EQ(at(fb, 3, 1), kHistogramRed);
  EXPECT_EQ(at(fb, 5, 3), kHistogramRed);
  EXPECT_EQ(at(fb, 4, 3), kHistogramWhite);
  EXPECT_EQ(at(fb, 2, 3), kHistogramWhite);
  EXPECT_EQ(h.Colours[3], kHistogramBlue);  // feedback changes no colour
}

TEST(Histogram, DragsMarkColumnsInEitherDirectionAndAccumulate) {
  THistogram h;
  h.Colours.fill(kHistogramBlue);
  HistogramMouseDown(h, 100);
  HistogramMouseUp(h, 80);
  HistogramMouseDown(h, -20);  // clamped to column 0
  HistogramMouseUp(h, 2);
  HistogramMouseDown(h, 170);
  HistogramMouseUp(h, 400);  // clamped to column 174
  for (int i = 0; i < kHistogramBins; ++i) {
    const bool want = (i >= 80 && i <= 100) || i <= 2 || i >= 170;
    EXPECT_EQ(h.Marked(i), want) << "column " << i;
  }
}

TEST(Histogram, ClipRaisesAndLowersToTheMarkedColumnsValues) {
  // Values 0..175, so column i stands for the value i.
  Bench b(16, 11, Ramp());
  b.Drag(40, 60);
  const TClipBounds bounds = HistogramClipBounds(b.h, b.work);
  EXPECT_EQ(bounds.Lower, 40.0f);
  EXPECT_EQ(bounds.Upper, 60.0f);
  b.Do();
  const std::vector<float> v = Values(b.work);
  for (int i = 0; i < 176; ++i) EXPECT_EQ(v[i], i < 40 ? 40.0f : i > 60 ? 60.0f : i) << i;
  EXPECT_EQ(b.work.Min, 40.0f);  // counted again on the clipped copy
  EXPECT_EQ(b.work.Max, 60.0f);
  for (int i = 0; i < kHistogramBins; ++i) ASSERT_FALSE(b.h.Marked(i));

  // "do" again without new marks: the bounds are the copy's own range, nothing changes.
  b.Do();
  EXPECT_EQ(Values(b.work), v);
}

TEST(Histogram, TwoDragsClipToTheSpanBetweenThem) {
  Bench b(16, 11, Ramp());
  b.Drag(10, 20);
  b.Drag(160, 150);
  b.Do();
  const std::vector<float> v = Values(b.work);
  for (int i = 0; i < 176; ++i) EXPECT_EQ(v[i], i < 10 ? 10.0f : i > 160 ? 160.0f : i) << i;
}

TEST(Histogram, ClipStartsFromTheImageNotFromTheLastClip) {
  Bench b(16, 11, Ramp());
  b.Drag(40, 60);
  b.Do();
  // Now the range is 40..60, BinWidth 20/175; columns 0 and 174 stand for 40 and
  // 40 + 174 * 20/175. Marking the whole histogram clips the image to that span,
  // which lets the image's values above 60 back in (up to 59.885...).
  b.Drag(0, 174);
  const TClipBounds bounds = HistogramClipBounds(b.h, b.work);
  EXPECT_EQ(bounds.Lower, 40.0f);
  EXPECT_NEAR(bounds.Upper, 40.0 + 174.0 * 20.0 / 175.0, 1e-5);
  b.Do();
  const std::vector<float> v = Values(b.work);
  EXPECT_EQ(v[0], 40.0f);
  EXPECT_EQ(v[50], 50.0f);
  EXPECT_EQ(v[59], 59.0f);
  EXPECT_EQ(v[175], bounds.Upper);
}

TEST(Histogram, ClipRefusesPicturesOfDifferentSizes) {
  TVKMPicture a, c;
  Fill(a, 2, 2, {1, 2, 3, 4});
  Fill(c, 3, 1, {7, 8, 9});
  THistogram h;
  EXPECT_FALSE(ClipToMarkedRange(h, a, c));
  EXPECT_EQ(Values(c), (std::vector<float>{7, 8, 9}));
}
