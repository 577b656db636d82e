// Clipboard data and printing of an image window's contents.
#include "app/ClipboardPrint.h"

#include <QBuffer>
#include <QMimeData>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QSvgGenerator>

QMimeData* ComposedViewMimeData(const QPicture& view, const QImage& shown, const QString& title) {
  const QRect r = view.boundingRect();
  QByteArray svg;
  QBuffer buffer(&svg);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(r.size());
  generator.setViewBox(r);
  generator.setTitle(title);
  {
    QPainter painter(&generator);
    painter.drawPicture(0, 0, view);
  }
  auto* mime = new QMimeData;
  mime->setData(QStringLiteral("image/svg+xml"), svg);
  mime->setImageData(shown);
  return mime;
}

TPrintResult PrintImage(QPrinter& printer, const QImage& image, const QString& title) {
  printer.setDocName(title);
  QPainter painter;
  if (!painter.begin(&printer)) return TPrintResult::PrinterFailed;
  painter.drawImage(QRect(10, 10, 5 * image.width(), 5 * image.height()), image);
  if (!painter.end()) {
    printer.abort();
    return TPrintResult::PrinterFailed;
  }
  return TPrintResult::Printed;
}
