// The sphere filter: a grey-scale dilation of the image by a ball of a chosen radius
// (every value becomes the highest neighbour lowered by the ball's cap at its
// distance), giving the smooth part (low-pass) or the image minus it (high-pass).
// The fast filter and the plain definition it must equal bit for bit live here.
#pragma once

#include <cstdint>
#include <vector>

#include "image/Messages.h"
#include "image/Progress.h"
#include "image/TVKMPicture.h"

// The message when the cap table cannot be made.
inline constexpr const char* kSphereInitError = "Error in Sphere-Init.";

// The largest ball size R: a ball twice as wide as the largest picture. Larger balls
// (only reachable through a radius that was never limited) count as a failed table.
inline constexpr int32_t kMaxSphereBall = 2 * kMaxPictureSide;

// The radius r (in the x unit) in pixels: r / XScanRange * xPixel. A picture with
// XScanRange 0 has no lateral scale; its radius is taken in pixels, so the filter
// stays usable instead of dividing by zero.
double SphereRadiusInPixels(double r, const TScanPara& para);

// Accepting a radius typed into the radius edit (Enter).
struct TSphereRadius {
  bool Accepted = false;  // false: r cannot be turned into pixels (the edit turns red)
  double r = 0;           // the radius to keep: reduced when it was too large
  int64_t Pixels = 0;     // Round(r in pixels), at most a quarter of the width
  bool Reduced = false;   // r was reduced; the edit shows the new r
};

// half = columns div 2; rp = Round(r in pixels); when half / 2 < rp the radius is
// reduced to rp = half div 2 pixels and r = rp * XScanRange / xPixel (rp itself when
// XScanRange is 0). Only a radius whose pixel count is not a finite number is not
// accepted; any finite radius above the limit is reduced, and a pixel count far
// below zero is held as -2^62.
TSphereRadius SphereAcceptRadius(double r, int32_t columns, const TScanPara& para);

// The ball of one run: its size R (radius in pixels plus one) and the height z of one
// cap unit.
struct TSphereBall {
  int32_t R = 0;
  double z = 0;
};

// R = Round(r in pixels + 1.0). z: with XPhysUnit equal to PhysUnit (exact text
// comparison) z = r / R; otherwise z starts at 1.0, the first character of XPhysUnit
// sets it ("m" 0.001, the micro sign 0.000001, "n" 0.000000001) and the first
// character of PhysUnit divides it by the same factors. The micro sign is accepted as
// the Latin-1 byte 0xB5 and as UTF-8. False when R is not a number in 0..kMaxSphereBall
// or z is not finite (the run then reports kSphereInitError).
bool SphereBallFor(double r, const TScanPara& para, TSphereBall& ball);

// The cap table K: S x S doubles (S = 2R + 1), row-major, K[i * S + j] =
// ((R + 1) - sqrt(q)) * z with q = (R^2 + 1) - (i - R)^2 - (j - R)^2 when q >= 0, else 0.
// Entries that are 0 are skipped by the filter. False (and K empty) when the ball size
// is outside 0..kMaxSphereBall, the table cannot be allocated, or an entry is not a
// finite number.
bool SphereCapTable(int32_t R, double z, std::vector<double>& K);

// The index that reads row (or column) n of a side of `size` values: |n|, reflected
// at the far end. A ball wider than the picture reflects again at each end, so every
// index stays inside the picture (a one-value side always reads its only value).
int32_t SphereReflect(int32_t n, int32_t size);

// The dilation itself: for every value (y, x) of `image` (rows x cols, row-major),
// m = the value as a double, raised to every t = image(reflected y + i - R,
// reflected x + j - R) - K[i * S + j] with K != 0 that is greater. `m` receives
// rows * cols doubles. Progress counts rows (total rows - 1).
//
// The plain definition: every table entry for every value, row by row. Slow at large
// balls; kept as the reference the fast one is tested and measured against.
void SphereDilatePlain(const float* image, int32_t rows, int32_t cols, int32_t R,
                       const std::vector<double>& K, double* m, Progress& progress);

// The fast dilation: the same m, bit for bit, for every table SphereCapTable makes.
// `threads` rows are worked on at once (0: as many as the machine has cores).
void SphereDilate(const float* image, int32_t rows, int32_t cols, int32_t R,
                  const std::vector<double>& K, double* m, Progress& progress, int threads = 0);

enum class TSphereRun {
  Done,        // the working copy holds the result
  InitFailed,  // kSphereInitError was shown; the working copy is unchanged
};

// The sphere filter of the workbench: reads `image` (the source picture), writes
// `working` (same size): low-pass m, high-pass image - m, each stored as single.
TSphereRun SphereFilter(const TVKMPicture& image, TVKMPicture& working, double r, bool lowPass,
                        Progress& progress, Messages& messages);

// The same through SphereDilatePlain, for tests and benches.
TSphereRun SphereFilterPlain(const TVKMPicture& image, TVKMPicture& working, double r, bool lowPass,
                             Progress& progress, Messages& messages);

// Switching a finished result between low-pass and high-pass: every working value v
// becomes image - v (single).
void SphereSwitch(const TVKMPicture& image, TVKMPicture& working);
