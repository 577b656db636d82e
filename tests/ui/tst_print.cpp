// File > Print onto a PDF printer.
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "app/TMainForm.h"
#include "support/RecordingMessages.h"
#include "view/TMDIChild.h"

class TestPrint : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

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
