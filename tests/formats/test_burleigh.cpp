// Burleigh import: samples, resynchronisation, trailer lines and damaged files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "formats/LoadFiles.h"
#include "formats/NativeWriter.h"
#include "formats/OpenReaders.h"
#include "support/CollectingHost.h"
#include "support/TempDir.h"

namespace {

struct BurleighTrailer {
  uint32_t maxX = 20000, maxY = 21000, maxZ = 3000;
  uint32_t rangeX = 10000, rangeY = 8000, rangeZ = 1500;
  uint16_t delay = 3, zoom = 3, type = 1;
  float bias = 100.5f, current = 1.0f;
};

std::vector<uint8_t> BurleighFile(int16_t x, int16_t y, const std::vector<uint8_t>& samples,
                                  const BurleighTrailer& t = {}) {
  std::vector<uint8_t> b = {0x66, 0x66, 0x06, 0x40};
  PutU16LE(b, static_cast<uint16_t>(x));
  PutU16LE(b, static_cast<uint16_t>(y));
  b.insert(b.end(), samples.begin(), samples.end());
  for (uint32_t v : {t.maxX, t.maxY, t.maxZ, t.rangeX, t.rangeY, t.rangeZ}) PutU32LE(b, v);
  PutU16LE(b, t.delay);
  PutU16LE(b, t.zoom);
  PutU16LE(b, t.type);
  PutU16LE(b, 0);
  PutF32LE(b, t.bias);
  PutF32LE(b, t.current);
  return b;
}

// Little-endian words of the given values.
std::vector<uint8_t> Words(std::initializer_list<uint16_t> values) {
  std::vector<uint8_t> b;
  for (uint16_t v : values) PutU16LE(b, v);
  return b;
}

struct Opened {
  CollectingHost host;
  TImageDoc* doc() { return host.docs.empty() ? nullptr : host.docs.front().get(); }
};

void Open(Opened& o, const std::string& path) {
  OpenSingleImageFile(path, TFileType::Burleigh, o.host);
  EXPECT_EQ(o.host.Pending(), 0u);
  EXPECT_EQ(o.host.readyWithoutImage, 0);
}

}  // namespace

TEST(Burleigh, RowsRunFromTheLastAndEveryLineIsSpelledOut) {
  TempDir dir;
  // 3 columns, 2 rows; the first stored row is matrix row 1.
  const std::string path = dir.Write("s.img", BurleighFile(3, 2, Words({1, 2, 3, 4, 5, 4095})));
  Opened o;
  Open(o, path);
  ASSERT_NE(o.doc(), nullptr);
  const TImageDoc& d = *o.doc();
  EXPECT_EQ(d.Caption, path);
  const TVKMPicture& p = *d.Picture;
  ASSERT_EQ(p.Columns, 3);
  ASSERT_EQ(p.Rows, 2);
  EXPECT_EQ(p.RowTable[1][0], 1);
  EXPECT_EQ(p.RowTable[1][2], 3);
  EXPECT_EQ(p.RowTable[0][0], 4);
  EXPECT_EQ(p.RowTable[0][2], 4095);
  EXPECT_EQ(o.host.messages.beeps, 0);

  const std::vector<std::string> expected = {"max scan range X : 20000 Angstoem",
                                             "max scan range Y : 21000 Angstoem",
                                             "max scan range Z : 3000 Angstoem",
                                             "scan range X : 10000 \xC5",
                                             "scan range Y : 8000 \xC5",
                                             "scan range Z : 1500 \xC5",
                                             "0.15 ms delay between samples",
                                             "zoom level : 10",
                                             "data type : Height",
                                             "bias voltage : 100.5 mV",
                                             "tnneling current : 1 nA",
                                             "3 * 2 pixel"};
  EXPECT_EQ(d.InfoText, expected);
  EXPECT_EQ(p.ScanPara.Scale, 1500);
  EXPECT_EQ(p.ScanPara.XScanRange, 1000);  // zoom code 3 divides by 10
  EXPECT_EQ(p.ScanPara.YScanRange, 800);
  EXPECT_EQ(p.ScanPara.XPhysUnit, "\xC5");
  EXPECT_EQ(p.ScanPara.YPhysUnit, "\xC5");
  EXPECT_EQ(p.ScanPara.PhysUnit, "\xC5");
  EXPECT_EQ(p.ScanPara.xPixel, 3);
  EXPECT_EQ(p.ScanPara.yPixel, 2);
  EXPECT_TRUE(o.host.messages.shown.empty());
}

TEST(Burleigh, OutOfStepSamplesAreResynchronisedAndClampedWithOneBeep) {
  TempDir dir;
  // 34 12 03 -> 0x0312; FF 0F -> 4095, no beep; 00 10 20 -> 0x2010 -> beep, 4095;
  // 00 30 30 -> 0x3030 -> clamped again, still only one beep.
  const std::vector<uint8_t> samples = {0x34, 0x12, 0x03, 0xFF, 0x0F, 0x00,
                                        0x10, 0x20, 0x00, 0x30, 0x30};
  Opened o;
  Open(o, dir.Write("r.img", BurleighFile(4, 1, samples)));
  ASSERT_NE(o.doc(), nullptr);
  const float* row = o.doc()->Picture->RowTable[0];
  EXPECT_EQ(row[0], 786);
  EXPECT_EQ(row[1], 4095);
  EXPECT_EQ(row[2], 4095);
  EXPECT_EQ(row[3], 4095);
  EXPECT_EQ(o.host.messages.beeps, 1);
}

TEST(Burleigh, ZoomCodesDataTypeAndDecimalSeparator) {
  struct Case {
    uint16_t zoom;
    const char* text;
    float range;
  };
  for (const Case& c : {Case{1, "1", 10000}, Case{2, "2", 5000}, Case{4, "50", 200},
                        Case{5, "250", 40}, Case{0, "unknown", 10000}, Case{9, "unknown", 10000}}) {
    TempDir dir;
    BurleighTrailer t;
    t.zoom = c.zoom;
    t.type = 0;
    t.delay = 1;
    Opened o;
    o.host.messages.separator = ',';
    Open(o, dir.Write("z.img", BurleighFile(1, 1, Words({7}), t)));
    ASSERT_NE(o.doc(), nullptr) << c.zoom;
    const TImageDoc& d = *o.doc();
    EXPECT_EQ(d.InfoText[7], std::string("zoom level : ") + c.text);
    EXPECT_EQ(d.InfoText[8], "data type : Current");
    EXPECT_EQ(d.InfoText[6], "0,05 ms delay between samples");
    EXPECT_EQ(d.InfoText[9], "bias voltage : 100,5 mV");
    EXPECT_EQ(d.Picture->ScanPara.PhysUnit, "pA");
    EXPECT_EQ(d.Picture->ScanPara.XScanRange, c.range);
  }
}

TEST(Burleigh, DamagedFilesAreRefusedWithoutLeavingAWindow) {
  TempDir dir;
  struct Case {
    std::vector<uint8_t> bytes;
    const char* message;
  };
  std::vector<uint8_t> wrongMark = BurleighFile(1, 1, Words({1}));
  wrongMark[0] = 0x67;
  const std::vector<uint8_t> full = BurleighFile(2, 2, Words({1, 2, 3, 4}));
  const std::vector<Case> cases = {
      {{}, "File no valid Burleigh-format!"},
      {{0x66, 0x66}, "File no valid Burleigh-format!"},
      {wrongMark, "File no valid Burleigh-format!"},
      {{0x66, 0x66, 0x06, 0x40, 1, 0}, "Read error encountered, process canceled"},
      {std::vector<uint8_t>(full.begin(), full.begin() + 30),
       "Read error encountered, process canceled"},
      {BurleighFile(-3, 2, {}), "Picture too small!"},
      {BurleighFile(600, 2, {}), nullptr},  // the picture's own refusal
      {BurleighFile(2, 0, {}), "Can\u00b4t get memory!"},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    Opened o;
    const std::string name = std::to_string(i) + ".img";
    Open(o, dir.Write(name, cases[i].bytes));
    EXPECT_TRUE(o.host.docs.empty()) << i;
    EXPECT_EQ(o.host.discarded, 1) << i;
    ASSERT_EQ(o.host.messages.shown.size(), 1u) << i;
    if (cases[i].message) {
      EXPECT_EQ(o.host.messages.shown[0].text, cases[i].message) << i;
    }
  }
}

TEST(Burleigh, MissingSamplesKeepWhatWasReadAndSaySo) {
  TempDir dir;
  // 2 x 2 samples announced, but header + 40 trailer bytes only: the samples run into
  // the trailer (as the instrument's files allow) and then the file ends.
  BurleighTrailer t;
  t.maxX = 0x00030002;  // first trailer words read as samples 2 and 3
  std::vector<uint8_t> b = BurleighFile(2, 30, {}, t);
  Opened o;
  Open(o, dir.Write("short.img", b));
  ASSERT_NE(o.doc(), nullptr);
  const TVKMPicture& p = *o.doc()->Picture;
  EXPECT_EQ(p.RowTable[29][0], 2);
  EXPECT_EQ(p.RowTable[29][1], 3);
  EXPECT_EQ(p.RowTable[0][0], 0);
  ASSERT_EQ(o.host.messages.shown.size(), 1u);
  EXPECT_EQ(o.host.messages.shown[0].text, "Read error encountered, process canceled");
  EXPECT_EQ(o.doc()->InfoText.size(), 12u);
  EXPECT_EQ(o.host.messages.DataLossCount(), 1);
}

TEST(Burleigh, MissingFileSaysItIsNoBurleighFile) {
  TempDir dir;
  Opened o;
  Open(o, dir.Path("absent.img"));
  EXPECT_TRUE(o.host.docs.empty());
  EXPECT_EQ(o.host.messages.Texts(), std::vector<std::string>{"File no valid Burleigh-format!"});
}

TEST(Burleigh, AngstromIsTheLatin1ByteLikeTextsReadFromFiles) {
  // A native file with the unit written by the instrument's software as one byte, and
  // a Burleigh image: the units compare equal, and saving keeps the single byte.
  TempDir dir;
  Opened o;
  Open(o, dir.Write("s.img", BurleighFile(2, 1, Words({1, 2}))));
  ASSERT_NE(o.doc(), nullptr);
  const TScanPara& b = o.doc()->Picture->ScanPara;
  dir.Write("n.txt", std::string("Version    : 1.10\r\nXScanRange : 1\r\nYScanRange : 1\r\n"
                                 "XPhysUnit  : \xC5\r\nYPhysUnit  : \xC5\r\nxPixel     : 2\r\n"
                                 "yPixel     : 1\r\nFileDescBegin\r\nFileName : n.sin\r\n"
                                 "PhysUnit : \xC5\r\nFileDescEnd\r\n"));
  dir.Write("n.sin", std::vector<uint8_t>(8, 0));
  CollectingHost native;
  OpenNativeFile(dir.Path("n.txt"), native);
  ASSERT_EQ(native.docs.size(), 1u);
  const TScanPara& n = native.docs[0]->Picture->ScanPara;
  EXPECT_EQ(b.PhysUnit, n.PhysUnit);
  EXPECT_EQ(b.XPhysUnit, n.XPhysUnit);
  EXPECT_EQ(b.YPhysUnit, n.YPhysUnit);

  ASSERT_TRUE(WriteNativeFiles(*o.doc(), dir.Path("w.txt"), TNativeKind::Sin, o.host.messages));
  std::ifstream in(dir.Path("w.txt"), std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(saved.find("PhysUnit : \xC5\r\n"), std::string::npos);
  EXPECT_NE(saved.find("XPhysUnit  : \xC5\r\n"), std::string::npos);
  EXPECT_NE(saved.find("scan range Z : 1500 \xC5\r\n"), std::string::npos);
  EXPECT_EQ(saved.find("\xC3\x85"), std::string::npos);
}
