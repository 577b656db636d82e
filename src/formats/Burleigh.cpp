// Burleigh image files: format mark 2.1, columns and rows, 12-bit samples stored from
// the last row to the first, and a 40-byte trailer with the scan settings.
#include <cstring>
#include <string>

#include "formats/FileBytes.h"
#include "formats/LoadFiles.h"
#include "image/NumberFormat.h"

namespace {

constexpr uint8_t kBurleighMark[4] = {0x66, 0x66, 0x06, 0x40};  // the single 2.1
constexpr uint64_t kHeaderSize = 8;
constexpr uint64_t kTrailerSize = 40;
// The Angstrom sign as the single Latin-1 byte, the encoding in which texts read from
// files are kept: a unit made here then equals the same unit read from a file and is
// saved as that byte.
const char* const kAngstrom = "\xC5";
const char* const kReadError = "Read error encountered, process canceled";

struct TZoom {
  const char* text;
  int divisor;
};

TZoom ZoomOf(uint16_t code) {
  switch (code) {
    case 1:
      return {"1", 1};
    case 2:
      return {"2", 2};
    case 3:
      return {"10", 10};
    case 4:
      return {"50", 50};
    case 5:
      return {"250", 250};
    default:
      return {"unknown", 1};
  }
}

}  // namespace

bool TLoadFiles::ReadBurleigh(TImageDoc& window) {
  Messages& msg = Msgs();
  TFileBytes file;
  // Something that is there but is no regular file (a pipe, a folder) cannot be read;
  // a missing file reads as one without the format's mark.
  if (!file.Open(FileNames[1]) && PathExists(FileNames[1])) {
    msg.ShowMessage("Cannot open file " + FileNames[1], TMsgDlgType::mtError);
    return false;
  }
  const std::vector<uint8_t> header = file.Read(0, kHeaderSize);
  if (header.size() < 4 || std::memcmp(header.data(), kBurleighMark, 4) != 0) {
    msg.ShowMessage("File no valid Burleigh-format!", TMsgDlgType::mtError);
    return false;
  }
  // A file that cannot hold the header and the trailer has nothing to show; it is
  // refused before a picture is made, so no empty window remains.
  if (header.size() < kHeaderSize || file.Size() < kHeaderSize + kTrailerSize) {
    msg.ShowDataLoss(kReadError, TMsgDlgType::mtError);
    return false;
  }
  const int32_t X = static_cast<int16_t>(LoadU16LE(&header[4]));
  const int32_t Y = static_cast<int16_t>(LoadU16LE(&header[6]));

  window.CreatePicture(X, Y);
  if (!window.HasImage()) return false;  // the picture has said why

  const std::vector<uint8_t> t = file.Read(file.Size() - kTrailerSize, kTrailerSize);
  if (t.size() < kTrailerSize) {
    msg.ShowDataLoss(kReadError, TMsgDlgType::mtError);
    return false;
  }
  const uint32_t maxRangeX = LoadU32LE(&t[0]);
  const uint32_t maxRangeY = LoadU32LE(&t[4]);
  const uint32_t maxRangeZ = LoadU32LE(&t[8]);
  const uint32_t rangeX = LoadU32LE(&t[12]);
  const uint32_t rangeY = LoadU32LE(&t[16]);
  const uint32_t rangeZ = LoadU32LE(&t[20]);
  const uint16_t delay = LoadU16LE(&t[24]);
  const TZoom zoom = ZoomOf(LoadU16LE(&t[26]));
  const bool height = LoadU16LE(&t[28]) == 1;
  const float bias = LoadF32LE(&t[32]);
  const float current = LoadF32LE(&t[36]);

  const char sep = msg.DecimalSeparator();
  const std::string A = kAngstrom;
  std::vector<std::string>& info = window.InfoText;
  info.push_back("max scan range X : " + std::to_string(maxRangeX) + " Angstoem");
  info.push_back("max scan range Y : " + std::to_string(maxRangeY) + " Angstoem");
  info.push_back("max scan range Z : " + std::to_string(maxRangeZ) + " Angstoem");
  info.push_back("scan range X : " + std::to_string(rangeX) + " " + A);
  info.push_back("scan range Y : " + std::to_string(rangeY) + " " + A);
  info.push_back("scan range Z : " + std::to_string(rangeZ) + " " + A);
  info.push_back(FormatGeneral(delay * 0.05, sep) + " ms delay between samples");
  info.push_back(std::string("zoom level : ") + zoom.text);
  info.push_back(std::string("data type : ") + (height ? "Height" : "Current"));
  info.push_back("bias voltage : " + FormatGeneral(bias, sep) + " mV");
  info.push_back("tnneling current : " + FormatGeneral(current, sep) + " nA");
  info.push_back(std::to_string(X) + " * " + std::to_string(Y) + " pixel");

  TVKMPicture& pic = *window.Picture;
  pic.ScanPara.Scale = static_cast<float>(rangeZ);
  pic.ScanPara.XPhysUnit = A;
  pic.ScanPara.YPhysUnit = A;
  pic.ScanPara.XScanRange = static_cast<float>(static_cast<double>(rangeX) / zoom.divisor);
  pic.ScanPara.YScanRange = static_cast<float>(static_cast<double>(rangeY) / zoom.divisor);
  pic.ScanPara.PhysUnit = height ? A : "pA";
  pic.ScanPara.xPixel = X;
  pic.ScanPara.yPixel = Y;

  // Each sample takes two bytes, three when it has to be brought back into step; the
  // samples may run on into the trailer, as the instrument's own files allow.
  const uint64_t cells = static_cast<uint64_t>(X) * static_cast<uint64_t>(Y);
  const std::vector<uint8_t> s = file.Read(kHeaderSize, cells * 3);
  size_t p = 0;
  bool beeped = false;
  for (int32_t r = Y - 1; r >= 0; --r) {
    float* row = pic.RowTable[r];
    for (int32_t c = 0; c < X; ++c) {
      if (s.size() - p < 2) {
        msg.ShowDataLoss(kReadError, TMsgDlgType::mtError);
        return true;  // the cells read so far keep their values
      }
      uint32_t lo = s[p];
      uint32_t hi = s[p + 1];
      p += 2;
      if (hi > 0x0F) {
        // One byte out of step: the high byte is the low byte of this sample.
        if (p >= s.size()) {
          msg.ShowDataLoss(kReadError, TMsgDlgType::mtError);
          return true;
        }
        lo = hi;
        hi = s[p++];
      }
      uint32_t value = (hi << 8) | lo;
      if (value > 0xFFF) {
        // One beep per file is enough to say that samples were clamped; a beep per
        // sample could go on for minutes.
        if (!beeped) msg.Beep();
        beeped = true;
        value = 0xFFF;
      }
      row[c] = static_cast<float>(value);
    }
  }
  return true;
}
