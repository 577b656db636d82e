// Native format reader: the scanning primitives on the parameter text, the two
// header layouts and the channel readers of TLoadFiles.
#include "formats/NativeFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "formats/FileBytes.h"
#include "formats/LoadFiles.h"
#include "image/NumberFormat.h"

namespace {

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// Backslashes in names read from a file are folder separators too.
std::string LocalPath(std::string path) {
  for (char& ch : path)
    if (ch == '\\') ch = '/';
  return path;
}

}  // namespace

bool ParseCount(const std::string& text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch < '0' || ch > '9') return false;
    v = v * 10 + (ch - '0');
    if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
    return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool TLoadFiles::FindText(const std::string& Key) {
  if (Key.empty()) return true;
  std::string key(Key);
  for (char& ch : key) ch = UpperAscii(ch);
  const std::string& bytes = ParamStream.Bytes;
  const size_t size = bytes.size();
  size_t& pos = ParamStream.Position;
  if (pos > size) pos = size;
  // Each round reads one new byte (after a mismatch the position goes back to just
  // after the byte that matched the first character), so n rounds reach the end.
  for (size_t n = size - pos; n > 0; --n) {
    if (UpperAscii(bytes[pos++]) != key[0]) continue;
    const size_t afterFirst = pos;
    bool match = true;
    for (size_t k = 1; k < key.size(); ++k) {
      if (pos >= size) {
        match = false;  // the key runs past the end of the text
        break;
      }
      if (UpperAscii(bytes[pos++]) != key[k]) match = false;
    }
    if (match) return true;
    pos = afterFirst;
  }
  pos = size;
  return false;
}

std::string TLoadFiles::ReadLine() {
  std::string line;
  const std::string& bytes = ParamStream.Bytes;
  size_t& pos = ParamStream.Position;
  while (pos < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos++]);
    if (b == 13) break;
    if (b > 13) line.push_back(static_cast<char>(b));
  }
  return line;
}

float TLoadFiles::ReadFloat() {
  const std::string line = ReadLine();
  const char sep = Msgs().DecimalSeparator();
  std::string text = line;
  size_t p = text.find('.');
  if (p != std::string::npos) text[p] = sep;
  p = text.find(',');
  if (p != std::string::npos) text[p] = sep;
  double v = 0;
  // A number beyond the single range would become infinite and spoil every value
  // it touches: it counts as not convertible.
  if (!ParseNumber(text, v, sep) || !std::isfinite(static_cast<float>(v))) {
    std::string shown(1, '"');
    shown += line;
    shown += " is no valid float!\n 1 is assumed!";
    Msgs().ShowMessage(shown, TMsgDlgType::mtInformation);
    return 1.0f;
  }
  return static_cast<float>(v);
}

bool TLoadFiles::ReadHeader() {
  FileCount = 0;
  Version.clear();
  if (!ParamStream.LoadFromFile(ParamFileName)) {
    Msgs().ShowMessage("Cannot open file " + ParamFileName, TMsgDlgType::mtError);
    return false;
  }
  paramLoaded_ = true;
  return ParseHeader();
}

bool TLoadFiles::ReadHeaderFrom(const std::string& text) {
  FileCount = 0;
  Version.clear();
  ParamStream.Bytes = text;
  ParamStream.Position = 0;
  paramLoaded_ = true;
  return ParseHeader();
}

bool TLoadFiles::ParseHeader() {
  ParamStream.Position = 0;
  ScanPara = TScanPara{};
  if (FindText("Version")) {
    // Without ": " after the key there is no version value to read.
    if (!FindText(": "))
      Msgs().ShowMessage("No File-Version-Entry is found!", TMsgDlgType::mtError);
    Version = ReadLine();
  }
  bool ok = false;
  if (Version == "1" || Version == "1.01") {
    ok = ReadOldHeader();
  } else if (Version == "1.10") {
    ok = ReadBlockHeader();
  } else {
    Msgs().ShowMessage("This File-Version is not supported!", TMsgDlgType::mtInformation);
  }
  if (!ok) FileCount = 0;
  return FileCount > 0;
}

// Reads the count after `key` and its colon. A missing key, an empty value and 0
// all mean "not found"; a value that is not a decimal integer is refused with its
// own message instead of ending the load without a word.
bool TLoadFiles::ReadPixelCount(const std::string& key, const char* axis, int32_t& count) {
  count = 0;
  std::string text;
  if (FindText(key)) {
    FindText(":");
    text = ReadLine();
  }
  const bool blank = text.find_first_not_of(' ') == std::string::npos;
  if (!blank && !ParseCount(text, count)) {
    std::string shown(1, '"');
    shown += text.substr(text.find_first_not_of(' '));
    shown += "\" is no valid integer!\nLoad aborted";
    Msgs().ShowMessage(shown, TMsgDlgType::mtInformation);
    count = 0;
    return false;
  }
  if (count == 0) {
    Msgs().ShowMessage(std::string("No Pixel in ") + axis + " found!\nLoad aborted",
                       TMsgDlgType::mtInformation);
    return false;
  }
  return true;
}

// Both counts must fit the picture's matrix; refusing them here opens no window
// at all instead of a window that cannot get an image.
static bool CheckSize(Messages& msgs, int32_t columns, int32_t rows) {
  if (columns < 0 || rows < 0) {
    msgs.ShowMessage("Picture too small!\nLoad aborted", TMsgDlgType::mtInformation);
    return false;
  }
  if (columns > kMaxPictureSide || rows > kMaxPictureSide) {
    msgs.ShowMessage("Picture too large! At most 514 x 514 points are possible.\nLoad aborted",
                     TMsgDlgType::mtInformation);
    return false;
  }
  return true;
}

bool TLoadFiles::ReadOldHeader() {
  if (FindText("ScanRange")) {
    FindText(":");
    // The two characters third and second before the colon are the length unit.
    size_t& pos = ParamStream.Position;
    pos = pos >= 4 ? pos - 4 : 0;
    std::string unit;
    for (int k = 0; k < 2 && pos < ParamStream.Size(); ++k)
      unit.push_back(ParamStream.Bytes[pos++]);
    pos = std::min(pos + 2, ParamStream.Size());
    ScanPara.XPhysUnit = ScanPara.YPhysUnit = unit;
    ScanPara.XScanRange = ScanPara.YScanRange = ReadFloat();
  } else {
    ParamStream.Position = 0;
    ScanPara.XScanRange = ScanPara.YScanRange = 1;
  }
  if (!ReadPixelCount("Pixel in X ", "X", ScanPara.xPixel)) return false;
  if (!ReadPixelCount("Pixel in Y ", "Y", ScanPara.yPixel)) return false;
  if (!CheckSize(Msgs(), ScanPara.xPixel, ScanPara.yPixel)) return false;

  FindText("Files");
  FindText("\r");
  const int skip = Version == "1.01" ? 3 : 2;
  FileCount = 1;
  std::string name = ReadLine();
  for (;;) {
    FileNames[FileCount] = name;
    for (int k = 0; k < skip; ++k) ReadLine();
    ++FileCount;
    name = ReadLine();
    // At most 16 channels: the groups after the 16th are not read.
    if (name.empty() || name[0] == ';' || ParamStream.AtEnd() || FileCount > kMaxChannels) break;
  }
  if (FileCount > kMaxChannels && !name.empty() && name[0] != ';') NoteChannelsDropped();
  --FileCount;
  return true;
}

bool TLoadFiles::ReadBlockHeader() {
  ScanPara.XScanRange = 1;
  if (FindText("XScanRange")) {
    FindText(":");
    ScanPara.XScanRange = ReadFloat();
  }
  ScanPara.YScanRange = 1;
  if (FindText("YScanRange")) {
    FindText(":");
    ScanPara.YScanRange = ReadFloat();
  }
  if (FindText("XPhysUnit")) {
    FindText(": ");
    ScanPara.XPhysUnit = ReadLine();
  }
  if (FindText("YPhysUnit")) {
    FindText(": ");
    ScanPara.YPhysUnit = ReadLine();
  }
  if (!ReadPixelCount("xPixel", "X", ScanPara.xPixel)) return false;
  if (!ReadPixelCount("yPixel", "Y", ScanPara.yPixel)) return false;
  if (!CheckSize(Msgs(), ScanPara.xPixel, ScanPara.yPixel)) return false;

  FileCount = 0;
  // At most 16 channels: the blocks after the 16th are not read.
  while (FileCount < kMaxChannels && FindText("FileDescBegin")) {
    if (FindText("FileName")) {
      FindText(": ");
      ++FileCount;
      FileNames[FileCount] = ReadLine();
      FindText("FileDescEnd");
    }
  }
  if (FileCount == kMaxChannels) {
    const size_t at = ParamStream.Position;
    if (FindText("FileDescBegin")) NoteChannelsDropped();
    ParamStream.Position = at;
  }
  return true;
}

void TLoadFiles::NoteChannelsDropped() {
  Msgs().NoteDataLoss("Only the first " + std::to_string(kMaxChannels) + " channels are read.");
}

bool TLoadFiles::LoadDataFile(int i) {
  if (i < 1 || i > FileCount || i > kMaxChannels) return false;
  const std::string path = LocalPath(Directory + FileNames[i]);
  // Only the values of the matrix are read: a data file that is longer (or a name
  // that points at some large file) costs no more memory than the image.
  const size_t need = static_cast<size_t>(std::max(ScanPara.xPixel, 0)) *
                      static_cast<size_t>(std::max(ScanPara.yPixel, 0)) * 4;
  // Only a regular file can be a data file (a pipe or a device would make the read
  // wait forever). A data file of a type that is not decoded leaves the channel all
  // zero and is never opened.
  const bool decoded = EndsWith(FileNames[i], "int") || EndsWith(FileNames[i], "sin");
  if (!IsRegularFile(path) || (decoded && !DataStream.LoadFromFile(path, need))) {
    Msgs().ShowMessage("Cannot open file " + path, TMsgDlgType::mtError);
    return false;
  }
  if (!decoded) {
    DataStream.Bytes.clear();
    DataStream.Position = 0;
  }
  return true;
}

// Decodes DataStream into the window's new picture. Cells beyond the end of a short
// data file stay 0; the user is told, since the image is then incomplete.
bool TLoadFiles::FillChannel(TImageDoc& window, int i, float scale) {
  TVKMPicture& pic = *window.Picture;
  const std::string& name = FileNames[i];
  const bool isInt = EndsWith(name, "int");
  const bool isSin = EndsWith(name, "sin");
  if (!isInt && !isSin) return true;  // other data files are not decoded: all zero
  const int32_t rows = pic.Rows;
  const int32_t cols = pic.Columns;
  const size_t need = static_cast<size_t>(rows) * static_cast<size_t>(cols);
  const size_t have = DataStream.Size() / 4;
  const size_t n = have < need ? have : need;
  const uint8_t* src = reinterpret_cast<const uint8_t*>(DataStream.Bytes.data());
  // The product is wanted in extended precision and then stored as single. A single
  // times a single, and a single times an integer below 2^29, is exact in double,
  // so double gives the same result there; larger integers take long double.
  const double ds = scale;
  const long double ls = scale;
  const size_t width = static_cast<size_t>(cols);
  for (size_t k0 = 0, stored = 0; k0 < n; k0 += width, ++stored) {
    // The first stored row of integers is the top row, of singles row 0.
    float* row = pic.RowTable[isInt ? static_cast<size_t>(rows) - 1 - stored : stored];
    const size_t count = std::min(width, n - k0);
    for (size_t c = 0; c < count; ++c) {
      const uint8_t* value = src + 4 * (k0 + c);
      if (isInt) {
        const int32_t iv = LoadI32LE(value);
        if (iv < (1 << 29) && iv > -(1 << 29))
          row[c] = static_cast<float>(static_cast<double>(iv) * ds);
        else
          row[c] = static_cast<float>(static_cast<long double>(iv) * ls);
      } else {
        row[c] = static_cast<float>(static_cast<double>(LoadF32LE(value)) * ds);
      }
    }
  }
  DataStream.Position = n * 4;
  if (n < need) {
    Msgs().ShowDataLoss("The data file " + name + " holds only " + std::to_string(n) + " of " +
                            std::to_string(need) + " values; the others are set to 0.",
                        TMsgDlgType::mtInformation);
  }
  return true;
}

void TLoadFiles::AddParameterLines(TImageDoc& window) {
  ParamStream.Position = 0;
  while (!ParamStream.AtEnd()) window.InfoText.push_back(ReadLine());
}

bool TLoadFiles::ReadChannelV1(TImageDoc& window, int i) {
  if (!LoadDataFile(i)) return false;
  window.CreatePicture(ScanPara.xPixel, ScanPara.yPixel);
  if (!window.HasImage()) return false;
  TVKMPicture& pic = *window.Picture;
  pic.ScanPara = ScanPara;

  ParamStream.Position = 0;
  FindText(FileNames[i]);
  FindText("\r");
  Caption.clear();
  if (Version == "1.01") Caption = ReadLine();
  pic.ScanPara.Scale = ReadFloat();
  pic.ScanPara.PhysUnit = ReadLine();
  FillChannel(window, i, pic.ScanPara.Scale);
  AddParameterLines(window);
  return true;
}

bool TLoadFiles::ReadChannelV110(TImageDoc& window, int i) {
  if (!LoadDataFile(i)) return false;
  window.CreatePicture(ScanPara.xPixel, ScanPara.yPixel);
  if (!window.HasImage()) return false;
  TVKMPicture& pic = *window.Picture;
  pic.ScanPara = ScanPara;

  size_t& pos = ParamStream.Position;
  pos = 0;
  FindText(FileNames[i]);
  FindText("\r");
  const size_t start = pos;
  FindText("FileDescEnd");
  const size_t end = pos;
  // A key belongs to this channel only when its search ends inside the block.
  auto findInBlock = [&](const char* key) {
    pos = start;
    return FindText(key) && pos < end;
  };

  Caption.clear();
  if (findInBlock("Caption")) {
    FindText(": ");
    Caption = ReadLine();
  }
  float scale = 1;
  if (findInBlock("Scale")) {
    FindText(": ");
    scale = ReadFloat();
  }
  pic.ScanPara.Scale = scale;
  if (findInBlock("PhysUnit")) {
    FindText(": ");
    pic.ScanPara.PhysUnit = ReadLine();
  }
  FillChannel(window, i, scale);
  AddParameterLines(window);
  return true;
}

void TLoadFiles::CopyParameterText(TImageDoc& window) {
  if (!paramLoaded_) {
    if (!ParamStream.LoadFromFile(ParamFileName)) return;
    paramLoaded_ = true;
  }
  // Lines end at each line feed; a carriage return before it belongs to the line
  // end, not to the text.
  const std::string& bytes = ParamStream.Bytes;
  size_t begin = 0;
  while (begin < bytes.size()) {
    size_t lf = bytes.find('\n', begin);
    const size_t stop = lf == std::string::npos ? bytes.size() : lf;
    size_t e = stop;
    if (e > begin && bytes[e - 1] == '\r') --e;
    window.InfoText.push_back(bytes.substr(begin, e - begin));
    begin = stop + 1;
  }
}
