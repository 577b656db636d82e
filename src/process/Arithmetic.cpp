// Image arithmetic and inversion, and the documents made from other documents.
#include "process/Arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/NumberFormat.h"

void InvertPicture(TVKMPicture& picture) {
  if (!picture.HasMatrix()) return;
  for (int32_t r = 0; r < picture.Rows; ++r) {
    float* row = picture.RowTable[r];
    for (int32_t c = 0; c < picture.Columns; ++c) row[c] = -row[c];
  }
}

TOperatorKey OperatorKeyPress(char key) {
  TOperatorKey k{};
  if (key == '+' || key == '-' || key == '*' || key == '/') {
    k.Edit1 = std::string(" ") + key;
    k.StoreOp = true;
    k.Op = std::string(1, key);
    k.Beep = false;
  } else {
    k.StoreOp = false;
    k.Beep = true;
  }
  return k;
}

std::string OperatorEditText(const std::string& opSetting) {
  return " " + opSetting;
}

std::string ArithResultUnit(char op, const std::string& a, const std::string& b,
                            const std::string& previous) {
  switch (op) {
    case '+':
    case '-':
      return a == b ? a : previous;
    case '*':
      return a + " " + b;
    case '/':
      return a == b ? std::string() : a + "/" + b;
    default:
      return previous;
  }
}

namespace {

// One cell in single precision. The exact result rounded once to single is what
// extended precision rounded to single gives as well: for + - * / the extended
// (and the double) format has more than twice the digits of a single plus two, so
// rounding twice never differs from rounding once.
template <char Op>
inline float Apply(float x, float y) {
  if constexpr (Op == '+') return x + y;
  if constexpr (Op == '-') return x - y;
  if constexpr (Op == '*') return x * y;
  return x / y;
}

// True when the single's exponent is all ones: an infinity or a NaN.
inline bool NotFinite(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return (bits & 0x7F800000u) == 0x7F800000u;
}

// Every cell of `a` op `b` into `out` (row after row, as the pictures store them).
// Returns true when all results are finite.
template <char Op>
bool CombineAll(const float* a, const float* b, float* out, size_t n) {
  uint32_t notFinite = 0;
  for (size_t i = 0; i < n; ++i) {
    out[i] = Apply<Op>(a[i], b[i]);
    notFinite |= NotFinite(out[i]) ? 1u : 0u;
  }
  return notFinite == 0;
}

bool Combine(char op, const float* a, const float* b, float* out, size_t n) {
  switch (op) {
    case '+':
      return CombineAll<'+'>(a, b, out, n);
    case '-':
      return CombineAll<'-'>(a, b, out, n);
    case '*':
      return CombineAll<'*'>(a, b, out, n);
    default:
      return CombineAll<'/'>(a, b, out, n);
  }
}

}  // namespace

TArithOutcome ComputeArithmetic(const TVKMPicture* a, const TVKMPicture* b,
                                const std::string& edit1, TVKMPicture& Result, TBitmap8& image3,
                                Messages& messages, char sep) {
  TArithOutcome out;
  // An operand that was never set or whose window has been closed is missing; the
  // window keeps showing what it showed and nothing is computed.
  if (!a || !b || !a->HasMatrix() || !b->HasMatrix()) {
    out.Status = TArithStatus::MissingOperand;
    return out;
  }
  if (a->Columns != b->Columns || a->Rows != b->Rows) {
    messages.ShowMessage("Pictures must have some size!");
    out.Status = TArithStatus::SizeMismatch;
    return out;
  }

  const float first = a->RowTable[0][0];
  Result.SetSize(a->Columns, a->Rows);
  if (!Result.HasMatrix()) {
    // SetSize has already said why; there is nothing to show.
    out.Status = TArithStatus::SizeMismatch;
    return out;
  }

  // Every cell starts with the first operand's first value. The cells are written
  // column by column, and the first result that is not a finite single stops an
  // operation there: the cells before it in that order take their results, the
  // others keep what they held. All cells are computed at once; where one fails, the
  // cells from it on (in column order) get back what they held before.
  out.Status = TArithStatus::Computed;
  const int32_t rows = a->Rows;
  const int32_t cols = a->Columns;
  const size_t n = Result.ValueCount();
  float* result = Result.Data();
  std::vector<float> held;  // the cells before the operation, once one has run
  bool ran = false;
  for (char op : {'+', '-', '*', '/'}) {
    if (edit1.find(op) == std::string::npos) continue;
    if (ran) held.assign(result, result + n);
    if (Combine(op, a->Data(), b->Data(), result, n)) {
      ran = true;
      continue;
    }
    bool reached = false;
    for (int32_t c = 0; c < cols; ++c)
      for (int32_t r = 0; r < rows; ++r) {
        const size_t i = static_cast<size_t>(r) * cols + c;
        reached = reached || NotFinite(result[i]);
        if (reached) result[i] = ran ? held[i] : first;
      }
    ran = true;
    // The cells from the failed one on hold no result of the operation: counted as data
    // lost, so that a batch run does not pass the partial result off as a whole one.
    messages.ShowDataLoss("Error in calculation!", TMsgDlgType::mtInformation);
    out.Status = TArithStatus::CalculationError;
  }
  if (!ran) std::fill(result, result + n, first);

  Result.Render(image3);

  std::string unit = Result.ScanPara.PhysUnit;
  for (char op : {'+', '-', '*', '/'})
    if (edit1.find(op) != std::string::npos)
      unit = ArithResultUnit(op, a->ScanPara.PhysUnit, b->ScanPara.PhysUnit, unit);
  Result.ScanPara.PhysUnit = unit;

  out.Label8 = FormatGeneral(Result.Min, sep) + " " + unit;
  out.Label9 = FormatGeneral(Result.Max, sep) + " " + unit;
  return out;
}

TOperandTexts OperandTexts(const TImageDoc& window) {
  TOperandTexts t;
  t.Caption = window.Caption;
  const std::string unit = window.Picture ? window.Picture->ScanPara.PhysUnit : std::string();
  t.Lower = window.MinText + " " + unit;
  t.Upper = window.MaxText + " " + unit;
  return t;
}

bool MakeCalculusDoc(TImageDoc& w, int slot, const TVKMPicture& Result, const TImageDoc* first) {
  if (!Result.HasMatrix() || !first || !first->Picture) return false;
  w.InitWindow(slot, "Calculus");
  w.CreatePicture(Result.Columns, Result.Rows);
  if (!w.HasImage()) return false;
  w.InfoText = first->InfoText;
  std::memcpy(w.Picture->Data(), Result.Data(), Result.ValueCount() * sizeof(float));
  const TScanPara& src = first->Picture->ScanPara;
  TScanPara& dst = w.Picture->ScanPara;
  dst.XScanRange = src.XScanRange;
  dst.YScanRange = src.YScanRange;
  dst.Scale = src.Scale;
  dst.XPhysUnit = src.XPhysUnit;
  dst.YPhysUnit = src.YPhysUnit;
  dst.PhysUnit = src.PhysUnit;
  return true;
}

bool DuplicateDoc(TImageDoc& w, int slot, const TImageDoc& old) {
  if (!old.HasImage()) return false;
  const TVKMPicture& src = *old.Picture;
  w.InitWindow(slot, old.ChannelName);
  w.Caption = old.Caption;
  w.CreatePicture(src.Columns, src.Rows);
  if (!w.HasImage()) return false;
  w.Picture->ScanPara = src.ScanPara;
  std::memcpy(w.Picture->Data(), src.Data(), src.ValueCount() * sizeof(float));
  w.InfoText.insert(w.InfoText.end(), old.InfoText.begin(), old.InfoText.end());
  return true;
}
