// Native format writer: the exact parameter text, the data file encodings, the
// refusals, and saved images reading back as they were saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/LoadFiles.h"
#include "formats/NativeTestSupport.h"
#include "formats/NativeWriter.h"
#include "formats/OpenReaders.h"

using namespace nativetest;

namespace {

const std::string kSamples = TARNISK_SAMPLES_DIR;

// Opens a native file and hands over its images.
std::vector<std::unique_ptr<TImageDoc>> Open(const std::string& path, RecordingMessages& msgs) {
  ListHost host(msgs);
  OpenNativeFile(path, host);
  return std::move(host.docs);
}

std::vector<float> Values(const TVKMPicture& p) {
  return std::vector<float>(p.Data(), p.Data() + p.ValueCount());
}

// A window as a reader of another format leaves it: no native header in its text.
std::unique_ptr<TImageDoc> ForeignDoc(int columns, int rows) {
  auto doc = std::make_unique<TImageDoc>();
  doc->InitWindow(1, "/data/scan.tfp");
  doc->CreatePicture(columns, rows);
  TVKMPicture& p = *doc->Picture;
  p.ScanPara.XScanRange = 812.5f;
  p.ScanPara.YScanRange = 0.1f;
  p.ScanPara.XPhysUnit = "nm";
  p.ScanPara.YPhysUnit = "um";
  p.ScanPara.PhysUnit = "V";
  p.ScanPara.Scale = 0.25f;
  for (size_t k = 0; k < p.ValueCount(); ++k) p.Data()[k] = 0.25f * static_cast<float>(k) - 1.0f;
  doc->InfoText = {"Instrument : model 4", "Gain: 3", "Version of the firmware 2.3"};
  return doc;
}

void ExpectSameImage(const TImageDoc& saved, const TImageDoc& read) {
  const TScanPara& s = saved.Picture->ScanPara;
  const TScanPara& r = read.Picture->ScanPara;
  EXPECT_EQ(read.Picture->Columns, saved.Picture->Columns);
  EXPECT_EQ(read.Picture->Rows, saved.Picture->Rows);
  EXPECT_EQ(r.xPixel, saved.Picture->Columns);
  EXPECT_EQ(r.yPixel, saved.Picture->Rows);
  EXPECT_EQ(r.XScanRange, s.XScanRange);
  EXPECT_EQ(r.YScanRange, s.YScanRange);
  EXPECT_EQ(r.XPhysUnit, s.XPhysUnit);
  EXPECT_EQ(r.YPhysUnit, s.YPhysUnit);
  EXPECT_EQ(r.PhysUnit, s.PhysUnit);
  EXPECT_EQ(read.ChannelCaption, saved.ChannelCaption);
}

}  // namespace

TEST(NativeWriter, ParameterTextKeepsTheBlockHeaderAndAddsOneBlock) {
  RecordingMessages msgs;
  auto docs = Open(kSamples + "/native/v110.txt", msgs);
  ASSERT_EQ(docs.size(), 3u);
  const std::string header =
      "Version    : 1.10\r\nXScanRange : 12.5\r\nYScanRange : 25\r\nXPhysUnit  : nm\r\n"
      "YPhysUnit  : um\r\nxPixel     : 2\r\nyPixel     : 2\r\n";
  EXPECT_EQ(NativeParameterText(*docs[0], "out.sin", TNativeKind::Sin, '.'),
            header +
                "FileDescBegin\r\nFileName : out.sin\r\nCaption  : Topo\r\nScale    : 1\r\n"
                "PhysUnit : nm\r\nFileDescEnd\r\n");
  EXPECT_EQ(NativeParameterText(*docs[0], "out.int", TNativeKind::Int, ','),
            header +
                "FileDescBegin\r\nFileName : out.int\r\nCaption  : Topo\r\nScale    : 0,5\r\n"
                "PhysUnit : nm\r\nFileDescEnd\r\n");
}

TEST(NativeWriter, IntegersRoundTiesToEvenFromTheLastRow) {
  ScratchDir dir;
  TImageDoc doc;
  doc.CreatePicture(3, 2);
  TVKMPicture& p = *doc.Picture;
  p.ScanPara.Scale = 1;
  const float row0[3] = {0.5f, 1.5f, 2.5f};
  // A range of 3.49e7: steps of 1 are fine enough to keep the Scale.
  const float row1[3] = {-0.5f, -1.5f, 3.49e7f};
  std::memcpy(p.RowTable[0], row0, sizeof row0);
  std::memcpy(p.RowTable[1], row1, sizeof row1);
  RecordingMessages msgs;
  ASSERT_TRUE(WriteNativeFiles(doc, dir / "t.txt", TNativeKind::Int, msgs));
  EXPECT_EQ(ReadBytes(dir / "t.int"), Int32s({0, -2, 34900000, 0, 2, 2}));
  // Singles go from row 0 up, unchanged.
  ASSERT_TRUE(WriteNativeFiles(doc, dir / "u.txt", TNativeKind::Sin, msgs));
  EXPECT_EQ(ReadBytes(dir / "u.sin"), Singles({0.5f, 1.5f, 2.5f, -0.5f, -1.5f, 3.49e7f}));
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeWriter, ExistingParameterFileIsNotTouched) {
  ScratchDir dir;
  WriteBytes(dir / "t.txt", "keep");
  auto doc = ForeignDoc(2, 2);
  RecordingMessages msgs;
  EXPECT_FALSE(WriteNativeFiles(*doc, dir / "t.txt", TNativeKind::Sin, msgs));
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{"File exists! Abort!"});
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "keep");
  EXPECT_FALSE(std::filesystem::exists(dir / "t.sin"));
}

TEST(NativeWriter, ValueThatNoIntegerHoldsEndsTheDataFileWithAMessage) {
  ScratchDir dir;
  auto doc = ForeignDoc(2, 2);
  RecordingMessages msgs;
  // Not a number: no scale holds it. The cells before it are kept (the last row is
  // stored first).
  doc->Picture->RowTable[0][1] = std::nanf("");
  EXPECT_FALSE(WriteNativeFiles(*doc, dir / "nan.txt", TNativeKind::Int, msgs));
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{"Error during saving data-file!"});
  EXPECT_TRUE(std::filesystem::exists(dir / "nan.txt"));
  EXPECT_EQ(ReadBytes(dir / "nan.int"), Int32s({-2, -1, -4}));
}

// A picture of `values` (rows of two, row 0 first) with the given Scale.
std::unique_ptr<TImageDoc> IntDoc(const std::vector<float>& values, float scale) {
  auto doc = std::make_unique<TImageDoc>();
  doc->InitWindow(1, "scan.img");
  doc->CreatePicture(2, static_cast<int>(values.size() / 2));
  doc->Picture->ScanPara.Scale = scale;
  std::copy(values.begin(), values.end(), doc->Picture->Data());
  doc->Picture->ScanPara.PhysUnit = "nm";
  return doc;
}

TEST(NativeWriter, IntegerSaveKeepsValuesTheScaleCannotHold) {
  // Burleigh heights 1..6 with the Z range 1000 as Scale: every quotient would round
  // to 0. They are written with the finest power of two whose quotients fit 32 bits,
  // 2^-28 for values up to 6, and that scale is written in the file.
  ScratchDir dir;
  auto doc = IntDoc({1, 2, 3, 4, 5, 6}, 1000);
  RecordingMessages msgs;
  ASSERT_TRUE(WriteNativeFiles(*doc, dir / "b.txt", TNativeKind::Int, msgs));
  EXPECT_EQ(msgs.Texts(),
            std::vector<std::string>{
                "Scale 1000 cannot hold these values as integers to within a millionth of "
                "their range: they are saved "
                "with Scale 3.72529029846191E-9."});
  EXPECT_NE(ReadBytes(dir / "b.txt").find("Scale    : 3.72529029846191E-9\r\n"), std::string::npos);
  const int32_t q = 1 << 28;
  EXPECT_EQ(ReadBytes(dir / "b.int"), Int32s({5 * q, 6 * q, 3 * q, 4 * q, q, 2 * q}));
  auto back = Open(dir / "b.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]->Picture->ScanPara.Scale, std::ldexp(1.0f, -28));
  EXPECT_EQ(Values(*back[0]->Picture), (std::vector<float>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(msgs.shown.size(), 1u);  // said once, and the file reads without a word
  // The picture itself keeps its Scale.
  EXPECT_EQ(doc->Picture->ScanPara.Scale, 1000);

  // A Scale of 0 divides nothing (2^-31 suits values up to 0.5); a quotient beyond 32
  // bits: 3e9 fits with Scale 2.
  msgs.shown.clear();
  auto zero = IntDoc({0.5f, -0.25f}, 0);
  ASSERT_TRUE(WriteNativeFiles(*zero, dir / "z.txt", TNativeKind::Int, msgs));
  EXPECT_EQ(ReadBytes(dir / "z.int"), Int32s({1 << 30, -(1 << 29)}));
  auto big = IntDoc({3e9f, -1}, 1);
  ASSERT_TRUE(WriteNativeFiles(*big, dir / "g.txt", TNativeKind::Int, msgs));
  EXPECT_EQ(ReadBytes(dir / "g.int"), Int32s({1500000000, 0}));
  EXPECT_EQ(msgs.Texts(),
            (std::vector<std::string>{
                "Scale 0 cannot hold these values as integers to within a millionth of "
                "their range: they are saved "
                "with Scale 4.65661287307739E-10.",
                "Scale 1 cannot hold these values as integers to within a millionth of "
                "their range: they are saved "
                "with Scale 2."}));
  // -1 / 2 rounds to 0 (ties to even): 1 away, well within a millionth of the range.
  auto gBack = Open(dir / "g.txt", msgs);
  ASSERT_EQ(gBack.size(), 1u);
  EXPECT_EQ(Values(*gBack[0]->Picture), (std::vector<float>{3e9f, 0}));
}

TEST(NativeWriter, IntegerScaleIsKeptWhileEveryValueReadsBackWithinAMillionthOfTheRange) {
  // Range 1: a value may come back at most 1e-6 away. 3 * 2^-21 (1.43e-6) with
  // Scale 2^-20 comes back as 2 * 2^-20, 4.8e-7 away: kept. With Scale 2^-18 it
  // comes back as 0, 1.43e-6 away: a finer scale (2^-30 for values up to 1) is used.
  const float third = 3 * std::ldexp(1.0f, -21);
  ScratchDir dir;
  RecordingMessages msgs;
  auto fine = IntDoc({0, 1, third, 0.5f}, std::ldexp(1.0f, -20));
  ASSERT_TRUE(WriteNativeFiles(*fine, dir / "f.txt", TNativeKind::Int, msgs));
  EXPECT_TRUE(msgs.shown.empty());
  EXPECT_EQ(ReadBytes(dir / "f.int"), Int32s({2, 1 << 19, 0, 1 << 20}));

  auto coarse = IntDoc({0, 1, third, 0.5f}, std::ldexp(1.0f, -18));
  ASSERT_TRUE(WriteNativeFiles(*coarse, dir / "c.txt", TNativeKind::Int, msgs));
  EXPECT_EQ(msgs.shown.size(), 1u);
  EXPECT_EQ(ReadBytes(dir / "c.int"), Int32s({3 << 9, 1 << 29, 0, 1 << 30}));
  auto back = Open(dir / "c.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(Values(*back[0]->Picture), (std::vector<float>{0, 1, third, 0.5f}));

  // Values that the Scale holds exactly keep it, however coarse it is against the
  // range: 2^31 clamps to the largest integer, which reads back as 2^31 again.
  msgs.shown.clear();
  const float two31 = std::ldexp(1.0f, 31);
  auto edge = IntDoc({two31, -two31, 0, 1}, 1);
  ASSERT_TRUE(WriteNativeFiles(*edge, dir / "e.txt", TNativeKind::Int, msgs));
  EXPECT_TRUE(msgs.shown.empty());
  EXPECT_EQ(ReadBytes(dir / "e.int"), Int32s({0, 1, INT32_MAX, INT32_MIN}));
  auto edgeBack = Open(dir / "e.txt", msgs);
  ASSERT_EQ(edgeBack.size(), 1u);
  EXPECT_EQ(Values(*edgeBack[0]->Picture), (std::vector<float>{two31, -two31, 0, 1}));
  EXPECT_TRUE(msgs.shown.empty());

  // A flat picture has no range: only an exact read-back keeps the Scale.
  auto flat = IntDoc({5, 5}, 0.5f);
  ASSERT_TRUE(WriteNativeFiles(*flat, dir / "k.txt", TNativeKind::Int, msgs));
  EXPECT_TRUE(msgs.shown.empty());
  EXPECT_EQ(ReadBytes(dir / "k.int"), Int32s({10, 10}));
  auto flatOff = IntDoc({5, 5}, 3);
  ASSERT_TRUE(WriteNativeFiles(*flatOff, dir / "l.txt", TNativeKind::Int, msgs));
  EXPECT_EQ(msgs.shown.size(), 1u);
  EXPECT_EQ(ReadBytes(dir / "l.int"), Int32s({5 << 28, 5 << 28}));
}

TEST(NativeWriter, CaptionsAndUnitsHoldingKeysReadBackUnchanged) {
  // The reader finds keys anywhere in a line, case aside: a caption or unit that
  // holds one must not take the place of the real key.
  ScratchDir dir;
  WriteBytes(dir / "src.txt",
             Lines({"Version    : 1.10", "XScanRange : 10", "YScanRange : 10", "XPhysUnit  : nm",
                    "YPhysUnit  : nm", "xPixel     : 2", "yPixel     : 1", "FileDescBegin",
                    "FileName : src.int", "Scale : 0.5", "Caption : Z scale: 2", "FileDescEnd"}));
  WriteBytes(dir / "src.int", Int32s({1, 6}));
  RecordingMessages msgs;
  auto docs = Open(dir / "src.txt", msgs);
  ASSERT_EQ(docs.size(), 1u);
  ASSERT_EQ(docs[0]->ChannelCaption, "Z scale: 2");
  ASSERT_EQ(Values(*docs[0]->Picture), (std::vector<float>{0.5f, 3}));
  int n = 0;
  for (TNativeKind kind : {TNativeKind::Int, TNativeKind::Sin}) {
    const std::string name = dir / ("s" + std::to_string(n++) + ".txt");
    ASSERT_TRUE(WriteNativeFiles(*docs[0], name, kind, msgs));
    auto back = Open(name, msgs);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0]->ChannelCaption, "Z scale: 2");
    EXPECT_EQ(Values(*back[0]->Picture), (std::vector<float>{0.5f, 3}));
    EXPECT_EQ(back[0]->Picture->ScanPara.Scale, kind == TNativeKind::Int ? 0.5f : 1.0f);
  }

  const std::string captions[] = {"PhysUnit: V",      "a FileDescEnd b",      "filedescend",
                                  "SCALE : 7",        "Caption : other",      "FileDescBegin",
                                  "FileName : x.sin", "scale:scale: Scale: 1"};
  const std::string units[] = {"FileDescEnd", "scale: 3", "Caption: C", "PHYSUNIT: pm", "nm"};
  for (const std::string& caption : captions) {
    for (const std::string& unit : units) {
      for (TNativeKind kind : {TNativeKind::Int, TNativeKind::Sin}) {
        auto doc = ForeignDoc(2, 2);
        doc->ChannelCaption = caption;
        doc->Picture->ScanPara.PhysUnit = unit;
        const std::string name = dir / ("k" + std::to_string(n++) + ".txt");
        ASSERT_TRUE(WriteNativeFiles(*doc, name, kind, msgs));
        auto back = Open(name, msgs);
        ASSERT_EQ(back.size(), 1u) << caption << " / " << unit;
        EXPECT_EQ(back[0]->ChannelCaption, caption) << unit;
        EXPECT_EQ(back[0]->Picture->ScanPara.PhysUnit, unit) << caption;
        EXPECT_EQ(back[0]->Picture->ScanPara.Scale, kind == TNativeKind::Int ? 0.25f : 1.0f)
            << caption << " / " << unit;
        EXPECT_EQ(Values(*back[0]->Picture), Values(*doc->Picture)) << caption << " / " << unit;
      }
    }
  }
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeWriter, SinglesReadBackExactly) {
  ScratchDir dir;
  RecordingMessages msgs;
  auto docs = Open(kSamples + "/demo/demo.txt", msgs);
  ASSERT_EQ(docs.size(), 2u);
  const TImageDoc& current = *docs[1];
  ASSERT_TRUE(WriteNativeFiles(current, dir / "c.txt", TNativeKind::Sin, msgs));
  auto back = Open(dir / "c.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]->Caption, "c.sin - Current");
  ExpectSameImage(current, *back[0]);
  EXPECT_EQ(Values(*back[0]->Picture), Values(*current.Picture));
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeWriter, IntegersReadBackToTheirScale) {
  ScratchDir dir;
  RecordingMessages msgs(',');
  auto docs = Open(kSamples + "/demo/demo.txt", msgs);
  ASSERT_EQ(docs.size(), 2u);
  // The current channel (0.096 .. 0.254 nA) saved as integers of 1e-7 nA, a step
  // below a millionth of its range.
  TImageDoc& current = *docs[1];
  current.Picture->ScanPara.Scale = 1e-7f;
  ASSERT_TRUE(WriteNativeFiles(current, dir / "c.txt", TNativeKind::Int, msgs));
  // The single 1e-7 in 15 significant digits, with the locale's separator.
  EXPECT_NE(ReadBytes(dir / "c.txt").find("Scale    : 1,0000000116861E-7\r\n"), std::string::npos);
  auto back = Open(dir / "c.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  ExpectSameImage(current, *back[0]);
  EXPECT_EQ(back[0]->Picture->ScanPara.Scale, 1e-7f);
  const std::vector<float> a = Values(*current.Picture), b = Values(*back[0]->Picture);
  ASSERT_EQ(a.size(), b.size());
  for (size_t k = 0; k < a.size(); ++k) ASSERT_NEAR(a[k], b[k], 0.5e-7 + 3e-8) << k;

  // The topography read from integers comes back as the same numbers.
  ASSERT_TRUE(WriteNativeFiles(*docs[0], dir / "t.txt", TNativeKind::Int, msgs));
  auto topo = Open(dir / "t.txt", msgs);
  ASSERT_EQ(topo.size(), 1u);
  EXPECT_EQ(Values(*topo[0]->Picture), Values(*docs[0]->Picture));
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeWriter, ForeignPictureGetsAHeaderAndKeepsItsText) {
  ScratchDir dir;
  auto doc = ForeignDoc(3, 2);
  doc->ChannelCaption = "Height";
  RecordingMessages msgs;
  ASSERT_TRUE(WriteNativeFiles(*doc, dir / "f.txt", TNativeKind::Int, msgs));
  auto back = Open(dir / "f.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  ExpectSameImage(*doc, *back[0]);
  EXPECT_EQ(Values(*back[0]->Picture), Values(*doc->Picture));
  const std::vector<std::string>& info = back[0]->InfoText;
  EXPECT_EQ(info[0], "Version    : 1.10");
  EXPECT_EQ(info[7], "Instrument : model 4");
  EXPECT_EQ(info[9], "Version of the firmware 2.3");
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeWriter, OldLayoutSourceReadsBackFromTheNewDataFile) {
  ScratchDir dir;
  RecordingMessages msgs;
  auto docs = Open(kSamples + "/native/v101.txt", msgs);
  ASSERT_EQ(docs.size(), 2u);
  ASSERT_TRUE(WriteNativeFiles(*docs[0], dir / "o.txt", TNativeKind::Sin, msgs));
  const std::string text = ReadBytes(dir / "o.txt");
  // The old list of data files is gone; the lines after it stay.
  EXPECT_EQ(text.find("v101_a.int"), std::string::npos);
  EXPECT_NE(text.find("; end of the list\r\n"), std::string::npos);
  auto back = Open(dir / "o.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  ExpectSameImage(*docs[0], *back[0]);
  EXPECT_EQ(back[0]->Picture->ScanPara.XPhysUnit, "nm");
  EXPECT_EQ(Values(*back[0]->Picture), Values(*docs[0]->Picture));
}

TEST(NativeWriter, CroppedAndRescaledPicturesWriteTheirOwnHeader) {
  ScratchDir dir;
  RecordingMessages msgs;
  auto docs = Open(kSamples + "/demo/demo.txt", msgs);
  ASSERT_EQ(docs.size(), 2u);
  TImageDoc& topo = *docs[0];

  // Cropped to 100 x 60: the scan parameters still say 256 x 256.
  TImageDoc cropped;
  cropped.ChannelCaption = topo.ChannelCaption;
  cropped.InfoText = topo.InfoText;
  cropped.CreatePicture(100, 60);
  cropped.Picture->ScanPara = topo.Picture->ScanPara;
  for (int r = 0; r < 60; ++r)
    for (int c = 0; c < 100; ++c) cropped.Picture->RowTable[r][c] = topo.Picture->RowTable[r][c];
  ASSERT_TRUE(WriteNativeFiles(cropped, dir / "crop.txt", TNativeKind::Sin, msgs));
  EXPECT_EQ(ReadBytes(dir / "crop.sin").size(), 100u * 60u * 4u);
  auto back = Open(dir / "crop.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]->Picture->Columns, 100);
  EXPECT_EQ(back[0]->Picture->Rows, 60);
  EXPECT_EQ(Values(*back[0]->Picture), Values(*cropped.Picture));
  // Lines of the information text other than the header stay.
  EXPECT_NE(std::find(back[0]->InfoText.begin(), back[0]->InfoText.end(), "Bias       : 0.5 V"),
            back[0]->InfoText.end());

  // Rescaled: new ranges and units.
  TScanPara& sp = topo.Picture->ScanPara;
  sp.XScanRange = 0.123456789f;
  sp.YScanRange = 7.5e20f;
  sp.XPhysUnit = "um";
  sp.YPhysUnit = "";
  sp.PhysUnit = "pm";
  ASSERT_TRUE(WriteNativeFiles(topo, dir / "res.txt", TNativeKind::Sin, msgs));
  auto res = Open(dir / "res.txt", msgs);
  ASSERT_EQ(res.size(), 1u);
  ExpectSameImage(topo, *res[0]);
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeWriter, SaveNames) {
  EXPECT_EQ(NativeSaveNames("/m/scan.txt", TNativeKind::Sin).ParamFile, "/m/scan.txt");
  EXPECT_EQ(NativeSaveNames("/m/scan.txt", TNativeKind::Sin).DataFile, "/m/scan.sin");
  EXPECT_EQ(NativeSaveNames("/m/scan.txt", TNativeKind::Int).DataFile, "/m/scan.int");
  // Without an extension the data file's is appended; a "." in a folder is no
  // extension.
  EXPECT_EQ(NativeSaveNames("/m.v2/scan", TNativeKind::Int).ParamFile, "/m.v2/scan");
  EXPECT_EQ(NativeSaveNames("/m.v2/scan", TNativeKind::Int).DataFile, "/m.v2/scan.int");
  EXPECT_EQ(NativeSaveNames("scan.", TNativeKind::Sin).ParamFile, "scan.");
  EXPECT_EQ(NativeSaveNames("scan.", TNativeKind::Sin).DataFile, "scan.sin");
  // A chosen data-file name never lets the data overwrite the parameter file.
  EXPECT_EQ(NativeSaveNames("/m/scan.sin", TNativeKind::Sin).ParamFile, "/m/scan.txt");
  EXPECT_EQ(NativeSaveNames("/m/scan.sin", TNativeKind::Sin).DataFile, "/m/scan.sin");
  EXPECT_EQ(NativeSaveNames("/m/scan.int", TNativeKind::Sin).ParamFile, "/m/scan.int");
  EXPECT_EQ(NativeSaveNames("/m/a.b.dat", TNativeKind::Sin).ParamFile, "/m/a.b.dat");
  EXPECT_EQ(NativeSaveNames("/m/a.b.dat", TNativeKind::Sin).DataFile, "/m/a.b.sin");
  EXPECT_EQ(NativeKindOfFilter(3), TNativeKind::Int);
  EXPECT_EQ(NativeKindOfFilter(2), TNativeKind::Sin);
}

TEST(NativeWriter, SaveWithoutExtensionOpensAgain) {
  ScratchDir dir;
  auto doc = ForeignDoc(2, 2);
  RecordingMessages msgs;
  ASSERT_TRUE(WriteNativeFiles(*doc, dir / "plain", TNativeKind::Sin, msgs));
  ASSERT_TRUE(std::filesystem::exists(dir / "plain.sin"));
  // The parameter file keeps its name; read it as a native file.
  TLoadFiles loader(dir / "plain", &msgs);
  ASSERT_TRUE(loader.ReadHeader());
  TImageDoc back;
  ASSERT_TRUE(loader.ReadChannelV110(back, 1));
  EXPECT_EQ(loader.FileNames[1], "plain.sin");
  EXPECT_EQ(Values(*back.Picture), Values(*doc->Picture));
  // A data-file name as chosen name: the parameter file becomes name.txt.
  ASSERT_TRUE(WriteNativeFiles(*doc, dir / "d.sin", TNativeKind::Sin, msgs));
  EXPECT_EQ(Open(dir / "d.txt", msgs).size(), 1u);
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeWriter, ProposedSaveName) {
  EXPECT_EQ(ProposedSaveName("scan1.int"), "scan1");
  EXPECT_EQ(ProposedSaveName("/m/scan.bmp"), "/m/scan");
  EXPECT_EQ(ProposedSaveName("/m/a.b.tfp"), "/m/a.b");
  EXPECT_EQ(ProposedSaveName("/m.v2/scan"), "/m.v2/scan");
  EXPECT_EQ(ProposedSaveName("5"), "5");
}

TEST(NativeWriter, LinesNamingTheDataFileAreLeftOut) {
  ScratchDir dir;
  auto doc = ForeignDoc(2, 2);
  doc->ChannelCaption = "Height";
  doc->InfoText = {"Raw data: OLDDATA.INT", "FileDescEnd", "Scale : 3", "Caption : wrong"};
  RecordingMessages msgs;
  ASSERT_TRUE(WriteNativeFiles(*doc, dir / "data.txt", TNativeKind::Int, msgs));
  auto back = Open(dir / "data.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]->ChannelCaption, "Height");
  EXPECT_EQ(back[0]->Picture->ScanPara.Scale, 0.25f);
  EXPECT_EQ(Values(*back[0]->Picture), Values(*doc->Picture));
  EXPECT_EQ(std::count(back[0]->InfoText.begin(), back[0]->InfoText.end(), "Raw data: OLDDATA.INT"),
            0);
  EXPECT_EQ(std::count(back[0]->InfoText.begin(), back[0]->InfoText.end(), "Scale : 3"), 1);
}

TEST(NativeWriter, OldLayoutListWithEmptyUnitIsLeftOutWhole) {
  ScratchDir dir;
  // The first group's unit line is empty; the list still goes on with a second group.
  WriteBytes(dir / "old.txt",
             Lines({"Version: 1", "Pixel in X : 2", "Pixel in Y : 1", "Files", "first.sin", "1", "",
                    "second.sin", "2", "pA", "", "Remark after the list"}));
  WriteBytes(dir / "first.sin", Singles({1, 2}));
  WriteBytes(dir / "second.sin", Singles({3, 4}));
  RecordingMessages msgs;
  auto docs = Open(dir / "old.txt", msgs);
  ASSERT_EQ(docs.size(), 2u);
  EXPECT_EQ(docs[0]->Picture->ScanPara.PhysUnit, "");
  ASSERT_TRUE(WriteNativeFiles(*docs[0], dir / "new.txt", TNativeKind::Sin, msgs));
  const std::string text = ReadBytes(dir / "new.txt");
  EXPECT_EQ(text.find("second.sin"), std::string::npos);
  EXPECT_EQ(text.find("pA"), std::string::npos);
  EXPECT_NE(text.find("\r\nRemark after the list\r\n"), std::string::npos);
  auto back = Open(dir / "new.txt", msgs);
  ASSERT_EQ(back.size(), 1u);
  ExpectSameImage(*docs[0], *back[0]);
  EXPECT_EQ(Values(*back[0]->Picture), (std::vector<float>{1, 2}));
  EXPECT_TRUE(msgs.shown.empty());
}
