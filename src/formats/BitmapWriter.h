// The 8-bit Windows bitmap file of a rendered picture: what File > Save and the command
// line's bitmap outputs write.
#pragma once

#include <string>

#include "image/TVKMPicture.h"

// The whole file: file header, information header (96 dots per inch, 256 colours), the
// palette as blue, green, red, 0, then the lines from the bottom up, each padded with
// zeros to whole 32-bit words, so that equal bitmaps always give equal files.
std::string EncodeBitmap8(const TBitmap8& bitmap);
