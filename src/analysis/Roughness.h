// Roughness statistics of a whole image: the mean and the population standard
// deviation of all its values, and the text that Analyse > Roughness shows.
#pragma once

#include <optional>
#include <string>

#include "image/TVKMPicture.h"

struct TRoughness {
  double Mean = 0;
  double StD = 0;
};

// Sums S and Q (of the values and of their squares) in double precision, row by
// row; mean = S / N, StD = sqrt((Q - S^2 / N) / N). Nothing (nullopt) for a picture
// without matrix, rows or columns, or when the statistics are not finite numbers
// (an image holding infinities or NaNs).
std::optional<TRoughness> ComputeRoughness(const TVKMPicture& picture);

// "Mean = " mean, a carriage return, "StD  = " StD, both in the general number
// format with the decimal separator `sep`.
std::string RoughnessText(const TRoughness& stats, char sep);

// What the command shows for `picture` (nullptr: no active image): the text, or
// nothing when nothing is to be shown.
std::optional<std::string> RoughnessMessage(const TVKMPicture* picture, char sep);
