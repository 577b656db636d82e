// The command line's level, filter and badpoints operations, run in-process: what
// they accept, the values they leave (worked by hand), their refusals, and that they
// equal the workbench model pressed the same way.
#include <QtTest>
#include <cstring>
#include <functional>
#include <random>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/Operations.h"
#include "process/Workbench.h"
#include "support/CliRefusal.h"
#include "support/PictureBits.h"

namespace {

// An image of `columns` x `rows` with value f(column, row), rendered as opened.
std::unique_ptr<TImageDoc> Image(CliMessages& msgs, int columns, int rows,
                                 const std::function<float(int, int)>& f) {
  auto doc = std::make_unique<TImageDoc>(&msgs);
  doc->CreatePicture(columns, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) doc->Picture->RowTable[r][c] = f(c, r);
  doc->Render('.');
  return doc;
}

float At(const TImageDoc& doc, int c, int r) {
  return doc.Picture->RowTable[r][c];
}

struct Run {
  CliMessages msgs{'.', TModalResult::mrYes};
  NoProgress none;
  TCliOpContext ctx{msgs, '.', none};
  bool Apply(const std::string& op, TImageDoc& doc) {
    return ApplyOperation(ParseOperation(op), doc, ctx);
  }
};

float Plane(int c, int r) {
  return 3.0f + 2.0f * c + 5.0f * r;
}

}  // namespace

class TestWorkbenchCli : public QObject {
  Q_OBJECT

 private slots:
  void theOperationsAndTheirMalformedForms() {
    for (const char* ok :
         {"level:lines:0",         "level:lines:1",      "level:lines:2",  "level:cols:0",
          "level:cols:1",          "level:cols:2",       "level:2dim:0",   "level:2dim:1",
          "level:points:0,0;5,7",  "level:points:1,2",   "filter:lowpass", "filter:highpass",
          "filter:laplace",        "filter:beleuchtung", "badpoints:1",    "badpoints:0.5",
          "badpoints:-3",          "badpoints:2.5*3",    "level:cols:2*4", "filter:laplace*2",
          "level:points:0,0;9,9*2"})
      QCOMPARE(Refusal(ok), std::string());
    for (const char* bad : {"level:lines:3", "level:2dim:2", "level:points:1", "level:rows:1",
                            "level:lines", "level:lines:", "level:lines:01", "level:points:",
                            "level:points:1,2;3", "level:points:1,2;;3,4", "level:points:-1,2",
                            "level:points:a,b", "filter:LowPass", "filter:", "filter:median",
                            "badpoints:", "badpoints:abc", "badpoints:1x", "level:lines:1*0"})
      QVERIFY2(Refusal(bad) == std::string("malformed operation: ") + bad, bad);
    QCOMPARE(Refusal("level"), std::string("unknown operation: level"));
    QCOMPARE(Refusal("filter"), std::string("unknown operation: filter"));

    // Thirty points are the most there can be marked.
    std::string thirty = "level:points:";
    for (int i = 0; i < 30; ++i) {
      if (i > 0) thirty += ';';
      thirty += std::to_string(i);
      thirty += ",0";
    }
    QCOMPARE(Refusal(thirty), std::string());
    std::string more = thirty;
    more += ";1,1";
    std::string reason = "malformed operation: ";
    reason += more;
    QCOMPARE(Refusal(more), reason);

    QCOMPARE(ParseOperation("badpoints:2.5*3").Repeat, 3);
    QCOMPARE(ParseOperation("level:points:0,0;9,9*2").Repeat, 2);
  }

  void levelingRemovesWhatItsMethodRemoves() {
    // A plane 3 + 2c + 5r: every row is a line, the mean slopes are 2 and 5, and the
    // four corners of a rectangle span both directions.
    Run run;
    auto lines = Image(run.msgs, 6, 5, Plane);
    QVERIFY(run.Apply("level:lines:1", *lines));
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 6; ++c) QCOMPARE(At(*lines, c, r), 0.0f);
    QCOMPARE(lines->Picture->Max, 0.0f);  // rendered after the take over

    auto twoDim = Image(run.msgs, 6, 5, Plane);
    QVERIFY(run.Apply("level:2dim:1", *twoDim));
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 6; ++c) QCOMPARE(At(*twoDim, c, r), 3.0f);

    auto points = Image(run.msgs, 6, 5, Plane);
    QVERIFY(run.Apply("level:points:0,0;5,0;0,4;5,4", *points));
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 6; ++c) QCOMPARE(At(*points, c, r), 3.0f);

    // c squared on four columns: the parabola removes it; the line leaves 1, -1, -1, 1.
    auto bow = Image(run.msgs, 4, 3, [](int c, int) { return float(c * c); });
    QVERIFY(run.Apply("level:lines:1", *bow));
    for (int r = 0; r < 3; ++r) {
      QCOMPARE(At(*bow, 0, r), 1.0f);
      QCOMPARE(At(*bow, 1, r), -1.0f);
      QCOMPARE(At(*bow, 2, r), -1.0f);
      QCOMPARE(At(*bow, 3, r), 1.0f);
    }
    QVERIFY(run.Apply("level:lines:2", *bow));
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c) QCOMPARE(At(*bow, c, r), 0.0f);

    // Columns with offsets 0, 10, 20: "Cols" 0. order leaves columns of mean zero
    // (rows 1, 2, 3 give -1, 0, 1 in each column).
    auto offsets = Image(run.msgs, 3, 3, [](int c, int r) { return 10.0f * c + r + 1; });
    QVERIFY(run.Apply("level:cols:0", *offsets));
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r) QCOMPARE(At(*offsets, c, r), float(r - 1));
    QCOMPARE(run.msgs.Count, 0);  // nothing was said
  }

  void pointLevelingRefusesTooFewPointsAndPointsOutsideTheImage() {
    Run run;
    auto doc = Image(run.msgs, 6, 5, Plane);
    // One point: the workbench's message, the image as it was, the operation refused.
    QVERIFY(!run.Apply("level:points:2,2", *doc));
    QCOMPARE(run.msgs.Count, 1);
    QCOMPARE(At(*doc, 5, 4), Plane(5, 4));
    // Points in one column give no slope over the columns: the same refusal.
    QVERIFY(!run.Apply("level:points:2,0;2,4", *doc));
    QCOMPARE(run.msgs.Count, 2);
    QCOMPARE(At(*doc, 5, 4), Plane(5, 4));
    // A point the image does not have is refused before the workbench opens.
    QVERIFY(!run.Apply("level:points:0,0;6,4", *doc));
    QVERIFY(!run.Apply("level:points:0,0;5,5", *doc));
    QCOMPARE(At(*doc, 5, 4), Plane(5, 4));
    // Repeated, the points are marked again for every press: the second press runs on
    // the leveled image and leaves it as it is.
    QVERIFY(run.Apply("level:points:0,0;5,0;0,4;5,4*2", *doc));
    QCOMPARE(At(*doc, 5, 4), 3.0f);
    QCOMPARE(At(*doc, 0, 0), 3.0f);
  }

  void filtersWithTheirKernels() {
    Run run;
    // Illumination on v = c: the difference to the left neighbour, at column 0 the
    // reflected one (v(0) - v(1)).
    auto ramp = Image(run.msgs, 5, 3, [](int c, int) { return float(c); });
    QVERIFY(run.Apply("filter:beleuchtung", *ramp));
    for (int r = 0; r < 3; ++r) {
      QCOMPARE(At(*ramp, 0, r), -1.0f);
      for (int c = 1; c < 5; ++c) QCOMPARE(At(*ramp, c, r), 1.0f);
    }
    // On a constant image: high-pass keeps it, Laplace zeroes it, low-pass of 3 gives
    // the single just below 3.
    auto flat = Image(run.msgs, 4, 4, [](int, int) { return 3.0f; });
    QVERIFY(run.Apply("filter:highpass", *flat));
    QCOMPARE(At(*flat, 2, 1), 3.0f);
    QVERIFY(run.Apply("filter:lowpass", *flat));
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) QCOMPARE(At(*flat, c, r), std::nextafter(3.0f, 0.0f));
    QVERIFY(run.Apply("filter:laplace*2", *flat));
    QCOMPARE(At(*flat, 3, 3), 0.0f);
  }

  void badPointsTakeTheirThresholdFromTheImagesRange() {
    Run run;
    // A spike of 10 on a flat 0: the range is 10, so 50 % is a threshold of 5 (the
    // spike goes) and 100 % one of 10 (not exceeded: the spike stays).
    auto spike = [](int c, int r) { return c == 2 && r == 2 ? 10.0f : 0.0f; };
    auto kept = Image(run.msgs, 5, 5, spike);
    QVERIFY(run.Apply("badpoints:100", *kept));
    QCOMPARE(At(*kept, 2, 2), 10.0f);
    auto removed = Image(run.msgs, 5, 5, spike);
    QVERIFY(run.Apply("badpoints:50", *removed));
    QCOMPARE(At(*removed, 2, 2), 0.0f);
    QCOMPARE(removed->Picture->Max, 0.0f);
    // With a comma as decimal separator a point is read as well.
    CliMessages comma(',', TModalResult::mrYes);
    NoProgress none;
    TCliOpContext ctx{comma, ',', none};
    auto half = Image(comma, 5, 5, spike);
    QVERIFY(ApplyOperation(ParseOperation("badpoints:49.5"), *half, ctx));
    QCOMPARE(At(*half, 2, 2), 0.0f);
  }

  void theOperationsEqualTheWorkbenchPressedTheSameWay() {
    // Random surfaces: each operation through the command line and through the model
    // (opened on the image, controls set, "do" K times, "take over") bit for bit.
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> u(-50.0f, 50.0f);
    struct Case {
      std::string op;
      int mode;
      std::function<void(TWorkbench&)> set;
      int presses;
    };
    const std::vector<Case> cases = {
        {"level:lines:2*2", 7, [](TWorkbench& w) { w.ComboSlop = 2, w.ComboSlopOrder = 2; }, 2},
        {"level:cols:1", 7, [](TWorkbench& w) { w.ComboSlop = 3, w.ComboSlopOrder = 1; }, 1},
        {"level:2dim:0*3", 7, [](TWorkbench& w) { w.ComboSlop = 1, w.ComboSlopOrder = 0; }, 3},
        {"filter:lowpass*3", 0, [](TWorkbench& w) { w.ComboBox1 = 0; }, 3},
        {"filter:highpass", 0, [](TWorkbench& w) { w.ComboBox1 = 1; }, 1},
        {"badpoints:12.5*2", 4, [](TWorkbench& w) { w.Edit2 = "12.5"; }, 2},
    };
    for (const Case& k : cases) {
      Run run;
      auto cli = Image(run.msgs, 37, 23, [&](int, int) { return u(gen); });
      auto model = std::make_unique<TImageDoc>(&run.msgs);
      model->CreatePicture(37, 23);
      std::memcpy(model->Picture->Data(), cli->Picture->Data(), 37 * 23 * sizeof(float));
      model->Render('.');

      QVERIFY(run.Apply(k.op, *cli));
      TWorkbench w(run.msgs);
      QVERIFY(w.OpenInMode(*model->Picture, k.mode, TFilterSettings{}));
      k.set(w);
      for (int i = 0; i < k.presses; ++i) QCOMPARE(w.Do(run.none), TDoOutcome::Done);
      w.TakeOver();
      model->Render('.');
      QVERIFY2(SameBits(*cli->Picture, *model->Picture), k.op.c_str());
      QCOMPARE(cli->Picture->Min, model->Picture->Min);
    }
  }
};

QTEST_GUILESS_MAIN(TestWorkbenchCli)
#include "tst_workbenchcli.moc"
