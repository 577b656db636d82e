// File > Print onto a PDF printer.
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "app/ClipboardPrint.h"
#include "app/TMainForm.h"
#include "support/RecordingMessages.h"
#include "ui/AnswerModal.h"
#include "view/TMDIChild.h"

class TestPrint : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

  // An image window with a ramp of values, so that no pixel is white.
  static void AddImage(TMainForm& form, int columns, int rows) {
    TImageDoc& doc = form.NewImage("ramp.bmp");
    doc.CreatePicture(columns, rows);
    for (size_t i = 0; i < doc.Picture->ValueCount(); ++i)
      doc.Picture->Data()[i] = static_cast<float>(i % 97);
    form.ImageReady(doc);
  }

  // The first page of `pdf` rendered at `dpi` by an independent renderer
  // (ghostscript, installed by scripts/setup.sh); the box of its non-white pixels,
  // which must lie inside the page with white all around. Empty on failure.
  QRect DrawnBox(const QString& pdf, int dpi) {
    const QString png = pdf + ".png";
    QProcess gs;
    gs.start("gs",
             {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=png16m", QString("-r%1").arg(dpi),
              "-dFirstPage=1", "-dLastPage=1", "-sOutputFile=" + png, pdf});
    if (!gs.waitForFinished(60000) || gs.exitCode() != 0) {
      qWarning() << "ghostscript could not render" << pdf << gs.readAllStandardError();
      return {};
    }
    const QImage page = QImage(png).convertToFormat(QImage::Format_RGB32);
    if (page.isNull()) return {};
    // A4 at `dpi`: 8.27 x 11.69 inches.
    if (std::abs(page.width() - 8.27 * dpi) > 2 || std::abs(page.height() - 11.69 * dpi) > 2) {
      qWarning() << "page of" << page.size();
      return {};
    }
    QRect box;
    for (int y = 0; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x) {
        const QColor c = page.pixelColor(x, y);
        if (c.red() < 240 || c.green() < 240 || c.blue() < 240) box |= QRect(x, y, 1, 1);
      }
    if (box.left() <= 0 || box.top() <= 0 || box.right() >= page.width() - 1 ||
        box.bottom() >= page.height() - 1) {
      qWarning() << "the drawing reaches the edge of the page:" << box << page.size();
      return {};
    }
    return box;
  }

 private slots:
  void printsTheBareImageToPdfTitledWithTheCaption() {
    RecordingMessages msgs;
    TMainForm form(&msgs, dir_.filePath("tarnisk.ini"));
    form.show();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir_.filePath("out.pdf");
    printer.setOutputFileName(pdf);
    QVERIFY(!form.PrintActiveImage(printer));  // no image window: nothing printed
    QVERIFY(!QFile::exists(pdf));

    TImageDoc& doc = form.NewImage("scan.bmp");
    doc.CreatePicture(4, 3);
    for (int i = 0; i < 12; ++i) doc.Picture->Data()[i] = static_cast<float>(i);
    form.ImageReady(doc);
    form.CurrentImageWindow()->setWindowTitle("my scan");
    QVERIFY(form.PrintActiveImage(printer));
    QCOMPARE(printer.docName(), QString("my scan"));
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    // The job title becomes the document's title, written in UTF-16 big-endian.
    QByteArray title;
    for (char c : QByteArray("my scan")) title.append('\0').append(c);
    QVERIFY(bytes.contains(title));
    QVERIFY(msgs.shown.empty());
  }

  void printTargetIsFiveTimesTheImageOrScaledToFit() {
    // 5 x 256 = 1280 printer pixels fit a page of 9000 x 12000.
    QCOMPARE(PrintTarget(QSize(256, 256), QSize(9000, 12000)), QRect(10, 10, 1280, 1280));
    // 5 x 514 = 2570 do not fit 794 - 20: the width decides, 2000 * 774 / 2570 = 602.3.
    QCOMPARE(PrintTarget(QSize(514, 400), QSize(794, 1123)), QRect(10, 10, 774, 602));
    // A tall image: the height decides, 5 x 700 = 3500 into 600 - 20.
    QCOMPARE(PrintTarget(QSize(100, 700), QSize(2000, 600)), QRect(10, 10, 82, 580));
    // Exactly fitting stays unscaled.
    QCOMPARE(PrintTarget(QSize(10, 10), QSize(70, 70)), QRect(10, 10, 50, 50));
  }

  void printCommandUsesThePrintersResolutionAndStaysOnThePage() {
    RecordingMessages msgs;
    TMainForm form(&msgs, dir_.filePath("tarnisk3.ini"));
    form.show();
    AddImage(form, 256, 256);
    const QString pdf = dir_.filePath("command.pdf");
    int resolution = 0;
    AnswerModal<QPrintDialog>([&](QPrintDialog* dlg) {
      QPrinter* printer = dlg->printer();
      resolution = printer->resolution();
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      printer->setPageSize(QPageSize(QPageSize::A4));
      dlg->done(QDialog::Accepted);  // as accepted, with the printer as set here
    });
    form.Print1Click();
    QVERIFY2(resolution >= 300, qPrintable(QString::number(resolution)));
    // 1280 dots at the printer's resolution, drawn inside the page.
    const QRect box = DrawnBox(pdf, 72);
    QVERIFY(!box.isEmpty());
    const double inches = 1280.0 / resolution;
    QVERIFY2(std::abs(box.width() - inches * 72) <= 2, qPrintable(QString::number(box.width())));
    QVERIFY(std::abs(box.width() - box.height()) <= 1);
  }

  void imageTooLargeForThePageIsScaledDownToFit() {
    RecordingMessages msgs;
    TMainForm form(&msgs, dir_.filePath("tarnisk4.ini"));
    form.show();
    AddImage(form, 514, 400);
    // A printer of screen resolution: 5 x 514 pixels are 27 inches there.
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const QString pdf = dir_.filePath("large.pdf");
    printer.setOutputFileName(pdf);
    printer.setResolution(96);
    QVERIFY(form.PrintActiveImage(printer));
    const QRect box = DrawnBox(pdf, 72);
    QVERIFY(!box.isEmpty());
    // The aspect of the image is kept.
    QVERIFY2(std::abs(double(box.width()) / box.height() - 514.0 / 400.0) < 0.03,
             qPrintable(QString("%1 x %2").arg(box.width()).arg(box.height())));
  }

  void unusablePrinterSaysPrintingError() {
    RecordingMessages msgs;
    TMainForm form(&msgs, dir_.filePath("tarnisk2.ini"));
    form.show();
    TImageDoc& doc = form.NewImage("a");
    doc.CreatePicture(2, 2);
    form.ImageReady(doc);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir_.filePath("no/such/folder/x.pdf"));
    QVERIFY(!form.PrintActiveImage(printer));
    QCOMPARE(msgs.Texts(), std::vector<std::string>{"Printing Error"});
  }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
