// The palette files of the palette editor: JASC palettes, text palettes and binary
// palettes, read into and written from the 768 palette bytes.
#pragma once

#include <optional>
#include <string>

#include "image/Messages.h"
#include "palette/PaletteOps.h"

// The file kinds, numbered as the filters of the editor's file dialogs.
enum TPaletteKind : int {
  pkNone = 0,    // no file kind chosen yet: nothing is read or written
  pkJasc = 1,    // "JASC-PAL", "0100", "256", then 256 entry lines
  pkText = 2,    // 256 entry lines, no header
  pkBinary = 3,  // exactly 768 bytes, red, green, blue of entry 0 first
};

// The kind for a filter index of the file dialogs: 1, 2 or 3, anything else none.
TPaletteKind PaletteKindOfFilter(int filterIndex);

// The kind a file name asks for: ".PAL" or ".pal" JASC, ".TXT" or ".txt" text,
// anything else binary.
TPaletteKind PaletteKindOfName(const std::string& fileName);

// A field of an entry line as a decimal integer: an optional sign and digits, within
// the range of a signed 32-bit number; an empty field counts as 0. Nothing when the
// text is not such a number.
std::optional<int32_t> ParsePaletteField(const std::string& field);

// Splits an entry line: red is the text before the first blank, then the line is cut
// up to and including that blank; green is the text before the next blank, cut
// again; blue is the rest. A line without a blank is all blue. Each field is stored
// as its low 8 bits. Returns false at the first field that is not a number, with
// that field in `badField`; the channels converted before it are already stored.
bool ParseEntryLine(const std::string& line, TRgb& entry, std::string* badField);

// "red green blue" in decimal, one blank between.
std::string EntryLine(TRgb entry);

// What reading a palette file came to.
enum class TPaletteReadResult {
  Read,         // read as far as the file reaches (header messages may have been shown)
  CannotOpen,   // the file could not be opened; the palette is unchanged
  BadNumber,    // ended at a field that is not a number; earlier entries are read
  NothingRead,  // kind none, or a binary file shorter than 768 bytes
};

// Reads `fileName` of `kind` into `data`. Entries the file does not reach keep
// their values. The JASC header lines are checked one by one ("Keine JASC-Palette.",
// "Falsche Version.", "Keine 256-Farben-Palette."), each message shown and reading
// continued. Lines end with CR LF, LF or CR; they are compared whole and with exact
// case. An entry line longer than 4096 characters ends reading like a bad number,
// before any of its channels change. The conversion error (quoting at most 40
// characters of the field) and "Cannot open file ..." go to `messages` too.
TPaletteReadResult ReadPaletteFile(const std::string& fileName, TPaletteKind kind,
                                   PaletteBytes& data, Messages& messages);

// The bytes of a palette file of `kind` holding `data`: the text kinds with CR LF
// line ends; nothing for kind none.
std::string PaletteFileContent(TPaletteKind kind, const PaletteBytes& data);

// Creates or overwrites `fileName` with the palette as `kind`; kind none writes
// nothing and succeeds. False, after "Cannot write file ...", when the file could not
// be written completely.
bool WritePaletteFile(const std::string& fileName, TPaletteKind kind, const PaletteBytes& data,
                      Messages& messages);
