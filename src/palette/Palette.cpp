// The palette editor's model.
#include "palette/Palette.h"

#include <algorithm>

void PaletteModel::TakeColours(const TLogPalette& source) {
  for (int i = 0; i < kPaletteEntries; ++i) {
    const TPaletteEntry& e = source.palPalEntry[i];
    SetEntryColour(PaletteData, i, {e.peRed, e.peGreen, e.peBlue});
  }
}

void PaletteModel::ApplyTo(TLogPalette& target) const {
  for (int i = 0; i < kPaletteEntries; ++i) {
    const TRgb c = EntryColour(PaletteData, i);
    TPaletteEntry& e = target.palPalEntry[i];
    e.peRed = c.Red;
    e.peGreen = c.Green;
    e.peBlue = c.Blue;
  }
}

void PaletteModel::PushUndo() {
  if (UndoList.empty()) SetCaption("*");
  UndoList.push_back(PaletteData);
}

bool PaletteModel::Undo() {
  if (UndoList.empty()) return false;
  PaletteData = UndoList.back();
  UndoList.pop_back();
  if (UndoList.empty()) SetCaption("");
  return true;
}

void PaletteModel::SetCaption(const std::string& suffix) {
  if (PaletteFileName.empty()) {
    Caption = "Paletten-Editor";
    return;
  }
  const size_t slash = PaletteFileName.find_last_of("/\\");
  const std::string name =
      slash == std::string::npos ? PaletteFileName : PaletteFileName.substr(slash + 1);
  Caption = "Paletten-Editor <" + name + ">" + suffix;
}

TPaletteReadResult PaletteModel::OpenFile(const std::string& fileName, int filterIndex,
                                          Messages& messages) {
  const TPaletteKind kind = PaletteKindOfFilter(filterIndex);
  // Read into a copy first: a file that cannot be opened leaves everything as it was.
  PaletteBytes data = PaletteData;
  const TPaletteReadResult result = ReadPaletteFile(fileName, kind, data, messages);
  if (result == TPaletteReadResult::CannotOpen) return result;
  PaletteFileName = fileName;
  PaletteKind = kind;
  UndoList.clear();
  SetCaption("");
  PaletteData = data;
  return result;
}

bool PaletteModel::SavePalette(Messages& messages) {
  if (!WritePaletteFile(PaletteFileName, PaletteKind, PaletteData, messages)) {
    SetCaption(Modified() ? "*" : "");
    return false;
  }
  UndoList.clear();
  SetCaption("");
  return true;
}

bool PaletteModel::SaveAs(const std::string& fileName, int filterIndex, Messages& messages) {
  PaletteKind = PaletteKindOfFilter(filterIndex);
  PaletteFileName = fileName;
  return SavePalette(messages);
}

int32_t PaletteModel::BeginFill() {
  PushUndo();
  if (BlockStart == BlockEnd) BlockStart = BlockEnd = CurrentEntry;
  return (BlockStart + BlockEnd) / 2;
}

void PaletteModel::FinishFill(TRgb colour) {
  FillBlock(PaletteData, BlockStart, BlockEnd, colour);
}

void PaletteModel::Gradient() {
  PushUndo();
  GradientBlock(PaletteData, BlockStart, BlockEnd);
}

void PaletteModel::Mirror() {
  PushUndo();
  MirrorBlock(PaletteData, BlockStart, BlockEnd);
}

void PaletteModel::Invert() {
  PushUndo();
  InvertBlock(PaletteData, BlockStart, BlockEnd, Active);
}

void PaletteModel::Smooth() {
  PushUndo();
  SmoothPalette(PaletteData, Active);
}

std::string PaletteModel::CheckRepetitions() const {
  return RepetitionText(CountRepetitions(PaletteData));
}

void PaletteModel::SetEntry(int32_t entry, TRgb colour) {
  PushUndo();
  SetEntryColour(PaletteData, entry, colour);
}

void PaletteModel::AktivClick(int channel) {
  ActiveChannelClick(Active, Linked, channel);
}

void PaletteModel::VerbindenClick() {
  LinkChannelsClick(Active, Linked);
}

void PaletteModel::SichtbarClick(int channel) {
  if (channel >= 0 && channel < 3) Visible[channel] = !Visible[channel];
}

TPaletteStatus PaletteModel::Status(int32_t index, const std::string& text) const {
  const TRgb c = EntryColour(PaletteData, index);
  return {"Index " + std::to_string(index),
          "RGB " + std::to_string(c.Red) + ", " + std::to_string(c.Green) + ", " +
              std::to_string(c.Blue),
          text};
}

namespace {
bool InCurveArea(int32_t x, int32_t y) {
  return x >= 0 && x <= 255 && y >= 0 && y <= 255;
}
}  // namespace

bool PaletteModel::KanaeleMouseDown(bool leftButton, int32_t x, int32_t y) {
  if (!leftButton || !InCurveArea(x, y)) return false;
  PushUndo();
  DrawingCurve = true;
  LastCurveX = x;
  LastCurveY = y;
  return true;
}

std::optional<TPaletteStatus> PaletteModel::KanaeleMouseMove(int32_t x, int32_t y) {
  if (!InCurveArea(x, y)) return std::nullopt;
  if (!DrawingCurve) return Status(x, "");
  const int32_t v = 255 - y;
  DrawCurveStep(PaletteData, LastCurveX, x, v, Active);
  LastCurveX = x;
  LastCurveY = y;
  return Status(x, "Kanal-Wert " + std::to_string(v));
}

void PaletteModel::KanaeleMouseUp(bool leftButton) {
  if (leftButton) DrawingCurve = false;
}

int32_t PaletteEntryAt(int32_t x, int32_t y) {
  const int32_t cx = std::clamp(x, 0, 255);
  const int32_t cy = std::clamp(y, 0, 255);
  return 16 * (cy / 16) + cx / 16;
}

TPaletteStatus PaletteModel::PaletteMouseDown(bool leftButton, int32_t x, int32_t y) {
  const int32_t k = PaletteEntryAt(x, y);
  CurrentEntry = k;
  if (leftButton && x != LastClickX && y != LastClickY) {
    LastClickX = x;
    LastClickY = y;
    BlockStart = BlockEnd = k;
    Selecting = true;
  } else {
    Selecting = false;
  }
  return Status(k, "");
}

std::optional<TPaletteStatus> PaletteModel::PaletteMouseMove(int32_t x, int32_t y) {
  if (x <= 0 || x >= 255 || y <= 0 || y >= 255) return std::nullopt;
  const int32_t k = PaletteEntryAt(x, y);
  if (!Selecting) return Status(k, "");
  if (k <= CurrentEntry) {
    BlockStart = k;
    BlockEnd = CurrentEntry;
  }
  if (k >= CurrentEntry) {
    BlockEnd = k;
    BlockStart = CurrentEntry;
  }
  return Status(k, "Index " + std::to_string(BlockStart) + " bis " + std::to_string(BlockEnd) +
                       " ausgew\u00e4hlt (" + std::to_string(BlockEnd - BlockStart + 1) +
                       " Eintr\u00e4ge)");
}

void PaletteModel::PaletteMouseUp(bool leftButton) {
  if (leftButton) Selecting = false;
}

TPaletteReadResult ApplyPaletteFile(TLogPalette& table, const std::string& fileName,
                                    Messages& messages) {
  PaletteModel model;
  model.TakeColours(table);
  const TPaletteReadResult result = model.OpenFile(fileName, PaletteKindOfName(fileName), messages);
  model.ApplyTo(table);
  return result;
}

bool SaveColourTable(const TLogPalette& table, const std::string& fileName, Messages& messages) {
  PaletteModel model;
  model.TakeColours(table);
  return model.SaveAs(fileName, PaletteKindOfName(fileName), messages);
}
