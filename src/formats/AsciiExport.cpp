// ASCII export of a picture's values.
#include "formats/AsciiExport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

#include "image/NumberFormat.h"

namespace {

// Rows first..last-1 of the table.
void AppendRows(const TVKMPicture& picture, int first, int last, char sep, std::string& text) {
  const int cols = picture.Columns;
  text.reserve(static_cast<size_t>(last - first) * (static_cast<size_t>(cols) * 18 + 2));
  for (int r = first; r < last; ++r) {
    const float* row = picture.RowTable[r];
    // A picture of 0 columns has no last value: its rows are empty lines.
    for (int c = 0; c < cols; ++c) {
      AppendGeneral(text, row[c], sep);
      if (c + 1 < cols) text += '\t';
    }
    text += "\r\n";
  }
}

}  // namespace

std::string AsciiExportText(const TVKMPicture& picture, char sep) {
  std::string text;
  if (!picture.HasMatrix()) return text;
  const int rows = picture.Rows;
  // Number texts dominate the time and rows are independent: large pictures are
  // cut into bands formatted side by side and joined in row order.
  const int bands = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1,
                               std::max(1, std::min(8, rows / 32)));
  if (bands == 1) {
    AppendRows(picture, 0, rows, sep, text);
    return text;
  }
  std::vector<std::string> parts(bands);
  std::vector<std::thread> workers;
  for (int b = 0; b < bands; ++b)
    workers.emplace_back(
        [&, b] { AppendRows(picture, rows * b / bands, rows * (b + 1) / bands, sep, parts[b]); });
  for (auto& w : workers) w.join();
  size_t size = 0;
  for (const auto& part : parts) size += part.size();
  text.reserve(size);
  for (const auto& part : parts) text += part;
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
