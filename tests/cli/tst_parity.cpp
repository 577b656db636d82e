// The viewer and the command line compute the same numbers: one file is opened by
// both, the same operations run through the main window's commands and dialogs and
// through the command line's operation table, and the images are compared bit for
// bit after every step.
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>

#include "app/TAxesForm.h"
#include "app/TMainForm.h"
#include "cli/CliHost.h"
#include "cli/Operations.h"
#include "formats/OpenFile.h"
#include "process/ui/TArithForm.h"
#include "support/RecordingMessages.h"
#include "view/TMDIChild.h"

namespace {

const std::string kDemo = TARNISK_SAMPLES_DIR "/demo/demo.txt";

// Equal bit for bit: values, range, scan parameters, rendered bitmap and texts.
void CompareDocs(const TImageDoc& window, const TImageDoc& cli) {
  QVERIFY(window.HasImage() && cli.HasImage());
  const TVKMPicture& a = *window.Picture;
  const TVKMPicture& b = *cli.Picture;
  QCOMPARE(a.Columns, b.Columns);
  QCOMPARE(a.Rows, b.Rows);
  QVERIFY(std::memcmp(a.Data(), b.Data(), a.ValueCount() * sizeof(float)) == 0);
  QVERIFY(std::memcmp(&a.Min, &b.Min, sizeof(float)) == 0);
  QVERIFY(std::memcmp(&a.Max, &b.Max, sizeof(float)) == 0);
  QCOMPARE(a.ScanPara.XScanRange, b.ScanPara.XScanRange);
  QCOMPARE(a.ScanPara.YScanRange, b.ScanPara.YScanRange);
  QCOMPARE(a.ScanPara.Scale, b.ScanPara.Scale);
  QCOMPARE(a.ScanPara.XPhysUnit, b.ScanPara.XPhysUnit);
  QCOMPARE(a.ScanPara.YPhysUnit, b.ScanPara.YPhysUnit);
  QCOMPARE(a.ScanPara.PhysUnit, b.ScanPara.PhysUnit);
  QCOMPARE(window.Image1.Width, cli.Image1.Width);
  QCOMPARE(window.Image1.Height, cli.Image1.Height);
  for (int y = 0; y < cli.Image1.Height; ++y)
    QVERIFY(std::memcmp(window.Image1.ScanLine(y), cli.Image1.ScanLine(y),
                        static_cast<size_t>(cli.Image1.Width)) == 0);
  QCOMPARE(window.ChannelName, cli.ChannelName);
  QCOMPARE(window.InfoText, cli.InfoText);
}

}  // namespace

class TestParity : public QObject {
  Q_OBJECT

 private slots:
  void invertRescaleAndArithmeticMatchBitForBit() {
    // The viewer: the demo's two channels in two windows; the first one is worked on.
    QTemporaryDir dir;
    RecordingMessages shown('.');
    TMainForm form(&shown, dir.filePath("tarnisk.ini"));
    form.show();
    form.OpenFile(QString::fromStdString(kDemo));
    TMDIChild* topo = form.ImageWindows[1].data();
    TMDIChild* current = form.ImageWindows[2].data();
    QVERIFY(topo && current);
    form.MdiArea()->setActiveSubWindow(topo);
    QCOMPARE(form.CurrentImageWindow(), topo);

    // The command line: the same file, the first image.
    CliMessages said('.', TModalResult::mrYes);
    said.File = kDemo;
    CliHost host(said);
    OpenFile(kDemo, host);
    host.Finish();
    QCOMPARE(host.Images.size(), size_t(2));
    TImageDoc& cli = *host.Images[0];
    NoProgress none;
    TCliOpContext ctx{said, '.', none};
    CompareDocs(topo->Doc(), cli);

    // Process > Invers.
    form.Invers1Click();
    QVERIFY(ApplyOperation(ParseOperation("invert"), cli, ctx));
    CompareDocs(topo->Doc(), cli);

    // Process > Rescale: new ranges, a z range of 20 and new units, then OK.
    form.Scale1Click();
    TAxesForm* axes = form.AxesForm();
    QVERIFY(axes->isVisible());
    axes->Edit1->setText("500");
    axes->Edit2->setText("250");
    axes->Edit3->setText("20");
    axes->Edit4->setText("um");
    axes->Edit5->setText("um");
    axes->Edit6->setText("pA");
    QTest::mouseClick(axes->BitBtn2, Qt::LeftButton);
    QVERIFY(!axes->isVisible());
    QVERIFY(ApplyOperation(ParseOperation("rescale:500,250,20,um,um,pA"), cli, ctx));
    CompareDocs(topo->Doc(), cli);
    QCOMPARE(cli.Picture->ScanPara.PhysUnit, std::string("pA"));
    QVERIFY(std::fabs(cli.Picture->Max - cli.Picture->Min - 20.0f) < 1e-3f);

    // Arithmetic: this image minus the demo's second channel, then "Use".
    TArithForm* arith = form.ArithForm();
    arith->SetOperand(1, topo->Index());
    arith->SetOperand(2, current->Index());
    arith->Edit1KeyPress('-');
    arith->Compute();
    arith->Button1Click();
    TMDIChild* calculus = form.CurrentImageWindow();
    QVERIFY(calculus && calculus != topo && calculus != current);
    QVERIFY(ApplyOperation(ParseOperation("arith:-:" + kDemo + "#2"), cli, ctx));
    CompareDocs(calculus->Doc(), cli);
    QCOMPARE(cli.ChannelName, std::string("Calculus"));
    QVERIFY(shown.shown.empty());
    QCOMPARE(said.Count, 0);
  }
};

QTEST_MAIN(TestParity)
#include "tst_parity.moc"
