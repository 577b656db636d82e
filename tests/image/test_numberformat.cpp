#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "image/NumberFormat.h"

namespace {
std::string Comma(std::string s) {
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}
}  // namespace

struct FormatCase {
  double value;
  const char* text;
};

TEST(FormatValue, ExamplesWithPointAndComma) {
  const FormatCase cases[] = {
      {0, "0"},
      {250000, "2.50E+5"},
      {0.000002, "2.00E-6"},
      {0.0002, "0.000200"},
      {1.2341, "1.234"},
      {12.3456, "12.35"},
      {0.01234, "0.0123"},
      {1234.4, "1234"},
      {12345.6, "1.235E4"},
      {10000, "1E4"},
      {9999.7, "1E4"},
      {123456, "1.23E+5"},
      {0.000000456, "4.56E-7"},
      {-2.5, "-2.500"},
      {5, "5.000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatValue(3, c.value, '.'), c.text) << c.value;
    EXPECT_EQ(FormatValue(3, c.value, ','), Comma(c.text)) << c.value;
  }
}

TEST(FormatValue, NoSeparatorWhenNoDecimals) {
  EXPECT_EQ(FormatValue(3, 1234.4), "1234");
  EXPECT_EQ(FormatValue(2, 123.4), "123");
  EXPECT_EQ(FormatValue(0, 5.5), "6");
}

TEST(FormatGeneral, ExamplesWithPointAndComma) {
  const FormatCase cases[] = {
      {0, "0"},
      {25, "25"},
      {0.4, "0.4"},
      {0.0001, "0.0001"},
      {0.00001, "1E-5"},
      {1.5e20, "1.5E20"},
      {-3.25, "-3.25"},
      {1e15, "1E15"},
      {123456789012345.0, "123456789012345"},
      {0.1f, "0.100000001490116"},
      {2.0 / 3.0, "0.666666666666667"},
      {-1.5e-7, "-1.5E-7"},
      // The fixed range is judged after rounding to 15 digits.
      {0.00009999999999999995, "0.0001"},
      {-0.00009999999999999995, "-0.0001"},
      {0.0000999999999999, "9.99999999999E-5"},
      // Doubles beyond the single range, and a carry through all fifteen digits.
      {999999999999999.9, "1E15"},
      {-0.99999999999999999, "-1"},
      {1e-300, "1E-300"},
      {5e-324, "4.94065645841247E-324"},
      {1.7976931348623157e308, "1.79769313486232E308"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatGeneral(c.value, '.'), c.text) << c.value;
    EXPECT_EQ(FormatGeneral(c.value, ','), Comma(c.text)) << c.value;
  }
}

TEST(AppendGeneral, AppendsTheGeneralFormatAfterWhatIsThere) {
  std::string out = "x\t";
  AppendGeneral(out, 2.5, ',');
  AppendGeneral(out, -0.00001, '.');
  AppendGeneral(out, 0, '.');
  EXPECT_EQ(out, "x\t2,5-1E-50");
}

TEST(FormatFixed, FourSignificantThreeDecimals) {
  EXPECT_EQ(FormatFixed(12.3456, 4, 3), "12.350");
  EXPECT_EQ(FormatFixed(-3.25, 4, 3), "-3.250");
  EXPECT_EQ(FormatFixed(0, 4, 3), "0.000");
  EXPECT_EQ(FormatFixed(12345.6, 4, 3), "1.235E4");
  EXPECT_EQ(FormatFixed(0.5, 4, 3, ','), "0,500");
}

TEST(ParseNumber, AcceptsPointOrCommaRejectsJunk) {
  double v = 0;
  EXPECT_TRUE(ParseNumber(" 2.5 ", v));
  EXPECT_EQ(v, 2.5);
  EXPECT_TRUE(ParseNumber("2,5", v, ','));
  EXPECT_EQ(v, 2.5);
  EXPECT_TRUE(ParseNumber("-1E3", v));
  EXPECT_EQ(v, -1000);
  EXPECT_FALSE(ParseNumber("abc", v));
  EXPECT_FALSE(ParseNumber("", v));
  EXPECT_FALSE(ParseNumber("1.5x", v));
  EXPECT_FALSE(ParseNumber("inf", v));
  EXPECT_FALSE(ParseNumber("1e400", v));
  EXPECT_TRUE(ParseNumber("1e-400", v));
  EXPECT_EQ(v, 0.0);
}

// The general number format the plain way: every significant digit of the value's
// exact binary value (printf writes them exactly), rounded once to 15, a 16th digit
// of 5 or more rounding away from zero (exact ties included), then the two layouts.
std::string PlainGeneral(double v, char sep) {
  if (v == 0) return "0";
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  // A double m x 2^e has about 0.7 x (53 - e) significant digits below 1 and about
  // 0.3 x e above; a few more are asked for and are zeros.
  int e = 0;
  std::frexp(v, &e);
  const int precision = 20 + std::max(7 * (53 - e) / 10, 31 * e / 100);
  static char buf[1200];
  std::snprintf(buf, sizeof buf, "%.*e", precision, std::fabs(v));
  std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 14);
  int exponent = std::atoi(std::strchr(buf, 'e') + 1) + 1;  // v = 0.d1d2.. x 10^exponent
  const bool up = buf[16] >= '5';
  if (up) {
    int i = 14;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i < 0) {
      digits.assign(1, '1');
      ++exponent;
    } else {
      ++digits[i];
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = v < 0 ? "-" : "";
  const int n = static_cast<int>(digits.size());
  if (exponent < -3 || exponent > 15) {
    out += digits[0];
    if (n > 1) out += sep + digits.substr(1);
    return out + "E" + std::to_string(exponent - 1);
  }
  if (exponent <= 0) return out + "0" + sep + std::string(-exponent, '0') + digits;
  for (int i = 0; i < exponent; ++i) out += i < n ? digits[i] : '0';
  if (n > exponent) out += sep + digits.substr(exponent);
  return out;
}

TEST(FormatGeneral, RoundsTheExactValueOnceToFifteenDigits) {
  // 0.076362125575542449951171875 (a single): the 16th digit is 4, so the value
  // rounds down, although its first 18 digits, ...4245, would round up.
  EXPECT_EQ(FormatGeneral(0.076362125575542449951171875), "0.0763621255755424");
  EXPECT_EQ(FormatGeneral(-0.076362125575542449951171875, ','), "-0,0763621255755424");
  // Exact ties, common among singles, round away from zero.
  EXPECT_EQ(FormatGeneral(135.6422119140625), "135.642211914063");
  EXPECT_EQ(FormatGeneral(-135.6422119140625), "-135.642211914063");
  EXPECT_EQ(FormatGeneral(1024.000244140625), "1024.00024414063");
  EXPECT_EQ(FormatGeneral(1000000000000005.0), "1.00000000000001E15");
  // Just below and above a tie: the exact value decides.
  EXPECT_EQ(FormatGeneral(std::nextafter(135.6422119140625, 0.0)), "135.642211914062");
  EXPECT_EQ(FormatGeneral(std::nextafter(135.6422119140625, 1e3)), "135.642211914063");

  const auto check = [](double v) {
    const std::string plain = PlainGeneral(v, '.');
    std::string fast = "x\t";
    AppendGeneral(fast, v, '.');
    ASSERT_EQ(fast, "x\t" + plain) << v;
    fast = "x\t";
    AppendGeneral(fast, v, ',');
    ASSERT_EQ(fast, "x\t" + Comma(plain)) << v;
  };
  const float specials[] = {0.0f,
                            -0.0f,
                            1,
                            -1,
                            0.1f,
                            0.0001f,
                            0.00009999999f,
                            1e15f,
                            9.99999e14f,
                            1e16f,
                            123456789012345.0f,
                            0.5f,
                            2.5e-7f,
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::min(),
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()};
  for (float v : specials) check(v);
  // Every exponent of a single, with random mantissas and signs.
  std::mt19937 rng(11);
  for (int i = 0; i < 200000; ++i) {
    const uint32_t bits = rng();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) check(v);
  }
  // Doubles of every exponent, and doubles of few digits (many of them exact ties).
  std::mt19937_64 rng64(5);
  for (int i = 0; i < 30000; ++i) {
    const uint64_t bits = rng64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) check(v);
    check(static_cast<double>(static_cast<int64_t>(bits % 20000000000000000ull)) *
          std::ldexp(1.0, static_cast<int>(bits >> 58) - 40));
  }
  // Values near the powers of ten, where the layout and the rounding change.
  for (int e = -45; e <= 38; ++e)
    for (float f : {1.0f, 9.99999f, 9.999999f, 1.000001f, 5.0f}) {
      const float v = static_cast<float>(f * std::pow(10.0, e));
      check(v);
      check(std::nextafter(v, 0.0f));
      check(std::nextafter(v, std::numeric_limits<float>::infinity()));
    }
}
