// Decoding bitmap files into plain RGB pixels. The core carries a small decoder for
// uncompressed Windows bitmaps; the viewer and the CLI install one that uses the
// platform's image library, which reads every depth and compression.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded image: Width x Height pixels, three bytes (red, green, blue) each, the top
// line first.
struct TDecodedImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgb;

  const uint8_t* Pixel(int32_t x, int32_t y) const {
    return Rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(Width) + x) * 3;
  }
};

class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;

  // Decodes the whole file held in `data`. Images wider or higher than `maxSide` are
  // refused before their pixels are allocated. False when the file cannot be decoded.
  virtual bool Decode(const uint8_t* data, size_t size, int32_t maxSide, TDecodedImage& out) = 0;
};

// Uncompressed Windows bitmaps of 1, 4, 8, 24 and 32 bits per pixel, bottom-up or
// top-down, with the 40-byte (or longer) information header.
class BmpDecoder : public ImageDecoder {
 public:
  bool Decode(const uint8_t* data, size_t size, int32_t maxSide, TDecodedImage& out) override;
};

// The decoder in use: the installed one, else a process-wide BmpDecoder.
ImageDecoder& CurrentImageDecoder();
// Installs `decoder` (not owned); nullptr goes back to the built-in one.
void SetImageDecoder(ImageDecoder* decoder);
