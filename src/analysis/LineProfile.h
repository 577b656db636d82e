// The line profile window's state and rules without the window: the mode, the width,
// the line of each mode and its marker on the image copy, the "any" line's two marker
// panels, the profile with its graph and cursors, and the window's layout numbers.
// The window owns the controls and paints; the command line runs the same model.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "analysis/ProfileReadouts.h"
#include "analysis/ProfileSampling.h"
#include "image/Progress.h"
#include "image/TVKMPicture.h"

struct TIntRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

// A marker line on the image copy, from (X1, Y1) to (X2, Y2) without its last pixel.
struct TMarkerLine {
  int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  bool operator==(const TMarkerLine&) const = default;
};

// The pixels of a line from (x1, y1) to (x2, y2), the end pixel left out, as the marker
// is inverted: steps along the longer axis, the other coordinate rounded.
std::vector<std::pair<int32_t, int32_t>> LinePixels(const TMarkerLine& line);

// The mode list's items, by index.
inline constexpr std::array<const char*, 4> kProfileModeItems = {"row", "col", "any", "radial"};

class TLineProfileModel {
 public:
  // ---- state, as the window holds it ----
  int32_t ColumnMarkX = 0;                                 // the "col" marker's x on the image copy
  int32_t RowMarkY = 0;                                    // the "row" marker's y
  int32_t LineX1 = 0, LineY1 = 0, LineX2 = 0, LineY2 = 0;  // the "any" marker
  int32_t RayX = 0, RayY = 0;                              // the ray marker's outer end
  float Angle = 0;                                         // degrees, 0 right, 90 up
  int32_t ColumnNumber = 0;
  int32_t RowNumber = 0;                                                     // display row, 0 = top
  int32_t AnyPoint1X = 1, AnyPoint1Y = 1, AnyPoint2X = 10, AnyPoint2Y = 10;  // cells, y from top
  int32_t Mode = -1;  // the mode applied last; -1 none
  int32_t AverageWidth = 1;
  TProfile Profile;
  TWorkMatrix WorkCopy;
  float Step = 1;
  TProfileGraph Graph;
  TProfileCursors Cursors;
  const TVKMPicture* Picture = nullptr;  // not owned

  // ---- what the controls show ----
  std::string WidthText = "1";  // Edit1
  bool WidthEnabled = true;
  std::string NumberText = "1";  // Edit2
  bool NumberShown = true;
  std::string DistanceUnit;                             // Label1
  std::string MaxText, MinText, ValueUnit, LengthText;  // Label7, Label9, Label8, Label6
  bool PanelsShown = false;
  int32_t Panel1Left = 0, Panel1Top = 0, Panel2Left = 0, Panel2Top = 0;  // form pixels
  std::string Panel1Hint, Panel2Hint;
  char Separator = '.';

  // ---- geometry the window hands in ----
  TIntRect Image1;         // the image copy, in form pixels
  int32_t GraphWidth = 0;  // Image2
  int32_t GraphHeight = 0;

  // Creation from the "AnaLine" settings "Dir", "Width" and "Number": the mode index (-1
  // when it names no item), the width (at least 1), the number text and its integer (0
  // when it is none) as the first row and column.
  void Create(int32_t dir, int32_t width, const std::string& number);

  // The image: the working copy gets its size; the "any" line's end points come from the
  // settings and the panels are placed; then the mode is applied. False when a cancelled
  // radial preparation ended it early.
  bool SetPicture(const TVKMPicture* picture, Progress* progress = nullptr);

  // Prepares and shows mode `index` (0 ... 3; anything else shows nothing) and records it.
  bool ApplyMode(int32_t index, Progress* progress = nullptr);

  // A new mode from the mode list, or the width confirmed: the width is read from
  // `widthText` (1 when it holds no integer, at least 1), the previous mode's panels are
  // put away, and the mode is applied afresh.
  bool ChangeMode(int32_t index, const std::string& widthText, Progress* progress = nullptr);

  // The preparations: the working copy, Step and the unit label of the mode, then its line.
  void PrepareRows();
  void PrepareColumns();
  void PrepareAnyLine();
  bool PrepareRadial(Progress* progress);

  // The show operations: the line moves (its marker with it), the profile is taken and
  // the graph recomputed.
  void ShowRow(int32_t row);
  void ShowColumn(int32_t column);
  void ShowAnyLine();  // end points from the panels
  void ShowRadial(float angle);
  // The free line between two cells given directly (y from the top of the display).
  void ShowAnyLineCells(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

  // The marker of mode `mode` at its stored place; nothing for other modes.
  bool MarkerOf(int32_t mode, TMarkerLine& line) const;

  // The left button pressed or dragged at (X, Y) on the image copy: the row, column or
  // angle under the mouse is shown. Nothing in "any" mode.
  void ImageMouse(int32_t X, int32_t Y);

  // The angle of the point (X, Y) of the image copy seen from its centre: 0 right, 90 up.
  static float AngleAt(int32_t X, int32_t Y, int32_t width, int32_t height);

  // Enter in the number edit: false when the text is no integer (the edit turns red).
  bool NumberEntered(const std::string& text);

  // Enter in the width edit: false when the text is no integer (the edit turns red and
  // the width becomes 1, nothing recomputed); otherwise the mode is prepared afresh.
  bool WidthEntered(const std::string& text, bool& cancelled, Progress* progress = nullptr);

  // A marker panel (1 or 2) dragged with the mouse at (X, Y) inside it: it follows the
  // mouse on each axis where the mouse stays over the image copy; then the line is shown.
  void DragPanel(int32_t panel, int32_t X, int32_t Y);

  // Puts the panels where the "any" points say (the points limited to the image first).
  void PlaceMarkers();

  // Recomputes the graph of the current profile for a graph of GraphWidth x GraphHeight,
  // its labels, and clears the cursors' read-outs.
  void DrawProfile();

  // The cursor context for the current graph.
  TCursorContext CursorContext(bool stickToGraph = true) const;

  // The label beside the number edit: "number", "angle", or empty (hidden).
  std::string NumberLabel() const;

 private:
  void UpdateHints();
  void TakeAnyPointsFromPanels();
  bool AcceptWidth(const std::string& text);
};

// ---- layout -----------------------------------------------------------------------

struct TLineFormLayout {
  int32_t s = 0;  // the side of the image copy and the graph's width
  int32_t d = 0;  // the top margin
  TIntRect Image1;
  TIntRect Image2;
  int32_t CheckBoxLeft = 0, CheckBoxTop = 0;
  int32_t UnderGraphTop = 0;  // Label1, Label5, Label6
};

// s := min(client width div 2, Round(client height x 0.5)), d := s div 10; the image copy
// s x s at (Round(outer width x 0.83 - 200), d); the graph as wide below it at top
// s + s div 5, as high as the client leaves after 3 d; the check box 21 above the graph,
// 40 right of its left; the labels under the graph s div 30 below it.
// Two amendments keep everything visible: the image copy and graph move left when they
// would pass the client's right edge (less 8 pixels), and with `labelHeight` > 0 the graph
// is shortened so the labels under it (that high) end 2 pixels above the client's bottom.
TLineFormLayout LineFormLayout(int32_t clientWidth, int32_t clientHeight, int32_t outerWidth,
                               int32_t labelHeight = 0);

// The smallest outer size of the window when it is not maximized.
inline constexpr int32_t kLineFormMinWidth = 600;
inline constexpr int32_t kLineFormMinHeight = 500;
