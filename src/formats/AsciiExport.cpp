// ASCII export of a picture's values.
#include "formats/AsciiExport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

#include "image/NumberFormat.h"

void AppendGeneral(std::string& out, float value, char sep) {
  const double v = value;
  if (v == 0 || !std::isfinite(v)) {
    out += FormatGeneral(v, sep);
    return;
  }
  // The same 18 significant digits the general routine starts from (correctly
  // rounded, as printf's %.17e gives them), then its rounding half away from zero to
  // 15 digits and its two layouts.
  char buf[40];
  const double a = std::fabs(v);
  const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 17);
  char digits[18];
  digits[0] = buf[0];
  std::copy(buf + 2, buf + 19, digits + 1);
  int exponent = 0;
  std::from_chars(buf + 20 + (buf[20] == '+' ? 1 : 0), res.ptr, exponent);
  exponent += 1;  // value = 0.d1d2... x 10^exponent
  int n = 15;
  if (digits[15] >= '5') {
    int i = 14;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i < 0) {
      digits[0] = '1';
      n = 1;
      ++exponent;
    } else {
      ++digits[i];
    }
  }
  while (n > 0 && digits[n - 1] == '0') --n;
  if (v < 0) out += '-';
  // Fixed notation for 0.0001 <= |v| < 1E15, judged on the rounded value.
  if (exponent < -3 || exponent > 15) {
    out += digits[0];
    if (n > 1) {
      out += sep;
      out.append(digits + 1, n - 1);
    }
    out += 'E';
    char e[8];
    const auto er = std::to_chars(e, e + sizeof e, exponent - 1);
    out.append(e, er.ptr);
    return;
  }
  if (exponent <= 0) {
    out += '0';
    out += sep;
    out.append(-exponent, '0');
    out.append(digits, n);
    return;
  }
  for (int i = 0; i < exponent; ++i) out += i < n ? digits[i] : '0';
  if (n > exponent) {
    out += sep;
    out.append(digits + exponent, n - exponent);
  }
}

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
