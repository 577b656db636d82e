// Composed view painting: the stretched square image, the colour bar and the x scale
// bar, all placed by the pure geometry of image/ViewGeometry.h.
#include "qtgui/ViewPainter.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPen>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "formats/BitmapWriter.h"
#include "image/NumberFormat.h"
#include "image/TextEncoding.h"
#include "image/ViewGeometry.h"

namespace {

// Rendered labels and texts are plain 8-bit text; units may carry Latin-1 (µ, °).
QString ToQString(const std::string& s) {
  return QString::fromStdString(DisplayText(s));
}

// Writes `text` with its top-left corner at `pos`; `background` fills the text's
// extent first when it is valid (the colour-bar labels stand on white).
void TextOut(QPainter& p, TViewPoint pos, const QString& text, const QColor& colour,
             const QColor& background) {
  const QFontMetrics fm = p.fontMetrics();
  if (background.isValid())
    p.fillRect(QRect(pos.X, pos.Y, fm.horizontalAdvance(text), fm.height()), background);
  p.setPen(QPen(colour, 1));
  p.drawText(QPoint(pos.X, pos.Y + fm.ascent()), text);
}

void Line(QPainter& p, int x1, int y1, int x2, int y2) {
  p.drawLine(QPoint(x1, y1), QPoint(x2, y2));
}

}  // namespace

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

void DrawZScale(QPainter& p, TImageDoc& doc, const TViewOptions& options, int clientW, int clientH,
                int outerW, int outerH, char sep) {
  // A 1 x 256 strip of every colour, 255 at the top, stretched into the bar.
  TBitmap8 strip;
  strip.SetSize(1, 256);
  strip.Palette = doc.Image1.Palette;
  for (int y = 0; y < 256; ++y) *strip.ScanLine(y) = static_cast<uint8_t>(255 - y);
  const TViewRect bar = ZScaleBarRect(outerW, outerH);
  const QRect barRect(bar.Left, bar.Top, bar.Width, bar.Height);
  p.drawImage(barRect, ToQImage(strip));

  if (doc.HasImage()) {
    const TVKMPicture& pic = *doc.Picture;
    if (options.ZeroMax) {
      doc.MinText.assign(1, '0');  // (a literal assignment trips a GCC 12 -Wrestrict false alarm)
      doc.MaxText = FormatValue(3, static_cast<double>(pic.Max) - pic.Min, sep);
    } else {
      doc.MinText = FormatValue(3, pic.Min, sep);
      doc.MaxText = FormatValue(3, pic.Max, sep);
    }
  }
  const std::string unit = doc.Picture ? doc.Picture->ScanPara.PhysUnit : std::string();
  const int fontHeight = p.fontInfo().pixelSize();
  const QFontMetrics fm = p.fontMetrics();
  const auto label = [&](TViewPoint pos, const QString& text) {
    const TViewPoint at =
        KeepLabelInView(pos, fm.horizontalAdvance(text), fm.height(), clientW, clientH);
    TextOut(p, at, text, options.FontColor, Qt::white);
  };
  label(MaxLabelPos(bar, fontHeight), ToQString(doc.MaxText + " " + unit));
  label(MinLabelPos(bar), ToQString(doc.MinText + " " + unit));

  // A 1-pixel frame on the bar's outermost pixels.
  p.setPen(QPen(Qt::black, 0));
  p.setBrush(Qt::NoBrush);
  if (bar.Width > 0 && bar.Height > 0)
    p.drawRect(QRect(bar.Left, bar.Top, bar.Width - 1, bar.Height - 1));
}

void DrawXYScale(QPainter& p, const TImageDoc& doc, int side, char sep) {
  if (!doc.Picture) return;
  const TScanPara& sp = doc.Picture->ScanPara;
  const TXYScaleBar bar = XYScaleBar(sp.XScanRange, side);
  if (!bar.Shown) return;
  const int cx = bar.Cx, cy = bar.Cy, h = bar.H;
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::FlatCap));
  Line(p, cx - h, cy, cx - h, cy + 7);
  Line(p, cx - h, cy + 3, cx + h, cy + 3);
  Line(p, cx + h, cy, cx + h, cy + 7);
  p.setPen(QPen(Qt::white, 1, Qt::SolidLine, Qt::FlatCap));
  Line(p, cx, cy + 3, cx, cy + 7);

  const QString text = ToQString(FormatGeneral(bar.L, sep) + " " + sp.XPhysUnit);
  const QFontMetrics fm = p.fontMetrics();
  const int tw = fm.horizontalAdvance(text);
  const int th = fm.height();
  TextOut(p, {CentredTextLeft(cx, tw), cy - th}, text, Qt::white, QColor());
}

int PaintComposedView(QPainter& p, TImageDoc& doc, const TViewOptions& options, int clientW,
                      int clientH, int outerW, int outerH, const QFont& font, char sep) {
  p.save();
  p.setFont(font);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (options.ZScale) DrawZScale(p, doc, options, clientW, clientH, outerW, outerH, sep);
  const int side = ViewSide(clientW, clientH, options.ZScale);
  // Always square, whatever the picture's aspect ratio.
  if (doc.HasImage() && doc.Image1.Width > 0 && doc.Image1.Height > 0)
    p.drawImage(QRect(0, 0, side, side), ToQImage(doc.Image1));
  if (options.XYLabel) DrawXYScale(p, doc, side, sep);
  p.restore();
  return side;
}

int PaintComposedView(QPaintDevice& device, TImageDoc& doc, const TViewOptions& options,
                      int clientW, int clientH, int outerW, int outerH, const QFont& font,
                      char sep) {
  QPainter p(&device);
  return PaintComposedView(p, doc, options, clientW, clientH, outerW, outerH, font, sep);
}

QImage ComposedViewImage(TImageDoc& doc, const TViewOptions& options, int requestedW,
                         int requestedH, const QFont& font, char sep) {
  const TViewSize client = FitClient(requestedW, requestedH, options.ZScale);
  QImage img(std::max(client.Width, 1), std::max(client.Height, 1), QImage::Format_RGB32);
  img.fill(Qt::white);
  PaintComposedView(img, doc, options, client.Width, client.Height, client.Width, client.Height,
                    font, sep);
  return img;
}

QImage WithFewColoursIndexed(const QImage& image) {
  if (image.isNull() || image.format() == QImage::Format_Indexed8) return image;
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  // An open-addressed table of the colours met so far; 512 slots for at most 256
  // colours keep every probe short.
  constexpr uint32_t kSlots = 512;
  constexpr uint32_t kEmpty = 0;  // RGB32 pixels always have alpha 0xFF, so never 0
  std::array<uint32_t, kSlots> key{};
  std::array<uint8_t, kSlots> index{};
  QList<QRgb> table;
  QImage out(rgb.size(), QImage::Format_Indexed8);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* src = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
    uchar* dst = out.scanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      const uint32_t c = src[x] | 0xFF000000u;
      uint32_t h = (c * 2654435761u) >> 23;  // 9 bits
      while (key[h] != kEmpty && key[h] != c) h = (h + 1) & (kSlots - 1);
      if (key[h] == kEmpty) {
        if (table.size() == 256) return image;  // too many colours: keep 32 bits
        key[h] = c;
        index[h] = static_cast<uint8_t>(table.size());
        table.push_back(c);
      }
      dst[x] = index[h];
    }
  }
  out.setColorTable(table);
  return out;
}

namespace {

// Writes `bytes` as the whole file `path`. The image writers do not look at what
// happens when their buffered file is flushed on closing, so a full disk or a failing
// device would pass as success: the bytes are made in memory, written, flushed and the
// file closed here, and every step is checked.
bool WriteWholeFile(const std::string& path, const QByteArray& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const size_t size = static_cast<size_t>(bytes.size());
  bool ok = std::fwrite(bytes.constData(), 1, size, file) == size;
  ok = std::fflush(file) == 0 && ok;
  return std::fclose(file) == 0 && ok;
}

// `img` encoded in `format` ("PNG", "BMP"); empty when it cannot be encoded.
QByteArray Encoded(const QImage& img, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!img.save(&buffer, format)) return {};
  return bytes;
}

}  // namespace

bool WriteComposedView(const std::string& path, TImageDoc& doc, const TViewOptions& options,
                       int requestedW, int requestedH, const QFont& font, char sep,
                       QString* error) {
  const QString shownPath = QFile::decodeName(QByteArray::fromStdString(path));
  const QString suffix = QFileInfo(shownPath).suffix().toLower();
  if (suffix == "png") {
    const QByteArray png = Encoded(
        WithFewColoursIndexed(ComposedViewImage(doc, options, requestedW, requestedH, font, sep)),
        "PNG");
    if (!png.isEmpty() && WriteWholeFile(path, png)) return true;
    if (error) *error = "Cannot write " + shownPath;
    return false;
  }
  if (suffix != "svg") {
    if (error) *error = "The view is written as .png or .svg, not " + shownPath;
    return false;
  }
  const TViewSize client = FitClient(requestedW, requestedH, options.ZScale);
  QSvgGenerator svg;
  // Render to memory first: the generator cannot report a failed file.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(client.Width, client.Height));
  svg.setViewBox(QRect(0, 0, client.Width, client.Height));
  svg.setResolution(96);  // the pixel font sizes of the screen
  svg.setTitle(ToQString(doc.Caption));
  {
    QPainter p(&svg);
    p.fillRect(QRect(0, 0, client.Width, client.Height), Qt::white);
    PaintComposedView(p, doc, options, client.Width, client.Height, client.Width, client.Height,
                      font, sep);
  }
  if (!WriteWholeFile(path, buffer.data())) {
    if (error) *error = "Cannot write " + shownPath;
    return false;
  }
  return true;
}

bool WriteBitmapFile(const TBitmap8& bitmap, const std::string& path) {
  if (bitmap.Width <= 0 || bitmap.Height <= 0) return false;
  // Encoded here rather than by the image library, whose line padding holds whatever
  // its buffer held.
  const std::string bytes = EncodeBitmap8(bitmap);
  return WriteWholeFile(
      path, QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool WriteBitmapFile(const TBitmap8& bitmap, const QString& path) {
  return WriteBitmapFile(bitmap, QFile::encodeName(path).toStdString());
}
