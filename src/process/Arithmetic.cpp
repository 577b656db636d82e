// Image arithmetic and inversion, and the documents made from other documents.
#include "process/Arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

long double Apply(char op, long double x, long double y) {
  switch (op) {
    case '+':
      return x + y;
    case '-':
      return x - y;
    case '*':
      return x * y;
    default:
      return x / y;
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
  std::fill(Result.Data(), Result.Data() + Result.ValueCount(), first);

  out.Status = TArithStatus::Computed;
  const int32_t rows = a->Rows;
  const int32_t cols = a->Columns;
  for (char op : {'+', '-', '*', '/'}) {
    if (edit1.find(op) == std::string::npos) continue;
    bool failed = false;
    for (int32_t c = 0; c < cols && !failed; ++c) {
      for (int32_t r = 0; r < rows; ++r) {
        const long double x = a->RowTable[r][c];
        const long double y = b->RowTable[r][c];
        const float v = static_cast<float>(Apply(op, x, y));
        if (!std::isfinite(v)) {
          failed = true;
          break;
        }
        Result.RowTable[r][c] = v;
      }
    }
    if (failed) {
      messages.ShowMessage("Error in calculation!");
      out.Status = TArithStatus::CalculationError;
    }
  }

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
