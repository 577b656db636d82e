// Small text helpers of the native parameter file shared by its reader and writer.
#pragma once

#include <cstdint>
#include <string>

// A decimal integer with optional leading blanks and sign and nothing after the
// last digit; false when the text is not such a number or leaves the 32-bit range.
bool ParseCount(const std::string& text, int32_t& value);

// Keys of the parameter text match without regard to ASCII case.
inline char UpperAscii(char ch) {
  return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch;
}
