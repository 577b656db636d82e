// Pictures for the leveling and filter tests: made from a formula or a value list, read
// back as a list, compared bit for bit, and random surfaces of several kinds.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/TVKMPicture.h"

namespace leveltest {

// A picture of `columns` x `rows` with value f(column, row).
inline std::unique_ptr<TVKMPicture> Make(int columns, int rows,
                                         const std::function<float(int, int)>& f) {
  auto p = std::make_unique<TVKMPicture>();
  p->SetSize(columns, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) p->RowTable[r][c] = f(c, r);
  return p;
}

// A picture from row-major values, row 0 first.
inline std::unique_ptr<TVKMPicture> FromRows(int columns, int rows,
                                             const std::vector<float>& values) {
  return Make(columns, rows,
              [&](int c, int r) { return values[static_cast<size_t>(r) * columns + c]; });
}

inline std::vector<float> Values(const TVKMPicture& p) {
  return std::vector<float>(p.Data(), p.Data() + p.ValueCount());
}

// Index of the first value whose bits differ (NaNs count as equal to NaNs), or -1.
inline long FirstBitDifference(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::isnan(a[i]) && std::isnan(b[i])) continue;
    if (std::bit_cast<uint32_t>(a[i]) != std::bit_cast<uint32_t>(b[i])) return static_cast<long>(i);
  }
  return -1;
}

enum class Kind {
  Smooth,    // a tilted, bowed surface with noise around 3
  Wide,      // signs and magnitudes from 1e-12 to 1e6 side by side
  Integers,  // whole numbers, as integer data files give
  Halves,    // few significant bits, many exact half-way sums
  NearZero,  // a leveled surface: values around 0 with tiny ones among them
};

inline std::vector<Kind> AllKinds() {
  return {Kind::Smooth, Kind::Wide, Kind::Integers, Kind::Halves, Kind::NearZero};
}

inline std::string KindName(Kind k) {
  switch (k) {
    case Kind::Smooth:
      return "smooth";
    case Kind::Wide:
      return "wide";
    case Kind::Integers:
      return "integers";
    case Kind::Halves:
      return "halves";
    case Kind::NearZero:
      return "near zero";
  }
  return "";
}

inline std::unique_ptr<TVKMPicture> Random(int columns, int rows, Kind kind, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<float> noise(0.0f, 1.0f);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  return Make(columns, rows, [&](int c, int r) -> float {
    switch (kind) {
      case Kind::Smooth:
        return 3.0f + 0.01f * c - 0.02f * r + 1e-4f * c * c + 0.05f * noise(rng);
      case Kind::Wide: {
        const float mag = std::pow(10.0f, -12.0f + 18.0f * unit(rng));
        return unit(rng) < 0.5f ? -mag : mag;
      }
      case Kind::Integers:
        return static_cast<float>(static_cast<int>(unit(rng) * 2000.0f) - 1000);
      case Kind::Halves:
        return 0.5f * static_cast<float>(static_cast<int>(unit(rng) * 8.0f));
      case Kind::NearZero: {
        const float v = 1e-3f * noise(rng);
        return unit(rng) < 0.1f ? v * 1e-6f : v;
      }
    }
    return 0.0f;
  });
}

}  // namespace leveltest
