// The histogram, FFT and zoom modes of the workbench.
#include "process/WorkbenchFft.h"

#include "process/Fft.h"
#include "process/Histogram.h"

// --- mode 5 ---------------------------------------------------------------------------------

void OpenHistogram(TWorkbench& w) {
  ComputeHistogram(*w.WorkPicture, w.Image2, w.Histogram);
}

void UndoHistogram(TWorkbench& w) {
  ComputeHistogram(*w.WorkPicture, w.Image2, w.Histogram);
}

TDoOutcome DoHistogram(TWorkbench& w, Progress&) {
  // The clip reads the image, so it replaces an earlier clip rather than adding to it.
  ClipToMarkedRange(w.Histogram, *w.SourcePicture, *w.WorkPicture);
  ComputeHistogram(*w.WorkPicture, w.Image2, w.Histogram);  // renders Image2 too
  return TDoOutcome::DoneAndRendered;
}

// --- mode 6 ---------------------------------------------------------------------------------

TDoOutcome DoFft(TWorkbench& w, Progress& progress) {
  progress.Step(0, 1);
  FftPicture(*w.WorkPicture, w.CheckBoxLog);
  progress.Step(1, 1);
  return TDoOutcome::Done;
}

// --- mode 8 ---------------------------------------------------------------------------------

TZoomSquare ZoomSquareOf(const TWorkbench& w) {
  return {w.ZoomX1, w.ZoomY1, w.ZoomX2, w.ZoomY2};
}

void SetZoomSquare(TWorkbench& w, const TZoomSquare& z) {
  w.ZoomX1 = z.ZoomX1;
  w.ZoomY1 = z.ZoomY1;
  w.ZoomX2 = z.ZoomX2;
  w.ZoomY2 = z.ZoomY2;
}

void ZoomMouseDown(TWorkbench& w, TPicturePixel pixel) {
  TZoomSquare z;
  ZoomStart(z, pixel.X, pixel.Y);
  SetZoomSquare(w, z);
}

TZoomMove ZoomMouseMove(TWorkbench& w, TPicturePixel pixel, bool leftHeld) {
  TZoomMove move;
  move.Hint = ZoomHint(pixel.X, pixel.Y);
  if (w.Mode != kZoomMode || !leftHeld) return move;
  TZoomSquare z = ZoomSquareOf(w);
  move.Dragging = true;
  move.Erase = ZoomOutline(z);
  ZoomDragTo(z, pixel.X);
  SetZoomSquare(w, z);
  move.Draw = ZoomOutline(z);
  return move;
}

void ZoomMouseUp(TWorkbench& w, TPicturePixel pixel) {
  TZoomSquare z = ZoomSquareOf(w);
  ZoomDragTo(z, pixel.X);
  SetZoomSquare(w, z);
}

TDoOutcome DoZoom(TWorkbench& w, Progress&) {
  TZoomSquare z = ZoomSquareOf(w);
  const bool cropped = CropToSquare(*w.SourcePicture, z, *w.WorkPicture);
  SetZoomSquare(w, z);  // the corners are kept in order, as "do" leaves them
  return cropped ? TDoOutcome::Done : TDoOutcome::NotRendered;
}

void TakeOverZoom(TWorkbench& w) {
  TakeOverCrop(*w.SourcePicture, *w.WorkPicture);
}
