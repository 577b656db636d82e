// The simple 3D relief: bars per cell, rows back to front, one pass into an 8-bit bitmap.
#include "analysis/Relief3D.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "image/NumberEdit.h"
#include "image/NumberFormat.h"

namespace {

inline int32_t RoundInt(double v) {
  return static_cast<int32_t>(std::nearbyint(v));
}

inline uint8_t HeldIndex(int64_t k) {
  return static_cast<uint8_t>(k < 0 ? 0 : (k > 255 ? 255 : k));
}

}  // namespace

TReliefParams ReliefParams(const std::string& gainText, const std::string& shiftText) {
  TReliefParams p;
  int v = 0;
  if (ParseInteger(gainText, v)) {
    p.Gain = v;
  } else {
    p.Gain = 10;
    p.GainReplaced = true;
  }
  if (p.Gain < 0 || p.Gain > kMaxReliefGain) {
    p.Gain = p.Gain < 0 ? 0 : kMaxReliefGain;
    p.GainReplaced = true;
  }
  if (ParseInteger(shiftText, v)) {
    p.Shift = v;
  } else {
    p.Shift = 0;
    p.ShiftReplaced = true;
  }
  if (p.Shift < -kMaxReliefShift || p.Shift > kMaxReliefShift) {
    p.Shift = p.Shift < 0 ? -kMaxReliefShift : kMaxReliefShift;
    p.ShiftReplaced = true;
  }
  return p;
}

bool DrawRelief(const TVKMPicture& picture, int32_t gain, int32_t shift, TBitmap8& B) {
  const int32_t R = picture.Rows;
  const int32_t C = picture.Columns;
  if (!picture.HasMatrix() || R <= 0 || C <= 0) return false;
  const int32_t G = gain < 0 ? 0 : (gain > kMaxReliefGain ? kMaxReliefGain : gain);
  const int32_t S = shift < -kMaxReliefShift ? -kMaxReliefShift
                                             : (shift > kMaxReliefShift ? kMaxReliefShift : shift);
  B.SetSize(std::abs(S) + (C - 1) + 40, (R - 1) + G + 40);
  B.Palette = picture.ColourTable.palPalEntry;
  std::fill(B.Pixels.begin(), B.Pixels.end(), uint8_t{255});

  const float min = picture.Min;
  const double range = static_cast<double>(picture.Max) - static_cast<double>(min);
  const bool flat = !(range > 0) || !std::isfinite(range);
  const double zs = flat ? 0.0 : 254.0 / range;  // colour index per value unit
  const double hs = flat ? 0.0 : G / range;      // pixels per value unit
  for (int32_t r = 0; r < R; ++r) {
    const int32_t base = G + 20 + r;
    const float* row = picture.RowTable[r];
    int32_t sheared = R > 1 ? RoundInt(static_cast<double>(r) / (R - 1) * S) : 0;
    if (S <= 0) sheared -= S;
    for (int32_t c = 0; c < C; ++c) {
      const float h = row[c] - min;
      const double top = static_cast<double>(h) * hs;
      const double index = zs * h;
      if (!std::isfinite(top) || !std::isfinite(index) || std::fabs(top) > 1e6 ||
          std::fabs(index) > 1e6)
        continue;
      const int32_t px = c + 20 + sheared;
      const int32_t py = base - RoundInt(top);
      int64_t k = RoundInt(index);
      if (py >= 0 && py < B.Height) B.ScanLine(py)[px] = HeldIndex(k);
      if (py == base) continue;
      const int64_t dk = RoundInt(static_cast<double>(k) / (base - py)) - 1;
      for (int32_t y = py + 1; y <= base; ++y) {
        k -= dk;
        if (y >= 0) B.ScanLine(y)[px] = HeldIndex(k);  // the foot always lies inside B
      }
    }
  }
  return true;
}

std::string ReliefTimeText(double seconds, char sep) {
  return FormatFixed(seconds, 6, 2, sep) + "s";
}
