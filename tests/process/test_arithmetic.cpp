#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "image/TImageDoc.h"
#include "process/Arithmetic.h"
#include "support/RecordingMessages.h"

namespace {

// A picture of `cols` x `rows` whose values are given row after row, row 0 first.
std::unique_ptr<TVKMPicture> MakePicture(int cols, int rows, const std::vector<float>& values,
                                         const std::string& unit = "") {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(cols, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) p->RowTable[r][c] = values[static_cast<size_t>(r) * cols + c];
  p->ScanPara.PhysUnit = unit;
  return p;
}

// Every value of `p` equals `values`, given row after row, row 0 first.
void ExpectValues(const TVKMPicture& p, const std::vector<float>& values) {
  ASSERT_EQ(p.ValueCount(), values.size());
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c)
      EXPECT_EQ(p.RowTable[r][c], values[static_cast<size_t>(r) * p.Columns + c])
          << "row " << r << ", column " << c;
}

struct Arith {
  RecordingMessages msg;
  TVKMPicture Result{&msg};
  TBitmap8 image3;
  TArithOutcome Run(const TVKMPicture* a, const TVKMPicture* b, const std::string& op,
                    char sep = '.') {
    return ComputeArithmetic(a, b, op, Result, image3, msg, sep);
  }
};

}  // namespace

TEST(Invers, NegatesEveryValueAndTwiceRestoresExactly) {
  auto p = MakePicture(3, 2, {1.5f, -2.25f, 0.0f, 3.4e38f, -1e-40f, 0.1f});
  p->ScanPara.XScanRange = 7;
  p->ScanPara.PhysUnit = "nm";
  p->ColourTable.palPalEntry[5].peRed = 1;
  std::vector<float> before(p->Data(), p->Data() + 6);

  InvertPicture(*p);
  EXPECT_EQ(p->RowTable[0][0], -1.5f);
  EXPECT_EQ(p->RowTable[0][1], 2.25f);
  EXPECT_TRUE(std::signbit(p->RowTable[0][2]));
  EXPECT_EQ(p->RowTable[1][0], -3.4e38f);
  EXPECT_EQ(p->RowTable[1][1], 1e-40f);
  EXPECT_EQ(p->RowTable[1][2], -0.1f);
  EXPECT_EQ(p->ScanPara.XScanRange, 7.0f);
  EXPECT_EQ(p->ScanPara.PhysUnit, "nm");
  EXPECT_EQ(p->ColourTable.palPalEntry[5].peRed, 1);

  InvertPicture(*p);
  EXPECT_EQ(std::memcmp(before.data(), p->Data(), sizeof(float) * 6), 0);

  TVKMPicture empty;
  InvertPicture(empty);  // no matrix: nothing to do, nothing read
  EXPECT_FALSE(empty.HasMatrix());
}

TEST(OperatorEdit, OperatorKeysReplaceTheTextAndAreStored) {
  for (char k : {'+', '-', '*', '/'}) {
    const TOperatorKey key = OperatorKeyPress(k);
    EXPECT_EQ(key.Edit1, std::string(" ") + k);
    EXPECT_TRUE(key.StoreOp);
    EXPECT_EQ(key.Op, std::string(1, k));
    EXPECT_FALSE(key.Beep);
  }
  for (char k : {'x', ' ', '1', '\r', '='}) {
    const TOperatorKey key = OperatorKeyPress(k);
    EXPECT_EQ(key.Edit1, "") << k;
    EXPECT_FALSE(key.StoreOp);
    EXPECT_TRUE(key.Beep);
  }
  EXPECT_EQ(OperatorEditText("/"), " /");
  EXPECT_EQ(OperatorEditText("*"), " *");
}

TEST(ComputeArithmetic, DivisionByZeroStopsColumnByColumnAtTheFailingCell) {
  // 4 columns x 3 rows; B is 0 at row 1, column 2.
  auto a = MakePicture(4, 3,
                       {9, 8, 6, 3,  //
                        2, 4, 7, 5,  //
                        1, 10, 12, 11},
                       "nm");
  auto b = MakePicture(4, 3,
                       {3, 2, 3, 1,  //
                        2, 4, 0, 5,  //
                        4, 5, 6, 11},
                       "V");
  Arith t;
  const TArithOutcome out = t.Run(a.get(), b.get(), " /");
  EXPECT_EQ(out.Status, TArithStatus::CalculationError);
  EXPECT_TRUE(out.Computed());
  EXPECT_EQ(t.msg.Texts(), std::vector<std::string>{"Error in calculation!"});

  const TVKMPicture& R = t.Result;
  ASSERT_EQ(R.Columns, 4);
  ASSERT_EQ(R.Rows, 3);
  // Columns 0 and 1 complete, column 2 up to the failing row; the failing cell
  // (row 1, column 2) and every later one keep A[0][0].
  ExpectValues(R, {3, 4, 2, 9,  //
                   1, 1, 9, 9,  //
                   0.25f, 2, 9, 9});

  // The partial result is rendered and labelled.
  EXPECT_EQ(R.Min, 0.25f);
  EXPECT_EQ(R.Max, 9.0f);
  EXPECT_EQ(t.image3.Width, 4);
  EXPECT_EQ(t.image3.Height, 3);
  EXPECT_EQ(t.image3.ScanLine(2)[0], 80);  // row 0 is the bottom line: (3 - 0.25) * 255 / 8.75
  EXPECT_EQ(R.ScanPara.PhysUnit, "nm/V");
  EXPECT_EQ(out.Label8, "0.25 nm/V");
  EXPECT_EQ(out.Label9, "9 nm/V");
}

TEST(ComputeArithmetic, ResultsBeyondSingleRangeAndZeroByZeroFail) {
  Arith t;
  auto big = MakePicture(2, 1, {1, 3e38f});
  auto two = MakePicture(2, 1, {1, 2});
  EXPECT_EQ(t.Run(big.get(), two.get(), " *").Status, TArithStatus::CalculationError);
  EXPECT_EQ(t.Result.RowTable[0][0], 1.0f);
  EXPECT_EQ(t.Result.RowTable[0][1], 1.0f);  // not stored: keeps A[0][0]

  EXPECT_EQ(t.Run(big.get(), big.get(), " +").Status, TArithStatus::CalculationError);

  auto zeros = MakePicture(1, 2, {0, 0});
  EXPECT_EQ(t.Run(zeros.get(), zeros.get(), " /").Status, TArithStatus::CalculationError);
  EXPECT_EQ(t.msg.Texts().size(), 3u);

  // A product too small for a single becomes 0 and is no failure.
  auto tiny = MakePicture(1, 1, {1e-30f});
  EXPECT_EQ(t.Run(tiny.get(), tiny.get(), " *").Status, TArithStatus::Computed);
  EXPECT_EQ(t.Result.RowTable[0][0], 0.0f);
  EXPECT_EQ(t.msg.Texts().size(), 3u);
}

TEST(ComputeArithmetic, AllFourOperatorsStoreSingleResults) {
  auto a = MakePicture(2, 1, {1, 0.1f}, "nm");
  auto b = MakePicture(2, 1, {3, 0.2f}, "nm");
  Arith t;
  EXPECT_EQ(t.Run(a.get(), b.get(), " +").Status, TArithStatus::Computed);
  EXPECT_EQ(t.Result.RowTable[0][0], 4.0f);
  // 0.1f + 0.2f summed exactly, then rounded once to single.
  EXPECT_EQ(t.Result.RowTable[0][1], 0.300000011920928955078125f);

  t.Run(a.get(), b.get(), " -");
  EXPECT_EQ(t.Result.RowTable[0][0], -2.0f);
  EXPECT_EQ(t.Result.RowTable[0][1], -0.100000001490116119384765625f);

  t.Run(a.get(), b.get(), " *");
  EXPECT_EQ(t.Result.RowTable[0][0], 3.0f);
  EXPECT_EQ(t.Result.RowTable[0][1], 0.02000000141561031341552734375f);

  const TArithOutcome out = t.Run(a.get(), b.get(), " /", ',');
  EXPECT_EQ(t.Result.RowTable[0][0], 0.3333333432674407958984375f);
  EXPECT_EQ(t.Result.RowTable[0][1], 0.5f);
  EXPECT_EQ(out.Label8, "0,333333343267441 ");  // nm/nm: no unit
  EXPECT_EQ(out.Label9, "0,5 ");
  EXPECT_TRUE(t.msg.shown.empty());
}

TEST(ComputeArithmetic, ResultUnitCarriesOverBetweenComputations) {
  auto nm1 = MakePicture(2, 2, {1, 2, 3, 4}, "nm");
  auto nm2 = MakePicture(2, 2, {4, 3, 2, 1}, "nm");
  auto volt = MakePicture(2, 2, {1, 1, 1, 1}, "V");
  Arith t;
  // The first result of mixed units has no unit yet.
  EXPECT_EQ(t.Run(nm1.get(), volt.get(), " -").Label9, "3 ");
  EXPECT_EQ(t.Result.ScanPara.PhysUnit, "");

  EXPECT_EQ(t.Run(nm1.get(), nm2.get(), " *").Label8, "4 nm nm");
  EXPECT_EQ(t.Result.ScanPara.PhysUnit, "nm nm");
  // Subtracting nm and V keeps the previous result's unit.
  const TArithOutcome out = t.Run(nm1.get(), volt.get(), " -", ',');
  EXPECT_EQ(t.Result.ScanPara.PhysUnit, "nm nm");
  EXPECT_EQ(out.Label8, "0 nm nm");
  EXPECT_EQ(out.Label9, "3 nm nm");

  // An image divided by itself: 1 everywhere and no unit.
  const TArithOutcome self = t.Run(nm1.get(), nm1.get(), " /");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(t.Result.Data()[i], 1.0f);
  EXPECT_EQ(t.Result.ScanPara.PhysUnit, "");
  EXPECT_EQ(self.Label8, "1 ");
  EXPECT_EQ(self.Label9, "1 ");
}

TEST(ComputeArithmetic, WithoutOperatorTheResultIsTheFirstValue) {
  auto a = MakePicture(3, 2, {7.5f, 1, 2, 3, 4, 5}, "nm");
  auto b = MakePicture(3, 2, {1, 1, 1, 1, 1, 1}, "nm");
  Arith t;
  const TArithOutcome out = t.Run(a.get(), b.get(), OperatorKeyPress('x').Edit1);
  EXPECT_EQ(out.Status, TArithStatus::Computed);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(t.Result.Data()[i], 7.5f);
  EXPECT_EQ(out.Label8, "7.5 ");  // no operator: the unit stays (empty at first)
  EXPECT_EQ(out.Label9, "7.5 ");
  EXPECT_TRUE(t.msg.shown.empty());
}

TEST(ComputeArithmetic, EveryOperatorInTheEditRunsInOrder) {
  // An "Op" setting edited by hand may hold several operators; the last one wins.
  auto a = MakePicture(1, 1, {6}, "nm");
  auto b = MakePicture(1, 1, {3}, "s");
  Arith t;
  const TArithOutcome out = t.Run(a.get(), b.get(), " /+");
  EXPECT_EQ(t.Result.RowTable[0][0], 2.0f);
  EXPECT_EQ(out.Label8, "2 nm/s");
}

TEST(ComputeArithmetic, DifferentSizesComputeNothing) {
  auto a = MakePicture(2, 2, {1, 2, 3, 4});
  auto b = MakePicture(2, 2, {1, 1, 1, 1});
  auto wide = MakePicture(3, 2, {1, 1, 1, 1, 1, 1});
  auto tall = MakePicture(2, 3, {1, 1, 1, 1, 1, 1});
  Arith t;
  t.Run(a.get(), b.get(), " +");
  for (const TVKMPicture* other : {wide.get(), tall.get()}) {
    const TArithOutcome out = t.Run(a.get(), other, " -");
    EXPECT_EQ(out.Status, TArithStatus::SizeMismatch);
    EXPECT_FALSE(out.Computed());
    EXPECT_EQ(out.Label8, "");
  }
  EXPECT_EQ(t.msg.Texts(), (std::vector<std::string>{"Pictures must have some size!",
                                                     "Pictures must have some size!"}));
  // The previous result is untouched.
  EXPECT_EQ(t.Result.Columns, 2);
  EXPECT_EQ(t.Result.RowTable[1][1], 5.0f);
}

TEST(ComputeArithmetic, MissingOperandsComputeNothingSilently) {
  auto a = MakePicture(2, 1, {1, 2});
  TVKMPicture unsized;
  Arith t;
  EXPECT_EQ(t.Run(nullptr, a.get(), " +").Status, TArithStatus::MissingOperand);
  EXPECT_EQ(t.Run(a.get(), nullptr, " +").Status, TArithStatus::MissingOperand);
  EXPECT_EQ(t.Run(a.get(), &unsized, " +").Status, TArithStatus::MissingOperand);
  EXPECT_TRUE(t.msg.shown.empty());
  EXPECT_FALSE(t.Result.HasMatrix());
}

TEST(MakeCalculusDoc, TakesValuesFromTheResultAndTheRestFromTheFirstOperand) {
  TImageDoc first;
  first.InitWindow(1, "a.sin");
  first.InfoText = {"line one", "line two"};
  first.CreatePicture(2, 2);
  TScanPara& sp = first.Picture->ScanPara;
  sp.xPixel = 2;
  sp.yPixel = 2;
  sp.XScanRange = 100;
  sp.YScanRange = 50;
  sp.Scale = 0.5f;
  sp.XPhysUnit = "nm";
  sp.YPhysUnit = "um";
  sp.PhysUnit = "V";

  auto a = MakePicture(2, 2, {1, 2, 3, 4}, "V");
  auto b = MakePicture(2, 2, {2, 2, 2, 2}, "s");
  Arith t;
  t.Run(a.get(), b.get(), " *");
  ASSERT_EQ(t.Result.ScanPara.PhysUnit, "V s");

  TImageDoc w;
  w.InfoText = {"stale"};
  ASSERT_TRUE(MakeCalculusDoc(w, 3, t.Result, &first));
  EXPECT_EQ(w.Index, 3);
  EXPECT_EQ(w.Caption, "Calculus");
  EXPECT_EQ(w.ChannelName, "Calculus");
  EXPECT_EQ(w.InfoText, (std::vector<std::string>{"line one", "line two"}));
  ASSERT_TRUE(w.HasImage());
  EXPECT_EQ(w.Picture->Columns, 2);
  EXPECT_EQ(w.Picture->Rows, 2);
  ExpectValues(*w.Picture, {2, 4, 6, 8});
  const TScanPara& out = w.Picture->ScanPara;
  EXPECT_EQ(out.xPixel, 0);
  EXPECT_EQ(out.yPixel, 0);
  EXPECT_EQ(out.XScanRange, 100.0f);
  EXPECT_EQ(out.YScanRange, 50.0f);
  EXPECT_EQ(out.Scale, 0.5f);
  EXPECT_EQ(out.XPhysUnit, "nm");
  EXPECT_EQ(out.YPhysUnit, "um");
  EXPECT_EQ(out.PhysUnit, "V");  // the first operand's unit, not the result's

  // Without a first operand (its window closed) or a result nothing is made.
  TImageDoc none;
  EXPECT_FALSE(MakeCalculusDoc(none, 4, t.Result, nullptr));
  EXPECT_FALSE(none.Picture);
  TVKMPicture noResult;
  EXPECT_FALSE(MakeCalculusDoc(none, 4, noResult, &first));
  EXPECT_EQ(none.Caption, "");
}

TEST(DuplicateDoc, CopiesValuesParametersAndTextButNotCaptionColoursOrTransformed) {
  TImageDoc old;
  old.InitWindow(1, "scan1.int");
  old.Caption = "scan1.int - Topography";
  old.ChannelCaption = "Topography";
  old.InfoText = {"a", "b", "c"};
  old.CreatePicture(3, 2);
  TVKMPicture& p = *old.Picture;
  const float values[6] = {1, -2, 3.5f, 4, 5e-7f, 6};
  std::memcpy(p.Data(), values, sizeof values);
  p.ScanPara = TScanPara{2, 3, "nm", "nm", "pA", 10, 20, 0.25f};
  p.Transformed = true;
  p.ColourTable.palPalEntry[0] = TPaletteEntry{255, 0, 0, 0};

  TImageDoc w;
  ASSERT_TRUE(DuplicateDoc(w, 2, old));
  EXPECT_EQ(w.Index, 2);
  EXPECT_EQ(w.ChannelName, "scan1.int");
  EXPECT_EQ(w.Caption, "scan1.int - Topography");
  EXPECT_EQ(w.ChannelCaption, "");
  EXPECT_EQ(w.InfoText, old.InfoText);
  ASSERT_TRUE(w.HasImage());
  EXPECT_EQ(w.Picture->Columns, 3);
  EXPECT_EQ(w.Picture->Rows, 2);
  EXPECT_EQ(std::memcmp(w.Picture->Data(), values, sizeof values), 0);
  const TScanPara& sp = w.Picture->ScanPara;
  EXPECT_EQ(sp.yPixel, 2);
  EXPECT_EQ(sp.xPixel, 3);
  EXPECT_EQ(sp.PhysUnit, "pA");
  EXPECT_EQ(sp.XScanRange, 10.0f);
  EXPECT_EQ(sp.YScanRange, 20.0f);
  EXPECT_EQ(sp.Scale, 0.25f);
  EXPECT_FALSE(w.Picture->Transformed);
  EXPECT_EQ(w.Picture->ColourTable.palPalEntry, DefaultColourTable());

  // The copy is independent of its source.
  w.Picture->RowTable[0][0] = 99;
  w.Picture->ScanPara.PhysUnit = "V";
  EXPECT_EQ(p.RowTable[0][0], 1.0f);
  EXPECT_EQ(p.ScanPara.PhysUnit, "pA");

  TImageDoc empty, target;
  EXPECT_FALSE(DuplicateDoc(target, 3, empty));
  EXPECT_FALSE(target.Picture);
}

namespace {

// The arithmetic as its rule is written: each cell in extended precision, stored as
// single, column by column, the operation ending at the first result that is not a
// finite single. Kept as the reference the fast computation must equal bit for bit.
void ReferenceArithmetic(const TVKMPicture& a, const TVKMPicture& b, const std::string& edit1,
                         std::vector<float>& result, int& failures) {
  const int rows = a.Rows, cols = a.Columns;
  result.assign(static_cast<size_t>(rows) * cols, a.RowTable[0][0]);
  for (char op : {'+', '-', '*', '/'}) {
    if (edit1.find(op) == std::string::npos) continue;
    bool failed = false;
    for (int c = 0; c < cols && !failed; ++c)
      for (int r = 0; r < rows; ++r) {
        const long double x = a.RowTable[r][c], y = b.RowTable[r][c];
        const long double e = op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y;
        const float v = static_cast<float>(e);
        if (!std::isfinite(v)) {
          failed = true;
          break;
        }
        result[static_cast<size_t>(r) * cols + c] = v;
      }
    failures += failed ? 1 : 0;
  }
}

bool SameBits(float x, float y) {
  return std::memcmp(&x, &y, sizeof x) == 0;
}

// Values that try the rounding: ordinary ones of every magnitude, the edges of the
// single range, subnormals, signed zeros, and now and then an infinity or a NaN.
float AwkwardValue(std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 19);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_int_distribution<int> exponent(-150, 127);
  const float specials[] = {0.0f,
                            -0.0f,
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::min(),
                            std::numeric_limits<float>::denorm_min(),
                            -std::numeric_limits<float>::denorm_min(),
                            1.0f,
                            3.0f,
                            std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()};
  const int k = kind(rng);
  if (k < 3) return specials[std::uniform_int_distribution<int>(0, 10)(rng)];
  if (k < 8) return std::ldexp(unit(rng), exponent(rng));
  // Random bit patterns cover every finite single, subnormals included.
  uint32_t bits = std::uniform_int_distribution<uint32_t>()(rng);
  if ((bits & 0x7F800000u) == 0x7F800000u) bits &= ~0x00800000u;
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

}  // namespace

TEST(ComputeArithmetic, EqualsTheExtendedPrecisionRuleBitForBit) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 60; ++round) {
    const int cols = 1 + static_cast<int>(rng() % 23);
    const int rows = 1 + static_cast<int>(rng() % 17);
    std::vector<float> va(static_cast<size_t>(rows) * cols), vb(va.size());
    // Most rounds are all finite and small enough to succeed; the rest fail somewhere.
    const bool wild = round % 3 == 0;
    std::uniform_real_distribution<float> tame(-1000.0f, 1000.0f);
    for (size_t i = 0; i < va.size(); ++i) {
      va[i] = wild ? AwkwardValue(rng) : tame(rng);
      vb[i] = wild ? AwkwardValue(rng) : tame(rng);
    }
    auto a = MakePicture(cols, rows, va);
    auto b = MakePicture(cols, rows, vb);
    for (const char* edit : {" +", " -", " *", " /", "+-*/", "/*"}) {
      std::vector<float> expected;
      int failures = 0;
      ReferenceArithmetic(*a, *b, edit, expected, failures);
      Arith t;
      const TArithOutcome out = t.Run(a.get(), b.get(), edit);
      EXPECT_EQ(out.Status, failures > 0 ? TArithStatus::CalculationError : TArithStatus::Computed);
      EXPECT_EQ(t.msg.shown.size(), static_cast<size_t>(failures));
      for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_TRUE(SameBits(t.Result.Data()[i], expected[i]))
            << "round " << round << " edit '" << edit << "' cell " << i << ": "
            << t.Result.Data()[i] << " instead of " << expected[i];
    }
  }
}
