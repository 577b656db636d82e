// Copy and Print of an image window: the composed view as clipboard data (a vector
// picture as SVG and a bitmap, so that both kinds of programs can paste it), and the
// bare rendered image on a printer.
#pragma once

#include <QImage>
#include <QString>

class QMimeData;
class QPicture;
class QPrinter;

// SVG of `view` (its bounding rectangle as size and view box, titled `title`) and
// `shown` as the bitmap. The caller hands the data to the clipboard.
QMimeData* ComposedViewMimeData(const QPicture& view, const QImage& shown, const QString& title);

enum class TPrintResult { Printed, PrinterFailed };

// One page: `image` drawn with one pixel to a 5 x 5 block of printer pixels at
// (10, 10), the job titled `title`. PrinterFailed when the printer could not be
// begun or ended (the job is aborted then).
TPrintResult PrintImage(QPrinter& printer, const QImage& image, const QString& title);
