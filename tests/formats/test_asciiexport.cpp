#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

#include "formats/AsciiExport.h"
#include "image/NumberFormat.h"
#include "support/RecordingMessages.h"

namespace {

void Fill(TVKMPicture& p, std::initializer_list<float> values) {
  float* d = p.Data();
  for (float v : values) *d++ = v;
}

}  // namespace

TEST(AsciiExport, RowsFromRowZeroTabSeparatedCrLf) {
  RecordingMessages msgs;
  TVKMPicture p(&msgs);
  p.SetSize(2, 3);  // 2 columns, 3 rows
  Fill(p, {1, 2, 3.5f, -4, 0.5f, 1e20f});
  EXPECT_EQ(AsciiExportText(p, '.'), "1\t2\r\n3.5\t-4\r\n0.5\t1.00000002004088E20\r\n");
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(AsciiExport, OneColumnHasNoTab) {
  TVKMPicture p;
  p.SetSize(1, 3);
  Fill(p, {0, 7, -0.25f});
  EXPECT_EQ(AsciiExportText(p, '.'), "0\r\n7\r\n-0.25\r\n");
}

TEST(AsciiExport, DecimalSeparatorOfTheLocale) {
  TVKMPicture p;
  p.SetSize(2, 1);
  Fill(p, {0.5f, 0.00001f});
  EXPECT_EQ(AsciiExportText(p, '.'), "0.5\t9.99999974737875E-6\r\n");
  EXPECT_EQ(AsciiExportText(p, ','), "0,5\t9,99999974737875E-6\r\n");
}

TEST(AsciiExport, SingleValuesKeepTheirFifteenDigits) {
  // 0.1 is not exact in single precision; its 15 significant digits are written.
  TVKMPicture p;
  p.SetSize(1, 1);
  Fill(p, {0.1f});
  EXPECT_EQ(AsciiExportText(p, '.'), "0.100000001490116\r\n");
}

TEST(AsciiExport, NoMatrixAndNoColumns) {
  TVKMPicture none;
  EXPECT_EQ(AsciiExportText(none, '.'), "");
  // No columns: every row is an empty line (there is no last value to write).
  TVKMPicture empty;
  empty.SetSize(0, 2);
  ASSERT_TRUE(empty.HasMatrix());
  EXPECT_EQ(AsciiExportText(empty, '.'), "\r\n\r\n");
}

TEST(AsciiExport, WritesTheFileAndOverwrites) {
  TVKMPicture p;
  p.SetSize(2, 2);
  Fill(p, {1, 2, 3, 4});
  const auto path = std::filesystem::temp_directory_path() / "tarnisk_asciiexport_test.dat";
  {
    std::ofstream old(path);
    old << "older and much longer content that must disappear\n";
  }
  ASSERT_TRUE(WriteAsciiExport(p, path.string(), '.'));
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "1\t2\r\n3\t4\r\n");
  std::filesystem::remove(path);
  EXPECT_FALSE(WriteAsciiExport(p, "/nonexistent-folder/x.dat", '.'));
}

TEST(AsciiExport, LargePictureMatchesRowByRowText) {
  // Large pictures are formatted in bands; the text must be the plain row order.
  TVKMPicture p;
  p.SetSize(37, 514);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> dist(-1e6f, 1e6f);
  for (size_t i = 0; i < p.ValueCount(); ++i) p.Data()[i] = dist(rng) / (1 + i % 1000);
  std::string expected;
  for (int r = 0; r < p.Rows; ++r)
    for (int c = 0; c < p.Columns; ++c)
      expected += FormatGeneral(p.RowTable[r][c], ',') + (c + 1 < p.Columns ? "\t" : "\r\n");
  EXPECT_EQ(AsciiExportText(p, ','), expected);
}
