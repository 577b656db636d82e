// Geometry of an image window's composed view: the client fit, the square image's
// side, the colour bar and its labels, and the x scale bar. Pure functions, so the
// viewer, the CLI and the tests all place things by the same numbers.
#pragma once

#include <string>

struct TViewSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TViewSize&) const = default;
};

struct TViewPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TViewPoint&) const = default;
};

struct TViewRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int Right() const { return Left + Width; }   // first column after the rectangle
  int Bottom() const { return Top + Height; }  // first line below the rectangle
  bool operator==(const TViewRect&) const = default;
};

// Round half to even, as every rounding of the view uses.
int RoundEven(double v);

// The client area after the fit: 3 : 2 with the colour bar, square without.
TViewSize FitClient(int clientW, int clientH, bool zScale);

// The side of the square image in a fitted client area.
int ViewSide(int clientW, int clientH, bool zScale);

// The smallest client area of an image window: 100 x 100, or 150 x 100 with the
// colour bar, so that the image, the bar and the window's title stay usable.
TViewSize MinimumClient(bool zScale);

// The client area at which the image shows one pixel per value (at least the
// minimum), 3 : 2 with the colour bar; limited by `maxW` x `maxH` (the fit keeps
// the proportion), but never below the minimum.
TViewSize NaturalClient(int columns, int rows, bool zScale, int maxW, int maxH);

// The colour bar, placed by the window's outer size (frame and title included).
TViewRect ZScaleBarRect(int outerW, int outerH);

// Top-left corners of the two colour-bar labels; `fontHeight` is the font's height
// in pixels (its sign is ignored).
TViewPoint MaxLabelPos(const TViewRect& bar, int fontHeight);
TViewPoint MinLabelPos(const TViewRect& bar);

// A label of `textW` x `textH` at `pos`, moved left or up just as far as needed to
// lie whole inside a client area of `clientW` x `clientH` (a large font would
// otherwise push the unit out of sight); never beyond the left or top edge.
TViewPoint KeepLabelInView(TViewPoint pos, int textW, int textH, int clientW, int clientH);

// The x scale bar of a square of `side` pixels.
struct TXYScaleBar {
  bool Shown = false;  // false when the scan range is not a positive finite number
  double L = 0;        // bar length in the x unit: a round tenth of the scan range
  int Len = 0;         // bar length in pixels
  int H = 0;           // Len div 2
  int Cx = 0;          // centre of the bar
  int Cy = 0;          // top of the end ticks
};
TXYScaleBar XYScaleBar(float xScanRange, int side);

// Left edge of a text of width `textWidth` centred on `cx`.
int CentredTextLeft(int cx, int textWidth);
