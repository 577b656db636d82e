// The command line's sphere operation: what it accepts, that its values are those of
// the plain definition for the radius the workbench accepts (in-process and through
// the program, byte for byte in the ASCII export), its refusals, and no progress
// lines when stderr is not a terminal.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <memory>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/Operations.h"
#include "formats/AsciiExport.h"
#include "formats/OpenFile.h"
#include "process/Sphere.h"
#include "support/CliRefusal.h"
#include "support/CliRun.h"
#include "support/PictureBits.h"

namespace {

const std::string kDemo = TARNISK_SAMPLES_DIR "/demo/demo.txt";

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The images of the demo file as the command line opens them.
struct Demo {
  CliMessages msgs{'.', TModalResult::mrYes};
  CliHost host{msgs};
  Demo() {
    msgs.File = kDemo;
    OpenFile(kDemo, host);
    host.Finish();
  }
};

std::unique_ptr<TVKMPicture> Copy(const TVKMPicture& source) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(source.Columns, source.Rows);
  p->ScanPara = source.ScanPara;
  if (p->HasMatrix()) std::memcpy(p->Data(), source.Data(), source.ValueCount() * sizeof(float));
  return p;
}

// The plain definition's result for radius r on `source` (no matrix when refused).
std::unique_ptr<TVKMPicture> Plain(const TVKMPicture& source, double r, bool lowpass) {
  auto out = Copy(source);
  CliMessages quiet('.', TModalResult::mrYes);
  NoProgress none;
  if (SphereFilterPlain(source, *out, r, lowpass, none, quiet) != TSphereRun::Done)
    out->SetSize(0, 0);
  return out;
}

}  // namespace

class TestSphereCli : public QObject {
  Q_OBJECT

 private slots:
  void radiusAndKindAreRead() {
    const TCliOperation low = ParseOperation("sphere:30:lowpass");
    QCOMPARE(std::string(low.Row->Name), std::string("sphere"));
    QCOMPARE(low.Repeat, 1);
    QCOMPARE(ParseOperation("sphere:2.5:highpass*3").Repeat, 3);
    QCOMPARE(Refusal("sphere:2,5:highpass"), std::string());
    QCOMPARE(Refusal("sphere: 7 :lowpass"), std::string());
    for (const char* bad :
         {"sphere:abc:lowpass", "sphere::lowpass", "sphere:3", "sphere:3:", "sphere:3:bandpass",
          "sphere:3:Lowpass", "sphere:3:lowpass:1", "sphere:3:lowpass*0"})
      QCOMPARE(Refusal(bad), std::string("malformed operation: ") + bad);
    QCOMPARE(Refusal("sphere"), std::string("unknown operation: sphere"));
  }

  void valuesAreThoseOfThePlainDefinition() {
    // The topography: 500 nm over 256 columns, heights in nm (equal units).
    Demo demo;
    TImageDoc& topo = *demo.host.Images[0];
    const auto original = Copy(*topo.Picture);
    NoProgress none;
    TCliOpContext ctx{demo.msgs, '.', none};
    QVERIFY(ApplyOperation(ParseOperation("sphere:30:lowpass"), topo, ctx));
    const auto low = Plain(*original, 30.0, true);
    QVERIFY(SameBits(*topo.Picture, *low));
    QVERIFY(!SameBits(*original, *low));  // the ball lifts some values
    // Rendered for the next operation: its minimum is the result's.
    float least = low->Data()[0];
    for (size_t i = 0; i < low->ValueCount(); ++i) least = std::min(least, low->Data()[i]);
    QCOMPARE(topo.Picture->Min, least);
    QCOMPARE(demo.msgs.Count, 0);

    // The current (nA over nm): z from the unit prefixes; pressed twice it reads the
    // image twice, so the result is that of one press.
    TImageDoc& current = *demo.host.Images[1];
    const auto before = Copy(*current.Picture);
    QVERIFY(ApplyOperation(ParseOperation("sphere:12.5:highpass*2"), current, ctx));
    QVERIFY(SameBits(*current.Picture, *Plain(*before, 12.5, false)));
  }

  void refusalsSayWhy() {
    Demo demo;
    TImageDoc& topo = *demo.host.Images[0];
    const auto original = Copy(*topo.Picture);
    NoProgress none;
    // A comma reads like a point, as in the radius edit.
    TCliOpContext point{demo.msgs, '.', none};
    TImageDoc& current = *demo.host.Images[1];
    const auto second = Copy(*current.Picture);
    QVERIFY(ApplyOperation(ParseOperation("sphere:2,5:lowpass"), current, point));
    QVERIFY(SameBits(*current.Picture, *Plain(*second, 2.5, true)));
    QCOMPARE(demo.msgs.Count, 0);
    // A negative radius gives no ball.
    QVERIFY(!ApplyOperation(ParseOperation("sphere:-3:lowpass"), topo, point));
    QCOMPARE(demo.msgs.Count, 1);
    QVERIFY(SameBits(*topo.Picture, *original));
  }

  void theProgramWritesTheSameNumbers() {
    QTemporaryDir dir;
    // 1000 nm is far above a quarter of the width: 64 pixels, 125 nm.
    const QString out = dir.filePath("high.dat");
    TCliResult r = RunCli({"process", QString::fromStdString(kDemo), "--op", "sphere:1000:highpass",
                           "--ascii", out, "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    QVERIFY2(!r.err.contains('%'), r.err.constData());  // stderr is a pipe: no progress
    Demo demo;
    const auto expected = Plain(*demo.host.Images[0]->Picture, 125.0, false);
    QVERIFY(expected->HasMatrix());
    const QString want = dir.filePath("want.dat");
    QVERIFY(WriteAsciiExport(*expected, want.toStdString(), '.'));
    QCOMPARE(Read(out), Read(want));

    // Refused: said on stderr as the box's text, exit 1, nothing written.
    const QString none = dir.filePath("none.dat");
    r = RunCli(
        {"process", QString::fromStdString(kDemo), "--op", "sphere:-1:lowpass", "--ascii", none});
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains("Error in Sphere-Init."), r.err.constData());
    QVERIFY(!QFile::exists(none));
    // Malformed: a usage error.
    r = RunCli(
        {"process", QString::fromStdString(kDemo), "--op", "sphere:big:lowpass", "--ascii", none});
    QCOMPARE(r.exit, 2);
    // Listed in the usage.
    r = RunCli({"process", "--help"});
    QVERIFY(r.out.contains("sphere:R:lowpass|highpass"));
  }
};

QTEST_GUILESS_MAIN(TestSphereCli)
#include "tst_spherecli.moc"
