// Palettes through the command line and through View > Palette: files written here
// independently are applied with palette:FILE and written back with --palette, and
// compared byte for byte; the editor opened from the main window gives the image the
// same colours as the command line does.
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "../ui/AnswerModal.h"
#include "app/TMainForm.h"
#include "app/ToolCommands.h"
#include "cli/CliHost.h"
#include "cli/Operations.h"
#include "formats/OpenFile.h"
#include "palette/ui/TPaletteForm.h"
#include "support/CliRun.h"
#include "support/RecordingMessages.h"
#include "view/TMDIChild.h"

namespace {

const QString kDemo = QStringLiteral(TARNISK_SAMPLES_DIR "/demo/demo.txt");

// Entry i of the test palette: (i, 255 - i, 7 i mod 256).
QByteArray EntryLines() {
  QByteArray s;
  for (int i = 0; i < 256; ++i)
    s += QByteArray::number(i) + ' ' + QByteArray::number(255 - i) + ' ' +
         QByteArray::number((7 * i) % 256) + "\r\n";
  return s;
}

QByteArray EntryBytes() {
  QByteArray b;
  for (int i = 0; i < 256; ++i) {
    b += char(i);
    b += char(255 - i);
    b += char((7 * i) % 256);
  }
  return b;
}

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  return path;
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestPaletteCli : public QObject {
  Q_OBJECT

 private slots:
  void filesRoundTripByteForByte() {
    QTemporaryDir dir;
    const QByteArray jasc = "JASC-PAL\r\n0100\r\n256\r\n" + EntryLines();
    const QString in[3] = {Write(dir, "in.PAL", jasc), Write(dir, "in.txt", EntryLines()),
                           Write(dir, "in.act", EntryBytes())};
    const QString out[3] = {dir.filePath("out.pal"), dir.filePath("out.TXT"), dir.filePath("out")};
    const QByteArray expected[3] = {jasc, EntryLines(), EntryBytes()};
    for (int from = 0; from < 3; ++from) {
      for (int to = 0; to < 3; ++to) {
        QFile::remove(out[to]);
        const TCliResult r = RunCli(
            {"process", kDemo, "--op", "palette:" + in[from], "--palette", out[to], "--quiet"});
        QCOMPARE(r.exit, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(Read(out[to]), expected[to]);
      }
    }
    // The rendered bitmap carries the colours.
    const TCliResult r =
        RunCli({"process", kDemo, "--op", "palette:" + in[0], "--bmp", dir.filePath("b.bmp")});
    QCOMPARE(r.exit, 0);
    const QImage bmp(dir.filePath("b.bmp"));
    QCOMPARE(bmp.colorCount(), 256);
    QCOMPARE(bmp.color(200), qRgb(200, 55, (7 * 200) % 256));
  }

  void partialFilesMessagesAndRefusals() {
    QTemporaryDir dir;
    // Two entries, then a bad number: said, and the two entries are used; the rest
    // keep the image's default colours.
    const QString bad = Write(dir, "bad.TXT", "1 2 3\r\n300 -1 0\r\n4 x 6\r\n");
    TCliResult r =
        RunCli({"process", kDemo, "--op", "palette:" + bad, "--palette", dir.filePath("o.TXT")});
    QCOMPARE(r.exit, 0);
    QVERIFY2(r.err.contains("demo.txt: \"x\" is not a valid integer value."), r.err);
    const QList<QByteArray> lines = Read(dir.filePath("o.TXT")).split('\n');
    QCOMPARE(lines.at(0), QByteArray("1 2 3\r"));
    QCOMPARE(lines.at(1), QByteArray("44 255 0\r"));
    QCOMPARE(lines.at(2), QByteArray("4 0 24\r"));  // red read before the bad field
    QCOMPARE(lines.at(100), QByteArray("206 92 40\r"));
    QCOMPARE(lines.at(255), QByteArray("236 248 136\r"));

    // Wrong JASC header lines are said, the entries still read.
    const QString header = Write(dir, "h.PAL", "JASC\r\n0100\r\n16\r\n9 9 9\r\n");
    r = RunCli({"process", kDemo, "--op", "palette:" + header, "--palette", dir.filePath("h.TXT")});
    QCOMPARE(r.exit, 0);
    QVERIFY(r.err.contains("Keine JASC-Palette."));
    QVERIFY(r.err.contains("Keine 256-Farben-Palette."));
    QVERIFY(!r.err.contains("Falsche Version."));
    QVERIFY(Read(dir.filePath("h.TXT")).startsWith("9 9 9\r\n14 0 24\r\n"));

    // A missing file refuses the operation; an empty name is bad usage.
    r = RunCli({"process", kDemo, "--op", "palette:" + dir.filePath("none.PAL"), "--palette",
                dir.filePath("x.PAL")});
    QCOMPARE(r.exit, 1);
    QVERIFY(r.err.contains("Cannot open file " + dir.filePath("none.PAL").toUtf8()));
    QVERIFY(!QFile::exists(dir.filePath("x.PAL")));
    r = RunCli({"process", kDemo, "--op", "palette:", "--stats"});
    QCOMPARE(r.exit, 2);
    // An output that cannot be written.
    r = RunCli({"process", kDemo, "--palette", dir.filePath("no/such.PAL")});
    QCOMPARE(r.exit, 1);
    QVERIFY(r.err.contains("Cannot write file"));
  }

  void viewPaletteCommandMatchesTheCommandLine() {
    QTemporaryDir dir;
    const QString file = Write(dir, "part.PAL", "JASC-PAL\r\n0100\r\n256\r\n5 6 7\r\n300 0 9\r\n");
    RecordingMessages shown('.');
    TMainForm form(&shown, dir.filePath("tarnisk.ini"));
    form.show();
    QVERIFY(PaletteItemClick(form) == nullptr);  // no image window: nothing to edit
    form.OpenFile(kDemo);
    TMDIChild* image = form.CurrentImageWindow();
    QVERIFY(image);
    form.PaletteItem->trigger();
    QCOMPARE(image->ToolWindows().size(), 1);
    auto* editor = qobject_cast<TPaletteForm*>(image->ToolWindows().at(0));
    QVERIFY(editor);
    QCOMPARE(editor->windowTitle(), "Choose Palette for " + image->windowTitle());
    QVERIFY(editor->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(editor->isVisible());

    AnswerModal<QFileDialog>([file](QFileDialog* d) {
      d->selectNameFilter(d->nameFilters().at(0));
      d->findChild<QLineEdit*>("fileNameEdit")->setText(file);
      static_cast<QDialog*>(d)->accept();
    });
    editor->Oeffnen->trigger();
    QCOMPARE(editor->windowTitle(), QStringLiteral("Paletten-Editor <part.PAL>"));

    CliMessages said('.', TModalResult::mrYes);
    said.File = kDemo.toStdString();
    CliHost host(said);
    OpenFile(kDemo.toStdString(), host);
    host.Finish();
    TImageDoc& cli = *host.Images[0];
    NoProgress none;
    TCliOpContext ctx{said, '.', none};
    QVERIFY(ApplyOperation(ParseOperation("palette:" + file.toStdString()), cli, ctx));
    const TImageDoc& win = image->Doc();
    QVERIFY(std::memcmp(&win.Picture->ColourTable, &cli.Picture->ColourTable,
                        sizeof(TLogPalette)) == 0);
    QVERIFY(win.Image1.Palette == cli.Image1.Palette);
    QCOMPARE(int(cli.Image1.Palette[1].peRed), 44);
    QVERIFY(shown.shown.empty());

    // A second editor on the same image; both go with the image window.
    form.PaletteItem->trigger();
    QCOMPARE(image->ToolWindows().size(), 2);
    QPointer<QWidget> first = image->ToolWindows().at(0);
    QPointer<QWidget> second = image->ToolWindows().at(1);
    image->close();
    QTRY_VERIFY(first.isNull() && second.isNull());
  }
};

QTEST_MAIN(TestPaletteCli)
#include "tst_palettecli.moc"
