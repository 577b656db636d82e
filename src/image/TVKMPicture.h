// One image: a matrix of single-precision heights with its scan parameters, value
// range, 256-entry colour table and the 8-bit bitmap it renders into.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/Messages.h"

// The largest picture has 514 rows and 514 columns.
inline constexpr int32_t kMaxPictureSide = 514;

struct TScanPara {
  int32_t yPixel = 0;  // rows in the measurement file
  int32_t xPixel = 0;  // columns in the measurement file
  std::string XPhysUnit;
  std::string YPhysUnit;
  std::string PhysUnit;
  float XScanRange = 0;
  float YScanRange = 0;
  float Scale = 0;  // raw number of the data file -> value
};

struct TPaletteEntry {
  uint8_t peRed = 0;
  uint8_t peGreen = 0;
  uint8_t peBlue = 0;
  uint8_t peFlags = 0;
  bool operator==(const TPaletteEntry&) const = default;
};

// A logical palette: version 0x300, 256 entries.
struct TLogPalette {
  uint16_t palVersion = 0x300;
  uint16_t palNumEntries = 256;
  std::array<TPaletteEntry, 256> palPalEntry{};
};

// An 8-bit bitmap: line 0 is the top line, one byte per pixel, no padding.
struct TBitmap8 {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Pixels;
  std::array<TPaletteEntry, 256> Palette{};

  void SetSize(int32_t width, int32_t height);
  uint8_t* ScanLine(int32_t y) { return Pixels.data() + static_cast<size_t>(y) * Width; }
  const uint8_t* ScanLine(int32_t y) const {
    return Pixels.data() + static_cast<size_t>(y) * Width;
  }
};

class TVKMPicture {
 public:
  // `messages` receives the SetSize failures; nullptr means DefaultMessages().
  explicit TVKMPicture(Messages* messages = nullptr);
  TVKMPicture(const TVKMPicture&) = delete;
  TVKMPicture& operator=(const TVKMPicture&) = delete;
  ~TVKMPicture() = default;

  float Min = 0;
  float Max = 0;
  int32_t Rows = 0;
  int32_t Columns = 0;
  TScanPara ScanPara;
  bool Transformed = false;
  TLogPalette ColourTable;
  std::vector<float*> RowTable;  // RowTable[r] -> first value of row r; empty without matrix
  TBitmap8 Bitmap;
  // 255 / (Max - Min) of the last rendering as single, 1 for a flat picture; infinite
  // for a range below about 7.5e-37, which Render then maps without it.
  float Factor = 1;

  // Gives the picture a zero-filled matrix; the old one is released. On failure
  // ("Picture too small!", "Can´t get memory!", or a side above 514) the picture is
  // left without a matrix and Rows = Columns = 0.
  void SetSize(int32_t Columns, int32_t Rows);
  bool HasMatrix() const { return data_ != nullptr; }

  // The whole matrix as one block, row after row (Rows * Columns values).
  float* Data() { return data_.get(); }
  const float* Data() const { return data_.get(); }
  size_t ValueCount() const { return static_cast<size_t>(Rows) * static_cast<size_t>(Columns); }

  void ComputeMinMax();
  void InitPalette();
  // ComputeMinMax, value-to-index mapping into Bitmap (row 0 at the bottom), palette
  // from the current ColourTable, then a copy into `dest`.
  void Render(TBitmap8& dest);

 private:
  Messages* messages_;
  std::unique_ptr<float[]> data_;
};

// The default colour table: near black through red and orange to pale yellow.
std::array<TPaletteEntry, 256> DefaultColourTable();

// The colour index of a value already scaled onto 0..255: rounded half to even,
// clamped to 0..255 (NaN gives 0).
inline uint8_t IndexOfScaled(long double x) {
  const long double r = std::nearbyint(x);  // default rounding mode: ties to even
  if (r > 255.0L) return 255;
  if (r >= 0.0L) return static_cast<uint8_t>(r);
  return 0;  // below 0, and NaN
}

// Index of value v for the mapping of Min..Max onto 0..255 (round half to even,
// clamped), computed in extended precision from the single operands.
inline uint8_t ValueToIndex(float v, float min, float factor) {
  return IndexOfScaled((static_cast<long double>(v) - static_cast<long double>(min)) *
                       static_cast<long double>(factor));
}

// The same index, computed in double precision where that cannot change it: the
// double result lies within 1e-13 of the extended one, so only a value within 1e-9
// of a half-way point (or outside 0..255) needs the extended computation.
inline uint8_t ValueToIndexFast(float v, float min, double mind, double factord) {
  const double x = (static_cast<double>(v) - mind) * factord;
  if (x >= 0.0 && x < 255.25) {
    constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to even
    const double r = (x + kShift) - kShift;
    const double d = x - r;
    if (d > 0.4999999990 || d < -0.4999999990)
      return ValueToIndex(v, min, static_cast<float>(factord));
    return r > 255.0 ? 255 : static_cast<uint8_t>(r);
  }
  return ValueToIndex(v, min, static_cast<float>(factord));
}
