// Encoding a rendered picture as an 8-bit Windows bitmap.
#include "formats/BitmapWriter.h"

#include <cstdint>

std::string EncodeBitmap8(const TBitmap8& bitmap) {
  const uint32_t width = bitmap.Width > 0 ? static_cast<uint32_t>(bitmap.Width) : 0u;
  const uint32_t height = bitmap.Height > 0 ? static_cast<uint32_t>(bitmap.Height) : 0u;
  const uint32_t stride = (width + 3u) & ~3u;
  const uint32_t pixels = stride * height;
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::string b;
  b.reserve(offset + pixels);
  const auto u16 = [&b](uint32_t v) {
    b += static_cast<char>(v & 0xFFu);
    b += static_cast<char>((v >> 8) & 0xFFu);
  };
  const auto u32 = [&u16](uint32_t v) {
    u16(v & 0xFFFFu);
    u16(v >> 16);
  };
  b += "BM";
  u32(offset + pixels);
  u32(0);
  u32(offset);
  u32(40);
  u32(width);
  u32(height);
  u16(1);
  u16(8);
  u32(0);
  u32(pixels);
  u32(3780);
  u32(3780);
  u32(256);
  u32(256);
  for (const auto& e : bitmap.Palette) {
    b += static_cast<char>(e.peBlue);
    b += static_cast<char>(e.peGreen);
    b += static_cast<char>(e.peRed);
    b += '\0';
  }
  for (uint32_t y = height; y-- > 0;) {
    b.append(reinterpret_cast<const char*>(bitmap.ScanLine(static_cast<int>(y))), width);
    b.append(stride - width, '\0');
  }
  return b;
}
