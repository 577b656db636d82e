// The built-in decoder for uncompressed Windows bitmaps.
#include "image/ImageDecoder.h"

#include <cstring>

namespace {

uint32_t U16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

BmpDecoder g_builtin;
ImageDecoder* g_current = nullptr;

}  // namespace

bool BmpDecoder::Decode(const uint8_t* data, size_t size, int32_t maxSide, TDecodedImage& out) {
  out = TDecodedImage{};
  if (size < 54 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t pixelOffset = U32(data + 10);
  const uint32_t infoSize = U32(data + 14);
  if (infoSize < 40 || infoSize > size - 14) return false;
  const int32_t width = static_cast<int32_t>(U32(data + 18));
  const int32_t rawHeight = static_cast<int32_t>(U32(data + 22));
  const uint32_t planes = U16(data + 26);
  const uint32_t bits = U16(data + 28);
  const uint32_t compression = U32(data + 30);
  uint32_t colours = U32(data + 46);
  if (planes != 1 || compression != 0) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (rawHeight == INT32_MIN) return false;
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;
  if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) return false;

  // The colour table follows the information header; it is needed up to 8 bits.
  const uint8_t* palette = data + 14 + infoSize;
  if (bits <= 8) {
    if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
    if (static_cast<uint64_t>(14) + infoSize + colours * 4ull > size) return false;
  }
  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  if (pixelOffset > size || stride * static_cast<uint64_t>(height) > size - pixelOffset) {
    return false;
  }

  out.Width = width;
  out.Height = height;
  out.Rgb.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
  for (int32_t line = 0; line < height; ++line) {
    const uint8_t* src = data + pixelOffset + stride * static_cast<uint64_t>(line);
    const int32_t y = topDown ? line : height - 1 - line;
    uint8_t* dst = out.Rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    for (int32_t x = 0; x < width; ++x, dst += 3) {
      if (bits >= 24) {
        const uint8_t* px = src + static_cast<size_t>(x) * (bits / 8);
        dst[0] = px[2];
        dst[1] = px[1];
        dst[2] = px[0];
        continue;
      }
      const uint32_t bitPos = static_cast<uint32_t>(x) * bits;
      const uint32_t byte = src[bitPos / 8];
      const uint32_t shift = 8 - bits - bitPos % 8;
      uint32_t index = (byte >> shift) & ((1u << bits) - 1);
      if (index >= colours) index = 0;  // an index past the table counts as the first colour
      const uint8_t* entry = palette + index * 4;
      dst[0] = entry[2];
      dst[1] = entry[1];
      dst[2] = entry[0];
    }
  }
  return true;
}

ImageDecoder& CurrentImageDecoder() {
  return g_current ? *g_current : g_builtin;
}

void SetImageDecoder(ImageDecoder* decoder) {
  g_current = decoder;
}
