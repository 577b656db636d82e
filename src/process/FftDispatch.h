// The interface between the FFT driver and its per-instruction-set kernels. Only
// plain data and declarations: the kernel files are compiled for instruction sets
// the processor may lack, so they share no inline code with the rest of the program.
#pragma once

#include <cstdint>

// What the 1-D transforms of one 2-D transform share, prepared once.
struct TFftKernelArgs {
  int32_t N;
  int32_t m;
  int32_t Stride;  // values from one matrix row to the next, at least N
  // Per butterfly group g = 0 .. N/2 - 1: the twiddles of k0 = rev(2g) and
  // k1 = rev(2g + 1), singles held as doubles.
  const double* C0;
  const double* S0;
  const double* C1;
  const double* S1;
  const uint16_t* Rev;  // bit reversal of 0 .. N - 1
  uint64_t* Fallbacks;  // counts the components computed in extended precision
  bool ImagZero;        // the imaginary parts are all 0: `im` is written, not read
};

// One kernel set. `ColumnPass` runs the 1-D transform down every column of the
// N x N matrices (N >= 8) in place, eight columns at a time. `Magnitude` writes
// sqrt(re^2 + im^2) of the un-centred spectrum (rows `stride` apart) centred into
// rows[0 .. N-1][0 .. N-1].
// `TransposeInPlace` swaps (r, c) with (c, r) of an N x N matrix; `TransposeIn` writes
// dst (c, r) := rows[r][(c + shift) mod N]. Both for N a multiple of 8 (and shift a
// multiple of 8).
struct TFftKernelSet {
  void (*ColumnPass)(float* re, float* im, const TFftKernelArgs& args);
  void (*TransposeInPlace)(float* a, int32_t N, int32_t stride);
  void (*TransposeIn)(const float* const* rows, int32_t shift, int32_t N, float* dst,
                      int32_t stride);
  void (*Magnitude)(const float* re, const float* im, int32_t N, int32_t stride, float* const* rows,
                    uint64_t* fallbacks);
};

TFftKernelSet FftKernelsSse2();
TFftKernelSet FftKernelsAvx2();
TFftKernelSet FftKernelsAvx512();
