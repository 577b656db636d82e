// Omicron SPM Control parameter files and their data files.
#include "formats/Omicron.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "image/FileNames.h"

// The lines of a text file from a byte offset on. A line ends at a line feed; a
// carriage return before it is dropped. Parameter lines are short (255 bytes in the
// instrument's files); a longer line is kept up to kMaxLine bytes and the rest of it
// is passed over, so a file without line feeds cannot make a line grow without bound.
class TLineReader {
 public:
  static constexpr size_t kMaxLine = 4096;

  TLineReader(const std::string& fileName, long offset) : file_(OpenRegularFile(fileName)) {
    if (file_ && std::fseek(file_, offset, SEEK_SET) != 0) {
      std::fclose(file_);
      file_ = nullptr;
    }
  }
  TLineReader(const TLineReader&) = delete;
  TLineReader& operator=(const TLineReader&) = delete;
  ~TLineReader() {
    if (file_) std::fclose(file_);
  }

  // The next line; false at the end of the file.
  bool Next(std::string& line) {
    line.clear();
    if (!file_) return false;
    bool any = false;
    for (;;) {
      if (pos_ == len_) {
        pos_ = 0;
        len_ = std::fread(buf_, 1, sizeof buf_, file_);
        if (len_ == 0) break;
      }
      any = true;
      const char* start = buf_ + pos_;
      const size_t rest = len_ - pos_;
      const char* lf = static_cast<const char*>(std::memchr(start, '\n', rest));
      const size_t n = lf ? static_cast<size_t>(lf - start) : rest;
      if (line.size() < kMaxLine) line.append(start, std::min(n, kMaxLine - line.size()));
      pos_ += n;
      if (lf) {
        ++pos_;
        break;
      }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
  }

 private:
  std::FILE* file_;
  char buf_[8192];
  size_t pos_ = 0;
  size_t len_ = 0;
};

namespace {

constexpr size_t kIdentificationSize = 254;
constexpr long kScanDescriptionOffset = 467;

const char* const kScanKeys[9] = {"Field X Size in nm", "Field Y Size in nm", "Image Size in X",
                                  "Image Size in Y",    "Increment X",        "Increment Y",
                                  "Scan Angle",         "X Offset",           "Y Offset"};

bool Contains(const std::string& line, const char* key) {
  return line.find(key) != std::string::npos;
}

std::string Trim(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

// Reads lines until one contains `key`; false at the end of the file.
bool SkipTo(TLineReader& lines, const char* key, std::string& line) {
  while (lines.Next(line)) {
    if (Contains(line, key)) return true;
  }
  return false;
}

// Key line "key : value ;comment": the text between the first colon and the next
// semicolon (or the end of the line).
std::string KeyLineValue(const std::string& line) {
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return {};
  const size_t semicolon = line.find(';', colon + 1);
  return Trim(line.substr(
      colon + 1, semicolon == std::string::npos ? std::string::npos : semicolon - colon - 1));
}

// Key line whose value is the whole rest of the line after the colon.
std::string RestAfterColon(const std::string& line) {
  const size_t colon = line.find(':');
  return colon == std::string::npos ? std::string{} : Trim(line.substr(colon + 1));
}

// Value line "value ;key": the text before the key.
std::string ValueLineValue(const std::string& line, const char* key) {
  const size_t pos = line.find(key);
  return pos == std::string::npos ? std::string{} : Trim(line.substr(0, pos));
}

// "value ;Physical unit": the key is searched without its semicolon, and the value is
// the text before the character that precedes it.
std::string PhysicalUnitValue(const std::string& line) {
  const size_t pos = line.find("Physical unit");
  return pos == std::string::npos || pos == 0 ? std::string{} : Trim(line.substr(0, pos - 1));
}

std::optional<double> ParseDouble(const std::string& text) {
  const char* b = text.data();
  const char* e = b + text.size();
  if (b != e && *b == '+') ++b;
  double v = 0;
  const auto [ptr, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || ptr != e || b == e) return std::nullopt;
  return v;
}

std::optional<int32_t> ParseInt(const std::string& text) {
  const char* b = text.data();
  const char* e = b + text.size();
  if (b != e && *b == '+') ++b;
  int32_t v = 0;
  const auto [ptr, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || ptr != e || b == e) return std::nullopt;
  return v;
}

// The channel letter of a channel line: `keyword`, one or more blanks and a colon,
// the letter being the second character after the colon. Files of version 2.2 have
// thirteen (topographic) or twelve (spectroscopy) blanks there, version 2.1 files two
// fewer; both are channel lines.
std::optional<char> ChannelLetterOf(const std::string& line, const char* keyword) {
  const size_t klen = std::strlen(keyword);
  for (size_t at = line.find(keyword); at != std::string::npos; at = line.find(keyword, at + 1)) {
    size_t p = at + klen;
    size_t blanks = 0;
    while (p < line.size() && line[p] == ' ') ++p, ++blanks;
    if (blanks == 0 || p >= line.size() || line[p] != ':') continue;
    return p + 2 < line.size() ? line[p + 2] : ' ';
  }
  return std::nullopt;
}

}  // namespace

bool TOmicron::OpenParameterFile(const std::string& FileName) {
  // A pipe or a device is refused before it is opened: reading it could wait forever.
  if (!IsRegularFile(FileName)) {
    if (PathExists(FileName)) {
      msg_.ShowMessageAt("Cannot open file " + FileName, TMsgDlgType::mtError);
    } else {
      char text[1024];
      std::snprintf(text, sizeof text, "File %s does not exist, Conversion aborted",
                    FileName.c_str());
      msg_.ShowMessageAt(text, TMsgDlgType::mtError);
    }
    return false;
  }
  // Without drive letters the data files are looked for beside the parameter file.
  DataDirectory = FolderOf(FileName);
  topoCount_ = 0;
  spectroCount_ = 0;
  ScannerInfo = TScannerInfo{};
  sizesValid_ = false;

  CheckHeader(FileName);

  char question[160];
  std::snprintf(question, sizeof question, "Found %d topographic and%d spectroscopic image(s)",
                topoCount_, spectroCount_);
  const TModalResult answer =
      msg_.Ask(std::string(question) + "\n" + "       Read spectroscopy data?",
               TMsgDlgType::mtInformation, mbYes | mbNo | mbCancel, /*atDialogPosition*/ true);
  if (answer == TModalResult::mrNo) {
    spectroCount_ = 0;
  } else if (answer != TModalResult::mrYes) {
    // Cancel, or the box closed without an answer: nothing opens.
    topoCount_ = 0;
    spectroCount_ = 0;
  }
  return true;
}

void TOmicron::CheckHeader(const std::string& FileName) {
  {
    TFileBytes file;
    file.Open(FileName);
    const std::vector<uint8_t> head = file.Read(0, kIdentificationSize);
    const std::string text(head.begin(), head.end());
    if (!Contains(text, "Omicron SPM Control") && !Contains(text, "Parameter file for SPM data")) {
      msg_.ShowMessageAt("File-Format mismatch!", TMsgDlgType::mtError);
      return;
    }
  }
  {
    // Files of version 2.1 begin their scan description before byte 467, where later
    // versions have it; when it is not found from there on it is read from the start.
    std::unique_ptr<TLineReader> lines =
        std::make_unique<TLineReader>(FileName, kScanDescriptionOffset);
    if (!ReadScannerInfo(*lines)) {
      lines = std::make_unique<TLineReader>(FileName, 0);
      ScannerInfo = TScannerInfo{};
      if (!ReadScannerInfo(*lines)) lines.reset();
    }
    if (lines) ReadTopographicChannels(*lines);
  }
  TLineReader fromStart(FileName, 0);
  ReadSpectroscopicChannels(fromStart);
}

bool TOmicron::ReadScannerInfo(TLineReader& lines) {
  double* const fields[9] = {
      &ScannerInfo.FieldXSize, &ScannerInfo.FieldYSize, &ScannerInfo.ImageSizeX,
      &ScannerInfo.ImageSizeY, &ScannerInfo.IncrementX, &ScannerInfo.IncrementY,
      &ScannerInfo.ScanAngle,  &ScannerInfo.XOffset,    &ScannerInfo.YOffset};
  std::string line;
  std::string sizeText[2];
  for (int k = 0; k < 9; ++k) {
    if (!SkipTo(lines, kScanKeys[k], line)) return false;
    const std::string value = KeyLineValue(line);
    if (k == 2 || k == 3) sizeText[k - 2] = value;
    // The other seven values are kept for reference only; one that is no number reads 0.
    *fields[k] = ParseDouble(value).value_or(0.0);
  }
  const std::optional<int32_t> x = ParseInt(sizeText[0]);
  const std::optional<int32_t> y = ParseInt(sizeText[1]);
  ImageSizeX = x.value_or(0);
  ImageSizeY = y.value_or(0);
  sizesValid_ = x && y;
  if (!sizesValid_) {
    // Without the image size no topographic channel can be read.
    msg_.ShowDataLoss("The image size \"" + (x ? sizeText[1] : sizeText[0]) +
                          "\" is not a whole number: no topographic channel is read.",
                      TMsgDlgType::mtError, true);
  }
  return true;
}

void TOmicron::ReadTopographicChannels(TLineReader& lines) {
  if (!sizesValid_) return;
  std::string line;
  bool told = false;
  while (lines.Next(line)) {
    const std::optional<char> letter = ChannelLetterOf(line, "Topographic Channel");
    if (!letter) continue;
    topographicInfo info;
    info.ChannelLetter = *letter;
    info.X = ImageSizeX;
    info.Y = ImageSizeY;
    // The end of the file ends the scan, also in the middle of a description; an
    // incomplete description is not counted, since it names no data file.
    if (!SkipTo(lines, ";Minimum raw value", line)) return;
    info.MinRaw =
        static_cast<float>(ParseDouble(ValueLineValue(line, ";Minimum raw value")).value_or(0));
    if (!SkipTo(lines, ";Maximum raw value", line)) return;
    info.MaxRaw =
        static_cast<float>(ParseDouble(ValueLineValue(line, ";Maximum raw value")).value_or(0));
    if (!SkipTo(lines, ";Minimum value in physical unit", line)) return;
    info.MinPhys = static_cast<float>(
        ParseDouble(ValueLineValue(line, ";Minimum value in physical unit")).value_or(0));
    if (!SkipTo(lines, ";Maximum value in physical unit", line)) return;
    info.MaxPhys = static_cast<float>(
        ParseDouble(ValueLineValue(line, ";Maximum value in physical unit")).value_or(0));
    if (!SkipTo(lines, ";Resolution", line)) return;
    const std::string resolution = ValueLineValue(line, ";Resolution");
    if (!SkipTo(lines, "Physical unit", line)) return;
    const std::string unit = PhysicalUnitValue(line);
    if (unit == "nm") info.UnitFlag = 1;
    if (unit == "nA") info.UnitFlag = 0;
    if (!SkipTo(lines, ";Filename", line)) return;
    info.FileName = DataDirectory + ValueLineValue(line, ";Filename");

    const std::optional<double> r = ParseDouble(resolution);
    if (!r) {
      msg_.ShowDataLoss("The resolution \"" + resolution + "\" of channel " + info.ChannelLetter +
                            " is not a number: the channel is not read.",
                        TMsgDlgType::mtError, true);
      continue;
    }
    info.Resolution = static_cast<float>(*r);
    if (topoCount_ == kMaxOmicronChannels) {
      // Further channels are passed over; the first eight open.
      if (!told)
        msg_.ShowDataLoss("Only the first 8 topographic channels are read.",
                          TMsgDlgType::mtInformation, true);
      told = true;
      continue;
    }
    topo_[topoCount_++] = info;
  }
}

void TOmicron::ReadSpectroscopicChannels(TLineReader& lines) {
  std::string line;
  bool told = false;
  while (lines.Next(line)) {
    const std::optional<char> letter = ChannelLetterOf(line, "Spectroscopy Channel");
    if (!letter) continue;
    spectroscopicInfo info;
    info.ChannelLetter = *letter;
    if (!SkipTo(lines, ";Resolution", line)) return;
    const std::string resolution = ValueLineValue(line, ";Resolution");
    if (!SkipTo(lines, ";Number of spectroscopy points", line)) return;
    const std::string points = ValueLineValue(line, ";Number of spectroscopy points");
    if (!SkipTo(lines, ";Filename", line)) return;
    info.FileName = DataDirectory + ValueLineValue(line, ";Filename");
    if (!SkipTo(lines, "Spectroscopy Points in X", line)) return;
    const std::string x = RestAfterColon(line);
    if (!SkipTo(lines, "Spectroscopy Lines in Y", line)) return;
    const std::string y = RestAfterColon(line);

    const std::optional<double> r = ParseDouble(resolution);
    const std::optional<int32_t> n = ParseInt(points);
    const std::optional<int32_t> px = ParseInt(x);
    const std::optional<int32_t> py = ParseInt(y);
    if (!r || !n || !px || !py) {
      const std::string& bad = !r ? resolution : !n ? points : !px ? x : y;
      msg_.ShowDataLoss("The value \"" + bad + "\" of spectroscopy channel " + info.ChannelLetter +
                            " is not a number: the channel is not read.",
                        TMsgDlgType::mtError, true);
      continue;
    }
    info.Resolution = static_cast<float>(*r);
    info.PointCount = *n;
    info.X = *px;
    info.Y = *py;
    if (spectroCount_ == kMaxOmicronChannels) {
      if (!told)
        msg_.ShowDataLoss("Only the first 8 spectroscopy channels are read.",
                          TMsgDlgType::mtInformation, true);
      told = true;
      continue;
    }
    spectro_[spectroCount_++] = info;
  }
}

void TOmicron::ReadFrame(TFileBytes& stream, uint64_t offset, const ImageInfo& info,
                         TImageDoc& Window) {
  if (!Window.HasImage()) return;
  TVKMPicture& pic = *Window.Picture;
  const int32_t X = std::min(info.X, pic.Columns);
  const int32_t Y = std::min(info.Y, pic.Rows);
  if (X <= 0 || Y <= 0) return;
  const uint64_t cells = static_cast<uint64_t>(X) * static_cast<uint64_t>(Y);
  const std::vector<uint8_t> bytes = stream.Read(offset, cells * 2);
  const uint64_t available = bytes.size() / 2;
  uint64_t i = 0;
  for (int32_t r = 0; r < Y && i < available; ++r) {
    float* row = pic.RowTable[r];
    for (int32_t c = 0; c < X && i < available; ++c, ++i) {
      // Computed in extended precision, then stored as single.
      row[c] = static_cast<float>(static_cast<long double>(LoadI16BE(&bytes[i * 2])) *
                                  static_cast<long double>(info.Resolution));
    }
  }
  // A short data file leaves zeros behind; the user is told rather than shown a
  // silently cut image.
  if (available < cells) {
    msg_.ShowDataLoss(EndsTooEarlyText(info.FileName, available, cells), TMsgDlgType::mtWarning,
                      true);
  }
}

bool TOmicron::ReadTopographicData(int Index, TImageDoc& Window) {
  const topographicInfo& info = Topographic(Index);
  TFileBytes file;
  if (!file.Open(info.FileName)) {
    // The channel's window stays with an image of zeros.
    msg_.ShowDataLoss("Cannot open file " + info.FileName, TMsgDlgType::mtError, true);
    return false;
  }
  ReadFrame(file, 0, info, Window);
  return true;
}

bool TOmicron::OpenSpectroscopyFile(int Index) {
  CloseSpectroscopyFile();
  const spectroscopicInfo& info = Spectroscopic(Index);
  if (!spectroStream_.Open(info.FileName)) {
    msg_.ShowDataLoss("Cannot open file " + info.FileName, TMsgDlgType::mtError, true);
    return false;
  }
  spectroIndex_ = Index;
  spectroOffset_ = 0;
  return true;
}

int TOmicron::SpectroscopyFrameCount() const {
  if (!spectroStream_.IsOpen() || spectroIndex_ == 0) return 0;
  const spectroscopicInfo& info = Spectroscopic(spectroIndex_);
  if (info.X <= 0 || info.Y <= 0 || info.PointCount <= 0) return 0;
  const uint64_t frameBytes = static_cast<uint64_t>(info.X) * static_cast<uint64_t>(info.Y) * 2;
  const uint64_t held = (spectroStream_.Size() + frameBytes - 1) / frameBytes;
  return static_cast<int>(std::min<uint64_t>(held, static_cast<uint64_t>(info.PointCount)));
}

bool TOmicron::ReadSpectroscopyFrame(int Index, TImageDoc& Window) {
  if (!spectroStream_.IsOpen() || Index != spectroIndex_) return false;
  const spectroscopicInfo& info = Spectroscopic(Index);
  ReadFrame(spectroStream_, spectroOffset_, info, Window);
  if (info.X > 0 && info.Y > 0) {
    spectroOffset_ += static_cast<uint64_t>(info.X) * static_cast<uint64_t>(info.Y) * 2;
  }
  return true;
}

void TOmicron::CloseSpectroscopyFile() {
  spectroStream_.Close();
  spectroIndex_ = 0;
  spectroOffset_ = 0;
}
