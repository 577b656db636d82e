// Rounding to single what an operation in extended precision gives, computed in double
// where the two provably agree and in extended precision where they might not.
#pragma once

#include <bit>
#include <cstdint>

// Why double is enough almost always: let x be the exact result of one addition whose
// operands are exact in double, t = x rounded to double, e = x rounded to extended. The
// single nearest to t differs from the single nearest to x only when t lies exactly
// half-way between two singles, because rounding never crosses a half-way point and
// every such point is a double. And e can only be a half-way point that x is not when t
// is that point too, since the point is a double and lies closer to x than e's
// neighbours. So unless t is a half-way point, t, e and x all round to the same single.
// Below the smallest normal single the single grid is coarser, so that range is always
// treated as a possible tie as well.
inline bool MayTieAsSingle(double t) {
  // A half-way point has 25 significant bits: of the 29 low bits only the top one is
  // set. Those bits lie in the low half of the double, so 32-bit operations suffice,
  // which keeps loops over many values vectorisable.
  const uint32_t low = static_cast<uint32_t>(std::bit_cast<uint64_t>(t));
  const bool halfWay = (low & 0x1FFFFFFFu) == 0x10000000u;
  const double magnitude = t < 0 ? -t : t;
  const bool subnormalSingle = magnitude < 0x1p-126 && magnitude != 0.0;
  return halfWay || subnormalSingle;
}

// The same test for t = s + p with its rounding error `err` (exactly x - t): an exact
// sum rounds like the extended one whatever it is, so only an inexact half-way point
// counts. Gives 0 or 1, for loops that collect it without branching.
inline uint32_t MayTieAsSingleFlag(double t, double err) {
  const uint32_t low = static_cast<uint32_t>(std::bit_cast<uint64_t>(t));
  const double magnitude = t < 0 ? -t : t;
  return (static_cast<uint32_t>((low & 0x1FFFFFFFu) == 0x10000000u) &
          static_cast<uint32_t>(err != 0.0)) |
         static_cast<uint32_t>(magnitude < 0x1p-126 && magnitude != 0.0);
}

// s + p rounded to single as extended precision rounds it: s a single, p a double that
// holds the exact product it stands for (an integer times a single, or two singles).
inline float AddRoundSingle(float s, double p) {
  const double t = static_cast<double>(s) + p;
  if (MayTieAsSingle(t)) [[unlikely]]
    return static_cast<float>(static_cast<long double>(s) + static_cast<long double>(p));
  return static_cast<float>(t);
}
