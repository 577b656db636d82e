// Roughness statistics: mean and population standard deviation in one pass.
#include "analysis/Roughness.h"

#include <cmath>

#include "image/NumberFormat.h"

std::optional<TRoughness> ComputeRoughness(const TVKMPicture& picture) {
  if (!picture.HasMatrix() || picture.Rows <= 0 || picture.Columns <= 0) return std::nullopt;
  double S = 0;
  double Q = 0;
  for (int32_t r = 0; r < picture.Rows; ++r) {
    const float* row = picture.RowTable[r];
    for (int32_t c = 0; c < picture.Columns; ++c) {
      const double v = row[c];
      S = S + v;
      Q = Q + v * v;
    }
  }
  const double N = static_cast<double>(picture.Rows) * static_cast<double>(picture.Columns);
  TRoughness t;
  t.Mean = S / N;
  double variance = (Q - S * S / N) / N;
  // Q - S^2/N is never negative in exact arithmetic; a negative difference is the
  // rounding of the two sums of a nearly constant image, whose spread is zero to
  // the precision available, so it shows 0 instead of failing.
  if (variance < 0) variance = 0;
  t.StD = std::sqrt(variance);
  if (!std::isfinite(t.Mean) || !std::isfinite(t.StD)) return std::nullopt;
  return t;
}

std::string RoughnessText(const TRoughness& stats, char sep) {
  return "Mean = " + FormatGeneral(stats.Mean, sep) + "\r" +
         "StD  = " + FormatGeneral(stats.StD, sep);
}

std::optional<std::string> RoughnessMessage(const TVKMPicture* picture, char sep) {
  if (!picture) return std::nullopt;
  const auto stats = ComputeRoughness(*picture);
  if (!stats) return std::nullopt;
  return RoughnessText(*stats, sep);
}
