// Image arithmetic and inversion: combining two pictures cell by cell, the operator
// edit, the result unit and labels, and the documents made from other documents
// (the "Calculus" result and a duplicate).
#pragma once

#include <string>

#include "image/Messages.h"
#include "image/TImageDoc.h"
#include "image/TVKMPicture.h"

// Process > Invers: every value v := -v, row by row. Scan parameters, colour table
// and everything else stay. A picture without a matrix is left alone.
void InvertPicture(TVKMPicture& picture);

// What a key typed into the operator edit `Edit1` does. The character itself never
// enters the edit.
struct TOperatorKey {
  std::string Edit1;  // the new text of the edit: " +", " -", " *", " /" or empty
  bool StoreOp;       // write `Op` to the "Arithmetic"/"Op" setting
  std::string Op;     // the operator character when StoreOp
  bool Beep;          // sound the system beep
};
TOperatorKey OperatorKeyPress(char key);

// The operator edit's text at creation: a blank followed by the "Op" setting.
std::string OperatorEditText(const std::string& opSetting);

enum class TArithStatus {
  MissingOperand,    // an operand is not set, or its window is gone: nothing computed
  SizeMismatch,      // "Pictures must have some size!": nothing computed
  Computed,          // every operation ran to its end
  CalculationError,  // at least one operation stopped with "Error in calculation!"
};

struct TArithOutcome {
  TArithStatus Status = TArithStatus::MissingOperand;
  // Least and greatest result value with the result's unit; set when something was
  // computed (Computed or CalculationError), otherwise empty.
  std::string Label8;
  std::string Label9;
  // "Use" is enabled after a computation and keeps its state otherwise.
  bool Computed() const {
    return Status == TArithStatus::Computed || Status == TArithStatus::CalculationError;
  }
};

// The unit of a result after one operation: "+"/"-" give a when a = b and keep
// `previous` otherwise, "*" gives "a b", "/" gives "" when a = b and "a/b" otherwise.
// Any other character keeps `previous`.
std::string ArithResultUnit(char op, const std::string& a, const std::string& b,
                            const std::string& previous);

// The computation of the arithmetic window. `a` and `b` are the operands' pictures
// (nullptr or a picture without matrix counts as missing). `Result` is the window's
// own picture, kept between computations so its unit carries over; `image3`
// receives its rendering. `edit1` is the operator edit's text; every operator
// character it holds runs, in the order + - * /. Each cell is A[r][c] op B[r][c],
// rounded once to single (as extended precision stored as single gives it), column by column; a result
// that is not a finite single stops that operation at the failing cell with
// "Error in calculation!" and the cells not reached keep what they held. `sep` is
// the locale's decimal separator for the labels.
TArithOutcome ComputeArithmetic(const TVKMPicture* a, const TVKMPicture* b,
                                const std::string& edit1, TVKMPicture& Result, TBitmap8& image3,
                                Messages& messages, char sep);

// The texts shown for an operand window: its caption, and its last rendering's
// minimum and maximum texts each followed by a blank and the value unit.
struct TOperandTexts {
  std::string Caption;  // Label2 / Label3
  std::string Lower;    // Label4 / Label6
  std::string Upper;    // Label5 / Label7
};
TOperandTexts OperandTexts(const TImageDoc& window);

// "Use": fills the new window's document `w` (slot `slot`) from `Result` and the
// first operand's window: name "Calculus", the first operand's information text,
// the values as one block, and the first operand's ranges, scale and units (not the
// result unit); yPixel and xPixel stay 0. The caller renders it (UpdateImage).
// Returns false, leaving `w` untouched, when there is no result or no first operand.
bool MakeCalculusDoc(TImageDoc& w, int slot, const TVKMPicture& Result, const TImageDoc* first);

// Edit > Duplicate: fills the new window's document `w` (slot `slot`) as a copy of
// `old`: name and caption, size, scan parameters, values and information text.
// `ChannelCaption`, `Transformed` and the colour table are not copied (the copy has
// the default colours). The caller renders it. Returns false, leaving `w`
// untouched, when `old` has no picture.
bool DuplicateDoc(TImageDoc& w, int slot, const TImageDoc& old);
