// The workbench's zoom mode: the square dragged on the result image, cropping the
// image to it, and "take over" of a crop with its scan ranges.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/TVKMPicture.h"

// In picture pixels of the result image: column, and bitmap line counted from the
// top. The second corner may lie left of or above the first while dragging.
struct TZoomSquare {
  int32_t ZoomX1 = 0;
  int32_t ZoomY1 = 0;
  int32_t ZoomX2 = 0;
  int32_t ZoomY2 = 0;
};

struct TPixel {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPixel&) const = default;
};

// Mouse down: both corners at the pointer.
void ZoomStart(TZoomSquare& z, int32_t px, int32_t py);

// Dragging and mouse up: the second corner follows the horizontal position only, so
// the selection stays a square: ZoomX2 := px, ZoomY2 := px - ZoomX1 + ZoomY1.
void ZoomDragTo(TZoomSquare& z, int32_t px);

// The closed outline (x1,y1), (x1,y2), (x2,y2), (x2,y1), (x1,y1), drawn with an
// inverting pen so that drawing it twice erases it.
std::array<TPixel, 5> ZoomOutline(const TZoomSquare& z);

// The pixels an inverting pen changes when it draws that outline: each side from its
// corner up to the next corner, leaving the next corner to the next side, so every
// pixel of the outline is met once and drawing it twice restores the picture. A square
// of no extent draws nothing. Pixels may lie outside the picture.
std::vector<TPixel> ZoomOutlinePixels(const TZoomSquare& z);

// The status-bar hint while the pointer moves over the result image.
std::string ZoomHint(int32_t px, int32_t py);

// The part of a square (corners in any order) that lies inside a picture of that
// size, in picture pixels: columns X .. X + W - 1, bitmap lines Y .. Y + H - 1. W and H
// are 0 when nothing of the square lies inside.
struct TCropArea {
  int32_t X = 0, Y = 0, W = 0, H = 0;
  bool Empty() const { return W <= 0 || H <= 0; }
};
TCropArea ZoomCropArea(TZoomSquare z, int32_t columns, int32_t rows);

// "do": puts the square in order (swaps the corners of each axis that run
// backwards), then copies the square of `source` into `work`, resized to it:
// work(r, c) := source(source rows - ZoomY2 + r, ZoomX1 + c), so bitmap lines
// ZoomY1 .. ZoomY2 - 1 become the crop exactly as seen. A square that reaches
// beyond the picture is cut back to the part inside it. Returns false, changing
// nothing but the order of the corners, when nothing of the square remains (a click
// without movement, or a square wholly outside): the caller then does not re-render.
bool CropToSquare(const TVKMPicture& source, TZoomSquare& z, TVKMPicture& work);

// "take over" after a crop: the source's scan ranges shrink with the crop
// (XScanRange / source columns * working columns, in single precision, and the same
// for y; a range whose count did not change stays exactly as it was), the source
// takes the working copy's size and values. xPixel and yPixel stay.
void TakeOverCrop(TVKMPicture& source, const TVKMPicture& work);
