// Clipboard data and printing of an image window's contents.
#include "app/ClipboardPrint.h"

#include <QBuffer>
#include <QMimeData>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QSvgGenerator>
#include <algorithm>

QMimeData* ComposedViewMimeData(const QPicture& view, const QImage& shown, const QString& title) {
  const QRect r = view.boundingRect();
  QByteArray svg;
  QBuffer buffer(&svg);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(r.size());
  generator.setViewBox(r);
  // The picture's own resolution: a generator of another one (72 dpi by default)
  // would draw the view scaled by the ratio, three quarters of its box at 96 dpi.
  generator.setResolution(view.logicalDpiX());
  generator.setTitle(title);
  {
    QPainter painter(&generator);
    // On white, as the window shows it and as the bitmap beside it is.
    painter.fillRect(r, Qt::white);
    painter.drawPicture(0, 0, view);
  }
  auto* mime = new QMimeData;
  mime->setData(QStringLiteral("image/svg+xml"), svg);
  mime->setImageData(shown);
  return mime;
}

QRect PrintTarget(QSize image, QSize printable) {
  constexpr int kMargin = 10;
  constexpr int kBlock = 5;
  const qint64 w = qint64(kBlock) * image.width();
  const qint64 h = qint64(kBlock) * image.height();
  const qint64 roomW = std::max(1, printable.width() - 2 * kMargin);
  const qint64 roomH = std::max(1, printable.height() - 2 * kMargin);
  if (w <= roomW && h <= roomH) return QRect(kMargin, kMargin, int(w), int(h));
  // The side with less room fills it; the other follows, rounded down, at least 1.
  if (roomW * h <= roomH * w)
    return QRect(kMargin, kMargin, int(roomW), int(std::max<qint64>(1, h * roomW / w)));
  return QRect(kMargin, kMargin, int(std::max<qint64>(1, w * roomH / h)), int(roomH));
}

TPrintResult PrintImage(QPrinter& printer, const QImage& image, const QString& title) {
  printer.setDocName(title);
  QPainter painter;
  if (!painter.begin(&printer)) return TPrintResult::PrinterFailed;
  // QPrinter's width and height are those of the printable area in its own pixels.
  painter.drawImage(PrintTarget(image.size(), QSize(printer.width(), printer.height())), image);
  if (!painter.end()) {
    printer.abort();
    return TPrintResult::PrinterFailed;
  }
  return TPrintResult::Printed;
}
