#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "formats/BitmapWriter.h"

namespace {

uint32_t U32At(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(b[at + k]);
  return v;
}

}  // namespace

TEST(BitmapWriter, HeaderPaletteAndPaddedLinesFromTheBottomUp) {
  // 3 x 2: each line takes 4 bytes, the last one zero.
  TBitmap8 bmp;
  bmp.SetSize(3, 2);
  const uint8_t top[] = {1, 2, 3}, bottom[] = {7, 8, 9};
  std::copy(top, top + 3, bmp.ScanLine(0));
  std::copy(bottom, bottom + 3, bmp.ScanLine(1));
  bmp.Palette[5].peRed = 0x10;
  bmp.Palette[5].peGreen = 0x20;
  bmp.Palette[5].peBlue = 0x30;
  const std::string b = EncodeBitmap8(bmp);
  ASSERT_EQ(b.size(), 1078u + 8u);
  EXPECT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(U32At(b, 2), 1086u);   // file size
  EXPECT_EQ(U32At(b, 10), 1078u);  // where the lines start
  EXPECT_EQ(U32At(b, 14), 40u);
  EXPECT_EQ(U32At(b, 18), 3u);
  EXPECT_EQ(U32At(b, 22), 2u);
  EXPECT_EQ(U32At(b, 28) & 0xFFFFu, 8u);  // bits per pixel
  EXPECT_EQ(U32At(b, 34), 8u);            // bytes of the lines
  EXPECT_EQ(U32At(b, 46), 256u);          // colours
  EXPECT_EQ(b.substr(54 + 5 * 4, 4), std::string("\x30\x20\x10\x00", 4));
  EXPECT_EQ(b.substr(1078), std::string("\x07\x08\x09\x00\x01\x02\x03\x00", 8));
}
