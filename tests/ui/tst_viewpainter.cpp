// The composed view painted onto images: placement and colours of the square image,
// the colour bar with its labels and frame, and the x scale bar.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPicture>
#include <QTemporaryDir>
#include <QtTest>

#include "image/TImageDoc.h"
#include "image/ViewGeometry.h"
#include "qtgui/ViewPainter.h"

namespace {

QRgb PaletteColour(int i) {
  const TPaletteEntry e = DefaultColourTable()[i];
  return qRgb(e.peRed, e.peGreen, e.peBlue) & 0xFFFFFF;
}

// True when `rgb` is one of the palette colours index - tolerance .. index + tolerance.
bool IndexNear(QRgb rgb, int index, int tolerance) {
  for (int i = std::max(0, index - tolerance); i <= std::min(255, index + tolerance); ++i)
    if (PaletteColour(i) == rgb) return true;
  return false;
}

QRgb At(const QImage& img, int x, int y) {
  return img.pixel(x, y) & 0xFFFFFF;
}

const QRgb kWhite = qRgb(255, 255, 255) & 0xFFFFFF;
const QRgb kBlack = 0;

// 4 x 4 picture: matrix row 0 (bottom of the display) holds the minimum -2, the top
// row the maximum 3, the rows between 0.
std::unique_ptr<TImageDoc> MakeDoc(float xRange = 25) {
  auto doc = std::make_unique<TImageDoc>();
  doc->InitWindow(1, "test");
  doc->CreatePicture(4, 4);
  TVKMPicture& p = *doc->Picture;
  for (int c = 0; c < 4; ++c) {
    p.RowTable[0][c] = -2;
    p.RowTable[3][c] = 3;
  }
  p.ScanPara.XScanRange = xRange;
  p.ScanPara.XPhysUnit = "nm";
  p.ScanPara.PhysUnit = "pA";
  doc->Render('.');
  return doc;
}

// Non-white pixels within a rectangle.
int Ink(const QImage& img, const QRect& r, QRgb background = kWhite) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (At(img, x, y) != background) ++n;
  return n;
}

QFont TestFont() {
  return QFont("DejaVu Sans", 8);
}

}  // namespace

class TestViewPainter : public QObject {
  Q_OBJECT
 private slots:
  void imageIsStretchedSquareWithRowZeroAtTheBottom() {
    auto doc = MakeDoc();
    TViewOptions opt;
    opt.ZScale = true;
    const QImage img = ComposedViewImage(*doc, opt, 450, 300, TestFont(), '.');
    QCOMPARE(img.size(), QSize(450, 300));
    // Side = min(300, round(315)) = 300; each picture pixel is 75 x 75.
    QCOMPARE(At(img, 10, 290), PaletteColour(0));     // row 0: the minimum
    QCOMPARE(At(img, 10, 10), PaletteColour(255));    // last row: the maximum
    QCOMPARE(At(img, 299, 100), PaletteColour(102));  // 0 -> round(2 * 51) = 102
    // Right of the square, left of the bar: the white background.
    QCOMPARE(At(img, 301, 100), kWhite);
    QCOMPARE(At(img, 355, 150), kWhite);
  }

  void colourBarRunsFromTopColourToBottomColourInAFrame() {
    auto doc = MakeDoc();
    TViewOptions opt;
    opt.ZScale = true;
    const QImage img = ComposedViewImage(*doc, opt, 450, 300, TestFont(), '.');
    const TViewRect bar = ZScaleBarRect(450, 300);
    QCOMPARE(bar, (TViewRect{360, 75, 36, 120}));
    // The frame on the bar's outermost pixels; nothing outside it.
    QCOMPARE(At(img, 360, 100), kBlack);
    QCOMPARE(At(img, 395, 100), kBlack);
    QCOMPARE(At(img, 378, 75), kBlack);
    QCOMPARE(At(img, 378, 194), kBlack);
    QCOMPARE(At(img, 359, 100), kWhite);
    QCOMPARE(At(img, 396, 100), kWhite);
    QCOMPARE(At(img, 378, 195), kWhite);
    // Inside: colour 255 at the top, 0 at the bottom, every row from the palette.
    // The 256 colour rows are stretched onto 120 lines: line 1 inside the frame shows
    // about colour 252, line 118 about colour 3.
    QVERIFY(IndexNear(At(img, 378, 76), 252, 2));
    QVERIFY(IndexNear(At(img, 378, 193), 3, 2));
    QSet<QRgb> palette;
    for (int i = 0; i < 256; ++i) palette.insert(PaletteColour(i));
    for (int y = 76; y < 194; ++y) QVERIFY(palette.contains(At(img, 378, y)));
    // Middle of the bar: about colour 128 (within one row of 256 / 120 steps).
    QVERIFY(IndexNear(At(img, 378, 135), 128, 3));
    // Top to bottom the colours never climb back up the table.
    int previous = 255;
    for (int y = 76; y < 194; ++y) {
      int index = 0;
      while (PaletteColour(index) != At(img, 378, y)) ++index;
      QVERIFY(index <= previous);
      previous = index;
    }
  }

  void labelsAboveAndBelowTheBarOnWhite() {
    auto doc = MakeDoc();
    TViewOptions opt;
    opt.ZScale = true;
    const QImage img = ComposedViewImage(*doc, opt, 450, 300, TestFont(), '.');
    QCOMPARE(QString::fromStdString(doc->MaxText), QString("3.000"));
    QCOMPARE(QString::fromStdString(doc->MinText), QString("-2.000"));
    QFontMetrics fm(TestFont(), &const_cast<QImage&>(img));
    const int fontHeight = QFontInfo(TestFont()).pixelSize();
    // Max label: top at 75 - 10 - |font height|, left at the bar's left edge.
    const int maxTop = 75 - 10 - fontHeight;
    QVERIFY(Ink(img, QRect(360, maxTop, 60, fm.height())) > 10);
    QCOMPARE(Ink(img, QRect(300, maxTop, 59, fm.height())), 0);  // nothing left of it
    QCOMPARE(Ink(img, QRect(360, 0, 80, maxTop - 1)), 0);        // nothing above it
    // Min label: top at bar bottom + 10 = 205.
    QVERIFY(Ink(img, QRect(360, 205, 60, fm.height())) > 10);
    QCOMPARE(Ink(img, QRect(360, 196, 80, 8)), 0);  // gap of 10 below the bar
  }

  void largerFontMovesTheMaximumLabelUp() {
    auto doc = MakeDoc();
    TViewOptions opt;
    opt.ZScale = true;
    QFont big("DejaVu Sans");
    big.setPixelSize(20);
    const QImage img = ComposedViewImage(*doc, opt, 450, 300, big, '.');
    // Top at 75 - 10 - 20 = 45: ink starts there, nothing above it.
    QVERIFY(Ink(img, QRect(360, 45, 80, 20)) > 20);
    QCOMPARE(Ink(img, QRect(300, 0, 150, 45)), 0);
  }

  void recordedPictureDrawsTheSameView() {
    // The window records the view as a vector picture and plays it onto its bitmap.
    auto doc = MakeDoc();
    TViewOptions opt;
    opt.ZScale = opt.XYLabel = true;
    QPicture picture;
    const int side = PaintComposedView(picture, *doc, opt, 450, 300, 450, 300, TestFont(), '.');
    QCOMPARE(side, 300);
    QImage played(450, 300, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
      QPainter p(&played);
      p.drawPicture(0, 0, picture);
    }
    const QImage direct = ComposedViewImage(*doc, opt, 450, 300, TestFont(), '.');
    for (const QPoint pt : {QPoint(10, 290), QPoint(10, 10), QPoint(360, 100), QPoint(378, 135),
                            QPoint(240, 243), QPoint(378, 194)})
      QCOMPARE(At(played, pt.x(), pt.y()), At(direct, pt.x(), pt.y()));
  }

  void zeroMaxLabelsAndUnits() {
    auto doc = MakeDoc();
    TViewOptions opt;
    opt.ZScale = true;
    opt.ZeroMax = true;
    ComposedViewImage(*doc, opt, 450, 300, TestFont(), ',');
    QCOMPARE(QString::fromStdString(doc->MinText), QString("0"));
    QCOMPARE(QString::fromStdString(doc->MaxText), QString("5,000"));
    // Without the colour bar the texts stay those of the rendering.
    auto plain = MakeDoc();
    TViewOptions none;
    const QImage img = ComposedViewImage(*plain, none, 450, 300, TestFont(), '.');
    QCOMPARE(img.size(), QSize(300, 300));
    QCOMPARE(QString::fromStdString(plain->MaxText), QString("3.000"));
  }

  void scaleBarIsWhiteBelowAndRightWithItsLengthAbove() {
    auto doc = MakeDoc(25);
    TViewOptions opt;
    opt.XYLabel = true;
    const QImage img = ComposedViewImage(*doc, opt, 300, 300, TestFont(), '.');
    // Side 300: centre (240, 240); L = 2 -> 2 / 25 * 300 = 24 pixels, h = 12.
    const TXYScaleBar bar = XYScaleBar(25, 300);
    QCOMPARE(bar.Len, 24);
    for (int x = 230; x <= 250; ++x) QCOMPARE(At(img, x, 243), kWhite);
    QCOMPARE(At(img, 240, 246), kWhite);  // the middle tick
    QCOMPARE(At(img, 228, 246), kWhite);  // the end ticks reach cy + 7
    QCOMPARE(At(img, 252, 246), kWhite);
    // Outside the bar the picture shows (the bottom row, the minimum, is there).
    QCOMPARE(At(img, 215, 243), PaletteColour(0));
    QCOMPARE(At(img, 265, 243), PaletteColour(0));
    QCOMPARE(At(img, 240, 250), PaletteColour(0));
    // The text "2 nm" in white just above the bar, centred on 240.
    const int th = QFontMetrics(TestFont()).height();
    int white = 0, left = 300, right = 0;
    for (int y = 240 - th; y < 240; ++y)
      for (int x = 200; x < 280; ++x)
        if (qGreen(At(img, x, y)) > 200) {  // white text, smoothed edges included
          ++white;
          left = std::min(left, x);
          right = std::max(right, x);
        }
    QVERIFY(white > 10);
    QVERIFY(std::abs((left + right) / 2 - 240) <= 2);
  }

  void noScaleBarWithoutRange() {
    auto doc = MakeDoc(0);
    TViewOptions opt;
    opt.XYLabel = true;
    const QImage img = ComposedViewImage(*doc, opt, 300, 300, TestFont(), '.');
    QCOMPARE(Ink(img, QRect(150, 150, 150, 75), PaletteColour(102)), 0);
    QCOMPARE(Ink(img, QRect(150, 225, 150, 75), PaletteColour(0)), 0);
  }

  void pngSvgAndBmpFiles() {
    QTemporaryDir dir;
    auto doc = MakeDoc();
    TViewOptions opt;
    opt.ZScale = opt.XYLabel = true;
    QString error;
    const QString png = dir.filePath("v.png");
    QVERIFY(WriteComposedView(png.toStdString(), *doc, opt, 600, 500, TestFont(), '.', &error));
    QImage back(png);
    QCOMPARE(back.size(), QSize(600, 400));  // fitted to 3 : 2
    QCOMPARE(At(back, 10, 390), PaletteColour(0));

    const QString svg = dir.filePath("v.SVG");
    QVERIFY(WriteComposedView(svg.toStdString(), *doc, opt, 450, 300, TestFont(), '.', &error));
    QFile f(svg);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("<svg"));
    QVERIFY(text.contains("<image"));
    QVERIFY(text.contains("3.000 pA"));

    QVERIFY(!WriteComposedView(dir.filePath("v.jpg").toStdString(), *doc, opt, 450, 300, TestFont(),
                               '.', &error));
    QVERIFY(error.contains(".png"));
    QVERIFY(
        !WriteComposedView("/nonexistent-dir/v.png", *doc, opt, 450, 300, TestFont(), '.', &error));

    const QString bmp = dir.filePath("b.bmp");
    QVERIFY(WriteBitmapFile(doc->Image1, bmp));
    QFile b(bmp);
    QVERIFY(b.open(QIODevice::ReadOnly));
    const QByteArray bytes = b.readAll();
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(int(uchar(bytes[28])), 8);  // bits per pixel
    QImage bi(bmp);
    QCOMPARE(bi.format(), QImage::Format_Indexed8);
    QCOMPARE(bi.colorTable().size(), 256);
    QCOMPARE(bi.pixelIndex(0, 3), 0);    // bottom line: matrix row 0
    QCOMPARE(bi.pixelIndex(0, 0), 255);  // top line: the last row
    QCOMPARE(bi.color(255) & 0xFFFFFF, PaletteColour(255));
  }

  void aViewOfFewColoursIsWrittenWithAColourTableAndTheSamePixels() {
    QTemporaryDir dir;
    auto doc = MakeDoc();
    TViewOptions plain;  // the image alone: only colours of the colour table
    const QString png = dir.filePath("plain.png");
    QString error;
    QVERIFY(WriteComposedView(png.toStdString(), *doc, plain, 300, 300, TestFont(), '.', &error));
    const QImage back(png);
    QCOMPARE(back.format(), QImage::Format_Indexed8);
    const QImage shown = ComposedViewImage(*doc, plain, 300, 300, TestFont(), '.');
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32),
             shown.convertToFormat(QImage::Format_RGB32));
  }

  void indexingKeepsEveryColourAndGivesUpBeyond256() {
    // 256 colours: indexed, every pixel the same colour as before.
    QImage many(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) many.setPixel(x, y, qRgb(x * 16, y * 16, (x * y) % 256));
    const QImage indexed = WithFewColoursIndexed(many);
    QCOMPARE(indexed.format(), QImage::Format_Indexed8);
    QCOMPARE(indexed.colorCount(), 256);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) QCOMPARE(indexed.pixel(x, y), many.pixel(x, y));

    // One colour more: the image stays as it is.
    QImage tooMany(17, 16, QImage::Format_RGB32);
    tooMany.fill(Qt::white);
    tooMany.setPixel(0, 0, qRgb(1, 2, 3));
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) tooMany.setPixel(x + 1, y, many.pixel(x, y));
    QCOMPARE(WithFewColoursIndexed(tooMany).format(), QImage::Format_RGB32);

    // A single colour, and colours that collide in the table, come through.
    QImage flat(5, 3, QImage::Format_RGB32);
    flat.fill(qRgb(10, 20, 30));
    flat.setPixel(4, 2, qRgb(30, 20, 10));
    const QImage two = WithFewColoursIndexed(flat);
    QCOMPARE(two.colorCount(), 2);
    QCOMPARE(two.pixel(0, 0), qRgb(10, 20, 30));
    QCOMPARE(two.pixel(4, 2), qRgb(30, 20, 10));
  }
};

QTEST_MAIN(TestViewPainter)
#include "tst_viewpainter.moc"
