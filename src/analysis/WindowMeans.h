// Means over a window of rows, column by column: the inner loop of the row and column
// averages of the line profiles. Each column's sum runs from 0 through the rows of the
// window in their order in single precision, whatever the kernel; the kernels differ
// only in how many columns they carry at once.
#pragma once

#include <cstdint>

enum class TWindowKernel : int32_t { Portable, Sse2, Avx, Avx512 };

// Whether this processor runs the kernel.
bool WindowKernelSupported(TWindowKernel kernel);

// The widest supported kernel.
TWindowKernel WidestWindowKernel();

// out[x] := (((0 + src[0][x]) + src[1][x]) + ... + src[W - 1][x]) / W for x = from ...
// to - 1, every addition and the division in single precision. W >= 1. The kernel must
// be supported.
void WindowMeans(TWindowKernel kernel, const float* const* src, int32_t W, int32_t from, int32_t to,
                 float* out);

// sums[x] := (((sums[x] + terms[0]) + terms[1]) + ... + terms[n - 1]) for x = 0 ... C - 1,
// every addition in single precision: the same terms added to many sums side by side.
// The kernel must be supported.
void AddToEach(TWindowKernel kernel, const float* terms, int32_t n, float* sums, int32_t C);
