// Decimal conversion. The general number format rounds the exact binary value once to
// 15 significant digits; the short label forms round the first 18 digits half away
// from zero at the place they ask for.
#include "image/NumberFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Decimal digits of |v|: v = 0.d1d2d3... x 10^exponent.
struct Decimal {
  bool negative = false;
  std::string digits;  // no leading zeros; empty for zero
  int exponent = 0;
};

Decimal ToDecimal(double v) {
  Decimal d;
  if (v == 0 || !std::isfinite(v)) return d;
  d.negative = v < 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));  // 18 significant digits
  std::string s(buf);
  const size_t e = s.find('e');
  d.digits = s.substr(0, 1) + s.substr(2, e - 2);
  d.exponent = std::atoi(s.c_str() + e + 1) + 1;
  return d;
}

// Keeps `count` significant digits (count may be <= 0), rounding half away from zero.
void RoundDigits(Decimal& d, int count) {
  if (d.digits.empty()) return;
  if (count >= static_cast<int>(d.digits.size())) return;
  if (count < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[count] >= '5';
  d.digits.resize(count);
  if (up) {
    int i = count - 1;
    while (i >= 0 && d.digits[i] == '9') {
      d.digits[i] = '0';
      --i;
    }
    if (i < 0) {
      // All nines carried over: 0.999.. -> 1.0, one place further left.
      d.digits.assign(1, '1');
      ++d.exponent;
    } else {
      ++d.digits[i];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// General scientific form: "1.235E4", "1E-5".
std::string Scientific(const Decimal& d, char sep) {
  if (d.digits.empty()) return "0";
  std::string out = d.negative ? "-" : "";
  out += d.digits[0];
  if (d.digits.size() > 1) {
    out += sep;
    out += d.digits.substr(1);
  }
  out += 'E';
  out += std::to_string(d.exponent - 1);
  return out;
}

std::string NonFinite(double v) {
  if (std::isnan(v)) return "NAN";
  return v < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatFixed(double value, int precision, int digits, char sep) {
  if (!std::isfinite(value)) return NonFinite(value);
  if (digits < 0) digits = 0;
  if (digits > 18) digits = 18;
  Decimal d = ToDecimal(value);
  int count = precision;
  if (d.exponent + digits < count) count = d.exponent + digits;
  RoundDigits(d, count);
  if (d.digits.empty()) {
    // Rounded away entirely: zero with the requested decimals.
    std::string out = "0";
    if (digits > 0) out += sep + std::string(digits, '0');
    return out;
  }
  if (d.exponent > precision) {
    Decimal g = ToDecimal(value);
    RoundDigits(g, precision);
    return Scientific(g, sep);
  }
  std::string out = d.negative ? "-" : "";
  if (d.exponent <= 0) {
    out += '0';
  } else {
    for (int i = 0; i < d.exponent; ++i)
      out += i < static_cast<int>(d.digits.size()) ? d.digits[i] : '0';
  }
  if (digits > 0) {
    out += sep;
    for (int i = 0; i < digits; ++i) {
      const int k = d.exponent + i;  // index into digits
      out += (k >= 0 && k < static_cast<int>(d.digits.size())) ? d.digits[k] : '0';
    }
  }
  return out;
}

std::string FormatValue(int Digits, double Value, char sep) {
  if (Value == 0) return "0";
  if (!std::isfinite(Value)) return NonFinite(Value);
  const int e = static_cast<int>(std::trunc(std::log10(std::fabs(Value))));
  if (e > 4 || e < -4) {
    // Exponent form: 3 significant digits, sign of the exponent always written.
    Decimal d = ToDecimal(Value);
    RoundDigits(d, 3);
    std::string m = d.digits;
    m.resize(3, '0');
    const int exp = d.exponent - 1;
    std::string out = d.negative ? "-" : "";
    out += m[0];
    out += sep;
    out += m.substr(1);
    out += exp < 0 ? "E-" : "E+";
    out += std::to_string(exp < 0 ? -exp : exp);
    return out;
  }
  return FormatFixed(Value, 4, Digits - e, sep);
}

namespace {

// The exact decimal digits of |v| when there are at most 16 of them: P (no trailing
// zeros) and the power of ten, |v| = P x 10^power. False for longer expansions.
bool ShortDecimal(double v, uint64_t& P, int& power) {
  int e = 0;
  uint64_t m = static_cast<uint64_t>(std::ldexp(std::frexp(std::fabs(v), &e), 53));
  e -= 53;                                // |v| = m x 2^e
  const int zeros = std::countr_zero(m);  // a single has at least 29 of them
  m >>= zeros;
  e += zeros;
  constexpr uint64_t kLimit = 10000000000000000ull;  // 10^16
  if (e >= 0) {
    // An integer: too large for 64 bits means more than 16 digits before zeros end it
    // (a double of 16 digits times a power of ten needs that power's five below 2^53).
    if (e >= 64 || m > (~0ull >> e)) return false;
    P = m << e;
    power = 0;
    while (P % 10 == 0) {
      P /= 10;
      ++power;
    }
    return P < kLimit;
  }
  // m x 2^-k = m x 5^k x 10^-k; m and 5^k are odd, so no zeros end the digits. 5^23
  // already has 17 digits.
  static constexpr std::array<uint64_t, 23> kFives = [] {
    std::array<uint64_t, 23> t{};
    t[0] = 1;
    for (size_t i = 1; i < t.size(); ++i) t[i] = t[i - 1] * 5;
    return t;
  }();
  const int k = -e;
  if (k >= 23 || m > (kLimit - 1) / kFives[k]) return false;
  P = m * kFives[k];
  power = -k;
  return true;
}

// The first 15 significant digits of |v| (v finite, not 0), rounded once from its
// exact binary value, an exact tie away from zero; returns the decimal exponent with
// |v| ~ 0.d1d2...d15 x 10^exponent.
int FifteenDigits(double v, char digits[15]) {
  uint64_t P = 0;
  int power = 0;
  if (ShortDecimal(v, P, power)) {
    // Few digits, possibly a tie at the 16th: rounded here, half away from zero.
    char buf[20];
    const auto res = std::to_chars(buf, buf + sizeof buf, P);
    int n = static_cast<int>(res.ptr - buf);
    int exponent = n + power;
    if (n == 16) {
      const bool up = buf[15] >= '5';
      n = 15;
      if (up) {
        int i = 14;
        while (i >= 0 && buf[i] == '9') buf[i--] = '0';
        if (i < 0) {
          buf[0] = '1';  // all nines carried over
          ++exponent;
        } else {
          ++buf[i];
        }
      }
    }
    for (int i = 0; i < 15; ++i) digits[i] = i < n ? buf[i] : '0';
    return exponent;
  }
  // More than 16 exact digits: no tie is possible, and the library's correctly
  // rounded conversion gives the 15 digits.
  char buf[40];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
  digits[0] = buf[0];
  std::copy(buf + 2, buf + 16, digits + 1);
  int exponent = 0;
  std::from_chars(buf + 17 + (buf[17] == '+' ? 1 : 0), res.ptr, exponent);
  return exponent + 1;
}

}  // namespace

void AppendGeneral(std::string& out, double value, char sep) {
  if (value == 0) {
    out += '0';
    return;
  }
  if (!std::isfinite(value)) {
    out += NonFinite(value);
    return;
  }
  // Straight into a buffer, without temporary strings: the ASCII export formats
  // every value of a picture this way.
  char digits[15];
  const int exponent = FifteenDigits(value, digits);
  int n = 15;
  while (n > 0 && digits[n - 1] == '0') --n;
  if (value < 0) out += '-';
  // The range of the fixed notation, 0.0001 <= |v| < 1E15, is that of the rounded
  // value: `exponent` counts the digits before the separator.
  if (exponent < -3 || exponent > 15) {
    out += digits[0];
    if (n > 1) {
      out += sep;
      out.append(digits + 1, static_cast<size_t>(n - 1));
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
    out.append(static_cast<size_t>(-exponent), '0');
    out.append(digits, static_cast<size_t>(n));
    return;
  }
  for (int i = 0; i < exponent; ++i) out += i < n ? digits[i] : '0';
  if (n > exponent) {
    out += sep;
    out.append(digits + exponent, static_cast<size_t>(n - exponent));
  }
}

std::string FormatGeneral(double value, char sep) {
  std::string out;
  AppendGeneral(out, value, sep);
  return out;
}

bool ParseNumber(const std::string& text, double& value, char sep) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  if (b == e) return false;
  std::string t = text.substr(b, e - b);
  for (char& ch : t)
    if (ch == sep || ch == ',') ch = '.';
  // Only plain decimal numbers: no hex, no "inf"/"nan".
  for (char ch : t)
    if (!((ch >= '0' && ch <= '9') || ch == '.' || ch == '-' || ch == '+' || ch == 'e' ||
          ch == 'E'))
      return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size()) return false;
  // Too large is not a number we can hold; too small is as good as 0.
  if (errno == ERANGE && std::fabs(v) > 1) return false;
  value = v;
  return true;
}
