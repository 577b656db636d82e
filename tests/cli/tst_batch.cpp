// Batches of files run at the same time: the ordered writer on its own, the rule
// that decides when files may run together, and tarnisk-cli on a batch compared
// with the same batch held to one processor.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "cli/Batch.h"
#include "cli/Commands.h"
#include "cli/Operations.h"

namespace {

using namespace std::chrono_literals;

struct TRun {
  int status = -1;
  std::string out, err;
};

TRun Ordered(size_t count, unsigned threads, const TBatchWork& work, bool announce = true) {
  std::ostringstream out, err;
  TRun r;
  r.status = RunInOrder(
      count, threads, work, out, err,
      announce ? TBatchAnnounce([](size_t i, std::ostream& e) { e << "[" << i << "]\n"; })
               : TBatchAnnounce());
  r.out = out.str();
  r.err = err.str();
  return r;
}

struct TCli {
  int exit = -1;
  QByteArray out, err;
};

// tarnisk-cli with `args`; `oneProcessor` holds it to processor 0 as a one-core
// machine would run it.
TCli Cli(const QStringList& args, bool oneProcessor) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LC_ALL", "C");
  p.setProcessEnvironment(env);
  if (oneProcessor)
    p.start("taskset", QStringList{"-c", "0", TARNISK_CLI_PATH} + args);
  else
    p.start(TARNISK_CLI_PATH, args);
  TCli r;
  if (!p.waitForFinished(240000)) return r;
  r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TCliOptions Batch(const std::vector<std::string>& files, const std::string& outDir,
                  const std::vector<std::string>& ops = {}) {
  TCliOptions o;
  o.Command = TCliCommand::Process;
  o.Files = files;
  o.OutDir = outDir;
  for (const std::string& op : ops) o.Ops.push_back(ParseOperation(op));
  return o;
}

}  // namespace

class TestBatch : public QObject {
  Q_OBJECT
 private slots:
  // Later items finish first; what is written is still item after item, each item's
  // announcement, messages and output together, exactly as one thread writes it.
  void writesInTheOrderOfTheItems() {
    const size_t n = 12;
    const TBatchWork work = [n](size_t i, std::ostream& out, std::ostream& err) {
      out << "out " << i << " a\n";
      err << "msg " << i << "\n";
      std::this_thread::sleep_for(std::chrono::milliseconds(3 * (n - i)));
      out << "out " << i << " b\n";
      return i % 5 == 3 ? 1 : 0;
    };
    std::ostringstream expectOut, expectErr;
    for (size_t i = 0; i < n; ++i) {
      expectOut << "out " << i << " a\nout " << i << " b\n";
      expectErr << "[" << i << "]\nmsg " << i << "\n";
    }
    const std::string out = expectOut.str(), err = expectErr.str();
    for (unsigned threads : {1u, 2u, 3u, 8u, 20u}) {
      const TRun r = Ordered(n, threads, work);
      QCOMPARE(r.out, out);
      QCOMPARE(r.err, err);
      QCOMPARE(r.status, 1);
    }
    // Every item well: status 0.
    const TRun good = Ordered(4, 2, [](size_t, std::ostream&, std::ostream&) { return 0; });
    QCOMPARE(good.status, 0);
    QCOMPARE(good.err, std::string("[0]\n[1]\n[2]\n[3]\n"));
  }

  // Two items that each wait for the other finish only when they run at once.
  void itemsRunAtTheSameTime() {
    std::atomic<int> started{0};
    std::atomic<int> sawBoth{0};
    const TBatchWork work = [&](size_t, std::ostream&, std::ostream&) {
      ++started;
      const auto until = std::chrono::steady_clock::now() + 10s;
      while (started.load() < 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(1ms);
      if (started.load() >= 2) ++sawBoth;
      return 0;
    };
    QCOMPARE(Ordered(2, 2, work).status, 0);
    QCOMPARE(sawBoth.load(), 2);
  }

  // An item that throws fails alone: its message stands in its place, the others run.
  void aThrowingItemFailsOnlyItself() {
    const TBatchWork work = [](size_t i, std::ostream& out, std::ostream& err) -> int {
      if (i == 1) {
        err << "half\n";
        throw std::runtime_error("broken");
      }
      if (i == 2) throw 7;
      out << i << "\n";
      err << "ok " << i << "\n";
      return 0;
    };
    for (unsigned threads : {1u, 2u}) {
      const TRun r = Ordered(4, threads, work, false);
      QCOMPARE(r.status, 1);
      QCOMPARE(r.out, std::string("0\n3\n"));
      QCOMPARE(r.err, std::string("ok 0\nhalf\ntarnisk-cli: broken\n"
                                  "tarnisk-cli: unexpected failure\nok 3\n"));
    }
  }

  // While the first item is slow, the others run at most four per thread ahead of
  // it, so the texts waiting to be written stay few.
  void workersStayAFewItemsAheadOfTheWriter() {
    std::atomic<size_t> highest{0};
    std::atomic<size_t> highestDuringFirst{0};
    const TBatchWork work = [&](size_t i, std::ostream& out, std::ostream&) {
      size_t seen = highest.load();
      while (i > seen && !highest.compare_exchange_weak(seen, i)) {
      }
      if (i == 0) {
        std::this_thread::sleep_for(300ms);
        highestDuringFirst = highest.load();
      }
      out << i << ",";
      return 0;
    };
    const TRun r = Ordered(50, 2, work, false);
    std::ostringstream expect;
    for (int i = 0; i < 50; ++i) expect << i << ",";
    const std::string all = expect.str();
    QCOMPARE(r.out, all);
    QVERIFY2(highestDuringFirst.load() >= 1, "the second thread did not work meanwhile");
    QVERIFY(highestDuringFirst.load() <= 8);
    QCOMPARE(highest.load(), size_t(49));
  }

  void usableProcessorsIsAtLeastOne() {
    const unsigned n = UsableProcessors();
    QVERIFY(n >= 1);
    QVERIFY(n <= std::max(1u, std::thread::hardware_concurrency()));
  }

  // Files run together only when none can write what another writes or reads.
  void filesRunApartOnlyWithOutputsOfTheirOwn_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("outDir");
    QTest::addColumn<QStringList>("ops");
    QTest::addColumn<bool>("apart");
    QTest::newRow("distinct names")
        << QStringList{"a/scan.txt", "b/tip.int", "c.xyz"} << "out" << QStringList{} << true;
    QTest::newRow("no outputs") << QStringList{"a/scan.txt", "b/scan.txt"} << "" << QStringList{}
                                << true;
    QTest::newRow("same name, other folder")
        << QStringList{"a/scan.txt", "b/scan.txt"} << "out" << QStringList{} << false;
    QTest::newRow("same file twice")
        << QStringList{"scan.txt", "scan.txt"} << "out" << QStringList{} << false;
    QTest::newRow("other extension")
        << QStringList{"scan.txt", "scan.int"} << "out" << QStringList{} << false;
    QTest::newRow("image number") << QStringList{"scan.txt", "x/scan_2.bmp"} << "out"
                                  << QStringList{} << false;
    QTest::newRow("image numbers twice")
        << QStringList{"scan_1_2.txt", "scan_4.txt"} << "out" << QStringList{} << false;
    QTest::newRow("underscore word")
        << QStringList{"scan.txt", "scan_a.txt", "scan_.txt"} << "out" << QStringList{} << true;
    QTest::newRow("palette named like an input") << QStringList{"scan.txt", "tip.txt"} << "out"
                                                 << QStringList{"palette:pal/tip.PAL"} << false;
    QTest::newRow("palette of its own") << QStringList{"scan.txt", "tip.txt"} << "out"
                                        << QStringList{"palette:pal/gold.PAL"} << true;
    QTest::newRow("arith operand named like an output")
        << QStringList{"scan.txt", "tip.txt"} << "out"
        << QStringList{"invert", "arith:-:out/scan_3.txt#2"} << false;
    QTest::newRow("arith operand of its own") << QStringList{"scan.txt", "tip.txt"} << "out"
                                              << QStringList{"arith:+:ref/flat.txt"} << true;
  }

  void filesRunApartOnlyWithOutputsOfTheirOwn() {
    QFETCH(QStringList, files);
    QFETCH(QString, outDir);
    QFETCH(QStringList, ops);
    QFETCH(bool, apart);
    std::vector<std::string> f, p;
    for (const QString& s : files) f.push_back(s.toStdString());
    for (const QString& s : ops) p.push_back(s.toStdString());
    QCOMPARE(FilesRunApart(Batch(f, outDir.toStdString(), p)), apart);
  }

  // A batch with failing files among good ones: the same standard output, messages,
  // exit status and files as the same batch on one processor.
  void cliBatchEqualsTheRunOnOneProcessor() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString demo = QString(TARNISK_SAMPLES_DIR) + "/demo/";
    for (const char* data : {"demo_topo.int", "demo_current.sin"})
      QVERIFY(QFile::copy(demo + data, dir.filePath(data)));
    QStringList files;
    for (int i = 1; i <= 9; ++i) {
      // Each copy has a scan range of its own, so that its info blocks tell it apart.
      const QString name = dir.filePath(QString("m%1.txt").arg(i));
      QByteArray text = ReadAll(demo + "demo.txt");
      text.replace("XScanRange : 500", "XScanRange : " + QByteArray::number(500 + i));
      QFile copy(name);
      QVERIFY(copy.open(QIODevice::WriteOnly));
      copy.write(text);
      copy.close();
      files << name;
      if (i == 3) {
        // A file of no known type, and one whose data file is missing.
        QFile bad(dir.filePath("bad.xyz"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("nothing to read\n");
        bad.close();
        files << bad.fileName();
      }
      if (i == 6) {
        QByteArray text = ReadAll(demo + "demo.txt");
        text.replace("demo_current.sin", "gone.sin");
        QFile half(dir.filePath("half.txt"));
        QVERIFY(half.open(QIODevice::WriteOnly));
        half.write(text);
        half.close();
        files << half.fileName();
      }
    }

    const TCli info = Cli(QStringList{"info"} + files, false);
    const TCli infoOne = Cli(QStringList{"info"} + files, true);
    QCOMPARE(info.exit, 1);
    QCOMPARE(infoOne.exit, 1);
    QCOMPARE(info.out, infoOne.out);
    QCOMPARE(info.err, infoOne.err);
    // The blocks come file after file, two images each (one from half.txt, whose
    // current channel is missing); every message names its file, in file order.
    QList<int> ranges;
    for (const QByteArray& line : info.out.split('\n'))
      if (line.startsWith("XScanRange: ")) ranges << line.mid(12).toInt();
    QCOMPARE(ranges, (QList<int>{501, 501, 502, 502, 503, 503, 504, 504, 505, 505, 506, 506, 500,
                                 507, 507, 508, 508, 509, 509}));
    const int badAt = info.err.indexOf("bad.xyz");
    const int halfAt = info.err.indexOf("half.txt");
    QVERIFY(badAt >= 0 && halfAt > badAt);

    const auto process = [&](const char* folder, bool one) {
      const QString out = dir.filePath(folder);
      return QDir().mkpath(out) ? Cli(QStringList{"process", "--op", "invert", "--stats", "--view",
                                                  "v.png", "--ascii", "a.dat", "--out-dir", out} +
                                          files,
                                      one)
                                : TCli{};
    };
    const TCli all = process("all", false);
    const TCli one = process("one", true);
    QCOMPARE(all.exit, 1);
    QCOMPARE(one.exit, 1);
    QCOMPARE(all.out, one.out);
    QCOMPARE(all.err, one.err);
    const QStringList written = QDir(dir.filePath("one")).entryList(QDir::Files, QDir::Name);
    QCOMPARE(QDir(dir.filePath("all")).entryList(QDir::Files, QDir::Name), written);
    QVERIFY(written.size() >= 18);
    for (const QString& name : written)
      QVERIFY2(ReadAll(dir.filePath("one/" + name)) == ReadAll(dir.filePath("all/" + name)),
               qPrintable(name));

    // Every file well: status 0 on either.
    const QStringList good = files.filter("/m");
    QCOMPARE(Cli(QStringList{"info"} + good, false).exit, 0);
    QCOMPARE(Cli(QStringList{"info"} + good, true).exit, 0);
  }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
