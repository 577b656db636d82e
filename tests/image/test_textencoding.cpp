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

TEST(FileText, TypedTextsTakeTheLatin1BytesOfFileTexts) {
  EXPECT_EQ(FileText("nm"), "nm");
  EXPECT_EQ(FileText("\xC3\x85"), "\xC5");              // Å
  EXPECT_EQ(FileText("\xC2\xB5m"), "\xB5m");            // µm
  EXPECT_EQ(FileText("\xC3\xBF\xC2\x80"), "\xFF\x80");  // the ends of the range
  // A character beyond Latin-1 keeps the whole text in UTF-8.
  EXPECT_EQ(FileText("\xC3\x85 \xE2\x82\xAC"), "\xC3\x85 \xE2\x82\xAC");  // Å €
  // Bytes that are no UTF-8 are taken as they are.
  EXPECT_EQ(FileText("\xC5"), "\xC5");
  // Shown and typed again, a file's text comes back byte for byte.
  for (const std::string& file : {std::string("\xC5"), std::string("10 \xB5m"), std::string("pA")})
    EXPECT_EQ(FileText(DisplayText(file)), file);
}
