#include <gtest/gtest.h>

#include "image/TextEncoding.h"

TEST(DisplayText, Utf8StaysLatin1IsConverted) {
  EXPECT_EQ(DisplayText("nm"), "nm");
  EXPECT_EQ(DisplayText("\xC3\x85"), "\xC3\x85");  // Å already in UTF-8
  EXPECT_EQ(DisplayText("\xC5"), "\xC3\x85");      // Å as one Latin-1 byte
  EXPECT_EQ(DisplayText("\xB5m"), "\xC2\xB5m");    // µm
  EXPECT_EQ(DisplayText("10 \xB5m / \xC3\x85"), "10 \xC2\xB5m / \xC3\x83\xC2\x85");
  EXPECT_EQ(DisplayText(""), "");
}

TEST(DisplayText, MalformedUtf8IsReadAsLatin1) {
  EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(DisplayText("\xC3"), "\xC3\x83");
}
