// ASCII export of a picture's values.
#include "formats/AsciiExport.h"

#include <fstream>

#include "image/NumberFormat.h"

std::string AsciiExportText(const TVKMPicture& picture, char sep) {
  std::string text;
  if (!picture.HasMatrix()) return text;
  const int rows = picture.Rows;
  const int cols = picture.Columns;
  text.reserve(static_cast<size_t>(rows) * (static_cast<size_t>(cols) * 12 + 2));
  for (int r = 0; r < rows; ++r) {
    const float* row = picture.RowTable[r];
    // A picture of 0 columns has no last value: its rows are empty lines.
    for (int c = 0; c < cols; ++c) {
      text += FormatGeneral(row[c], sep);
      if (c + 1 < cols) text += '\t';
    }
    text += "\r\n";
  }
  return text;
}

bool WriteAsciiExport(const TVKMPicture& picture, const std::string& fileName, char sep) {
  const std::string text = AsciiExportText(picture, sep);
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return static_cast<bool>(out);
}
