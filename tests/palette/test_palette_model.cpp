#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "palette/Palette.h"
#include "support/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A model holding entry i = (i, i, i).
PaletteModel Grey() {
  PaletteModel m;
  for (int i = 0; i < 256; ++i)
    SetEntryColour(m.PaletteData, i, {uint8_t(i), uint8_t(i), uint8_t(i)});
  return m;
}

}  // namespace

TEST(PaletteModelCaption, StarOnChangeGoneAfterSaveOrUndo) {
  TempDir dir;
  RecordingMessages msg;
  PaletteModel m;
  EXPECT_EQ(m.Caption, "Paletten-Editor");
  EXPECT_FALSE(m.Modified());

  m.PushUndo();
  EXPECT_EQ(m.Caption, "Paletten-Editor <neue Palette>*");
  m.PushUndo();
  EXPECT_TRUE(m.Modified());
  EXPECT_TRUE(m.Undo());
  EXPECT_EQ(m.Caption, "Paletten-Editor <neue Palette>*");
  EXPECT_TRUE(m.Undo());
  EXPECT_EQ(m.Caption, "Paletten-Editor <neue Palette>");
  EXPECT_FALSE(m.Modified());
  EXPECT_FALSE(m.Undo());

  m.PushUndo();
  ASSERT_TRUE(m.SaveAs(dir.Path("sub.PAL"), 1, msg));
  EXPECT_EQ(m.Caption, "Paletten-Editor <sub.PAL>");
  EXPECT_FALSE(m.Modified());

  m.PaletteFileName.clear();
  m.SetCaption("*");
  EXPECT_EQ(m.Caption, "Paletten-Editor");
}

TEST(PaletteModelUndo, SnapshotsRestoreInReverseOrder) {
  PaletteModel m = Grey();
  m.BlockStart = 0;
  m.BlockEnd = 3;
  m.Mirror();
  m.Active = {true, true, true};
  m.Invert();
  EXPECT_EQ(EntryColour(m.PaletteData, 0), (TRgb{252, 252, 252}));
  m.Undo();
  EXPECT_EQ(EntryColour(m.PaletteData, 0), (TRgb{3, 3, 3}));
  m.Undo();
  EXPECT_EQ(m.PaletteData, Grey().PaletteData);
}

TEST(PaletteModelFiles, SaveKindsAndReloadGiveTheSameBytes) {
  TempDir dir;
  RecordingMessages msg;
  PaletteModel m = Grey();
  EXPECT_FALSE(m.CanSave());  // nothing loaded or saved yet: Save asks for a name
  for (int filter = 1; filter <= 3; ++filter) {
    const std::string name = std::string("p") + char('0' + filter);
    const std::string path = dir.Path(name);
    ASSERT_TRUE(m.SaveAs(path, filter, msg));
    EXPECT_TRUE(m.CanSave());
    PaletteModel back;
    EXPECT_EQ(back.OpenFile(path, filter, msg), TPaletteReadResult::Read);
    EXPECT_EQ(back.PaletteData, m.PaletteData) << filter;
    EXPECT_EQ(back.PaletteKind, filter);
    EXPECT_EQ(back.Caption, "Paletten-Editor <" + name + ">");
  }
  EXPECT_EQ(ReadAll(dir.Path("p3")), std::string(m.PaletteData.begin(), m.PaletteData.end()));
  EXPECT_TRUE(msg.shown.empty());
}

TEST(PaletteModelFiles, FailedOpenChangesNothing) {
  TempDir dir;
  RecordingMessages msg;
  PaletteModel m = Grey();
  m.PushUndo();
  SetEntryColour(m.PaletteData, 4, {1, 2, 3});
  const PaletteBytes edited = m.PaletteData;
  EXPECT_EQ(m.OpenFile(dir.Path("absent.PAL"), 1, msg), TPaletteReadResult::CannotOpen);
  EXPECT_EQ(m.PaletteData, edited);
  EXPECT_EQ(m.PaletteFileName, "neue Palette");
  EXPECT_EQ(m.PaletteKind, pkNone);
  EXPECT_EQ(m.Caption, "Paletten-Editor <neue Palette>*");
  EXPECT_TRUE(m.Modified());
  EXPECT_EQ(msg.shown.size(), 1u);
}

TEST(PaletteModelFiles, OpenWithABadNumberKeepsEarlierEntriesUnmodified) {
  TempDir dir;
  RecordingMessages msg;
  PaletteModel m = Grey();
  m.PushUndo();
  const std::string path = dir.Write("bad.TXT", "9 9 9\r\n1 2 x\r\n");
  EXPECT_EQ(m.OpenFile(path, 2, msg), TPaletteReadResult::BadNumber);
  EXPECT_EQ(EntryColour(m.PaletteData, 0), (TRgb{9, 9, 9}));
  EXPECT_EQ(EntryColour(m.PaletteData, 1), (TRgb{1, 2, 1}));
  EXPECT_EQ(EntryColour(m.PaletteData, 2), (TRgb{2, 2, 2}));
  EXPECT_FALSE(m.Modified());
  EXPECT_EQ(m.Caption, "Paletten-Editor <bad.TXT>");
}

TEST(PaletteModelFiles, FailedSaveStaysModified) {
  TempDir dir;
  RecordingMessages msg;
  PaletteModel m = Grey();
  m.PushUndo();
  EXPECT_FALSE(m.SaveAs(dir.Path("no/dir/x.PAL"), 1, msg));
  EXPECT_TRUE(m.Modified());
  EXPECT_EQ(m.Caption, "Paletten-Editor <x.PAL>*");
  EXPECT_EQ(msg.Texts(), std::vector<std::string>{"Cannot write file " + dir.Path("no/dir/x.PAL")});
}

TEST(PaletteModelSource, ColoursInAndOutFlagsKept) {
  TLogPalette table;
  for (int i = 0; i < 256; ++i)
    table.palPalEntry[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), uint8_t(i % 3)};
  PaletteModel m;
  m.TakeColours(table);
  EXPECT_EQ(EntryColour(m.PaletteData, 200), (TRgb{200, 55, 100}));
  SetEntryColour(m.PaletteData, 200, {1, 2, 3});
  m.ApplyTo(table);
  EXPECT_EQ(table.palPalEntry[200], (TPaletteEntry{1, 2, 3, 2}));
  EXPECT_EQ(table.palPalEntry[199], (TPaletteEntry{199, 56, 99, 1}));
}

TEST(PaletteModelFill, OneEntryBlockBecomesTheCurrentEntryAndCancelStaysModified) {
  PaletteModel m = Grey();
  m.BlockStart = m.BlockEnd = 3;
  m.CurrentEntry = 40;
  EXPECT_EQ(m.BeginFill(), 40);
  // The dialog was cancelled: the palette is unchanged but counts as modified.
  EXPECT_EQ(m.PaletteData, Grey().PaletteData);
  EXPECT_TRUE(m.Modified());

  m.BlockStart = 10;
  m.BlockEnd = 13;
  EXPECT_EQ(m.BeginFill(), 11);
  m.FinishFill({5, 6, 7});
  for (int i = 10; i <= 13; ++i) EXPECT_EQ(EntryColour(m.PaletteData, i), (TRgb{5, 6, 7}));
  EXPECT_EQ(EntryColour(m.PaletteData, 14), (TRgb{14, 14, 14}));
  EXPECT_EQ(m.UndoList.size(), 2u);
}

TEST(PaletteModelSelection, ClickAndDragBackwards) {
  PaletteModel m = Grey();
  // Cell row 2, column 3.
  EXPECT_EQ(m.PaletteMouseDown(true, 3 * 16 + 5, 2 * 16 + 5),
            (TPaletteStatus{"Index 35", "RGB 35, 35, 35", ""}));
  EXPECT_EQ(m.CurrentEntry, 35);
  EXPECT_EQ(m.BlockStart, 35);
  EXPECT_EQ(m.BlockEnd, 35);
  const auto s = m.PaletteMouseMove(14 * 16 + 2, 16 + 8);  // entry 30
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Index, "Index 30");
  EXPECT_EQ(s->Text, "Index 30 bis 35 ausgew\u00e4hlt (6 Eintr\u00e4ge)");
  EXPECT_EQ(m.BlockStart, 30);
  EXPECT_EQ(m.BlockEnd, 35);
  // Forward again past the pressed entry.
  m.PaletteMouseMove(8 * 16 + 1, 3 * 16 + 1);  // entry 56
  EXPECT_EQ(m.BlockStart, 35);
  EXPECT_EQ(m.BlockEnd, 56);
  m.PaletteMouseUp(true);
  EXPECT_FALSE(m.Selecting);
  // Moving without the button only reports.
  const auto idle = m.PaletteMouseMove(20, 20);
  ASSERT_TRUE(idle);
  EXPECT_EQ(idle->Index, "Index 17");
  EXPECT_EQ(idle->Text, "");
  EXPECT_EQ(m.BlockEnd, 56);
}

TEST(PaletteModelSelection, BordersAndRepeatedPressesKeepTheBlock) {
  PaletteModel m = Grey();
  m.PaletteMouseDown(true, 100, 100);
  m.PaletteMouseMove(120, 120);
  EXPECT_EQ(m.BlockEnd, 7 * 16 + 7);
  // On x = 0 or y = 0 (and on 255 or beyond) a move changes nothing.
  for (auto [x, y] : {std::pair{0, 200}, {200, 0}, {255, 10}, {10, 255}, {256, 256}})
    EXPECT_FALSE(m.PaletteMouseMove(x, y)) << x << "," << y;
  EXPECT_EQ(m.BlockStart, 6 * 16 + 6);
  EXPECT_EQ(m.BlockEnd, 7 * 16 + 7);
  m.PaletteMouseUp(true);

  // A press at the same x (or the same y) as the block's first press names the
  // entry but keeps the block; so does a right press.
  m.PaletteMouseDown(true, 100, 5);
  EXPECT_FALSE(m.Selecting);
  EXPECT_EQ(m.CurrentEntry, 6);
  EXPECT_EQ(m.BlockStart, 6 * 16 + 6);
  m.PaletteMouseDown(false, 5, 5);
  EXPECT_FALSE(m.Selecting);
  EXPECT_EQ(m.CurrentEntry, 0);
  EXPECT_EQ(m.BlockEnd, 7 * 16 + 7);

  // The last pixel row and column belong to the last cells.
  EXPECT_EQ(PaletteEntryAt(256, 256), 255);
  EXPECT_EQ(PaletteEntryAt(256, 0), 15);
  EXPECT_EQ(PaletteEntryAt(0, 256), 240);
  EXPECT_EQ(m.PaletteMouseDown(true, 256, 256).Index, "Index 255");
  EXPECT_EQ(m.BlockStart, 255);
}

TEST(PaletteModelCurve, PressSnapshotsMoveDrawsUpEnds) {
  PaletteModel m = Grey();
  SetEntryColour(m.PaletteData, 10, {0, 10, 10});
  const PaletteBytes before = m.PaletteData;
  EXPECT_FALSE(m.KanaeleMouseDown(false, 10, 100));
  EXPECT_FALSE(m.KanaeleMouseDown(true, 256, 100));
  EXPECT_FALSE(m.Modified());
  ASSERT_TRUE(m.KanaeleMouseDown(true, 10, 100));
  EXPECT_EQ(m.PaletteData, before);
  EXPECT_TRUE(m.Modified());

  const auto s = m.KanaeleMouseMove(20, 155);
  ASSERT_TRUE(s);
  EXPECT_EQ(*s, (TPaletteStatus{"Index 20", "RGB 100, 20, 20", "Kanal-Wert 100"}));
  EXPECT_EQ(EntryColour(m.PaletteData, 15), (TRgb{50, 15, 15}));
  EXPECT_FALSE(m.KanaeleMouseMove(21, 256));
  EXPECT_FALSE(m.KanaeleMouseMove(-1, 3));
  EXPECT_EQ(m.LastCurveX, 20);
  m.KanaeleMouseUp(true);
  EXPECT_FALSE(m.DrawingCurve);
  EXPECT_EQ(m.KanaeleMouseMove(30, 0)->Text, "");
  EXPECT_EQ(EntryColour(m.PaletteData, 30), (TRgb{30, 30, 30}));
  EXPECT_TRUE(m.Undo());
  EXPECT_EQ(m.PaletteData, before);
}

TEST(PaletteApplyFile, PartialFileOverTheTable) {
  TempDir dir;
  RecordingMessages msg;
  TLogPalette table;
  for (auto& e : table.palPalEntry) e = {10, 20, 30, 1};
  const std::string path = dir.Write("two.pal", "JASC-PAL\r\n0100\r\n256\r\n1 2 3\r\n4 5 6\r\n");
  EXPECT_EQ(ApplyPaletteFile(table, path, msg), TPaletteReadResult::Read);
  EXPECT_EQ(table.palPalEntry[0], (TPaletteEntry{1, 2, 3, 1}));
  EXPECT_EQ(table.palPalEntry[1], (TPaletteEntry{4, 5, 6, 1}));
  EXPECT_EQ(table.palPalEntry[2], (TPaletteEntry{10, 20, 30, 1}));
  EXPECT_TRUE(msg.shown.empty());

  // Any other extension is binary: a short file changes nothing.
  EXPECT_EQ(ApplyPaletteFile(table, dir.Write("x.PAL.bak", std::string(700, 'a')), msg),
            TPaletteReadResult::NothingRead);
  EXPECT_EQ(table.palPalEntry[2], (TPaletteEntry{10, 20, 30, 1}));
}

TEST(PaletteApplyFile, TableSavedAsTheKindOfItsName) {
  TempDir dir;
  RecordingMessages msg;
  TLogPalette table;
  for (int i = 0; i < 256; ++i) table.palPalEntry[i] = {uint8_t(i), 0, uint8_t(255 - i), 1};
  ASSERT_TRUE(SaveColourTable(table, dir.Path("t.txt"), msg));
  const std::string text = ReadAll(dir.Path("t.txt"));
  EXPECT_EQ(text.substr(0, 18), "0 0 255\r\n1 0 254\r\n");
  // 256 lines "i 0 255-i" CR LF: the digits of 0..255 twice (10 + 180 + 468 each)
  // and five more characters per line.
  EXPECT_EQ(text.size(), 2u * 658u + 5u * 256u);
  ASSERT_TRUE(SaveColourTable(table, dir.Path("t"), msg));
  EXPECT_EQ(ReadAll(dir.Path("t")).size(), 768u);
  EXPECT_FALSE(SaveColourTable(table, dir.Path("none/t.PAL"), msg));
  EXPECT_EQ(msg.shown.size(), 1u);
}
