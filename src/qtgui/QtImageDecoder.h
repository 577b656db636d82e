// The platform's bitmap decoder: every depth and compression the image library reads.
#pragma once

#include "image/ImageDecoder.h"

class QtImageDecoder : public ImageDecoder {
 public:
  bool Decode(const uint8_t* data, size_t size, int32_t maxSide, TDecodedImage& out) override;
};
