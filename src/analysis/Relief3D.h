// The simple 3D view's relief: every image row drawn as a row of vertical bars of
// height proportional to the value, rows stacked from back to front and sheared
// sideways, into an 8-bit bitmap with the image's colour table.
#pragma once

#include <cstdint>
#include <string>

#include "image/TVKMPicture.h"

// The z gain and shift as the drawing takes them from the two edit texts: a text that
// is no integer gives 10 (gain) or 0 (shift), and the edit is to show that number. A
// negative gain is taken as 0 (a flat relief: bars pointing downwards would leave the
// bitmap); gain and |shift| are limited to kMaxReliefGain and kMaxReliefShift so the
// bitmap stays a sensible size. `gainText`/`shiftText` are set to the text the edit is
// to show afterwards (unchanged when the text was taken as it is).
inline constexpr int32_t kMaxReliefGain = 2000;
inline constexpr int32_t kMaxReliefShift = 2000;

struct TReliefParams {
  int32_t Gain = 10;
  int32_t Shift = 0;
  bool GainReplaced = false;   // the edit is to show Gain
  bool ShiftReplaced = false;  // the edit is to show Shift
};
TReliefParams ReliefParams(const std::string& gainText, const std::string& shiftText);

// Draws the relief B of `picture` with gain G and shift S: width |S| + (C - 1) + 40,
// height (R - 1) + G + 40, filled with index 255, palette from the picture's colour
// table. Stored row r = 0 ... R - 1 (back to front), column c: the bar's foot at row
// G + 20 + r, its left at c + 20 + Round(r / (R - 1) x S) (minus S when S <= 0), its top
// Round((v - Min) x G / (Max - Min)) above the foot with the index Round((v - Min) x 254 /
// (Max - Min)), falling by dk = Round(k / height) - 1 per pixel down to the foot.
// Decided where the rule has no answer: an index outside 0 ... 255 on the way down is
// held at the nearer end instead of wrapping round the colour table; a single row gets
// no shear (there is no second row to shear it against) and a flat image (Max = Min) or
// one without a finite range is drawn flat at index 0; cells whose value is not a
// number, and pixels that would fall outside B, are left out. False (B untouched) only
// for a picture without values.
bool DrawRelief(const TVKMPicture& picture, int32_t gain, int32_t shift, TBitmap8& B);

// The time label: seconds with 2 decimals followed by "s".
std::string ReliefTimeText(double seconds, char sep);
