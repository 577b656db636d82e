// What the profile window shows and writes about a profile: the graph's scale and
// points, its labels, the two measuring cursors and their read-out grid, the saved
// profile file and the clipboard text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ProfileSampling.h"
#include "image/TVKMPicture.h"

// ---- the graph -------------------------------------------------------------------

// The profile drawn into a graph of width x height pixels: the maximum at the top edge,
// the minimum at y = height - 1, point i at x = Round(i / n x width).
struct TProfileGraph {
  float ProfileMin = 0;
  float ProfileMax = 0;
  float GraphScale = 1;  // graph pixels per value unit
  // The polyline; points whose value is not a number are left out.
  std::vector<std::pair<int32_t, int32_t>> Points;
};

TProfileGraph ProfileGraph(const TProfile& profile, int32_t width, int32_t height);

// The y of value v on the graph: Round((ProfileMax - v) x GraphScale).
int32_t GraphY(float profileMax, float graphScale, float v);

// A value with three significant digits in exponent form, the exponent's sign always
// written and no leading zeros in it: 123.4 -> "1.23E+2", 0 -> "0.00E+0".
std::string FormatExponent3(double value, char sep);

// ---- the read-out grid -----------------------------------------------------------

inline constexpr int32_t kReadoutRows = 11;

// `label` followed by "[", the unit and "]".
std::string WithUnit(const char* label, const std::string& unit);

// Column 0 of the grid: the quantities with their units; the distance rows carry a unit
// only when the axes they combine share it.
std::array<std::string, kReadoutRows> ReadoutLabels(const TScanPara& scan);

enum class TReadoutColour { Red, Lime, ButtonFace, Window };

// The background of a grid cell: column 1 the window colour; column 0 red for cursor 0's
// rows, lime for cursor 1's, button face for the differences.
TReadoutColour ReadoutCellColour(int32_t column, int32_t row);

// The scale of positions in the read-outs: with equal x and y units both are
// XScanRange / (C - 1) per cell, otherwise 1 (cells). An image of one column, or one
// without a (positive) scan range, has no spacing to scale by and reads in cells too.
struct TReadoutScales {
  float fx = 1;
  float fy = 1;
};
TReadoutScales ReadoutScales(const TScanPara& scan, int32_t columns);

// ---- the two cursors -------------------------------------------------------------

struct TProfileCursor {
  bool Active = false;
  int32_t X = 0;  // graph pixels
  int32_t Y = 0;
  int32_t PointIndex = 0;
};

// What a cursor move reads: the profile on the graph and how it is drawn.
struct TCursorContext {
  const TProfile* Profile = nullptr;
  int32_t GraphWidth = 0;
  float ProfileMax = 0;
  float GraphScale = 1;
  bool StickToGraph = true;
  TReadoutScales Scales;
  char Separator = '.';
};

// The cursors on the graph and the value column of the grid. The window keeps a clean
// copy of the graph (the snapshot) to draw the crosses on.
class TProfileCursors {
 public:
  std::array<TProfileCursor, 2> Cursor;
  int32_t ActiveCursor = -1;
  bool GraphSnapshotValid = false;
  std::array<std::string, kReadoutRows> Values;  // column 1 of the grid

  // A new profile was drawn: the snapshot is stale and the value column empty. The
  // cursors keep their records but are not drawn until the next press.
  void NewProfile();

  // True when the next press must first copy the clean graph into the snapshot.
  bool NeedsSnapshot() const { return !GraphSnapshotValid; }

  // A press at graph x `X`: on a fresh graph both cursors become inactive first. Then
  // cursor 0 is picked when it is inactive or within 3 pixels, otherwise cursor 1 on the
  // same terms, otherwise none. The window then runs MouseMove with the same position.
  void MouseDown(int32_t X);

  // A move with the left button down: the picked cursor goes to point
  // Round(X / width x n) (limited to 0 ... n - 1), on the graph line when it sticks to it;
  // the value column is filled for the cursors that are active and the differences
  // (cursor 1 minus cursor 0) when both are.
  void MouseMove(int32_t X, int32_t Y, const TCursorContext& context);

  // Whether cursor k is drawn (active on the current graph).
  bool Drawn(int k) const { return Cursor[k].Active && GraphSnapshotValid; }
};

// The point a cursor at graph x `X` stands on.
int32_t CursorPointIndex(int32_t X, int32_t graphWidth, int32_t pointCount);

// The pen width of the crosses: Round(bitmap width / control width + 1).
int32_t CrossPenWidth(int32_t bitmapWidth, int32_t controlWidth);

// The four strokes of a cross at (x, y) with an open centre, each (x1, y1, x2, y2) drawn
// without its end pixel.
std::array<std::array<int32_t, 4>, 4> CrossStrokes(int32_t x, int32_t y);

// ---- files and clipboard ---------------------------------------------------------

// The fixed 23-character scientific form of the profile file: sign (blank or "-"), one
// digit, ".", 14 digits, "E", the exponent's sign and four exponent digits; always "."
// as separator. 1.5 -> " 1.50000000000000E+0000".
std::string FormatScientific23(double value);

// One line per point: i x step, a tab, the value, in FormatScientific23, each line ended
// by carriage return and line feed.
std::string ProfileFileText(const TProfile& profile, float step);

// The same lines in the general number format with the separator `sep`, separated by
// carriage return and line feed.
std::string ProfileClipboardText(const TProfile& profile, float step, char sep);

// The name a profile is saved under: ".dat" appended when the name has no "." anywhere
// (folders included), otherwise the name unchanged.
std::string ProfileSaveName(const std::string& chosenName);

struct TProfileSaveResult {
  bool Ok = false;
  std::string FileName;  // the name written
  std::string Folder;    // its folder with the final separator, for the "Save"/"Path" setting
};

// Saves the profile under the name chosen in the save dialog (ProfileSaveName applied):
// creates or overwrites the file. Not Ok when the name is empty or the file cannot be
// created, written or closed; a partly written file stays.
TProfileSaveResult SaveProfile(const std::string& chosenName, const TProfile& profile, float step);
