// Composed view geometry.
#include "image/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int RoundEven(double v) {
  return static_cast<int>(std::nearbyint(v));
}

TViewSize FitClient(int clientW, int clientH, bool zScale) {
  if (zScale) {
    const int s = std::min(clientH, (clientW / 3) * 2);
    return {(s * 3) / 2, s};
  }
  const int s = std::min(clientH, clientW);
  return {s, s};
}

int ViewSide(int clientW, int clientH, bool zScale) {
  if (zScale) return std::min(clientH, RoundEven(clientW * 0.7));
  return std::min(clientH, clientW);
}

TViewSize MinimumClient(bool zScale) {
  return zScale ? TViewSize{150, 100} : TViewSize{100, 100};
}

TViewSize NaturalClient(int columns, int rows, bool zScale, int maxW, int maxH) {
  const TViewSize least = MinimumClient(zScale);
  const int side = std::max({columns, rows, least.Height});
  const int w = zScale ? side * 3 / 2 : side;
  const TViewSize fit = FitClient(std::min(w, maxW), std::min(side, maxH), zScale);
  if (fit.Width < least.Width || fit.Height < least.Height) return least;
  return fit;
}

TViewRect ZScaleBarRect(int outerW, int outerH) {
  return {RoundEven(0.8 * outerW), RoundEven(0.25 * outerH), 4 * RoundEven(0.02 * outerW),
          4 * RoundEven(0.1 * outerH)};
}

TViewPoint MaxLabelPos(const TViewRect& bar, int fontHeight) {
  return {bar.Left, bar.Top - 10 - std::abs(fontHeight)};
}

TViewPoint MinLabelPos(const TViewRect& bar) {
  return {bar.Left, bar.Bottom() + 10};
}

TViewPoint KeepLabelInView(TViewPoint pos, int textW, int textH, int clientW, int clientH) {
  return {std::max(0, std::min(pos.X, clientW - textW)),
          std::max(0, std::min(pos.Y, clientH - textH))};
}

TXYScaleBar XYScaleBar(float xScanRange, int side) {
  TXYScaleBar bar;
  // An infinite range would never normalise; like a range of 0 it gets no bar.
  if (!(xScanRange > 0) || !std::isfinite(xScanRange)) return bar;
  bar.Shown = true;
  bar.Cx = bar.Cy = RoundEven(0.8 * side);
  // Bring the range into 1..10 and remember the power of ten taken out.
  double r = xScanRange;
  double m = 1;
  if (r >= 1) {
    while (r > 10) {
      r = r / 10;
      m = m * 10;
    }
  } else {
    while (r < 1) {
      r = r * 10;
      m = m / 10;
    }
  }
  bar.L = std::nearbyint(r) * m / 10;
  bar.Len = RoundEven(side / static_cast<double>(xScanRange) * bar.L);
  bar.H = bar.Len / 2;
  return bar;
}

int CentredTextLeft(int cx, int textWidth) {
  return cx - RoundEven(textWidth / 2.0);
}
