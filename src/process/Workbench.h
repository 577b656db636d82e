// The processing workbench without its window: the working copy of an image, the mode
// it was opened in, the state of the mode's controls, and "do", "undo", "take over".
// TFilterForm shows it and tarnisk-cli drives it, so both compute the same.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/Messages.h"
#include "image/NumberEdit.h"
#include "image/Progress.h"
#include "image/TVKMPicture.h"
#include "image/ViewGeometry.h"
#include "process/Histogram.h"
#include "process/Leveling.h"

// The section of the settings file that holds the workbench's choices, and its keys.
inline constexpr const char* kFilterSection = "Filter";
inline constexpr const char* kKeyComboBox1 = "ComboBox1";
inline constexpr const char* kKeyComboSlop = "ComboSlop";
inline constexpr const char* kKeyComboSlopOrder = "ComboSlopOrder";
inline constexpr const char* kKeyEdit2 = "Edit2";
inline constexpr const char* kKeyKugel = "Kugel";

// What the workbench reads from its settings when it opens; the defaults are those of an
// empty settings file.
struct TFilterSettings {
  int ComboBox1 = 0;
  int ComboSlop = 0;
  int ComboSlopOrder = 0;
  std::string Edit2 = "1";  // the threshold text, read in the bad-point mode
  std::string Kugel = "0";  // the radius text, read in the sphere mode
};

// The panels of the window, one per kind of mode; the window shows the mode's panel.
enum class TFilterPanel { None, Panel2, Panel3, Panel4, Panel5, Panel6, Panel7 };

// The mouse handlers a mode attaches to the result image `Image2`.
enum class TImage2Mouse { None, Slop3D, Zoom };

// What a press of "do" came to.
enum class TDoOutcome {
  Done,         // the operation ran; the working copy is rendered into Image2
  Refused,      // a message or a beep said why nothing ran; Image2 is rendered anyway
  NotRendered,  // nothing ran and Image2 stays as it is (an empty zoom square)
  // Returned by a mode's hook only: the operation ran and rendered Image2 itself
  // (the histogram renders to count). "do" reports it as Done.
  DoneAndRendered,
};

class TWorkbench;

// One mode: what opens it, what it shows and what its buttons do. Every hook may be
// nullptr: no step of its own, and for `Do` a beep (the mode has no operation yet).
struct TWorkbenchMode {
  int Mode;
  const char* CaptionPrefix;  // put before the image window's caption; nullptr: no command
  TFilterPanel Panel;
  TImage2Mouse Image2Mouse;
  // The text setting the mode's own edit is filled from on opening ("Edit2", "Kugel").
  const char* SettingsKey;
  // The mode's own step at the end of opening (after its panel's edit has its text).
  void (*Open)(TWorkbench&);
  // "do". The working copy is rendered afterwards unless it returns NotRendered.
  TDoOutcome (*Do)(TWorkbench&, Progress&);
  // The mode's own step at the end of "undo".
  void (*Undo)(TWorkbench&);
  // "take over" when the mode needs more than writing the values back (a crop).
  void (*TakeOver)(TWorkbench&);
  // Enter in the mode's number edit (the radius): accept or reject its text.
  void (*EditEnter)(TWorkbench&);
  // A click on one of the mode's radio buttons (`LowpassRadio` holds the choice).
  void (*RadioClick)(TWorkbench&);
};

// The row of `mode`, or nullptr for a mode outside 0..9.
const TWorkbenchMode* FindWorkbenchMode(int mode);

// A position on the picture shown in `Image2`: column, and line counted from the top.
struct TPicturePixel {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPicturePixel&) const = default;
};

class TWorkbench {
 public:
  explicit TWorkbench(Messages& messages) : messages_(messages) {}
  TWorkbench(const TWorkbench&) = delete;
  TWorkbench& operator=(const TWorkbench&) = delete;

  // --- state -------------------------------------------------------------------------
  std::unique_ptr<TVKMPicture> WorkPicture;  // the working copy, owned
  TVKMPicture* SourcePicture = nullptr;      // the image window's picture; written by TakeOver
  int32_t Mode = 0;  // 0..9; "do" in modes 0..3 sets it to the chosen filter

  // The bitmaps the window shows: the unprocessed image and the result.
  TBitmap8 Image1;
  TBitmap8 Image2;

  // The values of the mode's controls. The window keeps them in step with its controls.
  int ComboBox1 = 0;         // filter: LowPass, HighPass, Laplace, Beleuchtung; -1 none
  int ComboSlop = 0;         // leveling method: Points, 2Dim, Lines, Cols; -1 none
  int ComboSlopOrder = 0;    // leveling order: 0., 1st, 2nd; -1 none
  std::string Edit2 = "1";   // "% of z-axes" of bad-point removal
  bool CheckBoxLog = false;  // FFT shown as log2

  // Points marked on the result for point leveling.
  std::array<TSlopPoint, kMaxSlopPoints> Points{};
  int PointCount = 0;

  // The zoom square, in pixels of the picture shown in Image2.
  int32_t ZoomX1 = 0, ZoomX2 = 0, ZoomY1 = 0, ZoomY2 = 0;

  THistogram Histogram;  // mode 5

  // The sphere filter's radius edit and its state.
  TNumberEdit RadiusEdit{"0", TEditState::White};
  double Radius = 0;         // in the x unit, as last accepted
  bool LowpassRadio = true;  // "Lowpass" selected (else "Highpass")
  int SphereProgressPosition = 0;
  int SphereProgressMax = 0;
  std::string RadiusHint;  // the radius edit's tool tip
  // The radius previewed on Image1 as the lower half of a circle centred in the picture,
  // in pixels of Image1's picture; -1: no preview. Image1 rendered afresh has none.
  int64_t RadiusArcPixels = -1;
  // A result of the filter is shown (finished since the last reset) and which kind it is:
  // only such a result is switched, and only when the other kind is chosen.
  bool SphereRunFinished = false;
  bool SphereShownLowpass = true;

  // --- the buttons ----------------------------------------------------------------------

  // Opens on `source` in `mode`: the working copy and both bitmaps from the source, the
  // lists from `settings`, then the mode's own steps. A mode outside 0..9 only beeps.
  // False when the working copy could not be made (the reason has been said).
  bool OpenInMode(TVKMPicture& source, int mode, const TFilterSettings& settings);

  // "do": the mode's operation on the working copy, then the working copy rendered into
  // Image2 (unless NotRendered).
  TDoOutcome Do(Progress& progress);

  // "undo": the working copy becomes the source's values again, both bitmaps show the
  // freshly rendered source, marked points are forgotten. The zoom square stays.
  void Undo();

  // "take over": the working values are written into the source (a crop also resizes it
  // and scales its scan ranges). The window closes afterwards. `Transformed` stays the
  // source's own.
  void TakeOver();

  // Enter in the radius edit (the edit's text is in RadiusEdit.Text) and a click on a
  // radio button (the choice is in LowpassRadio): the mode's own step; nothing in a mode
  // without one.
  void RadiusEditEnter();
  void RadioButton1Click();

  // --- the pointer on Image2 ----------------------------------------------------------

  // The picture pixel under the control position (x, y) of an Image2 control of the
  // given size that stretches its picture: Round(width * x / control width), likewise y.
  // A position on the right or bottom half of the last pixel gives one past it.
  TPicturePixel PicturePixel(int x, int y, int controlWidth, int controlHeight) const;

  // A click on the result in point leveling ("Points" chosen, fewer than 30 marked):
  // records the point and returns true with the pixel where its mark is drawn. A click
  // that rounds to one past the last column or line marks the last one, the pixel the
  // pointer is on. Other clicks are ignored.
  bool MarkPoint(TPicturePixel pixel, TPicturePixel& markAt);

  // --- for the window and the command line ----------------------------------------------

  const TWorkbenchMode* ModeRow() const { return FindWorkbenchMode(Mode); }
  Messages& Msgs() const { return messages_; }
  char DecimalSeparator() const { return messages_.DecimalSeparator(); }

  // Settings the workbench has changed (key in kFilterSection, text) since the last call;
  // the window writes them to the settings file.
  std::vector<std::pair<std::string, std::string>> TakeSettingsToStore();
  void StoreSetting(const std::string& key, const std::string& text);

  // Renders the working copy into Image2 (recomputing its minimum and maximum).
  void RenderWork();

 private:
  Messages& messages_;
  std::vector<std::pair<std::string, std::string>> settingsToStore_;
};

// The caption a command gives the workbench it opens in `mode`: the mode's prefix and
// the image window's caption (just the caption for a mode without command).
std::string WorkbenchCaption(int mode, const std::string& imageCaption);

// --- the window's layout ---------------------------------------------------------------

// The width of the left column: the unprocessed image (a square), the mode's panel and
// the buttons.
inline constexpr int kFilterColumn = 185;
// The histogram picture is one pixel per bin.
inline constexpr int kHistogramImageWidth = 175;

// Where the workbench window's parts go in a client area of `clientWidth` x
// `clientHeight` whose button panel `Panel1` (bottom left, K wide) is `panel1Height`
// high: `Image1` K x K at the top left; the mode's panel K wide between them, from 2
// below Image1 to 2 above Panel1; the result `Image2` a square of side s = the smaller of
// Round((client width - K) * 0.9) and Round(client height * 0.9), centred in the area
// right of the column. In the histogram mode `Image3` is 175 wide and 30 less high than
// its panel (placed 5 from the panel's left and top). No size is negative.
struct TFilterLayout {
  TViewRect Panel1, Image1, ModePanel, Image2, Image3;
};
TFilterLayout FilterFormLayout(int clientWidth, int clientHeight, int panel1Height);
