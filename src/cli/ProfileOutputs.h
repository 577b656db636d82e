// The command line's line profile and 3D outputs: --profile SPEC PATH writes the file
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
struct TProfileSpec {
  TProfileMode Mode = TProfileMode::Row;
  int Number = 0;  // row or column
  int Width = 1;
  float Angle = 0;
  std::array<int, 4> Points{};
};

// Nothing when the text is not such a spec (numbers are integers, the angle any number
// with "." as separator; the width at least 1).
std::optional<TProfileSpec> ParseProfileSpec(const std::string& text);

// G,S: the z gain and the shift as the 3D view's two edits hold them (integers).
struct TReliefSpec {
  std::string Gain;
  std::string Shift;
};
std::optional<TReliefSpec> ParseReliefSpec(const std::string& text);

// The profile of `spec` on `picture`, as the line window opened in that mode with that
// width and line shows it: `model` holds the profile and its step afterwards.
void RunProfileSpec(const TProfileSpec& spec, const TVKMPicture& picture, char sep,
                    TLineProfileModel& model, Progress* progress = nullptr);
