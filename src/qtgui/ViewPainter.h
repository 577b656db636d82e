// Painting an image window's composed view (square image, colour bar with labels,
// x scale bar) with Qt; shared by the viewer (onto its window) and the CLI (PNG/SVG).
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QString>

#include "image/TImageDoc.h"

// The display choices of an image window.
struct TViewOptions {
  bool ZScale = false;           // colour bar shown ("Z Scalling")
  bool ZeroMax = false;          // labels "0".."max - min" ("  0..max")
  bool XYLabel = false;          // x scale bar ("XY Scaling Label")
  QColor FontColor = Qt::black;  // colour of the window's font (the colour-bar labels)
};

// The rendered 8-bit bitmap of a document as an indexed QImage with its palette.
QImage ToQImage(const TBitmap8& bitmap);

// Draws the composed view of `doc` onto `device` at (0, 0). `clientW`/`clientH` are
// the client size after the fit, `outerW`/`outerH` the window's outer size (the
// colour bar is placed by it). Updates doc.MinText and doc.MaxText as the colour bar
// labels them. Nothing is filled: the caller provides the white background. Returns
// Side, the square's size.
int PaintComposedView(QPaintDevice& device, TImageDoc& doc, const TViewOptions& options,
                      int clientW, int clientH, int outerW, int outerH, const QFont& font,
                      char sep);
// The same onto an open painter (the viewer's paint event, a picture recording).
int PaintComposedView(QPainter& painter, TImageDoc& doc, const TViewOptions& options, int clientW,
                      int clientH, int outerW, int outerH, const QFont& font, char sep);

// The colour bar with its labels and frame; sets doc.MinText and doc.MaxText. The
// labels are kept inside the client area of `clientW` x `clientH`.
void DrawZScale(QPainter& painter, TImageDoc& doc, const TViewOptions& options, int clientW,
                int clientH, int outerW, int outerH, char sep);
// The white x scale bar with its length above it, near the lower right of the square.
void DrawXYScale(QPainter& painter, const TImageDoc& doc, int side, char sep);

// The composed view of a window without frame: `requested` is fitted (3 : 2 with the
// colour bar, square without), the outer size equals the fitted client size, and the
// view is drawn on white as the window shows it.
QImage ComposedViewImage(TImageDoc& doc, const TViewOptions& options, int requestedW,
                         int requestedH, const QFont& font, char sep);

// The same image with a colour table when it holds at most 256 colours (every pixel
// keeps its exact colour), otherwise `image` itself. Such a PNG is written several
// times faster and smaller than one of 32-bit pixels.
QImage WithFewColoursIndexed(const QImage& image);

// Writes the composed view as PNG (".png", 8-bit with a colour table when it has at
// most 256 colours) or SVG (".svg", case ignored). False with
// `error` set when the suffix is neither or the file cannot be written. `path` is the
// file name as the system's bytes, taken as it is (also when it is no valid text).
bool WriteComposedView(const std::string& path, TImageDoc& doc, const TViewOptions& options,
                       int requestedW, int requestedH, const QFont& font, char sep, QString* error);

// Writes the rendered bitmap as an 8-bit Windows bitmap with its 256-colour palette.
// The bytes of the file depend only on the bitmap (its line padding is zero).
bool WriteBitmapFile(const TBitmap8& bitmap, const std::string& path);
bool WriteBitmapFile(const TBitmap8& bitmap, const QString& path);
