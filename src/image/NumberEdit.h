// The rule of every edit box that takes a number: its colour shows its state.
// Typing turns it silver (edited, not yet accepted); Enter accepts a number, which
// turns it white, or rejects a text that is none, which turns it red and keeps the
// text so the user can mend it. The windows paint the state (qtgui/NumberEditPaint.h).
#pragma once

#include <optional>
#include <string>

enum class TEditState {
  White,   // accepted
  Silver,  // edited since it was accepted (RGB 192, 192, 192)
  Red,     // not a number (RGB 255, 0, 0)
};

class TNumberEdit {
 public:
  std::string Text;
  TEditState State = TEditState::White;

  TNumberEdit() = default;
  TNumberEdit(std::string text, TEditState state) : Text(std::move(text)), State(state) {}

  // Any key pressed down in the edit.
  void KeyDown() { State = TEditState::Silver; }

  // Enter on an edit of real numbers (the locale's separator `sep` or a point):
  // white and the value, or red and nothing. The text stays as typed.
  std::optional<double> AcceptNumber(char sep);

  // As AcceptNumber, and an accepted text is rewritten in the general number format
  // ("  1.50 " becomes "1.5"). False when the text was rejected.
  bool AcceptAndRewrite(char sep);

  // The same for a value kept in single precision: a number beyond the single range
  // (its single would be infinite) is rejected too.
  std::optional<double> AcceptSingle(char sep);
  bool AcceptAndRewriteSingle(char sep);

  // Enter on an edit of whole numbers (blanks around, an optional sign, decimal
  // digits, within the 32-bit range): white and the value, or red and nothing.
  std::optional<int> AcceptInteger();

  bool IsRed() const { return State == TEditState::Red; }
  bool IsSilver() const { return State == TEditState::Silver; }
  bool IsWhite() const { return State == TEditState::White; }
};

// Reads a whole number as AcceptInteger does, without touching any state.
bool ParseInteger(const std::string& text, int& value);
