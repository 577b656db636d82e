#include <gtest/gtest.h>

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
