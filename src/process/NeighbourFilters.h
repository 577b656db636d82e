// The 3x3 neighbourhood filters (low-pass, high-pass, Laplace, illumination) and the
// removal of bad points that stand out from their neighbours.
#pragma once

#include <array>

#include "image/TVKMPicture.h"

// The items of `ComboBox1`, in this order, and their kernels: nine weights for the
// window w1..w9 = (r-1, c-1), (r-1, c), (r-1, c+1), (r, c-1), (r, c), (r, c+1),
// (r+1, c-1), (r+1, c), (r+1, c+1).
enum TFilterKernel : int { fkLowPass = 0, fkHighPass = 1, fkLaplace = 2, fkBeleuchtung = 3 };
inline constexpr int kFilterKernelCount = 4;
inline constexpr std::array<const char*, kFilterKernelCount> kFilterNames = {
    "LowPass", "HighPass", "Laplace", "Beleuchtung"};
extern const std::array<std::array<float, 9>, kFilterKernelCount> kFilterKernels;

// Convolves the picture with kernel `kernel` (0..3); false, and nothing changes, for any
// other index. Every output value is computed from unfiltered values. Beyond the border
// the picture is reflected without repeating the edge (row -1 reads row 1, row R reads
// row R - 2; the same for columns); a picture of one row or one column reflects onto
// that line itself. Each output is the sum over k = 1..9 of w_k * weight_k, each product
// formed in extended precision and added to a running sum that is rounded to single
// after every addition.
bool Filter3x3(TVKMPicture& p, int kernel);

// The threshold of bad-point removal for p percent of the source's value range d =
// `Max` - `Min`, all in single precision: d / 100 * p, or 1.0 when the source is flat.
// A negative percentage gives 0, the smallest threshold there is.
float BadPointThreshold(float sourceMin, float sourceMax, double percent);

// Replaces, in place, the values that differ by more than `t` from both of their
// neighbours along the row (on the left and right edges: along the column) by the mean
// of their neighbours; a replaced value already counts as a neighbour for the values
// that follow. Order: the inner rows (inner values, then the left and right edge
// value of that row), then the bottom and top rows, then the four corners. Pictures of
// fewer than two rows or two columns have no such neighbourhood and stay as they are.
void RemoveBadPoints(TVKMPicture& p, float t);
