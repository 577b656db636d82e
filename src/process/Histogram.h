// The workbench's histogram mode: 175 bins over the working copy's value range,
// marking columns by dragging, and clipping the image's values to the marked span.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/TVKMPicture.h"

inline constexpr int32_t kHistogramBins = 175;

// Column colours, 0xRRGGBB.
inline constexpr uint32_t kHistogramBlue = 0x0000FF;   // unmarked
inline constexpr uint32_t kHistogramRed = 0xFF0000;    // marked, and the drag feedback
inline constexpr uint32_t kHistogramWhite = 0xFFFFFF;  // background

struct THistogram {
  std::array<int32_t, kHistogramBins + 1> Counts{};    // bins 0..174 used
  std::array<uint32_t, kHistogramBins + 1> Colours{};  // bins 0..174 used
  int32_t Peak = 0;                                    // the largest count
  float HistMin = 0;                                   // the working copy's range when counted
  float HistMax = 0;
  float BinWidth = 1;  // (HistMax - HistMin) / 175, or 1 for a flat picture
  int32_t Anchor = 0;  // the bin where the current drag started

  bool Marked(int32_t bin) const { return Colours[bin] == kHistogramRed; }
};

// Renders `work` into `image2` (which makes its Min and Max current), then counts
// its values: bin b = Round((v - HistMin) / BinWidth), ties to even, clamped to
// 0..174, so bin b is centred on HistMin + b BinWidth. Every column becomes blue.
void ComputeHistogram(TVKMPicture& work, TBitmap8& image2, THistogram& h);

// The bin of one value (extended precision, ties to even, clamped to 0..174).
int32_t HistogramBin(float v, float histMin, float binWidth);

// `Label1` and `Label3`: the value fixed-point with 3 decimals and at most 6
// significant digits (12.3456 gives "12.346").
std::string HistogramLabel(float value, char sep);

// The pixel lines column `bin` covers in a picture `height` lines high: a line from
// (bin, height - 1) towards (bin, height - Round(count / Peak * height)) without its
// end point. Empty (Top > Bottom) for an empty bin.
struct TColumnSpan {
  int32_t Top = 0;
  int32_t Bottom = -1;
};
TColumnSpan HistogramColumnSpan(const THistogram& h, int32_t bin, int32_t height);

// The picture of `Image3`, 175 x height pixels (0xRRGGBB, line 0 at the top): white,
// every non-empty column in its colour, and the non-empty columns from..to (both
// included, in either order) red as drag feedback when `feedback` is set.
std::vector<uint32_t> DrawHistogram(const THistogram& h, int32_t height, bool feedback = false,
                                    int32_t from = 0, int32_t to = 0);

// The pointer's X on `Image3` is the bin, clamped to 0..174.
int32_t HistogramColumnAt(int32_t x);

// Mouse down (any button): the drag starts at this column.
void HistogramMouseDown(THistogram& h, int32_t x);
// Mouse up: every column from the anchor to x becomes marked (red); marks
// accumulate over drags until the histogram is counted again.
void HistogramMouseUp(THistogram& h, int32_t x);

// The clip's bounds: U is the value of the highest marked column, D that of the
// lowest (column i has the value i BinWidth + HistMin, computed in extended
// precision and stored as single); without marks, the working copy's Max and Min.
struct TClipBounds {
  float Lower = 0;  // D
  float Upper = 0;  // U
};
TClipBounds HistogramClipBounds(const THistogram& h, const TVKMPicture& work);

// "do": every value of `source` (the image, not the working copy) is raised to D
// and then lowered to U, and stored into `work`. So another "do" with other marks
// replaces the previous clip. The caller counts the histogram again afterwards.
// Returns false, changing nothing, when the two pictures differ in size.
bool ClipToMarkedRange(const THistogram& h, const TVKMPicture& source, TVKMPicture& work);
