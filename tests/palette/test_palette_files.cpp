#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "palette/PaletteFiles.h"
#include "support/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

// Entry i is (i, (3 * i) mod 256, 255 - i).
PaletteBytes Ramp() {
  PaletteBytes p{};
  for (int i = 0; i < 256; ++i) {
    p[3 * i] = static_cast<uint8_t>(i);
    p[3 * i + 1] = static_cast<uint8_t>((3 * i) % 256);
    p[3 * i + 2] = static_cast<uint8_t>(255 - i);
  }
  return p;
}

// The 256 entry lines of Ramp(), each with `eol`, written out with printf.
std::string RampLines(const char* eol) {
  std::string s;
  char line[32];
  for (int i = 0; i < 256; ++i) {
    std::snprintf(line, sizeof line, "%d %d %d%s", i, (3 * i) % 256, 255 - i, eol);
    s += line;
  }
  return s;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

PaletteBytes Filled(uint8_t v) {
  PaletteBytes p;
  p.fill(v);
  return p;
}

}  // namespace

TEST(PaletteFileWrite, JascTextAndBinaryBytes) {
  TempDir dir;
  RecordingMessages m;
  const PaletteBytes p = Ramp();

  ASSERT_TRUE(WritePaletteFile(dir.Path("a.PAL"), pkJasc, p, m));
  const std::string jasc = ReadAll(dir.Path("a.PAL"));
  EXPECT_EQ(jasc, "JASC-PAL\r\n0100\r\n256\r\n" + RampLines("\r\n"));
  size_t lines = 0;
  for (char c : jasc) lines += c == '\n';
  EXPECT_EQ(lines, 259u);

  ASSERT_TRUE(WritePaletteFile(dir.Path("a.TXT"), pkText, p, m));
  EXPECT_EQ(ReadAll(dir.Path("a.TXT")), RampLines("\r\n"));

  ASSERT_TRUE(WritePaletteFile(dir.Path("a.bin"), pkBinary, p, m));
  const std::string bin = ReadAll(dir.Path("a.bin"));
  ASSERT_EQ(bin.size(), 768u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(static_cast<uint8_t>(bin[3 * i]), i);
    EXPECT_EQ(static_cast<uint8_t>(bin[3 * i + 1]), (3 * i) % 256);
    EXPECT_EQ(static_cast<uint8_t>(bin[3 * i + 2]), 255 - i);
  }
  EXPECT_TRUE(m.shown.empty());

  // An existing file is overwritten, a shorter content leaves nothing of the old.
  dir.Write("b.TXT", std::string(10000, 'x'));
  ASSERT_TRUE(WritePaletteFile(dir.Path("b.TXT"), pkText, Filled(0), m));
  std::string zeros;
  for (int i = 0; i < 256; ++i) zeros += "0 0 0\r\n";
  EXPECT_EQ(ReadAll(dir.Path("b.TXT")), zeros);

  // Kind none writes nothing.
  ASSERT_TRUE(WritePaletteFile(dir.Path("none"), pkNone, p, m));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("none")));
}

TEST(PaletteFileWrite, FailureIsReported) {
  TempDir dir;
  RecordingMessages m;
  EXPECT_FALSE(WritePaletteFile(dir.Path("no/such/folder.PAL"), pkJasc, Ramp(), m));
  ASSERT_EQ(m.Texts(),
            std::vector<std::string>{"Cannot write file " + dir.Path("no/such/folder.PAL")});
  EXPECT_EQ(m.shown[0].kind, TMsgDlgType::mtError);
}

TEST(PaletteFileRead, EveryKindReadsWhatWasWrittenIndependently) {
  TempDir dir;
  RecordingMessages m;
  const std::string jasc = dir.Write("x.PAL", "JASC-PAL\r\n0100\r\n256\r\n" + RampLines("\r\n"));
  const std::string text = dir.Write("x.TXT", RampLines("\r\n"));
  const PaletteBytes ramp = Ramp();
  const std::string bin = dir.Write("x.act", std::vector<uint8_t>(ramp.begin(), ramp.end()));

  for (const auto& [path, kind] : {std::pair{jasc, pkJasc}, {text, pkText}, {bin, pkBinary}}) {
    PaletteBytes p = Filled(7);
    EXPECT_EQ(ReadPaletteFile(path, kind, p, m), TPaletteReadResult::Read) << path;
    EXPECT_EQ(p, ramp) << path;
  }
  EXPECT_TRUE(m.shown.empty());
}

TEST(PaletteFileRead, LineEndsOfAnyKind) {
  TempDir dir;
  RecordingMessages m;
  for (const char* eol : {"\n", "\r"}) {
    const std::string path = dir.Write(
        "e.PAL", std::string("JASC-PAL") + eol + "0100" + eol + "256" + eol + RampLines(eol));
    PaletteBytes p = Filled(7);
    EXPECT_EQ(ReadPaletteFile(path, pkJasc, p, m), TPaletteReadResult::Read);
    EXPECT_EQ(p, Ramp());
  }
  EXPECT_TRUE(m.shown.empty());

  // The last line needs no line end; an empty line is an entry of zeros.
  const std::string path = dir.Write("f.TXT", "1 2 3\r\n\r\n4 5 6");
  PaletteBytes p = Filled(7);
  ReadPaletteFile(path, pkText, p, m);
  EXPECT_EQ(EntryColour(p, 0), (TRgb{1, 2, 3}));
  EXPECT_EQ(EntryColour(p, 1), (TRgb{0, 0, 0}));
  EXPECT_EQ(EntryColour(p, 2), (TRgb{4, 5, 6}));
  EXPECT_EQ(EntryColour(p, 3), (TRgb{7, 7, 7}));
}

TEST(PaletteFileRead, PartialFilesKeepTheOtherEntries) {
  TempDir dir;
  RecordingMessages m;
  std::string ten = "JASC-PAL\r\n0100\r\n256\r\n";
  for (int i = 0; i < 10; ++i) ten += "1 2 3\r\n";
  PaletteBytes p = Ramp();
  EXPECT_EQ(ReadPaletteFile(dir.Write("ten.PAL", ten), pkJasc, p, m), TPaletteReadResult::Read);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(EntryColour(p, i), (TRgb{1, 2, 3}));
  for (int i = 10; i < 256; ++i) EXPECT_EQ(EntryColour(p, i), EntryColour(Ramp(), i));

  // Lines beyond the 256th are not read at all, even when they are not numbers.
  p = Filled(0);
  EXPECT_EQ(ReadPaletteFile(dir.Write("long.TXT", RampLines("\r\n") + "junk\r\n"), pkText, p, m),
            TPaletteReadResult::Read);
  EXPECT_EQ(p, Ramp());
  EXPECT_TRUE(m.shown.empty());
}

TEST(PaletteFileRead, EntryLineFields) {
  TRgb e{9, 9, 9};
  std::string bad;
  EXPECT_TRUE(ParseEntryLine("42", e, &bad));  // one number is blue
  EXPECT_EQ(e, (TRgb{0, 0, 42}));
  EXPECT_TRUE(ParseEntryLine("12 34", e, &bad));
  EXPECT_EQ(e, (TRgb{12, 0, 34}));
  EXPECT_TRUE(ParseEntryLine("5  7", e, &bad));  // empty green
  EXPECT_EQ(e, (TRgb{5, 0, 7}));
  EXPECT_TRUE(ParseEntryLine("", e, &bad));
  EXPECT_EQ(e, (TRgb{0, 0, 0}));
  EXPECT_TRUE(ParseEntryLine("300 -1 256", e, &bad));  // low 8 bits
  EXPECT_EQ(e, (TRgb{44, 255, 0}));
  EXPECT_TRUE(ParseEntryLine("+7 007 -256", e, &bad));
  EXPECT_EQ(e, (TRgb{7, 7, 0}));
  EXPECT_TRUE(ParseEntryLine("2147483647 -2147483648 511", e, &bad));
  EXPECT_EQ(e, (TRgb{255, 0, 255}));

  e = {9, 9, 9};
  EXPECT_FALSE(ParseEntryLine("1 2 3 4", e, &bad));  // blue is "3 4"
  EXPECT_EQ(bad, "3 4");
  EXPECT_EQ(e, (TRgb{1, 2, 9}));
  EXPECT_FALSE(ParseEntryLine("10 x1 3", e, &bad));
  EXPECT_EQ(bad, "x1");
  EXPECT_EQ(e, (TRgb{10, 2, 9}));
  for (const char* field : {"-", "+", "1.5", "0x10", "2147483648", "-2147483649", " 1", "1 "})
    EXPECT_FALSE(ParsePaletteField(field)) << field;
}

TEST(PaletteFileRead, StoredValuesAreTheLowEightBits) {
  TempDir dir;
  RecordingMessages m;
  PaletteBytes p{};
  ReadPaletteFile(dir.Write("v.TXT", "300 0 0\r\n-2 511 1000\r\n"), pkText, p, m);
  EXPECT_EQ(EntryColour(p, 0), (TRgb{44, 0, 0}));
  EXPECT_EQ(EntryColour(p, 1), (TRgb{254, 255, 232}));
}

TEST(PaletteFileRead, WrongJascHeaderIsReportedAndReadingGoesOn) {
  TempDir dir;
  RecordingMessages m;
  PaletteBytes p{};
  const std::string path = dir.Write("h.PAL", "jasc-pal\r\n0101\r\n255\r\n1 2 3\r\n4 5 6\r\n");
  EXPECT_EQ(ReadPaletteFile(path, pkJasc, p, m), TPaletteReadResult::Read);
  EXPECT_EQ(m.Texts(), (std::vector<std::string>{"Keine JASC-Palette.", "Falsche Version.",
                                                 "Keine 256-Farben-Palette."}));
  EXPECT_EQ(m.shown[0].kind, TMsgDlgType::mtCustom);
  EXPECT_EQ(EntryColour(p, 0), (TRgb{1, 2, 3}));
  EXPECT_EQ(EntryColour(p, 1), (TRgb{4, 5, 6}));

  // Only the second line wrong: only its message. An empty file: all three.
  m.shown.clear();
  ReadPaletteFile(dir.Write("v.PAL", "JASC-PAL\r\n100\r\n256\r\n"), pkJasc, p, m);
  EXPECT_EQ(m.Texts(), std::vector<std::string>{"Falsche Version."});
  m.shown.clear();
  ReadPaletteFile(dir.Write("e.PAL", ""), pkJasc, p, m);
  EXPECT_EQ(m.shown.size(), 3u);
  // A blank after a header line makes it a different line.
  m.shown.clear();
  ReadPaletteFile(dir.Write("b.PAL", "JASC-PAL \r\n0100\r\n256\r\n"), pkJasc, p, m);
  EXPECT_EQ(m.Texts(), std::vector<std::string>{"Keine JASC-Palette."});
}

TEST(PaletteFileRead, BadNumberEndsReadingAndKeepsWhatWasRead) {
  TempDir dir;
  RecordingMessages m;
  PaletteBytes p = Ramp();
  const std::string path = dir.Write("bad.TXT", "1 1 1\r\n2 2 2\r\n3 drei 3\r\n4 4 4\r\n");
  EXPECT_EQ(ReadPaletteFile(path, pkText, p, m), TPaletteReadResult::BadNumber);
  ASSERT_EQ(m.Texts(), std::vector<std::string>{"\"drei\" is not a valid integer value."});
  EXPECT_EQ(m.shown[0].kind, TMsgDlgType::mtError);
  EXPECT_EQ(EntryColour(p, 0), (TRgb{1, 1, 1}));
  EXPECT_EQ(EntryColour(p, 1), (TRgb{2, 2, 2}));
  EXPECT_EQ(EntryColour(p, 2), (TRgb{3, 6, 253}));  // red converted, green and blue kept
  EXPECT_EQ(EntryColour(p, 3), EntryColour(Ramp(), 3));
}

TEST(PaletteFileRead, LongLinesAndFieldsAreCutShort) {
  TempDir dir;
  RecordingMessages m;
  const std::string nines(40, '9');

  // A line beyond 4096 characters ends reading before its channels change, and the
  // message quotes only its first 40 characters.
  PaletteBytes p = Ramp();
  const std::string path =
      dir.Write("long.TXT", "1 2 3\r\n7 8 " + std::string(5000, '9') + "\r\n4 5 6\r\n");
  EXPECT_EQ(ReadPaletteFile(path, pkText, p, m), TPaletteReadResult::BadNumber);
  ASSERT_EQ(m.Texts(), std::vector<std::string>{"\"7 8 " + nines.substr(4) +
                                                "...\" is not a valid integer value."});
  EXPECT_EQ(EntryColour(p, 0), (TRgb{1, 2, 3}));
  EXPECT_EQ(EntryColour(p, 1), EntryColour(Ramp(), 1));
  EXPECT_EQ(EntryColour(p, 2), EntryColour(Ramp(), 2));

  // A long bad field in a short line is quoted cut too.
  m.shown.clear();
  ReadPaletteFile(dir.Write("field.TXT", "1 2 " + std::string(100, 'x') + "\r\n"), pkText, p, m);
  EXPECT_EQ(m.Texts(), std::vector<std::string>{"\"" + std::string(40, 'x') +
                                                "...\" is not a valid integer value."});

  // 4096 characters are still an entry line (blue 5 after leading zeros).
  m.shown.clear();
  const std::string edge = "1 2 " + std::string(4091, '0') + "5";
  ASSERT_EQ(edge.size(), 4096u);
  p = Ramp();
  EXPECT_EQ(ReadPaletteFile(dir.Write("edge.TXT", edge + "\n" + edge + "0\n"), pkText, p, m),
            TPaletteReadResult::BadNumber);
  EXPECT_EQ(EntryColour(p, 0), (TRgb{1, 2, 5}));
  EXPECT_EQ(EntryColour(p, 1), EntryColour(Ramp(), 1));

  // An overlong header line is a wrong header; reading goes on after its end.
  m.shown.clear();
  p = Ramp();
  ReadPaletteFile(
      dir.Write("h.PAL", "JASC-PAL" + std::string(9000, ' ') + "\r\n0100\r\n256\r\n9 8 7\r\n"),
      pkJasc, p, m);
  EXPECT_EQ(m.Texts(), std::vector<std::string>{"Keine JASC-Palette."});
  EXPECT_EQ(EntryColour(p, 0), (TRgb{9, 8, 7}));
}

TEST(PaletteFileRead, BinaryNeedsSevenHundredSixtyEightBytes) {
  TempDir dir;
  RecordingMessages m;
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 5);
  PaletteBytes p{};
  EXPECT_EQ(ReadPaletteFile(dir.Write("big", bytes), pkBinary, p, m), TPaletteReadResult::Read);
  for (size_t i = 0; i < 768; ++i) EXPECT_EQ(p[i], static_cast<uint8_t>(i * 5));

  bytes.resize(767);
  p = Ramp();
  EXPECT_EQ(ReadPaletteFile(dir.Write("short", bytes), pkBinary, p, m),
            TPaletteReadResult::NothingRead);
  EXPECT_EQ(p, Ramp());
  EXPECT_TRUE(m.shown.empty());
}

TEST(PaletteFileRead, MissingFileOrFolderChangesNothing) {
  TempDir dir;
  RecordingMessages m;
  PaletteBytes p = Ramp();
  EXPECT_EQ(ReadPaletteFile(dir.Path("absent.PAL"), pkJasc, p, m), TPaletteReadResult::CannotOpen);
  EXPECT_EQ(ReadPaletteFile(dir.Folder(), pkBinary, p, m), TPaletteReadResult::CannotOpen);
  EXPECT_EQ(p, Ramp());
  EXPECT_EQ(m.Texts(), (std::vector<std::string>{"Cannot open file " + dir.Path("absent.PAL"),
                                                 "Cannot open file " + dir.Folder()}));
  // Kind none reads nothing and says nothing.
  m.shown.clear();
  EXPECT_EQ(ReadPaletteFile(dir.Path("absent.PAL"), pkNone, p, m), TPaletteReadResult::NothingRead);
  EXPECT_TRUE(m.shown.empty());
}

TEST(PaletteFileKinds, FromFilterIndexAndFromName) {
  EXPECT_EQ(PaletteKindOfFilter(1), pkJasc);
  EXPECT_EQ(PaletteKindOfFilter(2), pkText);
  EXPECT_EQ(PaletteKindOfFilter(3), pkBinary);
  EXPECT_EQ(PaletteKindOfFilter(0), pkNone);
  EXPECT_EQ(PaletteKindOfFilter(4), pkNone);

  EXPECT_EQ(PaletteKindOfName("/a/b.PAL"), pkJasc);
  EXPECT_EQ(PaletteKindOfName("b.pal"), pkJasc);
  EXPECT_EQ(PaletteKindOfName("b.TXT"), pkText);
  EXPECT_EQ(PaletteKindOfName("b.txt"), pkText);
  EXPECT_EQ(PaletteKindOfName("b.act"), pkBinary);
  EXPECT_EQ(PaletteKindOfName("b"), pkBinary);
  EXPECT_EQ(PaletteKindOfName("dir.pal/b"), pkBinary);
  EXPECT_EQ(PaletteKindOfName("b.pal.bak"), pkBinary);
}
