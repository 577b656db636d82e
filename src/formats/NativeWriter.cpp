// Native format writer: parameter text from the window's information text plus one
// channel block, and the .sin/.int data file sized by the picture's matrix.
#include "formats/NativeWriter.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "formats/LoadFiles.h"
#include "formats/NativeFormat.h"
#include "image/FileNames.h"
#include "image/NumberFormat.h"

namespace {

bool ContainsNoCase(const std::string& line, const char* key) {
  const size_t n = std::strlen(key);
  if (n == 0) return true;
  for (size_t i = 0; i + n <= line.size(); ++i) {
    size_t k = 0;
    while (k < n && UpperAscii(line[i + k]) == UpperAscii(key[k])) ++k;
    if (k == n) return true;
  }
  return false;
}

// Control bytes would end or split a line when the file is read again.
std::string CleanLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text)
    if (static_cast<unsigned char>(ch) > 13) out.push_back(ch);
  return out;
}

// The keys the reader looks for inside a channel block (and after it). It finds a key
// anywhere in a line, case aside, so a caption such as "Z scale: 2" would give the
// channel its scale, and "FileDescEnd" in a unit would end the block early.
const char* const kBlockKeys[] = {"FileDescBegin", "FileDescEnd", "FileName",
                                  "Caption",       "Scale",       "PhysUnit"};

// A caption or unit as it is written into a channel block: each key it holds gets a
// tab after its first letter, so no search can find it there. The reader drops tabs
// from every value it reads, so the text reads back exactly as it was.
std::string BlockValue(const std::string& text) {
  const std::string clean = CleanLine(text);
  std::string out;
  out.reserve(clean.size() + 8);
  for (size_t i = 0; i < clean.size(); ++i) {
    out += clean[i];
    for (const char* key : kBlockKeys) {
      const size_t n = std::strlen(key);
      size_t k = 0;
      while (k < n && i + k < clean.size() && UpperAscii(clean[i + k]) == UpperAscii(key[k])) ++k;
      if (k == n) {
        out += '\t';
        break;
      }
    }
  }
  return out;
}

// Index of the first line at or after `from` that contains `key`; npos if none.
size_t FindLine(const std::vector<std::string>& lines, size_t from, const char* key) {
  for (size_t i = from; i < lines.size(); ++i)
    if (ContainsNoCase(lines[i], key)) return i;
  return std::string::npos;
}

// Marks the lines of a native header that the new header replaces: the version,
// range, unit and size lines, and for the old layout also its list of data files
// (it names files this save does not write).
void MarkHeaderLines(const std::vector<std::string>& lines, const std::string& version,
                     std::vector<bool>& drop) {
  auto mark = [&](size_t from, const char* key) {
    const size_t i = FindLine(lines, from, key);
    if (i == std::string::npos) return from;
    drop[i] = true;
    return i + 1;
  };
  size_t at = mark(0, "Version");
  if (version == "1.10") {
    for (const char* key :
         {"XScanRange", "YScanRange", "XPhysUnit", "YPhysUnit", "xPixel", "yPixel"})
      at = mark(at, key);
    return;
  }
  const size_t range = FindLine(lines, at, "ScanRange");
  if (range != std::string::npos) {
    drop[range] = true;
    at = range + 1;
  }
  at = mark(at, "Pixel in X ");
  at = mark(at, "Pixel in Y ");
  const size_t files = FindLine(lines, at, "Files");
  if (files == std::string::npos) return;
  drop[files] = true;
  // The list is read in groups (name, for "1.01" the caption, scale, unit) and
  // ends only where a group's first line is empty or begins with ";": an empty
  // caption or unit inside a group does not end it.
  const size_t group = version == "1.01" ? 4 : 3;
  for (size_t i = files + 1; i < lines.size();) {
    if (lines[i].empty() || lines[i][0] == ';') break;
    for (size_t k = 0; k < group && i < lines.size(); ++k) drop[i++] = true;
  }
}

bool SameText(float a, float b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

void AppendLine(std::string& text, const std::string& line) {
  text += CleanLine(line);
  text += "\r\n";
}

// A .int data file holds round(value / scale) as signed 32-bit numbers; a quotient
// beyond them is stored as the nearest one, which may still read back as the value.
// False for a value that no integer can stand for (not a number, a Scale of 0).
bool IntQuotient(float value, float scale, int32_t& q) {
  const long double x = std::nearbyint(static_cast<long double>(value) / scale);
  if (std::isnan(x)) return false;
  if (x >= static_cast<long double>(INT32_MAX))
    q = INT32_MAX;
  else if (x <= static_cast<long double>(INT32_MIN))
    q = INT32_MIN;
  else
    q = static_cast<int32_t>(x);
  return std::isfinite(value);
}

// The value a stored integer reads back as: the product in extended precision,
// stored as single, as the reader computes it.
float IntValue(int32_t q, float scale) {
  return static_cast<float>(static_cast<long double>(q) * scale);
}

}  // namespace

TNativeSaveNames NativeSaveNames(const std::string& FileName, TNativeKind Kind) {
  const char* ext = Kind == TNativeKind::Int ? "int" : "sin";
  const std::string stem = WithoutExtension(FileName);
  const std::string chosenExt = FilePartExtension(FileName);
  TNativeSaveNames names;
  names.DataFile = stem + "." + ext;
  // The parameter file keeps the chosen name, unless the data file would then
  // overwrite it.
  names.ParamFile = chosenExt == ext ? stem + ".txt" : FileName;
  return names;
}

TIntScale IntegerScale(const TVKMPicture& picture) {
  const float scale = picture.ScanPara.Scale;
  TIntScale result{scale, false};
  if (!picture.HasMatrix()) return result;
  const float* v = picture.Data();
  const size_t n = picture.ValueCount();
  float lo = std::numeric_limits<float>::infinity(), hi = -lo;
  for (size_t k = 0; k < n; ++k) {
    if (!std::isfinite(v[k])) continue;  // no scale holds these
    lo = std::min(lo, v[k]);
    hi = std::max(hi, v[k]);
  }
  if (lo > hi) return result;  // no finite value at all
  // The picture's Scale holds the values when each one reads back within a
  // millionth of the value range (exactly, for a flat picture): the resolution of
  // the instrument's integers, whatever their step against the range. Values read
  // from a .int file are whole multiples of their Scale and so always keep it.
  const long double tolerance = (static_cast<long double>(hi) - lo) * kIntSaveTolerance;
  bool holds = std::isfinite(scale) && scale != 0;
  for (size_t k = 0; k < n && holds; ++k) {
    if (!std::isfinite(v[k])) continue;
    int32_t q = 0;
    holds = IntQuotient(v[k], scale, q) &&
            std::fabs(static_cast<long double>(IntValue(q, scale)) - v[k]) <= tolerance;
  }
  if (holds) return result;
  // Otherwise the finest power of two whose quotients of every value fit 32 bits:
  // values near the largest keep all their bits, smaller ones lose less than 2^-32
  // of it, and a power of two reads back without rounding. At least the smallest
  // single, which still holds the tiniest values exactly.
  const long double largest =
      std::max(std::fabs(static_cast<long double>(lo)), std::fabs(static_cast<long double>(hi)));
  float step = std::numeric_limits<float>::denorm_min();
  if (largest > 0) {
    int e = 0;
    const long double f = std::frexp(largest / static_cast<long double>(INT32_MAX), &e);
    const float power = std::ldexp(1.0f, f == 0.5L ? e - 1 : e);
    step = std::max(step, power);
  } else {
    step = 1;  // all values 0
  }
  return {step, true};
}

std::string NativeParameterText(const TImageDoc& window, const std::string& dataName,
                                TNativeKind Kind, char sep) {
  const float scale = window.Picture ? IntegerScale(*window.Picture).Scale : 0.0f;
  return NativeParameterText(window, dataName, Kind, sep, scale);
}

std::string NativeParameterText(const TImageDoc& window, const std::string& dataName,
                                TNativeKind Kind, char sep, float intScale) {
  const TVKMPicture* pic = window.Picture.get();
  const TScanPara para = pic ? pic->ScanPara : TScanPara{};
  const int32_t columns = pic ? pic->Columns : 0;
  const int32_t rows = pic ? pic->Rows : 0;

  std::vector<std::string> lines;
  for (const std::string& line : window.InfoText) {
    if (ContainsNoCase(line, "FileDescBegin")) break;
    // The reader finds the channel's block by the first place where the data file
    // name occurs; a line before the block that mentions it would take its place.
    if (!dataName.empty() && ContainsNoCase(line, dataName.c_str())) continue;
    lines.push_back(line);
  }
  std::string kept;
  for (const std::string& line : lines) AppendLine(kept, line);

  // The information text is kept as it is when it already is a block-layout header
  // that describes this picture. Otherwise (another format, the old layout, a
  // cropped or rescaled picture) the version, ranges, units and sizes are written
  // from the picture, so that the file reads back as the image that was saved.
  SilentMessages quiet(sep);
  TLoadFiles probe(std::string(), &quiet);
  probe.ReadHeaderFrom(kept);
  const TScanPara& h = probe.ScanPara;
  const bool headerFits =
      probe.Version == "1.10" && h.xPixel == columns && h.yPixel == rows &&
      SameText(h.XScanRange, para.XScanRange) && SameText(h.YScanRange, para.YScanRange) &&
      h.XPhysUnit == CleanLine(para.XPhysUnit) && h.YPhysUnit == CleanLine(para.YPhysUnit);

  std::string text;
  if (headerFits) {
    text = kept;
  } else {
    std::vector<bool> drop(lines.size(), false);
    if (probe.Version == "1" || probe.Version == "1.01" || probe.Version == "1.10")
      MarkHeaderLines(lines, probe.Version, drop);
    AppendLine(text, "Version    : 1.10");
    AppendLine(text, "XScanRange : " + FormatGeneral(para.XScanRange, sep));
    AppendLine(text, "YScanRange : " + FormatGeneral(para.YScanRange, sep));
    AppendLine(text, "XPhysUnit  : " + para.XPhysUnit);
    AppendLine(text, "YPhysUnit  : " + para.YPhysUnit);
    AppendLine(text, "xPixel     : " + std::to_string(columns));
    AppendLine(text, "yPixel     : " + std::to_string(rows));
    for (size_t i = 0; i < lines.size(); ++i)
      if (!drop[i]) AppendLine(text, lines[i]);
  }

  AppendLine(text, "FileDescBegin");
  AppendLine(text, "FileName : " + dataName);
  text += "Caption  : " + BlockValue(window.ChannelCaption) + "\r\n";
  if (Kind == TNativeKind::Int)
    AppendLine(text, "Scale    : " + FormatGeneral(intScale, sep));
  else
    AppendLine(text, "Scale    : 1");
  text += "PhysUnit : " + BlockValue(para.PhysUnit) + "\r\n";
  AppendLine(text, "FileDescEnd");
  return text;
}

bool WriteNativeFiles(const TImageDoc& window, const std::string& FileName, TNativeKind Kind,
                      Messages& msgs) {
  const TNativeSaveNames names = NativeSaveNames(FileName, Kind);
  std::error_code ec;
  if (std::filesystem::exists(names.ParamFile, ec)) {
    msgs.ShowMessage("File exists! Abort!", TMsgDlgType::mtInformation);
    return false;
  }
  const std::string dataName = FileNamePart(names.DataFile);
  const char sep = msgs.DecimalSeparator();
  const TVKMPicture* pic = window.Picture.get();
  TIntScale scale{pic ? pic->ScanPara.Scale : 0.0f, false};
  if (Kind == TNativeKind::Int && pic) {
    scale = IntegerScale(*pic);
    if (scale.Changed) {
      msgs.ShowMessage(
          "Scale " + FormatGeneral(pic->ScanPara.Scale, sep) +
              " cannot hold these values as integers to within a millionth of their range: "
              "they are saved with Scale " +
              FormatGeneral(scale.Scale, sep) + ".",
          TMsgDlgType::mtInformation);
    }
  }
  const std::string text = NativeParameterText(window, dataName, Kind, sep, scale.Scale);
  {
    std::ofstream out(names.ParamFile, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      msgs.ShowMessage("Cannot write file " + names.ParamFile, TMsgDlgType::mtError);
      return false;
    }
  }

  // The data file follows the matrix, row by row: singles from row 0 up, integers
  // from the last row down (the order in which the reader fills them).
  std::string bytes;
  bool converted = true;
  if (pic && pic->HasMatrix()) {
    const int32_t rows = pic->Rows;
    const int32_t cols = pic->Columns;
    bytes.reserve(static_cast<size_t>(rows) * static_cast<size_t>(cols) * 4);
    for (int32_t k = 0; k < rows && converted; ++k) {
      const int32_t r = Kind == TNativeKind::Int ? rows - 1 - k : k;
      const float* row = pic->RowTable[r];
      for (int32_t c = 0; c < cols; ++c) {
        uint32_t raw;
        if (Kind == TNativeKind::Int) {
          // A value that no integer stands for (not a number, infinite) cannot be
          // stored: rather than writing a wrong number, the file ends before it and
          // the user is told.
          int32_t iv = 0;
          if (!IntQuotient(row[c], scale.Scale, iv)) {
            converted = false;
            break;
          }
          std::memcpy(&raw, &iv, 4);
        } else {
          std::memcpy(&raw, &row[c], 4);
        }
        const char b[4] = {static_cast<char>(raw & 0xFF), static_cast<char>((raw >> 8) & 0xFF),
                           static_cast<char>((raw >> 16) & 0xFF),
                           static_cast<char>((raw >> 24) & 0xFF)};
        bytes.append(b, 4);
      }
    }
  }
  std::ofstream data(names.DataFile, std::ios::binary | std::ios::trunc);
  data.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  data.close();
  if (!converted || !data) {
    msgs.ShowMessage("Error during saving data-file!", TMsgDlgType::mtInformation);
    return false;
  }
  return true;
}

std::string ProposedSaveName(const std::string& ChannelName) {
  return WithoutExtension(ChannelName);
}
