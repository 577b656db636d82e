// Pictures compared value for value, bit for bit, so that a NaN equals the same NaN and
// -0 differs from 0.
#pragma once

#include <cstring>
#include <vector>

#include "image/TVKMPicture.h"

inline std::vector<float> Values(const TVKMPicture& p) {
  return std::vector<float>(p.Data(), p.Data() + p.ValueCount());
}

inline bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// The same size, both with their matrix, and the same bits.
inline bool SameBits(const TVKMPicture& a, const TVKMPicture& b) {
  return a.Columns == b.Columns && a.Rows == b.Rows && a.HasMatrix() && b.HasMatrix() &&
         std::memcmp(a.Data(), b.Data(), a.ValueCount() * sizeof(float)) == 0;
}
