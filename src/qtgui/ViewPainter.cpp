// Composed view painting (first form: the stretched image only).
#include "qtgui/ViewPainter.h"

#include <QPainter>

QImage ToQImage(const TBitmap8& bitmap) {
  QImage img(bitmap.Width, bitmap.Height, QImage::Format_Indexed8);
  QList<QRgb> colours;
  colours.reserve(256);
  for (const auto& e : bitmap.Palette) colours.push_back(qRgb(e.peRed, e.peGreen, e.peBlue));
  img.setColorTable(colours);
  for (int y = 0; y < bitmap.Height; ++y)
    std::copy_n(bitmap.ScanLine(y), bitmap.Width, img.scanLine(y));
  return img;
}

int PaintComposedView(QPaintDevice& device, TImageDoc& doc, const TViewOptions& options,
                      int clientW, int clientH, int /*outerW*/, int /*outerH*/, const QFont& font,
                      char /*sep*/) {
  const int side = options.ZScale ? std::min(clientH, qRound(clientW * 0.7)) : std::min(clientH, clientW);
  QPainter p(&device);
  p.setFont(font);
  if (doc.HasImage()) p.drawImage(QRect(0, 0, side, side), ToQImage(doc.Image1));
  return side;
}
