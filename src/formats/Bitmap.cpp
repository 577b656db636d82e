// Windows bitmaps as height images: 8-bit bitmaps give their palette indices, every
// other depth the sum of red, green and blue as decoded by the installed decoder.
#include <cctype>
#include <string>

#include "formats/FileBytes.h"
#include "formats/LoadFiles.h"
#include "image/ImageDecoder.h"

namespace {

constexpr uint64_t kHeadersSize = 14 + 40;
// Nothing larger than this can become a picture (514 lines of 514 pixels at 32 bits
// plus headers and a full colour table), so no more of a file is ever loaded for the
// decoder.
constexpr uint64_t kMaxDecodedFileSize = 4ull * 1024 * 1024;

}  // namespace

bool TLoadFiles::ReadBitmap(TImageDoc& window) {
  Messages& msg = Msgs();
  const std::string& name = FileNames[1];
  TFileBytes file;
  // Something that is there but is no regular file (a pipe, a folder) cannot be read;
  // a missing file reads as one without the format's mark.
  if (!file.Open(name) && PathExists(name)) {
    msg.ShowMessage("Cannot open file " + name, TMsgDlgType::mtError);
    return false;
  }
  const std::vector<uint8_t> h = file.Read(0, kHeadersSize);
  if (h.size() < 2 || std::toupper(h[0]) != 'B' || std::toupper(h[1]) != 'M') {
    msg.ShowMessage("Not a Bitmap image! Convert canceled", TMsgDlgType::mtError);
    return false;
  }
  if (h.size() < kHeadersSize) {
    msg.ShowMessage("The bitmap " + name + " is damaged: its headers are incomplete.",
                    TMsgDlgType::mtError);
    return false;
  }
  const uint32_t pixelOffset = LoadU32LE(&h[10]);
  const int32_t W = LoadI32LE(&h[18]);
  const int32_t H = LoadI32LE(&h[22]);
  const uint16_t planes = LoadU16LE(&h[26]);
  const uint16_t bits = LoadU16LE(&h[28]);

  // A top-down bitmap (negative height) and one beyond 514 points are refused by the
  // picture itself, with its own message.
  window.CreatePicture(W, H);
  if (!window.HasImage()) return false;
  TVKMPicture& pic = *window.Picture;

  if (planes == 1 && bits == 8) {
    const uint64_t stride = (static_cast<uint64_t>(W) + 3) / 4 * 4;
    const std::vector<uint8_t> px = file.Read(pixelOffset, stride * static_cast<uint64_t>(H));
    uint64_t read = 0;
    for (int32_t r = 0; r < H; ++r) {
      const uint64_t start = stride * static_cast<uint64_t>(r);
      for (int32_t c = 0; c < W && start + c < px.size(); ++c, ++read) {
        pic.RowTable[r][c] = px[start + c];
      }
    }
    const uint64_t cells = static_cast<uint64_t>(W) * static_cast<uint64_t>(H);
    if (read < cells) {
      msg.ShowDataLoss(EndsTooEarlyText(name, read, cells), TMsgDlgType::mtWarning);
    }
  } else {
    // A decoder that cannot read the file would leave an all-zero image that looks like
    // a measurement; the user is told instead and no window remains.
    const std::vector<uint8_t> all = file.Read(0, kMaxDecodedFileSize);
    TDecodedImage img;
    if (!CurrentImageDecoder().Decode(all.data(), all.size(), kMaxPictureSide, img) ||
        img.Width != W || img.Height != H) {
      msg.ShowMessage("Cannot decode the bitmap " + name, TMsgDlgType::mtError);
      return false;
    }
    // A decoder may fill the pixels of a file that ends too early with zeros or with
    // whatever it likes. For uncompressed lines (plain or with bit fields) the bytes of
    // each pixel are known: a pixel whose bytes are not all in the file was not read and
    // is 0, and the user is told, as for 8-bit files.
    const uint32_t compression = LoadU32LE(&h[30]);
    const bool fixedLines = planes == 1 && (compression == 0 || compression == 3);
    const uint64_t stride = (static_cast<uint64_t>(W) * bits + 31) / 32 * 4;
    uint64_t read = 0;
    for (int32_t r = 0; r < H; ++r) {
      const uint64_t line = pixelOffset + stride * static_cast<uint64_t>(r);
      for (int32_t c = 0; c < W; ++c) {
        const uint64_t end = line + (static_cast<uint64_t>(c + 1) * bits + 7) / 8;
        if (fixedLines && end > file.Size()) {
          pic.RowTable[r][c] = 0;
          continue;
        }
        const uint8_t* p = img.Pixel(c, H - 1 - r);
        pic.RowTable[r][c] = static_cast<float>(p[0] + p[1] + p[2]);
        ++read;
      }
    }
    const uint64_t cells = static_cast<uint64_t>(W) * static_cast<uint64_t>(H);
    if (read < cells) {
      msg.ShowDataLoss(EndsTooEarlyText(name, read, cells), TMsgDlgType::mtWarning);
    }
  }

  pic.ScanPara.XScanRange = static_cast<float>(W);
  pic.ScanPara.YScanRange = static_cast<float>(H);
  pic.ScanPara.Scale = 1;
  pic.ScanPara.XPhysUnit = "Pixel";
  pic.ScanPara.YPhysUnit = "Pixel";
  pic.ScanPara.PhysUnit = "Pixel";
  return true;
}
