// Line profiles of an image: the averaged working matrix of each mode (rows, columns,
// arcs round the centre) and the nearest-cell sampling of a row, a column, a free line
// and a ray. Pure functions of the picture and the line; the profile window and the
// command line both call them.
#pragma once

#include <cstdint>
#include <vector>

#include "image/Progress.h"
#include "image/TVKMPicture.h"

// The four kinds of line, by their index in the mode list.
enum class TProfileMode : int32_t { Row = 0, Column = 1, AnyLine = 2, Radial = 3 };

// The averaged copy of the image a profile is read from: Rows x Columns singles, row
// after row. Its row order depends on the mode that filled it (see the Average*
// functions).
struct TWorkMatrix {
  int32_t Rows = 0;
  int32_t Columns = 0;
  std::vector<float> Values;

  void SetSize(int32_t columns, int32_t rows);
  float* Row(int32_t r) { return Values.data() + static_cast<size_t>(r) * Columns; }
  const float* Row(int32_t r) const { return Values.data() + static_cast<size_t>(r) * Columns; }
  float At(int32_t r, int32_t c) const { return Row(r)[c]; }
};

// One profile: point i has the value Values[i] and comes from the cell (X[i], Y[i]).
// Y is a display row (0 = top) for rows and columns, a stored row (0 = bottom) for the
// free line and the ray.
struct TProfile {
  std::vector<float> Values;
  std::vector<int32_t> X;
  std::vector<int32_t> Y;

  int32_t PointCount() const { return static_cast<int32_t>(Values.size()); }
  void Clear();
  void Add(int32_t x, int32_t y, float value);
};

// The widest averaging window a mode takes, for an image of `rows` x `columns`:
// 2 x rows + 1 rows (every mirrored row then still lies in the image; beyond it the
// mirror would leave the image) and 360 degrees (a full turn). Every column width is
// taken as it is (up to the largest int32): beyond the image the window only repeats
// the last column, and those runs are summed in steps that do not grow with the width.
// The free line does not average.
int32_t MaxAverageWidth(TProfileMode mode, int32_t rows, int32_t columns);

// `width` brought into 1 ... MaxAverageWidth(mode, ...).
int32_t LimitAverageWidth(TProfileMode mode, int32_t width, int32_t rows, int32_t columns);

// "row": K[r][x] (r a display row, 0 = top) := the single-precision sum of W display
// rows r - W div 2 ... r - W div 2 + W - 1 at column x, divided by W. Beyond the top
// edge the rows are mirrored repeating the edge row, beyond the bottom edge without
// repeating it. W is limited as MaxAverageWidth says.
void AverageRows(const TVKMPicture& picture, int32_t width, TWorkMatrix& K);

// "col": K[r][x] (r a display row) := the single-precision sum over the columns
// |x - W div 2 + k| (k = 0 ... W - 1, in that order; one at or beyond the right edge
// taken as the last column) of display row r, divided by W (the exact W, the quotient
// rounded to single). Any width W >= 1.
void AverageColumns(const TVKMPicture& picture, int32_t width, TWorkMatrix& K);

// s after n >= 0 additions of v, each rounded to single: (((s + v) + v) + ... + v). Runs
// of additions that provably add the same amount are taken at once, so the time grows
// with the number of binary orders of magnitude s passes, not with n.
float AddRepeatedly(float s, float v, int64_t n);

// The radius of the disc the radial mode averages and samples: (min(R, C) - 1) div 2,
// the largest circle round (C div 2, R div 2) that lies inside the image whatever its
// shape. For images with at least as many rows as columns this is (C - 1) div 2.
int32_t RadialRadius(int32_t rows, int32_t columns);

// "radial": K in the image's own row order. Every cell at a distance rho < RadialRadius
// from the centre (cx, cy) = (C div 2, R div 2) gets the mean of the cells met on its
// circle over an arc of W degrees centred on it: the angle a runs from -(W / 2) degrees
// in steps of 1 / (rho + 1) radian until it passes W / 2 degrees, each step taking the
// cell (Round(cos a dx + sin a dy) + cx, Round(cos a dy - sin a dx) + cy); a, rho and the
// sum are singles. Every other cell keeps the image's value.
// Progress is reported in steps; a cancelled run returns false and leaves K with the
// cells finished so far averaged and the rest holding the image's own values.
bool AverageRadial(const TVKMPicture& picture, int32_t width, TWorkMatrix& K,
                   Progress* progress = nullptr);

// The same numbers computed plainly, column by column, one cell and one angle at a
// time: the definition the fast AverageRadial is tested and measured against.
void AverageRadialReference(const TVKMPicture& picture, int32_t width, TWorkMatrix& K);

// Row `row` (a display row, clamped to 0 ... R - 1) of a matrix filled by AverageRows:
// C points from left to right.
void RowProfile(const TWorkMatrix& K, int32_t row, TProfile& profile);

// Column `column` (clamped to 0 ... C - 1) of a matrix filled by AverageColumns: R points
// from the top of the display downwards.
void ColumnProfile(const TWorkMatrix& K, int32_t column, TProfile& profile);

// The free line from cell (x1, y1) to (x2, y2) of the image itself, y counted from the
// top of the display. n := Round(length + 1) points (at least 1), each step adding
// dx / n and dy / n in single precision to the position; each point is the nearest cell,
// clamped into the image; the profile's Y holds stored rows.
void AnyLineProfile(const TVKMPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    TProfile& profile);

// An angle in degrees brought into 0 ... 360 by whole turns.
float NormalizeAngle(float angle);

// The ray from the centre of a matrix filled by AverageRadial in the direction
// `angle` (degrees, 0 to the right, 90 up; normalised first): RadialRadius + 1 points,
// point i at (Round(cos a i + C div 2), Round(sin a i + R div 2)).
void RadialProfile(const TWorkMatrix& K, float angle, TProfile& profile);

// The distance between neighbouring points in the distance unit: XScanRange / xPixel for
// rows, YScanRange / yPixel for columns; for the free line and the ray the row step when
// the x and y units and ranges agree, else 1 (cells). A pixel count of 0 or a scan range
// of 0 (a file that gives none) gives 1 as well.
float ProfileStep(TProfileMode mode, const TScanPara& scan);

// The distance unit under the graph: "[" unit "]", or empty for the free line and the ray
// when the axes do not agree.
std::string DistanceUnitLabel(TProfileMode mode, const TScanPara& scan);
