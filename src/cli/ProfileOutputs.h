// The command line's line profile and 3D outputs: --profile LINE PATH writes the file
// the profile window's Save writes, --s3d G,S PATH the 3D view's bitmap. Both run the
// window's own model, so the numbers are the viewer's.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "analysis/LineProfile.h"
#include "image/Progress.h"

// row:N[:W], col:N[:W], any:X1,Y1,X2,Y2 (cells, y from the top of the display),
// radial:ANGLE[:W]; W is 1 when left out.
struct TProfileChoice {
  TProfileMode Mode = TProfileMode::Row;
  int Number = 0;  // row or column
  int Width = 1;
  float Angle = 0;
  std::array<int, 4> Points{};
};

// Nothing when the text is not such a choice (numbers are integers, the angle any number
// with "." as separator; the width at least 1).
std::optional<TProfileChoice> ParseProfileChoice(const std::string& text);

// G,S: the z gain and the shift as the 3D view's two edits hold them (integers).
struct TReliefChoice {
  std::string Gain;
  std::string Shift;
};
std::optional<TReliefChoice> ParseReliefChoice(const std::string& text);

// The profile of `choice` on `picture`, as the line window opened in that mode with that
// width and line shows it: `model` holds the profile and its step afterwards.
void RunProfileChoice(const TProfileChoice& choice, const TVKMPicture& picture, char sep,
                      TLineProfileModel& model, Progress* progress = nullptr);
