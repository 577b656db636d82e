// Leveling: removing an offset, a tilt or a bow from a picture by least squares,
// row by row, column by column, over the whole picture, or through marked points.
#pragma once

#include <cstdint>

#include "image/Messages.h"
#include "image/TVKMPicture.h"

// The items of the method list `ComboSlop` and the order list `ComboSlopOrder`.
enum TSlopMethod : int { smPoints = 0, sm2Dim = 1, smLines = 2, smCols = 3 };
enum TSlopOrder : int { soZero = 0, soFirst = 1, soSecond = 2 };

// A marked point: a column and a row of the matrix (row 0 at the bottom).
struct TSlopPoint {
  int32_t Column = 0;
  int32_t Row = 0;
  bool operator==(const TSlopPoint&) const = default;
};

// At most this many points can be marked.
inline constexpr int kMaxSlopPoints = 30;

enum class TLevelResult {
  Leveled,          // the picture holds the leveled values
  NotSupported,     // "Method not supported!" was shown; nothing changed
  NotEnoughPoints,  // "Not enough points!" was shown; nothing changed, the points stay
  Unchanged,        // the fit does not exist (singular, or a result that is not a finite
                    // single): nothing changed and nothing was said
};

// Each routine changes the whole picture or nothing: a fit that cannot be made (too
// few rows or columns, a sum or result that is not a finite single) leaves every value
// as it was and returns false. Sums are taken in the precision the method has always
// used, because the leveled values depend on it:
//  - single sums round the running sum to single after each addition, double sums to
//    double; products and quotients are formed in extended precision and rounded where
//    they are stored; coefficients are stored as singles (the parabola's reciprocal
//    determinant as a double).

// "Lines", 0. order: every row minus its mean (single sums).
bool LevelRowMean(TVKMPicture& p);
// "Cols", 0. order: every column minus its mean (single sums).
bool LevelColumnMean(TVKMPicture& p);
// "Lines", 1st order: every row minus its least-squares line (double sums); needs two
// columns.
bool LevelRowLine(TVKMPicture& p);
// "Cols", 1st order: every column minus its least-squares line (single sums); needs two
// rows.
bool LevelColumnLine(TVKMPicture& p);
// "Lines", 2nd order: every row minus its least-squares parabola (double sums); needs
// three columns.
bool LevelRowParabola(TVKMPicture& p);
// "Cols", 2nd order: every column minus its least-squares parabola (double sums); needs
// three rows.
bool LevelColumnParabola(TVKMPicture& p);
// "2Dim", 0. order: the mean of the row means is subtracted from every value. When it
// cannot be computed nothing changes.
bool LevelGlobalMean(TVKMPicture& p);
// "2Dim", 1st order: the mean of the rows' slopes and the mean of the columns' slopes are
// removed; the level stays (single sums). A picture of one column has no slope along
// its rows, one of one row none along its columns: that slope counts as 0, so a line
// scan still loses its tilt.
bool LevelMeanSlopes(TVKMPicture& p);

// "Points", 1st order: the slope of height over column and the slope of height over
// row, each a separate regression through the marked points (double sums), are removed;
// the level stays. Points must lie inside the picture.
enum class TPointSlopesResult { Leveled, TooFewPoints, Unchanged };
TPointSlopesResult LevelPointSlopes(TVKMPicture& p, const TSlopPoint* points, int count);

// "do" of the leveling workbench: the routine chosen by the `ComboSlop` and
// `ComboSlopOrder` item indexes (any index, -1 for no selection).
//  - Points/1st, 2Dim/0 and 1st, Lines and Cols 0..2 run their routine; every other
//    pair shows "Method not supported!".
//  - Points needs two points that span a column range and a row range, because each
//    slope is a regression over the points' columns or rows; otherwise it shows "Not
//    enough points!" with a second line asking for marks, and the points stay so the
//    user can add one. After leveling `pointCount` is 0.
TLevelResult Leveling(TVKMPicture& work, int method, int order, const TSlopPoint* points,
                      int& pointCount, Messages& messages);

// The two message texts.
inline constexpr const char* kMethodNotSupported = "Method not supported!";
inline constexpr const char* kNotEnoughPoints =
    "Not enough points!\nPlease mark points with left mouse button.";
