// The palette editor's model: the 768 palette bytes it edits, the undo snapshots,
// the caption, the file it belongs to, the channel switches, the block selection and
// curve drawing. The window draws it and turns events into these calls; the command
// line runs the same model.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/Messages.h"
#include "image/TVKMPicture.h"
#include "palette/PaletteFiles.h"
#include "palette/PaletteOps.h"

// The three texts of the editor's status bar.
struct TPaletteStatus {
  std::string Index;  // "Index " and the entry
  std::string Rgb;    // "RGB " and red, green, blue separated by ", "
  std::string Text;
  bool operator==(const TPaletteStatus&) const = default;
};

class PaletteModel {
 public:
  // The only copy the editing operations change.
  PaletteBytes PaletteData{};
  // Snapshots of PaletteData taken before each change; not empty = modified.
  std::vector<PaletteBytes> UndoList;
  std::string PaletteFileName = "neue Palette";
  TPaletteKind PaletteKind = pkNone;
  std::string Caption = "Paletten-Editor";

  ChannelSet Visible{true, true, true};
  ChannelSet Active{true, false, false};
  bool Linked = false;

  // The selected block (both inclusive) and the entry clicked last.
  int32_t BlockStart = 0;
  int32_t BlockEnd = 0;
  int32_t CurrentEntry = 0;
  bool Selecting = false;
  // Pixel position of the press that started the block. Before the first press no
  // position is remembered, so that press always starts a block.
  int32_t LastClickX = -1;
  int32_t LastClickY = -1;

  bool DrawingCurve = false;
  int32_t LastCurveX = 0;
  int32_t LastCurveY = 0;

  // Red, green and blue of the 256 entries of `source`.
  void TakeColours(const TLogPalette& source);
  // Red, green and blue of every entry into `target`; the flags bytes stay.
  void ApplyTo(TLogPalette& target) const;

  bool Modified() const { return !UndoList.empty(); }
  // A snapshot before a change; the first one adds "*" to the caption.
  void PushUndo();
  // Back to the last snapshot; the last one also takes the "*" away. False when
  // there was nothing to undo.
  bool Undo();
  // "Paletten-Editor" without a file name, else "Paletten-Editor <NAME>" and the
  // suffix, NAME without its folder.
  void SetCaption(const std::string& suffix);

  // Opens `fileName` as the open dialog's filter `filterIndex` says (1 JASC, 2 text,
  // 3 binary, else nothing read). The file becomes the editor's file, the snapshots
  // go and the caption loses its "*". A file that cannot be opened changes nothing,
  // so the palette being edited and its unsaved state survive a mistyped name. A bad
  // number ends reading, keeping the entries converted before it.
  TPaletteReadResult OpenFile(const std::string& fileName, int filterIndex, Messages& messages);
  // Writes the palette to its file as its kind. The snapshots go only when the file
  // was written, so a palette that could not be saved still counts as modified.
  bool SavePalette(Messages& messages);
  // The file and kind chosen in the save dialog become the editor's, then SavePalette.
  bool SaveAs(const std::string& fileName, int filterIndex, Messages& messages);
  // Save as the file's kind; false without a kind (the caller then asks for a name).
  bool CanSave() const { return PaletteKind != pkNone; }

  // Fill, first half: snapshot; a block of one entry becomes the current entry. The
  // entry whose colour presets the colour dialog.
  int32_t BeginFill();
  // Fill, second half, once a colour was chosen.
  void FinishFill(TRgb colour);
  void Gradient();
  void Mirror();
  void Invert();
  void Smooth();
  std::string CheckRepetitions() const;
  // One entry set to a colour chosen in the colour dialog, with a snapshot before.
  void SetEntry(int32_t entry, TRgb colour);

  void AktivClick(int channel);
  void VerbindenClick();
  void SichtbarClick(int channel);

  TPaletteStatus Status(int32_t index, const std::string& text) const;

  // Channel view (entries 0..255 from left to right, value 255 - y).
  // A left press inside 0..255 starts a curve with a snapshot and changes nothing
  // else; true when it did.
  bool KanaeleMouseDown(bool leftButton, int32_t x, int32_t y);
  // A move inside 0..255: the status, and while drawing the values from the last
  // point to this one. Nothing for a move outside.
  std::optional<TPaletteStatus> KanaeleMouseMove(int32_t x, int32_t y);
  void KanaeleMouseUp(bool leftButton);

  // Palette view (16 x 16 cells of 16 pixels, entry 16 * row + column).
  // A press names the entry under it; a left press at an x and a y both different
  // from the last block start begins a new block, any other press keeps the block
  // (as the second press of a double click does).
  TPaletteStatus PaletteMouseDown(bool leftButton, int32_t x, int32_t y);
  // A move strictly inside the grid: the status, and while selecting the block from
  // the pressed entry to this one. Nothing for a move on or beyond the border.
  std::optional<TPaletteStatus> PaletteMouseMove(int32_t x, int32_t y);
  void PaletteMouseUp(bool leftButton);
};

// The entry under pixel (x, y) of the palette view. The view is one pixel wider and
// higher than the grid: its last pixel row and column belong to the cells beside
// them, so a press there never names an entry beyond 255.
int32_t PaletteEntryAt(int32_t x, int32_t y);

// What the command line's palette operation does: an editor on `table` opens
// `fileName` (kind from its extension) and hands the colours back to `table`.
TPaletteReadResult ApplyPaletteFile(TLogPalette& table, const std::string& fileName,
                                    Messages& messages);

// What the command line's palette output does: an editor on `table` saves it as
// `fileName`, the kind from its extension. False, after "Cannot write file ...",
// when it could not be written.
bool SaveColourTable(const TLogPalette& table, const std::string& fileName, Messages& messages);
