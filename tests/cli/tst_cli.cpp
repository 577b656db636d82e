// tarnisk-cli run as a program: usage errors, messages, info, export, process and
// convert on the demo measurement, and the files they write.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

struct Result {
  int exit = -1;
  QByteArray out;
  QByteArray err;
};

Result Cli(const QStringList& args, const QString& workDir = {}, const QString& locale = "C",
           const QString& stdoutFile = {}) {
  QProcess p;
  if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
  if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LC_ALL", locale);
  p.setProcessEnvironment(env);
  p.start(TARNISK_CLI_PATH, args);
  if (!p.waitForFinished(120000)) return {};
  Result r;
  r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

QString Demo() {
  return QString(TARNISK_SAMPLES_DIR) + "/demo/demo.txt";
}

// The "key: value" lines of the info blocks, one map per block.
QList<QMap<QString, QString>> InfoBlocks(const QByteArray& out) {
  QList<QMap<QString, QString>> blocks;
  QMap<QString, QString> block;
  for (const QByteArray& line : out.split('\n')) {
    if (line.isEmpty()) {
      if (!block.isEmpty()) blocks.push_back(block);
      block.clear();
      continue;
    }
    const int colon = line.indexOf(": ");
    if (colon > 0 && !line.startsWith("| "))
      block.insert(QString::fromLatin1(line.left(colon)), QString::fromLatin1(line.mid(colon + 2)));
  }
  if (!block.isEmpty()) blocks.push_back(block);
  return blocks;
}

// Every number of an ASCII export, row after row.
QList<double> Values(const QByteArray& table, int* rows = nullptr, int* cols = nullptr) {
  QList<double> v;
  const QList<QByteArray> lines = table.split('\n');
  int r = 0;
  for (const QByteArray& line : lines) {
    if (line.isEmpty()) continue;
    const QList<QByteArray> cells = line.trimmed().split('\t');
    if (cols) *cols = int(cells.size());
    for (const QByteArray& c : cells) v.push_back(c.toDouble());
    ++r;
  }
  if (rows) *rows = r;
  return v;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray U16(int v) {
  return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char((v >> 8) & 0xFF));
}
QByteArray U32(quint32 v) {
  return U16(int(v & 0xFFFF)) + U16(int(v >> 16));
}

}  // namespace

class TestCli : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY2(QFile::exists(Demo()), "the demo measurement is missing"); }

  void outputsNeverReplaceWhatTheRunReadsOrWrote() {
    QTemporaryDir dir;
    // A two-channel native file whose data files are named as its conversion's outputs.
    QByteArray text = ReadAll(Demo());
    text.replace("demo_topo.int", "scan_1.int").replace("demo_current.sin", "scan_2.sin");
    WriteFile(dir.filePath("scan.txt"), text);
    const QString demoDir = QFileInfo(Demo()).absolutePath();
    QVERIFY(QFile::copy(demoDir + "/demo_topo.int", dir.filePath("scan_1.int")));
    QVERIFY(QFile::copy(demoDir + "/demo_current.sin", dir.filePath("scan_2.sin")));
    const QByteArray before = Cli({"export", "scan.txt", "--image", "2"}, dir.path()).out;
    QVERIFY(!before.isEmpty());
    const QByteArray data = ReadAll(dir.filePath("scan_2.sin"));
    Result r = Cli({"convert", "scan.txt", "--to", "native-sin"}, dir.path());
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains("not written: ./scan_2.sin is a file this run reads"),
             r.err.constData());
    QCOMPARE(ReadAll(dir.filePath("scan_2.sin")), data);
    QCOMPARE(Cli({"export", "scan.txt", "--image", "2"}, dir.path()).out, before);
    // An output named as the input itself.
    r = Cli({"process", "scan.txt", "--ascii", "scan.txt"}, dir.path());
    QCOMPARE(r.exit, 1);
    QVERIFY(ReadAll(dir.filePath("scan.txt")) == text);

    // Two inputs of the same name into one folder: the second does not replace the first.
    QVERIFY(QDir(dir.path()).mkpath("a") && QDir(dir.path()).mkpath("out"));
    QVERIFY(QFile::copy(dir.filePath("scan.txt"), dir.filePath("a/scan.txt")));
    QVERIFY(QFile::copy(dir.filePath("scan_1.int"), dir.filePath("a/scan_1.int")));
    QVERIFY(QFile::copy(demoDir + "/demo_topo.int", dir.filePath("a/scan_2.sin")));  // other values
    r = Cli({"convert", "scan.txt", "a/scan.txt", "--to", "ascii", "--out-dir", "out"}, dir.path());
    QCOMPARE(r.exit, 1);
    QVERIFY2(
        r.err.contains("a/scan.txt: not written: out/scan_2.dat was written before in this run"),
        r.err.constData());
    QCOMPARE(ReadAll(dir.filePath("out/scan_2.dat")), before);
  }

  void statsSayWhichImageGivesNoRoughness() {
    // Image 1 holds a value that is no number: no block for it, a line saying so and
    // exit status 1; image 2's block follows.
    QTemporaryDir dir;
    WriteFile(dir.filePath("two.txt"),
              "Version    : 1.10\r\nXScanRange : 1\r\nYScanRange : 1\r\nXPhysUnit  : nm\r\n"
              "YPhysUnit  : nm\r\nxPixel     : 2\r\nyPixel     : 1\r\nFileDescBegin\r\n"
              "FileName : nan.sin\r\nFileDescEnd\r\nFileDescBegin\r\n"
              "FileName : two.sin\r\nFileDescEnd\r\n");
    const float nanAndOne[] = {std::nanf(""), 1.0f};
    const float twos[] = {2.0f, 2.0f};
    WriteFile(dir.filePath("nan.sin"), QByteArray(reinterpret_cast<const char*>(nanAndOne), 8));
    WriteFile(dir.filePath("two.sin"), QByteArray(reinterpret_cast<const char*>(twos), 8));
    const Result r = Cli({"process", dir.filePath("two.txt"), "--image", "all", "--stats"});
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains("no roughness for image 1"), r.err.constData());
    QVERIFY(!r.err.contains("image 2"));
    QCOMPARE(r.out, QByteArray("Mean = 2\nStD  = 0\n"));
  }

  void aMissingOutputFolderIsMade() {
    QTemporaryDir dir;
    const QString out = dir.filePath("new/sub");
    const Result r = Cli({"convert", Demo(), "--to", "ascii", "--out-dir", out});
    QCOMPARE(r.exit, 0);
    QVERIFY(QFile::exists(out + "/demo_1.dat") && QFile::exists(out + "/demo_2.dat"));
  }

  void anOutputOptionGivenTwiceIsAUsageError() {
    QTemporaryDir dir;
    const Result r = Cli(
        {"process", Demo(), "--ascii", dir.filePath("a.dat"), "--ascii", dir.filePath("b.dat")});
    QCOMPARE(r.exit, 2);
    QVERIFY(r.err.contains("--ascii is given more than once"));
    QVERIFY(!QFile::exists(dir.filePath("a.dat")) && !QFile::exists(dir.filePath("b.dat")));
  }

  void aReaderThatClosesThePipeEarlyGivesExitStatusOne() {
    // Without the signal ignored, the write into the closed pipe ends the program (141).
    QProcess p;
    p.start("bash", {"-c", QString("'%1' export '%2' | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}")
                               .arg(TARNISK_CLI_PATH, Demo())});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
  }

  void bitmapsAreTheSameBytesEveryTime() {
    // Ten columns: every line of the 8-bit bitmap has two bytes of padding, which are 0.
    QTemporaryDir dir;
    WriteFile(dir.filePath("w.txt"),
              "Version    : 1.10\r\nXScanRange : 1\r\nYScanRange : 1\r\nXPhysUnit  : nm\r\n"
              "YPhysUnit  : nm\r\nxPixel     : 10\r\nyPixel     : 3\r\nFileDescBegin\r\n"
              "FileName : w.sin\r\nFileDescEnd\r\n");
    QByteArray values;
    for (int i = 0; i < 30; ++i) {
      const float v = static_cast<float>(i * i % 17);
      values.append(reinterpret_cast<const char*>(&v), 4);
    }
    WriteFile(dir.filePath("w.sin"), values);
    QByteArray first;
    for (int run = 0; run < 3; ++run) {
      const QString bmp = dir.filePath(QString("w%1.bmp").arg(run));
      QCOMPARE(Cli({"process", dir.filePath("w.txt"), "--op", "invert", "--bmp", bmp}).exit, 0);
      const QByteArray bytes = ReadAll(bmp);
      QCOMPARE(bytes.size(), 1078 + 3 * 12);
      for (int y = 0; y < 3; ++y) {
        QCOMPARE(bytes[1078 + 12 * y + 10], '\0');
        QCOMPARE(bytes[1078 + 12 * y + 11], '\0');
      }
      if (run == 0) first = bytes;
      QCOMPARE(bytes, first);
    }
  }

  void helpAndVersion() {
    Result r = Cli({"--help"});
    QCOMPARE(r.exit, 0);
    QVERIFY(r.out.startsWith("Usage: tarnisk-cli COMMAND"));
    for (const char* cmd : {"info", "export", "process", "convert"}) {
      r = Cli({cmd, "--help"});
      QCOMPARE(r.exit, 0);
      QVERIFY(r.out.startsWith(QByteArray("Usage: tarnisk-cli ") + cmd));
      // Every line fits a terminal of 80 columns.
      for (const QByteArray& line : r.out.split('\n'))
        QVERIFY2(line.size() <= 80, line.constData());
    }
    r = Cli({"--version"});
    QCOMPARE(r.exit, 0);
    QVERIFY(r.out.startsWith("tarnisk-cli 1."));
  }

  void badUsageExitsTwoWithAReasonAndAPointer_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no command") << QStringList{} << "no command";
    QTest::newRow("unknown command") << QStringList{"frobnicate", "x"} << "unknown command";
    QTest::newRow("unknown option") << QStringList{"info", "--bogus", Demo()} << "unknown option";
    QTest::newRow("option of another command")
        << QStringList{"info", "--ascii", "a.dat", Demo()} << "not an option of info";
    QTest::newRow("no file") << QStringList{"info"} << "no input file";
    QTest::newRow("unknown operation")
        << QStringList{"process", Demo(), "--op", "median:3"} << "unknown operation";
    QTest::newRow("leveling order beyond the method's")
        << QStringList{"process", Demo(), "--op", "level:lines:9"} << "malformed operation";
    QTest::newRow("repeat of a single command")
        << QStringList{"process", Demo(), "--op", "invert*2"} << "malformed operation";
    QTest::newRow("image 0") << QStringList{"info", "--image", "0", Demo()} << "--image";
    QTest::newRow("image text") << QStringList{"info", "--image", "x1", Demo()} << "--image";
    QTest::newRow("missing value") << QStringList{"info", Demo(), "--image"} << "needs a value";
    QTest::newRow("view suffix") << QStringList{"process", Demo(), "--view", "a.jpg"}
                                 << ".png or .svg";
    QTest::newRow("view size") << QStringList{"process", Demo(), "--view-size", "10y5"}
                               << "--view-size";
    QTest::newRow("native without kind")
        << QStringList{"process", Demo(), "--native", "a.txt"} << "--kind";
    QTest::newRow("bad kind") << QStringList{"process", Demo(),   "--native",
                                             "a.txt",   "--kind", "float"}
                              << "--kind";
    QTest::newRow("decimal point")
        << QStringList{"info", "--decimal-point", "ab", Demo()} << "--decimal-point";
    // Numbers with another separator could not be read again.
    QTest::newRow("decimal point letter")
        << QStringList{"info", "--decimal-point", "x", Demo()} << "--decimal-point";
    QTest::newRow("decimal point digit")
        << QStringList{"export", "--decimal-point", "5", Demo()} << "--decimal-point";
    // A range beyond the single range could not be saved and read again.
    QTest::newRow("rescale beyond singles")
        << QStringList{"process", Demo(), "--op", "rescale:1e39,1,1"} << "malformed operation";
    QTest::newRow("rescale height beyond singles")
        << QStringList{"process", Demo(), "--op", "rescale:1,1,-4e38,nm,nm,nm"}
        << "malformed operation";
    QTest::newRow("spectroscopy") << QStringList{"info", "--spectroscopy", "maybe", Demo()}
                                  << "--spectroscopy";
    QTest::newRow("several exports to one place")
        << QStringList{"export", Demo(), Demo()} << "--out-dir";
    QTest::newRow("all images into one path")
        << QStringList{"process", Demo(), "--image", "all", "--bmp", "a.bmp"} << "--out-dir";
    QTest::newRow("convert without target") << QStringList{"convert", Demo()} << "--to";
    QTest::newRow("rescale with two numbers")
        << QStringList{"process", Demo(), "--op", "rescale:1,2"} << "malformed operation";
    QTest::newRow("rescale with a word")
        << QStringList{"process", Demo(), "--op", "rescale:1,x,3"} << "malformed operation";
    QTest::newRow("arith with another operator")
        << QStringList{"process", Demo(), "--op", "arith:%:" + Demo()} << "malformed operation";
    QTest::newRow("arith image 0")
        << QStringList{"process", Demo(), "--op", "arith:+:" + Demo() + "#0"}
        << "malformed operation";
    QTest::newRow("profile of no kind")
        << QStringList{"process", Demo(), "--profile", "diag:1", "p.dat"} << "malformed --profile";
    QTest::newRow("profile width 0")
        << QStringList{"process", Demo(), "--profile", "row:1:0", "p.dat"} << "malformed --profile";
    QTest::newRow("profile any with three numbers")
        << QStringList{"process", Demo(), "--profile", "any:1,2,3", "p.dat"}
        << "malformed --profile";
    QTest::newRow("profile without path")
        << QStringList{"process", Demo(), "--profile", "row:1"} << "needs a PATH";
    QTest::newRow("s3d with one number")
        << QStringList{"process", Demo(), "--s3d", "10", "a.bmp"} << "malformed --s3d";
  }
  void badUsageExitsTwoWithAReasonAndAPointer() {
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const Result r = Cli(args, dir.path());
    QCOMPARE(r.exit, 2);
    QVERIFY(r.out.isEmpty());
    const QList<QByteArray> lines = r.err.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("tarnisk-cli: ") && lines[0].contains(reason.toLatin1()),
             r.err.constData());
    QVERIFY(lines[1].contains("--help"));
    QVERIFY(QDir(dir.path()).isEmpty());  // nothing was written
  }

  void unknownFileTypeFailsButOtherFilesStillRun() {
    Result r = Cli({"info", "scan.TXT"});
    QCOMPARE(r.exit, 1);
    QCOMPARE(r.err, QByteArray("tarnisk-cli: scan.TXT: Unknown file type\n"));
    QVERIFY(r.out.isEmpty());

    r = Cli({"info", "scan.TXT", Demo()});
    QCOMPARE(r.exit, 1);
    QCOMPARE(InfoBlocks(r.out).size(), 2);  // the demo's two channels after the failure

    r = Cli({"info", "/nonexistent/missing.txt"});
    QCOMPARE(r.exit, 1);
    QVERIFY(r.err.startsWith("tarnisk-cli: /nonexistent/missing.txt: "));
    QVERIFY(!r.err.trimmed().contains('\n'));  // one line per message
  }

  void spectroscopyQuestionIsAnsweredFromTheCommandLine() {
    const QString par =
        QString(TARNISK_REAL_SAMPLES_DIR) + "/omicron/stm-images_20ML_m3/m3_ori.par";
    if (!QFile::exists(par)) QSKIP("the instrument sample is not in this checkout");
    Result r = Cli({"info", par});
    QCOMPARE(r.exit, 0);
    QCOMPARE(InfoBlocks(r.out).size(), 2);
    // The question is one line; its line break is written as " / ".
    QVERIFY(r.err.startsWith(("tarnisk-cli: " + par + ": Found 2 topographic and0").toLatin1()));
    QVERIFY(r.err.contains(" / ") && r.err.contains("Read spectroscopy data?"));
    QCOMPARE(r.err.count('\n'), 1);
    // Cancel reads nothing: no image, exit status 1.
    r = Cli({"info", "--spectroscopy", "cancel", par});
    QCOMPARE(r.exit, 1);
    QVERIFY(r.out.isEmpty());
    QVERIFY(r.err.endsWith(": no image could be read\n"));
  }

  void infoOfTheDemo() {
    const Result r = Cli({"info", "--text", Demo()});
    QCOMPARE(r.exit, 0);
    const auto blocks = InfoBlocks(r.out);
    QCOMPARE(blocks.size(), 2);
    const QStringList order = {"image",    "title",      "columns",    "rows",      "xPixel",
                               "yPixel",   "XScanRange", "YScanRange", "XPhysUnit", "YPhysUnit",
                               "PhysUnit", "Scale",      "min",        "max"};
    // The keys in the documented order at the start of the output.
    const QList<QByteArray> lines = r.out.split('\n');
    for (int i = 0; i < order.size(); ++i)
      QVERIFY2(lines[i].startsWith((order[i] + ": ").toLatin1()), lines[i].constData());
    QCOMPARE(blocks[0]["image"], QString("1"));
    QVERIFY(blocks[0]["title"].endsWith("demo_topo.int - Topography"));
    QCOMPARE(blocks[0]["columns"], QString("256"));
    QCOMPARE(blocks[0]["rows"], QString("256"));
    QCOMPARE(blocks[0]["XScanRange"], QString("500"));
    QCOMPARE(blocks[0]["XPhysUnit"], QString("nm"));
    QCOMPARE(blocks[0]["PhysUnit"], QString("nm"));
    QCOMPARE(blocks[0]["Scale"], QString("0.00100000004749745"));  // the single 0.001
    QCOMPARE(blocks[1]["image"], QString("2"));
    QVERIFY(blocks[1]["title"].endsWith("demo_current.sin - Current"));
    QCOMPARE(blocks[1]["PhysUnit"], QString("nA"));
    QVERIFY(r.out.contains("| Version    : 1.10"));
  }

  void exportMatchesInfoAndTheSeparator() {
    Result info = Cli({"info", "--image", "2", Demo()});
    QCOMPARE(info.exit, 0);
    const auto blocks = InfoBlocks(info.out);
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(blocks[0]["image"], QString("2"));

    const Result ex = Cli({"export", "--image", "2", "--decimal-point", ".", Demo()});
    QCOMPARE(ex.exit, 0);
    QVERIFY(ex.out.endsWith("\r\n"));
    QCOMPARE(ex.out.count("\r\n"), 256);
    QCOMPARE(ex.out.count('\n'), 256);  // every line break is CR LF
    int rows = 0, cols = 0;
    const QList<double> v = Values(ex.out, &rows, &cols);
    QCOMPARE(rows, 256);
    QCOMPARE(cols, 256);
    QCOMPARE(v.size(), 256 * 256);
    const double mn = *std::min_element(v.begin(), v.end());
    const double mx = *std::max_element(v.begin(), v.end());
    QCOMPARE(mn, blocks[0]["min"].toDouble());
    QCOMPARE(mx, blocks[0]["max"].toDouble());
    QVERIFY(mx > mn);

    const Result comma = Cli({"export", "--image", "2", "--decimal-point", ",", Demo()});
    QCOMPARE(comma.exit, 0);
    QVERIFY(!comma.out.contains('.'));
    QByteArray back = comma.out;
    back.replace(',', '.');
    QCOMPARE(back, ex.out);

    // Without --decimal-point the user's locale decides.
    QCOMPARE(Cli({"export", "--image", "2", Demo()}, {}, "de_DE.UTF-8").out, comma.out);
    QCOMPARE(Cli({"export", "--image", "2", Demo()}, {}, "en_GB.UTF-8").out, ex.out);
  }

  void missingImageNumber() {
    const Result r = Cli({"export", "--image", "3", Demo()});
    QCOMPARE(r.exit, 1);
    QVERIFY(r.err.contains("no image 3"));
    QVERIFY(r.out.isEmpty());
  }

  void processWritesTheOutputs() {
    QTemporaryDir dir;
    const QString ascii = dir.filePath("t.dat"), bmp = dir.filePath("t.bmp"),
                  png = dir.filePath("t.png"), svg = dir.filePath("t.svg");
    const Result r = Cli({"process", Demo(), "--ascii", ascii, "--bmp", bmp, "--view", png,
                          "--zscale", "--xy-label", "--stats", "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    QCOMPARE(ReadAll(ascii), Cli({"export", "--decimal-point", ".", Demo()}).out);
    QVERIFY(r.out.startsWith("Mean = "));
    QVERIFY(r.out.contains("\nStD  = "));

    const QByteArray b = ReadAll(bmp);
    QCOMPARE(b.left(2), QByteArray("BM"));
    QCOMPARE(int(uchar(b[28])), 8);
    QCOMPARE(QImage(bmp).size(), QSize(256, 256));

    const QImage view(png);
    QCOMPARE(view.size(), QSize(450, 300));
    // The colour bar's frame at (360, 75)-(395, 194) and the white around it.
    QCOMPARE(view.pixel(360, 120) & 0xFFFFFF, 0u);
    QCOMPARE(view.pixel(395, 120) & 0xFFFFFF, 0u);
    QCOMPARE(view.pixel(378, 194) & 0xFFFFFF, 0u);
    QCOMPARE(view.pixel(350, 120) & 0xFFFFFF, 0xFFFFFFu);
    // The square image covers 300 x 300 with palette colours, not white.
    QVERIFY((view.pixel(150, 150) & 0xFFFFFF) != 0xFFFFFFu);
    QVERIFY((view.pixel(5, 295) & 0xFFFFFF) != 0xFFFFFFu);
    QCOMPARE(view.pixel(305, 295) & 0xFFFFFF, 0xFFFFFFu);

    const Result s = Cli({"process", Demo(), "--view", svg, "--view-size", "600x500", "--zscale"});
    QCOMPARE(s.exit, 0);
    const QByteArray text = ReadAll(svg);
    QVERIFY(text.contains("<svg"));
    QVERIFY(text.contains("viewBox=\"0 0 600 400\""));  // fitted to 3 : 2
    QVERIFY(text.contains(" nm<") || text.contains(" nm "));
  }

  void invertNegatesTheValues() {
    QTemporaryDir dir;
    const QString ascii = dir.filePath("inv.dat");
    const Result r =
        Cli({"process", Demo(), "--op", "invert", "--ascii", ascii, "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    const QList<double> orig = Values(Cli({"export", "--decimal-point", ".", Demo()}).out);
    const QList<double> inv = Values(ReadAll(ascii));
    QCOMPARE(inv.size(), orig.size());
    for (int i = 0; i < orig.size(); i += 97) QCOMPARE(inv[i], -orig[i]);
  }

  void rescaleScalesValuesRangesAndUnits() {
    QTemporaryDir dir;
    const QString saved = dir.filePath("r.txt");
    const auto before = InfoBlocks(Cli({"info", "--decimal-point", ".", Demo()}).out)[0];
    const double range = before["max"].toDouble() - before["min"].toDouble();
    const QString z = QString::number(2 * range, 'g', 17);
    Result r = Cli({"process", Demo(), "--op", "rescale:1.5,2.5," + z + ",um,um,A", "--native",
                    saved, "--kind", "sin"});
    QCOMPARE(r.exit, 0);
    const auto after = InfoBlocks(Cli({"info", "--decimal-point", ".", saved}).out)[0];
    QCOMPARE(after["XScanRange"], QString("1.5"));
    QCOMPARE(after["YScanRange"], QString("2.5"));
    QCOMPARE(after["XPhysUnit"], QString("um"));
    QCOMPARE(after["PhysUnit"], QString("A"));
    QVERIFY(std::fabs(after["max"].toDouble() - 2 * before["max"].toDouble()) < 1e-4);
    // Without units the image keeps its own.
    r = Cli({"process", Demo(), "--op", "rescale:7,7," + z, "--native", dir.filePath("k.txt"),
             "--kind", "sin"});
    QCOMPARE(r.exit, 0);
    QCOMPARE(InfoBlocks(Cli({"info", dir.filePath("k.txt")}).out)[0]["PhysUnit"], QString("nm"));
  }

  void arithUsesTheResultAsTheImage() {
    QTemporaryDir dir;
    const QString ascii = dir.filePath("q.dat");
    // The current channel divided by itself is 1 everywhere, titled "Calculus".
    Result r = Cli({"process", Demo(), "--image", "2", "--op", "arith:/:" + Demo() + "#2",
                    "--ascii", ascii, "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    const QList<double> q = Values(ReadAll(ascii));
    QCOMPARE(q.size(), 256 * 256);
    for (double v : q) QCOMPARE(v, 1.0);
    // Then inverted: the ops run in order on the result.
    r = Cli({"process", Demo(), "--op", "arith:-:" + Demo() + "#1", "--op", "invert", "--ascii",
             ascii, "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    for (double v : Values(ReadAll(ascii))) QCOMPARE(v, 0.0);
    // A "#" that is not followed by digits alone belongs to the file name.
    const QString hashed = dir.filePath("run#a.txt");
    QCOMPARE(Cli({"process", Demo(), "--image", "2", "--native", hashed, "--kind", "sin"}).exit, 0);
    r = Cli({"process", Demo(), "--image", "2", "--op", "arith:/:" + hashed, "--ascii", ascii,
             "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    for (double v : Values(ReadAll(ascii))) QCOMPARE(v, 1.0);
  }

  void arithRefusals() {
    QTemporaryDir dir;
    const QString out = dir.filePath("x.dat");
    // No such image in the second file.
    Result r = Cli({"process", Demo(), "--op", "arith:+:" + Demo() + "#5", "--ascii", out});
    QCOMPARE(r.exit, 1);
    QVERIFY(!QFile::exists(out));
    // Different sizes: the arithmetic window's message, nothing written.
    const QString small = dir.filePath("small.txt");
    QCOMPARE(Cli({"process", QString(TARNISK_SAMPLES_DIR) + "/native/v110.txt", "--native", small,
                  "--kind", "sin"})
                 .exit,
             0);
    r = Cli({"process", Demo(), "--op", "arith:*:" + small, "--ascii", out});
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains(": Pictures must have some size!"), r.err.constData());
    QVERIFY(!QFile::exists(out));
    // Division by zero: the message, and the partial result is still used, as "Use"
    // takes it in the viewer; the run says it is not whole by its exit status.
    const QString zeros = dir.filePath("zeros.txt");
    QCOMPARE(
        Cli({"process", Demo(), "--op", "arith:-:" + Demo(), "--native", zeros, "--kind", "sin"})
            .exit,
        0);
    r = Cli(
        {"process", Demo(), "--op", "arith:/:" + zeros, "--ascii", out, "--decimal-point", "."});
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains(": Error in calculation!"), r.err.constData());
    const QList<double> partial = Values(ReadAll(out));
    QCOMPARE(partial.size(), 256 * 256);
    // Column 0 failed at row 0: every cell keeps the first operand's first value.
    for (double v : partial) QCOMPARE(v, partial[0]);
  }

  void workbenchOperationsRunAndRefuseAsTheWorkbench() {
    QTemporaryDir dir;
    const QString ascii = dir.filePath("l.dat");
    // Row means removed, then a low-pass twice: every row of the leveled image has mean
    // zero before the filter; after it the values are still finite and the image kept
    // its size.
    Result r =
        Cli({"process", Demo(), "--op", "level:lines:0", "--ascii", ascii, "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    int rows = 0, cols = 0;
    const QList<double> leveled = Values(ReadAll(ascii), &rows, &cols);
    const QList<double> orig = Values(Cli({"export", "--decimal-point", ".", Demo()}).out);
    QCOMPARE(rows, 256);
    QCOMPARE(cols, 256);
    for (int row = 0; row < rows; ++row) {
      double sum = 0, scale = 0;
      for (int c = 0; c < cols; ++c) {
        sum += leveled[row * cols + c];
        scale = std::max(scale, std::fabs(orig[row * cols + c]));
      }
      QVERIFY(std::fabs(sum / cols) <= 1e-5 * scale);
    }
    r = Cli({"process", Demo(), "--op", "level:lines:0", "--op", "filter:lowpass*2", "--ascii",
             ascii, "--decimal-point", "."});
    QCOMPARE(r.exit, 0);
    QCOMPARE(Values(ReadAll(ascii)).size(), 256 * 256);

    // One marked point: the workbench's two-line message as one line, the image refused.
    const QString out = dir.filePath("p.dat");
    r = Cli({"process", Demo(), "--op", "level:points:3,4", "--ascii", out});
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains(": Not enough points! / Please mark points with left mouse button."),
             r.err.constData());
    QVERIFY(!QFile::exists(out));
    // The operations are in the usage text.
    const Result help = Cli({"process", "--help"});
    for (const char* op : {"level:lines:N", "level:cols:N", "level:2dim:N", "level:points:",
                           "filter:lowpass|highpass|laplace|beleuchtung", "badpoints:P"})
      QVERIFY2(help.out.contains(op), op);
  }

  void latin1TextsOfFilesAreShownAsUtf8() {
    QTemporaryDir dir;
    const QString native = QString(TARNISK_SAMPLES_DIR) + "/native/";
    QByteArray header = ReadAll(native + "v110.txt");
    header.replace("YPhysUnit  : um", "YPhysUnit  : \xB5m");  // the micro sign as one byte
    header.replace("Caption  : Topo", "Caption  : \xC5-Topo");
    QFile out(dir.filePath("latin.txt"));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(header);
    out.close();
    for (const char* data : {"v110_a.int", "v110_b.sin", "v110_c.sin"})
      QVERIFY(QFile::copy(native + data, dir.filePath(data)));
    const Result r = Cli({"info", "--image", "1", "--text", dir.filePath("latin.txt")});
    QCOMPARE(r.exit, 0);
    const auto info = InfoBlocks(r.out);
    QCOMPARE(info[0]["YPhysUnit"], QString::fromLatin1("\xC2\xB5m"));  // UTF-8 bytes
    QVERIFY(r.out.contains("title: v110_a.int - \xC3\x85-Topo\n"));
    QVERIFY(r.out.contains("| YPhysUnit  : \xC2\xB5m"));
    // A native save keeps the file's own bytes.
    QCOMPARE(Cli({"process", dir.filePath("latin.txt"), "--native", dir.filePath("again.txt"),
                  "--kind", "sin"})
                 .exit,
             0);
    QVERIFY(ReadAll(dir.filePath("again.txt")).contains("YPhysUnit  : \xB5m"));
  }

  void filesReadOnlyPartlyExitOneAndStillWriteTheirOutputs() {
    QTemporaryDir dir;
    // Burleigh: 30 x 30 samples announced, 5 present (and the trailer's 20 words).
    QByteArray img = QByteArray::fromHex("66660640") + U16(30) + U16(30) + QByteArray(10, 1);
    for (quint32 v : {20000u, 20000u, 3000u, 10000u, 10000u, 1000u}) img += U32(v);
    img += U16(1) + U16(1) + U16(1) + U16(0) + U32(0) + U32(0);
    WriteFile(dir.filePath("short.img"), img);
    // TopoMetrix: the data offset lies past the end of the file.
    QByteArray tfp(512, '\0');
    tfp.replace(260, 4, U32(100000));
    tfp.replace(406, 4, U32(2));
    tfp.replace(410, 4, U32(2));
    WriteFile(dir.filePath("far.tfp"), tfp);
    // Native: the data file holds 3 of 4 values.
    WriteFile(dir.filePath("n.txt"),
              "Version    : 1.10\r\nXScanRange : 1\r\nYScanRange : 1\r\nXPhysUnit  : nm\r\n"
              "YPhysUnit  : nm\r\nxPixel     : 2\r\nyPixel     : 2\r\nFileDescBegin\r\n"
              "FileName : n.sin\r\nFileDescEnd\r\n");
    WriteFile(dir.filePath("n.sin"), QByteArray(12, '\0'));
    // A 24-bit bitmap of 2 x 2 whose top line lacks 4 of its 8 bytes (decoded by the
    // platform's decoder, which reads such a file without complaint).
    QByteArray bmp = QByteArray("BM") + U32(70) + U32(0) + U32(54) + U32(40) + U32(2) + U32(2) +
                     U16(1) + U16(24) + U32(0) + U32(16) + U32(2835) + U32(2835) + U32(0) + U32(0) +
                     QByteArray(12, 7);
    WriteFile(dir.filePath("cut.bmp"), bmp);
    struct Case {
      const char* file;
      const char* message;
    };
    for (const Case& c : {Case{"short.img", "Read error encountered, process canceled"},
                          Case{"far.tfp", "ends too early: 0 of 4 points read, the rest are 0."},
                          Case{"n.txt", "holds only 3 of 4 values; the others are set to 0."},
                          Case{"cut.bmp", "ends too early: 3 of 4 points read, the rest are 0."}}) {
      const QString out = dir.filePath(QString(c.file) + ".dat");
      Result r = Cli({"process", dir.filePath(c.file), "--ascii", out});
      QCOMPARE(r.exit, 1);
      QVERIFY2(r.err.contains(c.message), r.err.constData());
      QVERIFY2(QFile::exists(out), c.file);  // the outputs are still written
      r = Cli({"info", dir.filePath(c.file)});
      QCOMPARE(r.exit, 1);
      QVERIFY(r.out.contains("columns: "));
    }
    // Read whole, the same kind of file exits 0.
    WriteFile(dir.filePath("n.sin"), QByteArray(16, '\0'));
    QCOMPARE(Cli({"info", dir.filePath("n.txt")}).exit, 0);
  }

  void failedWritesToStandardOutputExitOne() {
    if (!QFile::exists("/dev/full")) QSKIP("no /dev/full here");
    struct Case {
      QStringList args;
      bool message;  // the per-file line names the file
    };
    for (const Case& c : {Case{{"info", Demo()}, true}, Case{{"export", Demo()}, true},
                          Case{{"process", Demo(), "--stats"}, true}, Case{{"--help"}, false},
                          Case{{"info", "--help"}, false}}) {
      const Result r = Cli(c.args, {}, "C", "/dev/full");
      QCOMPARE(r.exit, 1);
      QVERIFY2(r.err.contains("cannot write to standard output"), r.err.constData());
      if (c.message) QVERIFY(r.err.contains(Demo().toUtf8() + ": cannot write"));
      QCOMPARE(r.err.count("cannot write to standard output"), 1);
    }
    // Several files, worked on at the same time, their texts written later: each file
    // says so once.
    for (const QStringList& args :
         {QStringList{"info", Demo(), Demo()}, QStringList{"process", Demo(), Demo(), "--stats"}}) {
      const Result r = Cli(args, {}, "C", "/dev/full");
      QCOMPARE(r.exit, 1);
      QCOMPARE(r.err.count(Demo().toUtf8() + ": cannot write to standard output"), 2);
    }
  }

  void failedWritesOfImageFilesExitOne() {
    if (!QFile::exists("/dev/full")) QSKIP("no /dev/full here");
    // Names with the right extensions that lead to a device on which every write fails
    // for want of room: opening succeeds, only writing out the bytes fails.
    QTemporaryDir dir;
    // A small image: its files stay within the writers' buffers until they are closed.
    WriteFile(dir.filePath("s.txt"),
              "Version    : 1.10\r\nXScanRange : 1\r\nYScanRange : 1\r\nXPhysUnit  : nm\r\n"
              "YPhysUnit  : nm\r\nxPixel     : 2\r\nyPixel     : 2\r\nFileDescBegin\r\n"
              "FileName : s.sin\r\nFileDescEnd\r\n");
    WriteFile(dir.filePath("s.sin"), QByteArray::fromHex("0000803f000000400000404000008040"));
    const QString small = dir.filePath("s.txt");
    for (const char* name : {"full.bmp", "full.png", "full.svg", "relief.bmp"})
      QVERIFY(QFile::link("/dev/full", dir.filePath(name)));
    struct Case {
      QStringList args;
      const char* file;
    };
    for (const Case& c : {Case{{"--bmp", dir.filePath("full.bmp")}, "full.bmp"},
                          Case{{"--view", dir.filePath("full.png")}, "full.png"},
                          Case{{"--view", dir.filePath("full.svg")}, "full.svg"},
                          Case{{"--s3d", "1,0", dir.filePath("relief.bmp")}, "relief.bmp"}}) {
      const Result r = Cli(QStringList{"process", small} + c.args);
      QCOMPARE(r.exit, 1);
      QVERIFY2(r.err.contains(QByteArray("ot write ") + dir.filePath(c.file).toUtf8()),
               r.err.constData());
    }
    // The same outputs to ordinary files succeed.
    const Result r = Cli({"process", small, "--bmp", dir.filePath("a.bmp"), "--view",
                          dir.filePath("a.svg"), "--s3d", "1,0", dir.filePath("b.bmp")});
    QCOMPARE(r.exit, 0);
    QVERIFY(QImage(dir.filePath("a.bmp")).width() > 0);
    QVERIFY(QImage(dir.filePath("b.bmp")).width() > 0);
  }

  void rescaleUnitsAreSavedAsTheBytesOfFileTexts() {
    QTemporaryDir dir;
    const QString saved = dir.filePath("units.txt");
    const Result r =
        Cli({"process", Demo(), "--op", QString::fromUtf8("rescale:1,1,1,\xC3\x85,\xC2\xB5m,pA"),
             "--native", saved, "--kind", "sin"});
    QCOMPARE(r.exit, 0);
    const QByteArray text = ReadAll(saved);
    QVERIFY(text.contains("XPhysUnit  : \xC5\r\n"));
    QVERIFY(text.contains("YPhysUnit  : \xB5m\r\n"));
    QVERIFY(!text.contains("\xC3\x85"));
  }

  void nativeRoundTripAndRefusal() {
    QTemporaryDir dir;
    const QString saved = dir.filePath("saved.txt");
    Result r = Cli({"process", Demo(), "--image", "2", "--native", saved, "--kind", "sin"});
    QCOMPARE(r.exit, 0);
    QVERIFY(QFile::exists(saved));
    // The saved image reads back with the same values and parameters.
    const auto a = InfoBlocks(Cli({"info", "--image", "2", Demo()}).out);
    const auto b = InfoBlocks(Cli({"info", saved}).out);
    QCOMPARE(b.size(), 1);
    for (const char* key :
         {"columns", "rows", "XScanRange", "YScanRange", "XPhysUnit", "PhysUnit", "min", "max"})
      QCOMPARE(b[0][key], a[0][key]);
    QCOMPARE(Cli({"export", saved}).out, Cli({"export", "--image", "2", Demo()}).out);

    // An existing parameter file is refused, as the viewer refuses it.
    r = Cli({"process", Demo(), "--native", saved, "--kind", "int"});
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains(": File exists! Abort!"), r.err.constData());
  }

  void profileAndReliefOutputs() {
    QTemporaryDir dir;
    const QString p = dir.filePath("row.dat");
    const QString b = dir.filePath("relief.bmp");
    const QString t = dir.filePath("table.dat");
    Result r = Cli({"process", Demo(), "--decimal-point", ".", "--profile", "row:0", p, "--s3d",
                    "10,5", b, "--ascii", t});
    QCOMPARE(r.exit, 0);
    // The top row of the display, left to right, 500 nm / 256 per point; the values are
    // those of the table's last line (stored row 255), as singles.
    const QList<QByteArray> lines = ReadAll(p).split('\n');
    QCOMPARE(lines.size(), 257);  // 256 lines ended by CR LF
    QVERIFY(lines[1].startsWith(" 1.95312500000000E+0000\t"));
    int rows = 0, cols = 0;
    const QList<double> table = Values(ReadAll(t), &rows, &cols);
    QCOMPARE(cols, 256);
    for (int i = 0; i < 256; i += 15) {
      const float fromFile = float(lines[i].split('\t')[1].trimmed().toDouble());
      QCOMPARE(fromFile, float(table[255 * 256 + i]));
    }
    // The 3D bitmap B: |S| + (C - 1) + 40 by (R - 1) + G + 40, background index 255.
    const QImage relief(b);
    QCOMPARE(relief.size(), QSize(5 + 255 + 40, 255 + 10 + 40));
    QCOMPARE(relief.format(), QImage::Format_Indexed8);
    QCOMPARE(relief.pixelIndex(0, 0), 255);
    // The foot of stored row 0's bar at column 100 (B row G + 20, 20 + 100 across) is
    // drawn; bars with this gain never use the background index.
    QVERIFY(relief.pixelIndex(120, 30) != 255);
  }

  void convertWritesOneFilePerImage() {
    QTemporaryDir dir;
    Result r = Cli({"convert", Demo(), "--to", "bmp", "--out-dir", dir.path()});
    QCOMPARE(r.exit, 0);
    QCOMPARE(QImage(dir.filePath("demo_1.bmp")).format(), QImage::Format_Indexed8);
    QCOMPARE(QImage(dir.filePath("demo_2.bmp")).size(), QSize(256, 256));

    r = Cli({"convert", Demo(), "--to", "ascii", "--image", "1"}, dir.path());
    QCOMPARE(r.exit, 0);
    QCOMPARE(ReadAll(dir.filePath("demo_1.dat")), Cli({"export", Demo()}).out);

    r = Cli({"convert", Demo(), "--to", "png", "--zscale", "--out-dir", dir.path()});
    QCOMPARE(r.exit, 0);
    QCOMPARE(QImage(dir.filePath("demo_2.png")).size(), QSize(450, 300));

    r = Cli({"convert", Demo(), "--to", "native-int", "--out-dir", dir.path()});
    QCOMPARE(r.exit, 0);
    const auto blocks = InfoBlocks(Cli({"info", dir.filePath("demo_1.txt")}).out);
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(blocks[0]["columns"], QString("256"));

    // An output folder that cannot be made (a file stands in its path): exit 1 with the
    // reason, nothing written.
    WriteFile(dir.filePath("plain"), "x");
    r = Cli({"convert", Demo(), "--to", "ascii", "--out-dir", dir.filePath("plain/sub")});
    QCOMPARE(r.exit, 1);
    QVERIFY2(r.err.contains("cannot make the output folder " + dir.filePath("plain/sub").toUtf8()),
             r.err.constData());
    // A folder that exists but takes no files: the write fails with the reason.
    QVERIFY(QDir(dir.path()).mkpath("locked"));
    QFile::setPermissions(dir.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
    if (!QFile(dir.filePath("locked/probe")).open(QIODevice::WriteOnly)) {  // not as root
      r = Cli({"convert", Demo(), "--to", "ascii", "--out-dir", dir.filePath("locked")});
      QCOMPARE(r.exit, 1);
      QVERIFY(r.err.contains("cannot write " + dir.filePath("locked/demo_1.dat").toUtf8()));
    }
    QFile::setPermissions(dir.filePath("locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
