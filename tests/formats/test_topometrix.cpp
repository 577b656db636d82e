// TopoMetrix import: column order, conversion, information lines, damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "formats/OpenReaders.h"
#include "support/CollectingHost.h"
#include "support/TempDir.h"

namespace {

struct TopoHeader {
  std::string text1 = "TopoMetrix image", text2 = "second line", description = "Au(111)";
  int32_t dataOffset = 512, rows = 2, columns = 2;
  float xMin = 0, xMax = 2.5f, yMin = -1, yMax = 1e-5f, factor = 1, offset = 0;
  std::string zUnit = "nm", axisUnit = " um";
};

std::vector<uint8_t> TopoFile(const TopoHeader& h, const std::vector<uint16_t>& samples) {
  // Sized once: the header, the bytes up to the data offset, the samples.
  const size_t gap = h.dataOffset > 512 ? static_cast<size_t>(h.dataOffset) - 512 : 0;
  std::vector<uint8_t> b(512 + gap + 2 * samples.size(), 0xEE);
  std::fill(b.begin(), b.begin() + 512, 0);
  auto text = [&](size_t at, const std::string& s) { std::memcpy(&b[at], s.data(), s.size()); };
  text(0, h.text1);
  text(128, h.text2);
  text(300, h.description);
  text(450, h.zUnit);
  text(460, h.axisUnit);
  SetU32LE(b, 260, static_cast<uint32_t>(h.dataOffset));
  SetU32LE(b, 406, static_cast<uint32_t>(h.rows));
  SetU32LE(b, 410, static_cast<uint32_t>(h.columns));
  SetF32LE(b, 418, h.xMin);
  SetF32LE(b, 422, h.xMax);
  SetF32LE(b, 426, h.yMin);
  SetF32LE(b, 430, h.yMax);
  SetF32LE(b, 434, h.factor);
  SetF32LE(b, 438, h.offset);
  for (size_t i = 0; i < samples.size(); ++i) {
    b[512 + gap + 2 * i] = static_cast<uint8_t>(samples[i]);
    b[513 + gap + 2 * i] = static_cast<uint8_t>(samples[i] >> 8);
  }
  return b;
}

TImageDoc* Open(CollectingHost& host, const std::string& path) {
  OpenSingleImageFile(path, TFileType::TopoMetrix, host);
  EXPECT_EQ(host.Pending(), 0u);
  EXPECT_EQ(host.readyWithoutImage, 0);
  return host.docs.empty() ? nullptr : host.docs.front().get();
}

}  // namespace

TEST(TopoMetrix, SamplesFillColumnByColumnAndTheLinesFollowTheHeader) {
  TempDir dir;
  const std::string path = dir.Write("a.tfp", TopoFile({}, {1, 2, 3, 4}));
  CollectingHost host;
  TImageDoc* d = Open(host, path);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Caption, path);
  const TVKMPicture& p = *d->Picture;
  EXPECT_EQ(p.RowTable[0][0], 1);
  EXPECT_EQ(p.RowTable[0][1], 3);
  EXPECT_EQ(p.RowTable[1][0], 2);
  EXPECT_EQ(p.RowTable[1][1], 4);
  const std::vector<std::string> expected = {
      "TopoMetrix image", "second line",    "description : Au(111)",           "X min  : 0 um",
      "X max  : 2.5 um",  "Y min  : -1 um", "Y max  : 9.99999974737875E-6 um", "Z unit : nm"};
  EXPECT_EQ(d->InfoText, expected);
  // The reader sets no scan parameter: a new picture's stay.
  EXPECT_EQ(p.ScanPara.XScanRange, 0);
  EXPECT_EQ(p.ScanPara.PhysUnit, "");
  EXPECT_TRUE(host.messages.shown.empty());
}

TEST(TopoMetrix, FactorOffsetUnsignedSamplesAndDataOffset) {
  TempDir dir;
  TopoHeader h;
  h.rows = 1;
  h.columns = 3;
  h.factor = 0.5f;
  h.offset = -10;
  h.dataOffset = 600;  // the bytes between header and samples are passed over
  CollectingHost host;
  TImageDoc* d = Open(host, dir.Write("b.2fp", TopoFile(h, {100, 65535, 0})));
  ASSERT_NE(d, nullptr);
  const float* row = d->Picture->RowTable[0];
  EXPECT_EQ(row[0], 40);
  EXPECT_EQ(row[1], 65535 * 0.5f - 10);  // unsigned: not -1
  EXPECT_EQ(row[2], -10);
}

TEST(TopoMetrix, TextFieldsEndAtTheFirstZeroOrTheirWidth) {
  TempDir dir;
  TopoHeader h;
  h.text1 = std::string(128, 'a');  // no zero byte: the whole field
  h.description = std::string(40, 'd');
  CollectingHost host;
  TImageDoc* d = Open(host, dir.Write("c.tfp", TopoFile(h, {1, 2, 3, 4})));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->InfoText[0], std::string(128, 'a'));
  EXPECT_EQ(d->InfoText[1], "second line");
  EXPECT_EQ(d->InfoText[2], "description : " + std::string(40, 'd'));
}

TEST(TopoMetrix, ShortFilesKeepWhatWasReadAndSaySo) {
  TempDir dir;
  struct Case {
    int32_t offset;
    size_t samples;  // of the 4 needed
  };
  for (const Case& c : {Case{512, 3}, Case{512, 0}, Case{1 << 30, 4}, Case{-5, 4}}) {
    std::vector<uint8_t> b = TopoFile({}, {1, 2, 3, 4});
    SetU32LE(b, 260, static_cast<uint32_t>(c.offset));
    if (c.offset == 512) b.resize(512 + 2 * c.samples);
    CollectingHost host;
    TImageDoc* d = Open(host, dir.Write("s.tfp", b));
    ASSERT_NE(d, nullptr) << c.offset;
    const size_t read = c.offset == 512 ? c.samples : 0;
    EXPECT_EQ(d->Picture->RowTable[0][0], read >= 1 ? 1 : 0);
    EXPECT_EQ(d->Picture->RowTable[1][1], 0);
    ASSERT_EQ(host.messages.shown.size(), 1u);
    EXPECT_EQ(host.messages.shown[0].text, "The file " + dir.Path("s.tfp") +
                                               " ends too early: " + std::to_string(read) +
                                               " of 4 points read, the rest are 0.");
    EXPECT_EQ(host.messages.DataLossCount(), 1);
  }
}

TEST(TopoMetrix, UnusableFilesOpenNoWindow) {
  TempDir dir;
  TopoHeader big;
  big.columns = 515;
  TopoHeader negative;
  negative.rows = -2;
  TopoHeader huge;
  huge.rows = huge.columns = 0x7FFFFFFF;
  for (const std::vector<uint8_t>& bytes :
       {std::vector<uint8_t>{}, std::vector<uint8_t>(511, 0), TopoFile(big, {}),
        TopoFile(negative, {}), TopoFile(huge, {})}) {
    CollectingHost host;
    Open(host, dir.Write("u.tfp", bytes));
    EXPECT_TRUE(host.docs.empty());
    EXPECT_EQ(host.discarded, 1);
    EXPECT_EQ(host.messages.shown.size(), 1u);
  }
  // A missing file and a folder of that name are both files that cannot be opened.
  std::filesystem::create_directory(dir.Path("folder.tfp"));
  for (const char* name : {"missing.tfp", "folder.tfp"}) {
    CollectingHost host;
    Open(host, dir.Path(name));
    EXPECT_TRUE(host.docs.empty());
    EXPECT_EQ(host.messages.Texts(),
              std::vector<std::string>{"Cannot open file " + dir.Path(name)});
  }
}
