// The workbench's histogram (5), FFT (6) and zoom (8) modes: the steps of their rows
// in the mode table, and what the handlers of their controls do to the workbench.
#pragma once

#include <array>
#include <string>

#include "image/Progress.h"
#include "process/Workbench.h"
#include "process/ZoomCrop.h"

inline constexpr int kHistogramMode = 5;
inline constexpr int kFftMode = 6;
inline constexpr int kZoomMode = 8;

// --- mode 5: histogram ----------------------------------------------------------------

// Opening and "undo": renders the working copy into Image2 and counts its histogram
// afresh, which clears every mark.
void OpenHistogram(TWorkbench& w);
void UndoHistogram(TWorkbench& w);

// "do": the image's values clipped to the span of the marked columns into the working
// copy, then the histogram of the result (no marks left).
TDoOutcome DoHistogram(TWorkbench& w, Progress& progress);

// --- mode 6: FFT --------------------------------------------------------------------------

// "do" (FFTClick): the centred magnitude spectrum of the working copy's bottom-left
// power-of-two square, as log2 while `CheckBoxLog` is set; toggles `Transformed`. The
// window shows the hourglass meanwhile; progress is reported as one step.
TDoOutcome DoFft(TWorkbench& w, Progress& progress);

// --- mode 8: zoom -------------------------------------------------------------------------

// The zoom square of the workbench and back.
TZoomSquare ZoomSquareOf(const TWorkbench& w);
void SetZoomSquare(TWorkbench& w, const TZoomSquare& z);

// `Image2MouseDownZoom` (any button): both corners at the pointer's pixel.
void ZoomMouseDown(TWorkbench& w, TPicturePixel pixel);

// What `Image2MouseMoveZoom` draws: the status-bar hint always; while dragging, the
// old outline once more (the inverting pen erases it) and then the new one.
struct TZoomMove {
  std::string Hint;
  bool Dragging = false;
  std::array<TPixel, 5> Erase{};
  std::array<TPixel, 5> Draw{};
};
// `leftHeld`: the left button is down. Only then, and only in the zoom mode, does the
// square follow the pointer (its side follows the horizontal drag).
TZoomMove ZoomMouseMove(TWorkbench& w, TPicturePixel pixel, bool leftHeld);

// `Image2MouseUpZoom`: the square's second corner follows the pointer's column.
void ZoomMouseUp(TWorkbench& w, TPicturePixel pixel);

// "do": the image cropped to the square, measured on the picture Image2 shows. An
// empty square (or one wholly outside the picture) changes nothing and leaves Image2
// as it is.
TDoOutcome DoZoom(TWorkbench& w, Progress& progress);

// "take over" after a crop: the image takes the crop's size and values, its scan
// ranges shrink with the counts.
void TakeOverZoom(TWorkbench& w);
