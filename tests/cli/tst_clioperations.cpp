// The command line's operation table (names, arguments, "*K") and its progress
// lines, run in-process.
#include <QtTest>
#include <sstream>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/CliProgress.h"
#include "cli/Operations.h"

namespace {

// What a parse produced, for rows of the test's own table.
std::string lastArgs;

TCliApply Recording(const std::string& args, const std::string&) {
  lastArgs = args;
  return [](TImageDoc& doc, int repeat, TCliOpContext&) {
    // Adds the number of presses to every value, so a test sees the repetition.
    for (size_t i = 0; i < doc.Picture->ValueCount(); ++i)
      doc.Picture->Data()[i] += static_cast<float>(repeat);
    return true;
  };
}

TCliApply Refusing(const std::string&, const std::string& text) {
  if (text.find("bad") != std::string::npos) throw CliUsageError("malformed operation: " + text);
  return [](TImageDoc&, int, TCliOpContext& ctx) {
    ctx.Msgs.Say("refused");
    return false;
  };
}

const std::vector<TCliOpRow> kTable = {
    {"press", TCliOpArgs::None, true, Recording},
    {"filter", TCliOpArgs::Required, true, Recording},
    {"fft", TCliOpArgs::Optional, true, Recording},
    {"file", TCliOpArgs::Required, false, Recording},
    {"no", TCliOpArgs::None, false, Refusing},
};

// The reason of a usage error, or "" when the text parses.
std::string Refusal(const std::string& text, const std::vector<TCliOpRow>& table = kTable) {
  try {
    ParseOperation(text, table);
  } catch (const CliUsageError& e) {
    return e.what();
  }
  return {};
}

}  // namespace

class TestCliOperations : public QObject {
  Q_OBJECT

 private slots:
  void namesAndArgumentFormsPickTheirRow() {
    TCliOperation op = ParseOperation("press", kTable);
    QCOMPARE(op.Row, &kTable[0]);
    QCOMPARE(op.Repeat, 1);
    op = ParseOperation("filter:lowpass", kTable);
    QCOMPARE(op.Row, &kTable[1]);
    QCOMPARE(lastArgs, std::string("lowpass"));
    op = ParseOperation("fft", kTable);
    QCOMPARE(op.Row, &kTable[2]);
    QCOMPARE(lastArgs, std::string());
    op = ParseOperation("fft:log", kTable);
    QCOMPARE(op.Row, &kTable[2]);
    QCOMPARE(lastArgs, std::string("log"));
    QCOMPARE(op.Text, std::string("fft:log"));

    QCOMPARE(Refusal("press:x"), std::string("unknown operation: press:x"));
    QCOMPARE(Refusal("filter"), std::string("unknown operation: filter"));
    QCOMPARE(Refusal("filterx:a"), std::string("unknown operation: filterx:a"));
    QCOMPARE(Refusal("nothing"), std::string("unknown operation: nothing"));
    QCOMPARE(Refusal("no:bad"), std::string("unknown operation: no:bad"));
  }

  void aRepeatSuffixCountsPressesWhereARowAllowsIt() {
    TCliOperation op = ParseOperation("filter:lowpass*12", kTable);
    QCOMPARE(op.Row, &kTable[1]);
    QCOMPARE(op.Repeat, 12);
    QCOMPARE(lastArgs, std::string("lowpass"));
    op = ParseOperation("fft*2", kTable);
    QCOMPARE(op.Repeat, 2);
    QCOMPARE(ParseOperation("press*999999", kTable).Repeat, 999999);

    QCOMPARE(Refusal("press*0"), std::string("malformed operation: press*0"));
    QCOMPARE(Refusal("press*1000000"), std::string("malformed operation: press*1000000"));
    QCOMPARE(Refusal("nothing*2"), std::string("unknown operation: nothing*2"));
    // A row that cannot repeat refuses the suffix...
    QCOMPARE(Refusal("no*2"), std::string("malformed operation: no*2"));
    // ...unless its arguments take the whole text, such as a file name.
    op = ParseOperation("file:a*2", kTable);
    QCOMPARE(op.Row, &kTable[3]);
    QCOMPARE(op.Repeat, 1);
    QCOMPARE(lastArgs, std::string("a*2"));
    QCOMPARE(Refusal("file:a*0"), std::string());
    QCOMPARE(Refusal("press*"), std::string("unknown operation: press*"));
  }

  void applyingRunsTheRowAndRendersTheImage() {
    CliMessages msgs('.', TModalResult::mrYes);
    NoProgress none;
    TCliOpContext ctx{msgs, '.', none};
    TImageDoc doc(&msgs);
    doc.CreatePicture(2, 1);
    doc.Picture->Data()[0] = 1;
    doc.Picture->Data()[1] = 2;
    QVERIFY(ApplyOperation(ParseOperation("filter:x*3", kTable), doc, ctx));
    QCOMPARE(doc.Picture->Data()[0], 4.0f);
    QCOMPARE(doc.Picture->Data()[1], 5.0f);
    QCOMPARE(doc.Picture->Min, 4.0f);  // rendered: minimum and maximum are current
    QCOMPARE(doc.Picture->Max, 5.0f);
    QCOMPARE(doc.Image1.Width, 2);

    QVERIFY(!ApplyOperation(ParseOperation("no", kTable), doc, ctx));
    TImageDoc empty(&msgs);
    QVERIFY(!ApplyOperation(ParseOperation("press", kTable), empty, ctx));
  }

  void theProgramsTableKeepsItsOperations() {
    QCOMPARE(Refusal("invert", CliOperationTable()), std::string());
    QCOMPARE(Refusal("invert*2", CliOperationTable()),
             std::string("malformed operation: invert*2"));
    QCOMPARE(Refusal("invert:x", CliOperationTable()), std::string("unknown operation: invert:x"));
    QCOMPARE(Refusal("rescale", CliOperationTable()), std::string("unknown operation: rescale"));
    QCOMPARE(Refusal("rescale:1,2,3*2", CliOperationTable()),
             std::string("malformed operation: rescale:1,2,3*2"));
    QCOMPARE(Refusal("rescale:1,2,3,a,b,c", CliOperationTable()), std::string());
    QCOMPARE(Refusal("arith:-:f.txt*2", CliOperationTable()), std::string());
    QCOMPARE(Refusal("arith:-:f.txt#0", CliOperationTable()),
             std::string("malformed operation: arith:-:f.txt#0"));
  }

  void progressLinesOnlyWhenShownAndOnlyOnChange() {
    std::ostringstream quiet;
    {
      CliProgress p(quiet, false, "scan.txt");
      for (int i = 0; i <= 4; ++i) p.Step(i, 4);
    }
    QCOMPARE(quiet.str(), std::string());

    std::ostringstream out;
    {
      CliProgress p(out, true, "scan.txt");
      for (int i = 0; i <= 8; ++i) p.Step(i, 8);
    }
    QCOMPARE(out.str(), std::string("\rtarnisk-cli: scan.txt: 0%\rtarnisk-cli: scan.txt: 12%"
                                    "\rtarnisk-cli: scan.txt: 25%\rtarnisk-cli: scan.txt: 37%"
                                    "\rtarnisk-cli: scan.txt: 50%\rtarnisk-cli: scan.txt: 62%"
                                    "\rtarnisk-cli: scan.txt: 75%\rtarnisk-cli: scan.txt: 87%"
                                    "\rtarnisk-cli: scan.txt: 100%\n"));

    // 1000 steps give at most 101 lines; work that stops early still ends its line.
    std::ostringstream many;
    {
      CliProgress p(many, true, "x");
      for (int i = 0; i <= 500; ++i) p.Step(i, 1000);
    }
    const std::string s = many.str();
    QCOMPARE(std::count(s.begin(), s.end(), '\r'), std::ptrdiff_t(51));
    QVERIFY(s.size() > 0 && s.back() == '\n');
    QCOMPARE(s.substr(s.size() - 20), std::string("tarnisk-cli: x: 50%\n"));
  }
};

QTEST_MAIN(TestCliOperations)
#include "tst_clioperations.moc"
