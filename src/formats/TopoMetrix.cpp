// TopoMetrix image files: a 512-byte header with texts, size, axis limits, units and
// the linear conversion, then unsigned 16-bit samples stored column by column.
#include <string>

#include "formats/FileBytes.h"
#include "formats/LoadFiles.h"
#include "image/NumberFormat.h"

namespace {

constexpr uint64_t kHeaderSize = 512;

// A text field of the header: its bytes up to the first zero byte.
std::string HeaderText(const std::vector<uint8_t>& h, size_t offset, size_t size) {
  std::string s;
  for (size_t i = offset; i < offset + size && h[i] != 0; ++i) s += static_cast<char>(h[i]);
  return s;
}

}  // namespace

bool TLoadFiles::ReadTopoMetrix(TImageDoc& window) {
  Messages& msg = Msgs();
  TFileBytes file;
  if (!file.Open(FileNames[1])) {
    msg.ShowMessage("Cannot open file " + FileNames[1], TMsgDlgType::mtError);
    return false;
  }
  const std::vector<uint8_t> h = file.Read(0, kHeaderSize);
  // Without its whole header the file has no size to show; say so rather than leave
  // the user with nothing.
  if (h.size() < kHeaderSize) {
    msg.ShowMessage(
        "Not a TopoMetrix file: " + FileNames[1] + " is shorter than its 512-byte header",
        TMsgDlgType::mtError);
    return false;
  }
  const int32_t dataOffset = LoadI32LE(&h[260]);
  const int32_t Y = LoadI32LE(&h[406]);
  const int32_t X = LoadI32LE(&h[410]);
  const float xMin = LoadF32LE(&h[418]);
  const float xMax = LoadF32LE(&h[422]);
  const float yMin = LoadF32LE(&h[426]);
  const float yMax = LoadF32LE(&h[430]);
  const float factor = LoadF32LE(&h[434]);
  const float offset = LoadF32LE(&h[438]);
  const std::string zUnit = HeaderText(h, 450, 10);
  const std::string axisUnit = HeaderText(h, 460, 10);

  window.CreatePicture(X, Y);
  if (!window.HasImage()) return false;  // the picture has said why

  const char sep = msg.DecimalSeparator();
  std::vector<std::string>& info = window.InfoText;
  info.push_back(HeaderText(h, 0, 128));
  info.push_back(HeaderText(h, 128, 128));
  info.push_back("description : " + HeaderText(h, 300, 40));
  info.push_back("X min  : " + FormatGeneral(xMin, sep) + axisUnit);
  info.push_back("X max  : " + FormatGeneral(xMax, sep) + axisUnit);
  info.push_back("Y min  : " + FormatGeneral(yMin, sep) + axisUnit);
  info.push_back("Y max  : " + FormatGeneral(yMax, sep) + axisUnit);
  info.push_back("Z unit : " + zUnit);

  // A negative offset lies before the file: no samples there.
  const uint64_t cells = static_cast<uint64_t>(X) * static_cast<uint64_t>(Y);
  const std::vector<uint8_t> s = dataOffset < 0
                                     ? std::vector<uint8_t>{}
                                     : file.Read(static_cast<uint64_t>(dataOffset), cells * 2);
  const uint64_t available = s.size() / 2;
  TVKMPicture& pic = *window.Picture;
  uint64_t i = 0;
  for (int32_t c = 0; c < X && i < available; ++c) {
    for (int32_t r = 0; r < Y && i < available; ++r, ++i) {
      // Computed in extended precision, then stored as single.
      const long double v = static_cast<long double>(LoadU16LE(&s[i * 2])) * factor + offset;
      pic.RowTable[r][c] = static_cast<float>(v);
    }
  }
  // A file that ends early keeps the points it has; the user is told the rest are 0.
  if (available < cells) {
    msg.ShowDataLoss(EndsTooEarlyText(FileNames[1], available, cells), TMsgDlgType::mtWarning);
  }
  return true;
}
