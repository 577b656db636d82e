// Painting an image window's composed view (square image, colour bar with labels,
// x scale bar) with Qt; shared by the viewer (onto its window) and the CLI (PNG/SVG).
#pragma once

#include <QFont>
#include <QImage>
#include <QPaintDevice>

#include "image/TImageDoc.h"

// The display choices of an image window.
struct TViewOptions {
  bool ZScale = false;   // colour bar shown ("Z Scalling")
  bool ZeroMax = false;  // labels "0".."max - min" ("  0..max")
  bool XYLabel = false;  // x scale bar ("XY Scaling Label")
};

// The rendered 8-bit bitmap of a document as an indexed QImage with its palette.
QImage ToQImage(const TBitmap8& bitmap);

// Draws the composed view of `doc` onto `device` at (0, 0). `clientW`/`clientH` are
// the client size after the fit, `outerW`/`outerH` the window's outer size (the
// colour bar is placed by it), `borderWidth` the frame width. Updates doc.MinText and
// doc.MaxText as the colour bar labels them. Returns Side, the square's size.
int PaintComposedView(QPaintDevice& device, TImageDoc& doc, const TViewOptions& options,
                      int clientW, int clientH, int outerW, int outerH, const QFont& font,
                      char sep);
