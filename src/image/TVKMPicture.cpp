// TVKMPicture: matrix allocation, value range, default colours and rendering.
#include "image/TVKMPicture.h"

#include <cmath>
#include <new>

void TBitmap8::SetSize(int32_t width, int32_t height) {
  Width = width < 0 ? 0 : width;
  Height = height < 0 ? 0 : height;
  Pixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), 0);
}

TVKMPicture::TVKMPicture(Messages* messages) : messages_(messages) {
  InitPalette();
  Bitmap.Palette = ColourTable.palPalEntry;
}

void TVKMPicture::SetSize(int32_t columns, int32_t rows) {
  Messages& msg = messages_ ? *messages_ : DefaultMessages();
  // Any earlier matrix is released first; a refused size leaves the picture
  // without a matrix and with 0 rows and columns, so nothing reads stale memory.
  data_.reset();
  RowTable.clear();
  Rows = 0;
  Columns = 0;
  Bitmap.SetSize(0, 0);

  if (columns < 0 || rows < 0) {
    msg.ShowMessage("Picture too small!");
    return;
  }
  if (rows == 0) {
    // The row table of a picture without rows cannot be had.
    msg.ShowMessage("Can\u00b4t get memory!");
    return;
  }
  if (columns > kMaxPictureSide || rows > kMaxPictureSide) {
    msg.ShowMessage("Picture too large! At most 514 x 514 points are possible.");
    return;
  }
  // One block of Columns*Rows values plus one spare value, so that the first value
  // is readable (and 0) even with 0 columns.
  const size_t count = static_cast<size_t>(columns) * static_cast<size_t>(rows) + 1;
  std::unique_ptr<float[]> block(new (std::nothrow) float[count]());
  if (!block) {
    msg.ShowMessage("Can\u00b4t get memory!");
    return;
  }
  data_ = std::move(block);
  RowTable.resize(static_cast<size_t>(rows));
  for (int32_t r = 0; r < rows; ++r) RowTable[r] = data_.get() + static_cast<size_t>(r) * columns;
  Bitmap.SetSize(columns, rows);
  Rows = rows;
  Columns = columns;
  Transformed = false;
}

void TVKMPicture::ComputeMinMax() {
  if (!data_) return;
  const float* p = data_.get();
  float m = p[0];
  float M = p[0];
  const size_t n = ValueCount();
  for (size_t i = 0; i < n; ++i) {
    const float v = p[i];
    if (v < m)
      m = v;
    else if (v > M)
      M = v;
  }
  Max = M;
  Min = m;
}

std::array<TPaletteEntry, 256> DefaultColourTable() {
  std::array<TPaletteEntry, 256> t{};
  for (int i = 0; i < 256; ++i) {
    const double x = i;
    const double blue = std::trunc(0.0004457 * x * x + 6.0) * 4.0;
    const double green = std::trunc((-0.0000071 * x * x * x + 0.0026 * x * x + 0.042 * x) * 4.0);
    double r;
    if (i < 56)
      r = 0.65954 * x + 3.0;
    else if (i < 165)
      r = 0.5027 * x + 16.6 - 0.001526 * x * x;
    else
      r = 0.0039216 * x + 58.0;
    const double red = std::trunc(r * 4.0);
    t[i].peRed = static_cast<uint8_t>(static_cast<int>(red) & 0xFF);
    t[i].peGreen = static_cast<uint8_t>(static_cast<int>(green) & 0xFF);
    t[i].peBlue = static_cast<uint8_t>(static_cast<int>(blue) & 0xFF);
    t[i].peFlags = 1;
  }
  return t;
}

void TVKMPicture::InitPalette() {
  ColourTable.palVersion = 0x300;
  ColourTable.palNumEntries = 256;
  ColourTable.palPalEntry = DefaultColourTable();
}

void TVKMPicture::Render(TBitmap8& dest) {
  if (!data_) return;
  ComputeMinMax();
  // Computed in extended precision, stored as single.
  const long double range = static_cast<long double>(Max) - static_cast<long double>(Min);
  Factor = (Max == Min) ? 1.0f : static_cast<float>(255.0L / range);
  const int32_t R = Rows;
  const int32_t C = Columns;
  if (Bitmap.Width != C || Bitmap.Height != R) Bitmap.SetSize(C, R);
  if (std::isfinite(Factor)) {
    const double mind = Min;
    const double factord = Factor;
    for (int32_t r = 0; r < R; ++r) {
      const float* src = RowTable[r];
      uint8_t* line = Bitmap.ScanLine(R - 1 - r);  // matrix row 0 is the bottom line
      for (int32_t c = 0; c < C; ++c) line[c] = ValueToIndexFast(src[c], Min, mind, factord);
    }
  } else {
    // A range below about 7.5e-37 has no factor in single precision. Such values are
    // all within 2^-96 of 0, so their differences, times 255, are exact in extended
    // precision, and the quotient by the range is rounded once: the mapping is that
    // of any other range (exact halves round to even).
    for (int32_t r = 0; r < R; ++r) {
      const float* src = RowTable[r];
      uint8_t* line = Bitmap.ScanLine(R - 1 - r);
      for (int32_t c = 0; c < C; ++c) {
        const long double x =
            (static_cast<long double>(src[c]) - static_cast<long double>(Min)) * 255.0L / range;
        line[c] = IndexOfScaled(x);
      }
    }
  }
  Bitmap.Palette = ColourTable.palPalEntry;
  dest = Bitmap;
}
