// Copy and Print of an image window: the composed view as clipboard data (a vector
// picture as SVG and a bitmap, so that both kinds of programs can paste it), and the
// bare rendered image on a printer.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class QMimeData;
class QPicture;
class QPrinter;

// SVG of `view` (its bounding rectangle as size and view box, titled `title`) and
// `shown` as the bitmap. The caller hands the data to the clipboard.
QMimeData* ComposedViewMimeData(const QPicture& view, const QImage& shown, const QString& title);

enum class TPrintResult { Printed, PrinterFailed };

// Where the image goes on the page, in printer pixels from the top-left corner of the
// printable area `printable`: one image pixel to a 5 x 5 block at (10, 10); when that
// does not fit (with 10 pixels to spare on the far sides too), scaled down to fit,
// keeping the image's aspect.
QRect PrintTarget(QSize image, QSize printable);

// One page: `image` drawn into PrintTarget, the job titled `title`. PrinterFailed
// when the printer could not be begun or ended (the job is aborted then).
TPrintResult PrintImage(QPrinter& printer, const QImage& image, const QString& title);
