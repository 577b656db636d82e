// Edit texts as integers.
#include "analysis/EditInteger.h"

#include <cstdlib>

bool ParseEditInteger(const std::string& text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  size_t j = text.size();
  while (j > i && text[j - 1] == ' ') --j;
  size_t k = i;
  if (k < j && (text[k] == '+' || text[k] == '-')) ++k;
  if (k == j || j - k > 10) return false;  // no digits, or more than any 32-bit integer has
  for (size_t m = k; m < j; ++m)
    if (text[m] < '0' || text[m] > '9') return false;
  const long long v = std::strtoll(text.substr(i, j - i).c_str(), nullptr, 10);
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}
