// fft, clip and crop on the command line: their arguments, what they compute on
// pictures whose results are known by hand, and a crop written as a native file that
// reads back as the cropped image with its shrunk scan ranges.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <sstream>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/Operations.h"
#include "formats/OpenFile.h"
#include "support/CliRefusal.h"
#include "support/CliRun.h"

namespace {

const std::string kDemo = TARNISK_SAMPLES_DIR "/demo/demo.txt";

// An image of `columns` x `rows` with value f(column, row), rendered as opened.
template <class F>
std::unique_ptr<TImageDoc> Doc(int columns, int rows, F f) {
  auto doc = std::make_unique<TImageDoc>();
  doc->CreatePicture(columns, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) doc->Picture->RowTable[r][c] = f(c, r);
  doc->Render('.');
  return doc;
}

std::vector<float> Values(const TImageDoc& doc) {
  return std::vector<float>(doc.Picture->Data(), doc.Picture->Data() + doc.Picture->ValueCount());
}

// Runs one operation; stderr lines are collected.
struct Runner {
  CliMessages said{'.', TModalResult::mrYes};
  NoProgress none;
  TCliOpContext ctx{said, '.', none};
  std::ostringstream err;

  bool Apply(const std::string& text, TImageDoc& doc) {
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    const bool ok = ApplyOperation(ParseOperation(text), doc, ctx);
    std::cerr.rdbuf(old);
    return ok;
  }
};

// 16 x 11 values 0..175: the histogram's bin width is 1 and column i holds value i.
std::unique_ptr<TImageDoc> Ramp() {
  return Doc(16, 11, [](int c, int r) { return static_cast<float>(16 * r + c); });
}

std::vector<float> ClampedRamp(float low, float high) {
  std::vector<float> v;
  for (int i = 0; i < 176; ++i) v.push_back(std::clamp(static_cast<float>(i), low, high));
  return v;
}

}  // namespace

class TestFftCli : public QObject {
  Q_OBJECT

 private slots:
  void argumentsAreCheckedBeforeAnyFileIsRead() {
    QCOMPARE(Refusal("fft"), std::string());
    QCOMPARE(Refusal("fft:log"), std::string());
    QCOMPARE(ParseOperation("fft*3").Repeat, 3);
    QCOMPARE(ParseOperation("fft:log*2").Repeat, 2);
    QCOMPARE(ParseOperation("clip:100-80,10-20*4").Repeat, 4);
    QCOMPARE(ParseOperation("crop:-3,0,40,43*2").Repeat, 2);
    QCOMPARE(Refusal("clip:0-174"), std::string());
    for (const char* bad :
         {"fft:lin", "fft:", "fft:log:x", "clip:", "clip:5", "clip:1-2-3", "clip:a-b", "clip:175-3",
          "clip:3-175", "clip:1-2,", "clip:-1-4", "crop:1,2,3", "crop:1,2,3,4,5", "crop:1,2,x,4",
          "crop:1,2,3,", "crop:1,2,3,1234567", "fft*0"})
      QCOMPARE(Refusal(bad), "malformed operation: " + std::string(bad));
    QCOMPARE(Refusal("clip"), std::string("unknown operation: clip"));

    const TCliResult r = RunCli({"process", "--help"});
    QCOMPARE(r.exit, 0);
    QVERIFY(r.out.contains("fft, fft:log"));
    QVERIFY(r.out.contains("clip:A-B[,C-D...]"));
    QVERIFY(r.out.contains("crop:X1,Y1,X2,Y2"));
    QCOMPARE(RunCli({"process", QString::fromStdString(kDemo), "--op", "crop:1,2", "--stats"}).exit,
             2);
  }

  void fftGivesTheCentredMagnitudeAndKTogglesTheFlag() {
    // 8 x 6 of the value 2: N = 4; 2 * 16 at (2, 2), 0 elsewhere in the block, the two
    // columns right of it unchanged.
    Runner run;
    auto doc = Doc(8, 6, [](int, int) { return 2.0f; });
    QVERIFY(run.Apply("fft", *doc));
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 8; ++c)
        QCOMPARE(doc->Picture->RowTable[r][c],
                 r >= 4 || c >= 4 ? 2.0f : (r == 2 && c == 2 ? 32.0f : 0.0f));
    QVERIFY(!doc->Picture->Transformed);  // take over keeps the image's own flag
    QCOMPARE(doc->Picture->Max, 32.0f);   // refreshed

    // fft:log: log2 32 = 5 and, for the zero magnitudes, one below: 4.
    doc = Doc(8, 6, [](int, int) { return 2.0f; });
    QVERIFY(run.Apply("fft:log", *doc));
    QCOMPARE(doc->Picture->RowTable[2][2], 5.0f);
    QCOMPARE(doc->Picture->RowTable[0][3], 4.0f);
    QCOMPARE(doc->Picture->RowTable[5][7], 2.0f);

    // fft*2 presses "do" twice in one workbench: the second press shifts the centred
    // peak back and gives 32 everywhere in the block. An impulse of 1 at (0, 0) gives 1.
    doc = Doc(8, 6, [](int, int) { return 2.0f; });
    QVERIFY(run.Apply("fft*2", *doc));
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) QCOMPARE(doc->Picture->RowTable[r][c], 32.0f);
    doc = Doc(4, 4, [](int c, int r) { return r == 0 && c == 0 ? 1.0f : 0.0f; });
    QVERIFY(run.Apply("fft", *doc));
    QCOMPARE(Values(*doc), std::vector<float>(16, 1.0f));
    QCOMPARE(run.err.str(), std::string());
  }

  void clipMarksTheColumnsOfEachRangeAndClipsOnce() {
    Runner run;
    auto doc = Ramp();
    QVERIFY(run.Apply("clip:60-40", *doc));
    QCOMPARE(Values(*doc), ClampedRamp(40, 60));
    QCOMPARE(doc->Picture->Min, 40.0f);

    doc = Ramp();
    QVERIFY(run.Apply("clip:10-20,160-150", *doc));
    QCOMPARE(Values(*doc), ClampedRamp(10, 160));

    // More presses find no marks and leave the clip as it is.
    doc = Ramp();
    QVERIFY(run.Apply("clip:30-30,90-95*3", *doc));
    QCOMPARE(Values(*doc), ClampedRamp(30, 95));

    // Column i of a range 0..7 with 175 bins holds i * (7 / 175) (extended, to single).
    doc = Doc(8, 1, [](int c, int) { return static_cast<float>(c); });
    QVERIFY(run.Apply("clip:25-100", *doc));
    const float bw = 7.0f / 175.0f;
    const float low = static_cast<float>(25.0L * bw), high = static_cast<float>(100.0L * bw);
    for (int c = 0; c < 8; ++c)
      QCOMPARE(doc->Picture->Data()[c], std::clamp(static_cast<float>(c), low, high));

    // After inversion the clip counts the inverted values: column 0 alone is their minimum.
    doc = Ramp();
    QVERIFY(run.Apply("invert", *doc));
    const float least = *std::min_element(doc->Picture->Data(), doc->Picture->Data() + 176);
    QVERIFY(run.Apply("clip:0-0", *doc));
    QCOMPARE(Values(*doc), std::vector<float>(176, least));
    QCOMPARE(run.err.str(), std::string());
  }

  void cropTakesTheSquareAsSeenAndShrinksTheScanRanges() {
    Runner run;
    const auto make = [] {
      auto doc = Doc(10, 8, [](int c, int r) { return static_cast<float>(10 * r + c); });
      doc->Picture->ScanPara.XScanRange = 100.0f;
      doc->Picture->ScanPara.YScanRange = 0.3f;
      doc->Picture->ScanPara.xPixel = 10;
      doc->Picture->ScanPara.yPixel = 8;
      return doc;
    };
    // Lines 1..4 from the top are rows 3..6; columns 2..5.
    std::vector<float> crop;
    for (int r = 3; r < 7; ++r)
      for (int c = 2; c < 6; ++c) crop.push_back(static_cast<float>(10 * r + c));
    for (const char* op : {"crop:2,1,6,5", "crop:6,5,2,1", "crop:2,1,6,5*3"}) {
      auto doc = make();
      QVERIFY2(run.Apply(op, *doc), op);
      QCOMPARE(doc->Picture->Columns, 4);
      QCOMPARE(doc->Picture->Rows, 4);
      QCOMPARE(Values(*doc), crop);
      QCOMPARE(doc->Picture->ScanPara.XScanRange, 40.0f);
      QCOMPARE(doc->Picture->ScanPara.YScanRange, 0.3f / 8.0f * 4.0f);
      QCOMPARE(doc->Picture->ScanPara.xPixel, 10);
      QCOMPARE(doc->Image1.Width, 4);
    }
    // Reaching beyond the right edge: columns 8..9 of lines 6..7 (rows 0..1).
    auto doc = make();
    QVERIFY(run.Apply("crop:8,6,12,10", *doc));
    QCOMPARE(Values(*doc), (std::vector<float>{8, 9, 18, 19}));
    QCOMPARE(doc->Picture->ScanPara.XScanRange, 20.0f);
    QCOMPARE(run.err.str(), std::string());

    // A square without pixels is refused and said; the image stays.
    doc = make();
    QVERIFY(!run.Apply("crop:5,5,5,9", *doc));
    QVERIFY(!run.Apply("crop:20,0,30,10", *doc));
    QCOMPARE(doc->Picture->Columns, 10);
    QCOMPARE(doc->Picture->ScanPara.XScanRange, 100.0f);
    QVERIFY(run.err.str().find("the square 5,5,5,9 holds no pixel of the image") !=
            std::string::npos);
  }

  void aCropWrittenNativelyReadsBackAsTheCrop() {
    QTemporaryDir dir;
    const QString out = dir.filePath("crop.txt");
    TCliResult r = RunCli({"process", QString::fromStdString(kDemo), "--op", "crop:200,10,300,110",
                           "--native", out, "--kind", "sin", "--quiet"});
    QCOMPARE(r.exit, 0);
    QCOMPARE(r.err, QByteArray());

    CliMessages said('.', TModalResult::mrYes);
    CliHost demo(said);
    OpenFile(kDemo, demo);
    demo.Finish();
    const TVKMPicture& src = *demo.Images[0]->Picture;
    CliHost back(said);
    OpenFile(out.toStdString(), back);
    back.Finish();
    QCOMPARE(back.Images.size(), size_t(1));
    const TVKMPicture& crop = *back.Images[0]->Picture;
    // Columns 200..255 (the square runs past the right edge), lines 10..109.
    QCOMPARE(crop.Columns, 56);
    QCOMPARE(crop.Rows, 100);
    for (int r = 0; r < 100; ++r)
      QVERIFY(std::memcmp(crop.RowTable[r], src.RowTable[256 - 110 + r] + 200, 56 * 4) == 0);
    QCOMPARE(crop.ScanPara.XScanRange, 500.0f / 256.0f * 56.0f);
    QCOMPARE(crop.ScanPara.YScanRange, 500.0f / 256.0f * 100.0f);

    // The same through the exit status of a refused crop.
    r = RunCli({"process", QString::fromStdString(kDemo), "--op", "crop:300,0,400,100", "--stats"});
    QCOMPARE(r.exit, 1);
    QVERIFY(r.err.contains("holds no pixel of the image"));
    QCOMPARE(r.out, QByteArray());
  }
};

QTEST_MAIN(TestFftCli)
#include "tst_fftcli.moc"
