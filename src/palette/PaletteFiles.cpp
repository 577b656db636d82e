// Reading and writing JASC, text and binary palette files.
#include "palette/PaletteFiles.h"

#include <cstdio>
#include <limits>

#include "formats/FileBytes.h"

namespace {

constexpr size_t kBinarySize = 768;

// An entry line is three numbers and two blanks. A line longer than this is no entry
// line, however it goes on; reading stops inside it, so a large file without line
// ends (a data file opened as a palette by mistake) is neither read whole into
// memory nor quoted whole in a message.
constexpr size_t kMaxLineLength = 4096;
// The most of a bad field a message quotes.
constexpr size_t kMaxQuotedField = 40;

// Reads a file line by line. A line ends with CR LF, LF or a lone CR; the last line
// needs no line end. The end of the file after a line end starts no further line.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file) {}

  // The next line without its line end; false when the file holds no further line.
  // A line longer than kMaxLineLength gives its first kMaxLineLength characters and
  // `overlong`; the reader then stands inside that line (SkipRestOfLine goes on).
  bool Next(std::string& line, bool& overlong) {
    line.clear();
    overlong = false;
    int ch = std::getc(file_);
    if (ch == EOF) return false;
    while (ch != EOF && ch != '\n' && ch != '\r') {
      if (line.size() == kMaxLineLength) {
        std::ungetc(ch, file_);
        overlong = true;
        return true;
      }
      line.push_back(static_cast<char>(ch));
      ch = std::getc(file_);
    }
    EndLine(ch);
    return true;
  }

  // Read in blocks: the rest of a line can be as long as the file.
  void SkipRestOfLine() {
    char block[65536];
    for (;;) {
      const size_t n = std::fread(block, 1, sizeof block, file_);
      for (size_t i = 0; i < n; ++i) {
        if (block[i] != '\n' && block[i] != '\r') continue;
        // Back to just after the line end's first character.
        std::fseek(file_, static_cast<long>(i + 1) - static_cast<long>(n), SEEK_CUR);
        EndLine(block[i]);
        return;
      }
      if (n < sizeof block) return;
    }
  }

 private:
  // After a CR, an LF belongs to the same line end.
  void EndLine(int ch) {
    if (ch == '\r') {
      const int next = std::getc(file_);
      if (next != '\n' && next != EOF) std::ungetc(next, file_);
    }
  }

  std::FILE* file_;
};

// Reading an absent line gives an empty text, so a header that is cut short is
// reported like a wrong one.
std::string HeaderLine(LineReader& reader) {
  std::string line;
  bool overlong = false;
  reader.Next(line, overlong);
  if (overlong) reader.SkipRestOfLine();
  return line;
}

std::FILE* OpenForReading(const std::string& fileName) {
  // Only a regular file: a folder opens for reading on some systems, and a pipe or a
  // device could make the read wait forever.
  return OpenRegularFile(fileName);
}

struct FileCloser {
  std::FILE* file;
  ~FileCloser() {
    if (file) std::fclose(file);
  }
};

std::string BadNumberText(const std::string& field, bool cut) {
  std::string text = "\"";
  text.append(field, 0, kMaxQuotedField);
  if (cut || field.size() > kMaxQuotedField) text += "...";
  text += "\" is not a valid integer value.";
  return text;
}

}  // namespace

TPaletteKind PaletteKindOfFilter(int filterIndex) {
  switch (filterIndex) {
    case pkJasc:
      return pkJasc;
    case pkText:
      return pkText;
    case pkBinary:
      return pkBinary;
    default:
      return pkNone;
  }
}

TPaletteKind PaletteKindOfName(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return pkBinary;
  const std::string ext = fileName.substr(dot);
  if (ext == ".PAL" || ext == ".pal") return pkJasc;
  if (ext == ".TXT" || ext == ".txt") return pkText;
  return pkBinary;
}

std::optional<int32_t> ParsePaletteField(const std::string& field) {
  if (field.empty()) return 0;
  size_t i = 0;
  bool negative = false;
  if (field[0] == '+' || field[0] == '-') {
    negative = field[0] == '-';
    i = 1;
  }
  if (i == field.size()) return std::nullopt;
  // Collected as a negative number, so the smallest 32-bit value fits too.
  int64_t value = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 - (c - '0');
    if (value < std::numeric_limits<int32_t>::min()) return std::nullopt;
  }
  if (!negative) {
    value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

bool ParseEntryLine(const std::string& line, TRgb& entry, std::string* badField) {
  std::string rest = line;
  uint8_t* const channels[3] = {&entry.Red, &entry.Green, &entry.Blue};
  for (int c = 0; c < 3; ++c) {
    std::string field;
    if (c < 2) {
      // Without a blank the field is empty and nothing is cut.
      const size_t blank = rest.find(' ');
      if (blank != std::string::npos) {
        field = rest.substr(0, blank);
        rest.erase(0, blank + 1);
      }
    } else {
      field = rest;
    }
    const std::optional<int32_t> value = ParsePaletteField(field);
    if (!value) {
      if (badField) *badField = field;
      return false;
    }
    *channels[c] = static_cast<uint8_t>(static_cast<uint32_t>(*value) & 0xFFu);
  }
  return true;
}

std::string EntryLine(TRgb entry) {
  return std::to_string(entry.Red) + " " + std::to_string(entry.Green) + " " +
         std::to_string(entry.Blue);
}

TPaletteReadResult ReadPaletteFile(const std::string& fileName, TPaletteKind kind,
                                   PaletteBytes& data, Messages& messages) {
  if (kind == pkNone) return TPaletteReadResult::NothingRead;
  FileCloser file{OpenForReading(fileName)};
  if (!file.file) {
    messages.ShowMessage("Cannot open file " + fileName, TMsgDlgType::mtError);
    return TPaletteReadResult::CannotOpen;
  }

  if (kind == pkBinary) {
    uint8_t bytes[kBinarySize];
    if (std::fread(bytes, 1, kBinarySize, file.file) < kBinarySize)
      return TPaletteReadResult::NothingRead;
    std::copy(bytes, bytes + kBinarySize, data.begin());
    return TPaletteReadResult::Read;
  }

  LineReader reader(file.file);
  if (kind == pkJasc) {
    // A wrong header line is reported in a plain box and reading goes on, so a
    // file with a damaged header still gives its colours.
    if (HeaderLine(reader) != "JASC-PAL")
      messages.ShowMessage("Keine JASC-Palette.", TMsgDlgType::mtCustom);
    if (HeaderLine(reader) != "0100")
      messages.ShowMessage("Falsche Version.", TMsgDlgType::mtCustom);
    if (HeaderLine(reader) != "256")
      messages.ShowMessage("Keine 256-Farben-Palette.", TMsgDlgType::mtCustom);
  }
  std::string line;
  bool overlong = false;
  for (int entry = 0; entry < kPaletteEntries && reader.Next(line, overlong); ++entry) {
    if (overlong) {
      // No entry line: reading ends here and none of the entry's channels change.
      messages.ShowMessage(BadNumberText(line, true), TMsgDlgType::mtError);
      return TPaletteReadResult::BadNumber;
    }
    TRgb colour = EntryColour(data, entry);
    std::string bad;
    const bool ok = ParseEntryLine(line, colour, &bad);
    // The channels converted before a bad field keep their new values.
    SetEntryColour(data, entry, colour);
    if (!ok) {
      messages.ShowMessage(BadNumberText(bad, false), TMsgDlgType::mtError);
      return TPaletteReadResult::BadNumber;
    }
  }
  return TPaletteReadResult::Read;
}

std::string PaletteFileContent(TPaletteKind kind, const PaletteBytes& data) {
  std::string out;
  if (kind == pkBinary) return std::string(data.begin(), data.end());
  if (kind != pkJasc && kind != pkText) return out;
  if (kind == pkJasc) out = "JASC-PAL\r\n0100\r\n256\r\n";
  for (int i = 0; i < kPaletteEntries; ++i) {
    out += EntryLine(EntryColour(data, i));
    out += "\r\n";
  }
  return out;
}

bool WritePaletteFile(const std::string& fileName, TPaletteKind kind, const PaletteBytes& data,
                      Messages& messages) {
  if (kind != pkJasc && kind != pkText && kind != pkBinary) return true;
  const std::string content = PaletteFileContent(kind, data);
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  bool ok = file != nullptr;
  if (ok) ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  if (file && std::fclose(file) != 0) ok = false;
  if (!ok) messages.ShowMessage("Cannot write file " + fileName, TMsgDlgType::mtError);
  return ok;
}
