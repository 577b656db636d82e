// Histogram counting, drawing, marking and clipping of the workbench.
#include "process/Histogram.h"

#include <algorithm>
#include <cmath>

#include "image/NumberFormat.h"
#include "process/VectorClones.h"

namespace {

constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to even

// The bins of `len` values whose quotient in double is safely away from a half-way
// point and inside the range; -1 for the others, which need the extended computation.
TARNISK_VECTOR_CLONES void BinsOfBlock(const float* __restrict v, int32_t len, double mind,
                                       double inv, int32_t* __restrict bins) {
  for (int32_t i = 0; i < len; ++i) {
    const double x = (static_cast<double>(v[i]) - mind) * inv;
    const double r = (x + kShift) - kShift;
    const double d = x - r;
    const bool ok = (x >= 0.0) & (x < 176.0) & (std::fabs(d) < 0.4999999990);
    bins[i] = ok ? static_cast<int32_t>(r) : -1;
  }
}

}  // namespace

int32_t HistogramBin(float v, float histMin, float binWidth) {
  const long double x = (static_cast<long double>(v) - static_cast<long double>(histMin)) /
                        static_cast<long double>(binWidth);
  const long double b = std::nearbyint(x);  // default rounding mode: ties to even
  if (!(b >= 0)) return 0;                  // below 0, and NaN
  if (b > kHistogramBins - 1) return kHistogramBins - 1;
  return static_cast<int32_t>(b);
}

void ComputeHistogram(TVKMPicture& work, TBitmap8& image2, THistogram& h) {
  h.Colours.fill(kHistogramBlue);
  h.Counts.fill(0);
  h.Peak = 0;
  if (!work.HasMatrix()) return;
  work.Render(image2);
  h.HistMax = work.Max;
  h.HistMin = work.Min;
  h.BinWidth = (h.HistMax - h.HistMin) / 175.0f;
  if (h.BinWidth == 0) h.BinWidth = 1.0f;

  // The quotient in double lies within 1e-13 of the extended one for every value
  // of the range (it is at most 175); only a quotient within 1e-9 of a half-way
  // point, or out of range, needs the extended computation (marked -1 here). The
  // bins of a block are found first, in a loop the compiler can vectorise; four
  // sets of counts then keep equal neighbouring bins from waiting on each other.
  const double mind = h.HistMin;
  const double inv = 1.0 / static_cast<double>(h.BinWidth);
  constexpr int32_t kBlock = 256;
  int32_t bins[kBlock];
  int32_t counts[4][kHistogramBins] = {};
  const float* p = work.Data();
  const size_t n = work.ValueCount();
  for (size_t start = 0; start < n; start += kBlock) {
    const int32_t len = static_cast<int32_t>(std::min<size_t>(kBlock, n - start));
    const float* v = p + start;
    BinsOfBlock(v, len, mind, inv, bins);
    int32_t i = 0;
    for (; i + 4 <= len; i += 4)
      for (int32_t k = 0; k < 4; ++k) {
        const int32_t b = bins[i + k];
        ++counts[k][b < 0 ? HistogramBin(v[i + k], h.HistMin, h.BinWidth)
                          : std::min(b, kHistogramBins - 1)];
      }
    for (; i < len; ++i) {
      const int32_t b = bins[i];
      ++counts[0]
              [b < 0 ? HistogramBin(v[i], h.HistMin, h.BinWidth) : std::min(b, kHistogramBins - 1)];
    }
  }
  for (int32_t b = 0; b < kHistogramBins; ++b)
    h.Counts[b] = counts[0][b] + counts[1][b] + counts[2][b] + counts[3][b];
  for (int32_t b = 0; b < kHistogramBins; ++b) h.Peak = std::max(h.Peak, h.Counts[b]);
}

std::string HistogramLabel(float value, char sep) {
  return FormatFixed(value, 6, 3, sep);
}

TColumnSpan HistogramColumnSpan(const THistogram& h, int32_t bin, int32_t height) {
  TColumnSpan s;
  if (bin < 0 || bin >= kHistogramBins || h.Counts[bin] <= 0 || h.Peak <= 0 || height <= 0)
    return s;
  // Computed in extended precision, rounded with ties to even.
  const long double len = std::nearbyint(static_cast<long double>(h.Counts[bin]) /
                                         static_cast<long double>(h.Peak) * height);
  const int32_t end = height - static_cast<int32_t>(len);
  // The line leaves out its end point: it covers height - 1 down to end + 1, and a
  // line that starts one above its end (length 0) still covers its first point.
  if (end < height - 1) {
    s.Top = end + 1;
    s.Bottom = height - 1;
  } else if (end > height - 1) {
    s.Top = height - 1;
    s.Bottom = height - 1;
  }
  return s;
}

std::vector<uint32_t> DrawHistogram(const THistogram& h, int32_t height, bool feedback,
                                    int32_t from, int32_t to) {
  if (height <= 0) return {};
  std::vector<uint32_t> px(static_cast<size_t>(kHistogramBins) * height, kHistogramWhite);
  const int32_t lo = std::min(from, to), hi = std::max(from, to);
  for (int32_t b = 0; b < kHistogramBins; ++b) {
    const TColumnSpan s = HistogramColumnSpan(h, b, height);
    const uint32_t colour = feedback && b >= lo && b <= hi ? kHistogramRed : h.Colours[b];
    for (int32_t y = s.Top; y <= s.Bottom; ++y)
      px[static_cast<size_t>(y) * kHistogramBins + b] = colour;
  }
  return px;
}

int32_t HistogramColumnAt(int32_t x) {
  return std::clamp(x, 0, kHistogramBins - 1);
}

void HistogramMouseDown(THistogram& h, int32_t x) {
  h.Anchor = HistogramColumnAt(x);
}

void HistogramMouseUp(THistogram& h, int32_t x) {
  const int32_t to = HistogramColumnAt(x);
  const int32_t anchor = HistogramColumnAt(h.Anchor);
  for (int32_t b = std::min(anchor, to); b <= std::max(anchor, to); ++b)
    h.Colours[b] = kHistogramRed;
}

TClipBounds HistogramClipBounds(const THistogram& h, const TVKMPicture& work) {
  auto value = [&](int32_t i) {
    return static_cast<float>(static_cast<long double>(i) * h.BinWidth + h.HistMin);
  };
  TClipBounds b{work.Min, work.Max};
  for (int32_t i = 0; i < kHistogramBins; ++i)
    if (h.Marked(i)) b.Upper = value(i);
  for (int32_t i = kHistogramBins - 1; i >= 0; --i)
    if (h.Marked(i)) b.Lower = value(i);
  return b;
}

bool ClipToMarkedRange(const THistogram& h, const TVKMPicture& source, TVKMPicture& work) {
  if (!source.HasMatrix() || !work.HasMatrix() || source.Rows != work.Rows ||
      source.Columns != work.Columns)
    return false;
  const TClipBounds b = HistogramClipBounds(h, work);
  const float* src = source.Data();
  float* dst = work.Data();
  const size_t n = source.ValueCount();
  for (size_t i = 0; i < n; ++i) {
    float v = src[i];
    if (v < b.Lower) v = b.Lower;
    if (v > b.Upper) v = b.Upper;
    dst[i] = v;
  }
  return true;
}
