// Decoding Windows bitmaps with QImageReader; the size is checked before any pixel
// memory is allocated.
#include "qtgui/QtImageDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <limits>

bool QtImageDecoder::Decode(const uint8_t* data, size_t size, int32_t maxSide, TDecodedImage& out) {
  out = TDecodedImage{};
  if (size > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer buffer;
  buffer.setData(bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return false;
  QImageReader reader(&buffer, "BMP");
  const QSize s = reader.size();
  if (!s.isValid() || s.width() <= 0 || s.height() <= 0 || s.width() > maxSide ||
      s.height() > maxSide) {
    return false;
  }
  QImage image;
  if (!reader.read(&image) || image.isNull()) return false;
  image = image.convertToFormat(QImage::Format_RGB888);
  out.Width = image.width();
  out.Height = image.height();
  out.Rgb.resize(static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height) * 3);
  for (int y = 0; y < out.Height; ++y) {
    const uchar* line = image.constScanLine(y);
    std::copy(line, line + static_cast<size_t>(out.Width) * 3,
              out.Rgb.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * out.Width * 3));
  }
  return true;
}
