// The workbench's FFT: the centred magnitude spectrum of the largest power-of-two
// square in the bottom-left corner of a picture, by a radix-2 transform in single steps.
#pragma once

#include <cstdint>

#include "image/TVKMPicture.h"

// The transform size of a picture: N is the largest power of two not greater than
// the smaller side, m = log2 N. A picture with an empty side has N = 0 (m = -1).
struct TFftSize {
  int32_t N = 0;
  int32_t m = -1;
};
TFftSize FftSize(int32_t rows, int32_t columns);

// The integer whose lowest m bits are those of x in reverse order.
uint32_t BitReversal(int32_t m, uint32_t x);

// cos(2 pi k / N) and sin(2 pi k / N) for k = 0 .. N - 1, N = 2^m, each the single
// nearest to the exact value: the quarter turns are exactly 0 and +-1 and the table
// is symmetric, so a constant picture has no spectrum outside the zero frequency.
void FftTwiddles(int32_t m, float* cosTable, float* sinTable);

// The unnormalised forward 2-D transform of the N x N matrices `re` and `im` (row
// after row, N = 2^m, m = 0 .. 9), in place: every row, then every column, each by
// the 1-D transform whose butterflies compute every component in extended
// precision from single inputs and store it as a single. With `centredInput` the
// halves are swapped in both directions first; the result is always centred, the
// zero frequency at (N/2, N/2).
void Fft2D(float* re, float* im, int32_t m, bool centredInput);

// What "do" in the FFT mode computes (FFTClick without the cursor): the bottom-left
// N x N block of `work` becomes the centred magnitude of its transform, linear or as
// log2 of the magnitude; values outside the block keep what they had. The
// `Transformed` flag says whether the values are a centred spectrum: it is the
// centred-input flag of the transform and toggles. Returns false, changing nothing,
// for a picture without matrix or with an empty side.
bool FftPicture(TVKMPicture& work, bool logMagnitude);

// The instruction sets the transform can run on; every one gives the same numbers.
enum class TFftKernel { Automatic, Portable, Sse2, Avx2, Avx512 };

// Chooses the instruction set for the following transforms (tests and benches
// compare them); Automatic takes the widest the processor has. Returns false, and
// keeps the choice, when the processor lacks the set.
bool SetFftKernel(TFftKernel kernel);
TFftKernel ActiveFftKernel();

// How many vector steps so far needed the extended-precision computation after all
// (tests check that their hard cases reach it).
uint64_t FftExtendedFallbacks();
