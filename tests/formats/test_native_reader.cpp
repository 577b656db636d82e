// Native format reader: scanning primitives, both header layouts, channel decoding,
// the failure messages and opening a parameter file through a document host.
#include <gtest/gtest.h>

#include "formats/LoadFiles.h"
#include "formats/NativeTestSupport.h"
#include "formats/OpenReaders.h"

using namespace nativetest;

namespace {

const std::string kNative = std::string(TARNISK_SAMPLES_DIR) + "/native/";

TLoadFiles LoaderOn(const std::string& text, RecordingMessages& msgs) {
  TLoadFiles l("", &msgs);
  l.ParamStream.Bytes = text;
  return l;
}

// Header lines of a 1.10 file of 2 x 2 cells followed by `blocks`.
std::string Header110(const std::vector<std::string>& blocks) {
  std::vector<std::string> lines = {"Version    : 1.10", "XScanRange : 10", "YScanRange : 20",
                                    "XPhysUnit  : nm",   "YPhysUnit  : nm", "xPixel     : 2",
                                    "yPixel     : 2"};
  lines.insert(lines.end(), blocks.begin(), blocks.end());
  return Lines(lines);
}

}  // namespace

TEST(NativeScanning, FindTextIgnoresCaseAndStopsAfterTheMatch) {
  RecordingMessages msgs;
  TLoadFiles l = LoaderOn("abc PIXEL in x : 7\r", msgs);
  ASSERT_TRUE(l.FindText("Pixel in X "));
  EXPECT_EQ(l.ParamStream.Position, 15u);
  // Searches only run forward: the earlier key is not found again.
  EXPECT_FALSE(l.FindText("abc"));
  EXPECT_EQ(l.ParamStream.Position, l.ParamStream.Size());
}

TEST(NativeScanning, FindTextRereadsAfterAMismatch) {
  RecordingMessages msgs;
  TLoadFiles l = LoaderOn("FFileX", msgs);
  ASSERT_TRUE(l.FindText("File"));  // the first F starts a mismatch, the second matches
  EXPECT_EQ(l.ParamStream.Position, 5u);
  TLoadFiles m = LoaderOn("xxSca", msgs);
  EXPECT_FALSE(m.FindText("Scale"));  // a key running past the end is not found
  EXPECT_EQ(m.ParamStream.Position, 5u);
}

TEST(NativeScanning, ReadLineDropsControlBytesAndEndsAtCarriageReturn) {
  RecordingMessages msgs;
  TLoadFiles l = LoaderOn(std::string("\n  a\tb \xb5m \r\nnext\rlast"), msgs);
  EXPECT_EQ(l.ReadLine(), "  ab \xb5m ");
  EXPECT_EQ(l.ReadLine(), "next");
  EXPECT_EQ(l.ReadLine(), "last");
  EXPECT_TRUE(l.ParamStream.AtEnd());
  EXPECT_EQ(l.ReadLine(), "");
}

TEST(NativeScanning, ReadFloatTakesPointOrCommaWithEitherLocale) {
  for (char sep : {'.', ','}) {
    RecordingMessages msgs(sep);
    TLoadFiles l = LoaderOn(" 0,5 \r0.5\r-1.25e3\r", msgs);
    EXPECT_EQ(l.ReadFloat(), 0.5f);
    EXPECT_EQ(l.ReadFloat(), 0.5f);
    EXPECT_EQ(l.ReadFloat(), -1250.0f);
    EXPECT_TRUE(msgs.shown.empty());
  }
}

TEST(NativeScanning, ReadFloatAssumesOneForText) {
  RecordingMessages msgs;
  TLoadFiles l = LoaderOn("abc\r1e60\r", msgs);
  EXPECT_EQ(l.ReadFloat(), 1.0f);
  // A number beyond the single range is refused the same way.
  EXPECT_EQ(l.ReadFloat(), 1.0f);
  ASSERT_EQ(msgs.shown.size(), 2u);
  EXPECT_EQ(msgs.shown[0].text, "\"abc is no valid float!\n 1 is assumed!");
  EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtInformation);
  EXPECT_EQ(msgs.shown[1].text, "\"1e60 is no valid float!\n 1 is assumed!");
}

TEST(NativeSamples, Version1GroupsOfThreeLines) {
  RecordingMessages msgs;
  TLoadFiles l(kNative + "v1.txt", &msgs);
  ASSERT_TRUE(l.ReadHeader());
  EXPECT_EQ(l.Version, "1");
  ASSERT_EQ(l.FileCount, 2);
  EXPECT_EQ(l.FileNames[1], "v1_a.int");
  EXPECT_EQ(l.FileNames[2], "v1_b.sin");
  EXPECT_EQ(l.ScanPara.XScanRange, 5000.0f);
  EXPECT_EQ(l.ScanPara.YScanRange, 5000.0f);
  EXPECT_EQ(l.ScanPara.XPhysUnit, "nm");
  EXPECT_EQ(l.ScanPara.YPhysUnit, "nm");
  EXPECT_EQ(l.ScanPara.xPixel, 3);
  EXPECT_EQ(l.ScanPara.yPixel, 2);

  TImageDoc a, b;
  ASSERT_TRUE(l.ReadChannelV1(a, 1));
  EXPECT_EQ(l.Caption, "");
  const TVKMPicture& pa = *a.Picture;
  EXPECT_EQ(pa.ScanPara.Scale, 0.5f);
  EXPECT_EQ(pa.ScanPara.PhysUnit, "nm");
  // Integers: the first stored row is the top row.
  EXPECT_EQ(std::vector<float>(pa.RowTable[1], pa.RowTable[1] + 3),
            (std::vector<float>{0.5f, 1.0f, 1.5f}));
  EXPECT_EQ(std::vector<float>(pa.RowTable[0], pa.RowTable[0] + 3),
            (std::vector<float>{2.0f, 2.5f, 3.0f}));
  ASSERT_TRUE(l.ReadChannelV1(b, 2));
  const TVKMPicture& pb = *b.Picture;
  EXPECT_EQ(pb.ScanPara.PhysUnit, "pA");
  EXPECT_EQ(std::vector<float>(pb.RowTable[0], pb.RowTable[0] + 3),
            (std::vector<float>{0.5f, -3.0f, 6.0f}));
  EXPECT_EQ(pb.RowTable[1][1], 2 * 1e-3f);

  // Every line of the file, the empty one after the last line end included.
  ASSERT_EQ(a.InfoText.size(), 14u);
  EXPECT_EQ(a.InfoText[0], "Version: 1");
  EXPECT_EQ(a.InfoText[12], "Remarks after the list");
  EXPECT_EQ(a.InfoText[13], "");
  EXPECT_EQ(b.InfoText, a.InfoText);
}

TEST(NativeSamples, Version101CaptionsAndListEndedBySemicolon) {
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(kNative + "v101.txt", host);
  ASSERT_EQ(host.ready.size(), 2u);
  const TVKMPicture& p = *host.ready[0]->Picture;
  EXPECT_EQ(p.ScanPara.XScanRange, 250.0f);
  EXPECT_EQ(p.ScanPara.XPhysUnit, "nm");
  EXPECT_EQ(p.ScanPara.xPixel, 2);  // key written in capitals
  EXPECT_EQ(p.ScanPara.Scale, 0.25f);
  EXPECT_EQ(p.RowTable[1][0], 1.0f);
  EXPECT_EQ(p.RowTable[0][0], -3.0f);
  EXPECT_EQ(host.ready[0]->Caption, "v101_a.int - Height");
  EXPECT_EQ(host.ready[0]->ChannelCaption, "Height");
  EXPECT_EQ(host.ready[1]->Caption, "v101_b.sin - Current");
  EXPECT_EQ(host.ready[1]->Picture->ScanPara.PhysUnit, "nA");
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeSamples, Version101ListToEndOfFileWithoutRangeLine) {
  RecordingMessages msgs;
  TLoadFiles l(kNative + "v101_eof.txt", &msgs);
  ASSERT_TRUE(l.ReadHeader());
  // The name standing at the very end without a line end does not count.
  ASSERT_EQ(l.FileCount, 1);
  EXPECT_EQ(l.FileNames[1], "v101_b.sin");
  EXPECT_EQ(l.ScanPara.XScanRange, 1.0f);
  EXPECT_EQ(l.ScanPara.YScanRange, 1.0f);
  EXPECT_EQ(l.ScanPara.XPhysUnit, "");
  EXPECT_EQ(l.ScanPara.yPixel, 1);
}

TEST(NativeSamples, Version110KeysStayInsideTheirBlock) {
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(kNative + "v110.txt", host);
  ASSERT_EQ(host.ready.size(), 3u);
  const TVKMPicture& a = *host.ready[0]->Picture;
  EXPECT_EQ(host.ready[0]->Caption, "v110_a.int - Topo");
  EXPECT_EQ(a.ScanPara.XScanRange, 12.5f);
  EXPECT_EQ(a.ScanPara.YScanRange, 25.0f);
  EXPECT_EQ(a.ScanPara.YPhysUnit, "um");
  EXPECT_EQ(a.ScanPara.PhysUnit, "nm");
  // 1, 2, 3, 4 with Scale 0.5: row 1 = 0.5, 1.0 and row 0 = 1.5, 2.0.
  EXPECT_EQ(a.RowTable[1][0], 0.5f);
  EXPECT_EQ(a.RowTable[1][1], 1.0f);
  EXPECT_EQ(a.RowTable[0][0], 1.5f);
  EXPECT_EQ(a.RowTable[0][1], 2.0f);

  // The second block has no keys of its own; the third block's are not taken.
  const TImageDoc& b = *host.ready[1];
  EXPECT_EQ(b.Caption, "v110_b.sin");
  EXPECT_EQ(b.ChannelCaption, "");
  EXPECT_EQ(b.Picture->ScanPara.Scale, 1.0f);
  EXPECT_EQ(b.Picture->ScanPara.PhysUnit, "");
  EXPECT_EQ(b.Picture->RowTable[0][0], 0.5f);
  EXPECT_EQ(b.Picture->RowTable[0][1], 1.0f);
  EXPECT_EQ(b.Picture->RowTable[1][0], 1.5f);

  const TImageDoc& c = *host.ready[2];
  EXPECT_EQ(c.Caption, "v110_c.sin - Third");
  EXPECT_EQ(c.Picture->ScanPara.PhysUnit, "pA");
  EXPECT_EQ(c.Picture->RowTable[1][1], 4.0f);
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeSamples, DemoMeasurementOpensBothChannels) {
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(std::string(TARNISK_SAMPLES_DIR) + "/demo/demo.txt", host);
  ASSERT_EQ(host.ready.size(), 2u);
  EXPECT_EQ(host.ready[0]->Caption, "demo_topo.int - Topography");
  EXPECT_EQ(host.ready[1]->Caption, "demo_current.sin - Current");
  TVKMPicture& topo = *host.ready[0]->Picture;
  EXPECT_EQ(topo.Rows, 256);
  EXPECT_EQ(topo.Columns, 256);
  EXPECT_EQ(topo.ScanPara.PhysUnit, "nm");
  EXPECT_EQ(host.ready[1]->Picture->ScanPara.PhysUnit, "nA");
  topo.ComputeMinMax();
  EXPECT_GT(topo.Max - topo.Min, 3.0f);  // the spikes stand out of the surface
  EXPECT_TRUE(msgs.shown.empty());
}

// ---- failures ---------------------------------------------------------------

struct HeaderFailure {
  std::string text;
  std::vector<std::string> messages;
};

TEST(NativeHeaderFailures, EachReportsItsMessageAndOpensNothing) {
  const std::string block =
      "Version: 1.10\r\nXScanRange: 1\r\nYScanRange: 1\r\nXPhysUnit: nm\r\nYPhysUnit: nm\r\n";
  const std::string pixels = "Pixel in X : 2\r\nPixel in Y : 2\r\nFiles\r\na.sin\r\n1\r\nnm\r\n";
  const std::vector<HeaderFailure> cases = {
      {"no version here\r\n" + pixels, {"This File-Version is not supported!"}},
      {"Version: 2.0\r\n" + pixels, {"This File-Version is not supported!"}},
      {"Version\r\nPixel in X 2\r\n",
       {"No File-Version-Entry is found!", "This File-Version is not supported!"}},
      // Lines ended by line feeds only read as one line.
      {"Version: 1\nPixel in X : 2\nPixel in Y : 2\nFiles\na.sin\n1\nnm\n",
       {"This File-Version is not supported!"}},
      {"Version: 1\r\nPixel in Y : 2\r\n", {"No Pixel in X found!\nLoad aborted"}},
      {"Version: 1\r\nPixel in X : 0\r\nPixel in Y : 2\r\n",
       {"No Pixel in X found!\nLoad aborted"}},
      {"Version: 1.01\r\nPixel in X : 2\r\n", {"No Pixel in Y found!\nLoad aborted"}},
      {block + "yPixel : 2\r\n", {"No Pixel in X found!\nLoad aborted"}},
      {block + "xPixel : 2\r\nyPixel : \r\n", {"No Pixel in Y found!\nLoad aborted"}},
      // The block layout needs all six keys in order: a missing range ends the search.
      {"Version: 1.10\r\nxPixel : 2\r\nyPixel : 2\r\n", {"No Pixel in X found!\nLoad aborted"}},
      {"Version: 1\r\nPixel in X : 2x\r\n", {"\"2x\" is no valid integer!\nLoad aborted"}},
      {block + "xPixel : 515\r\nyPixel : 2\r\n",
       {"Picture too large! At most 514 x 514 points are possible.\nLoad aborted"}},
      {"Version: 1\r\nPixel in X : 2\r\nPixel in Y : -3\r\n" + pixels,
       {"Picture too small!\nLoad aborted"}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    WriteBytes(dir / "m.txt", c.text);
    WriteBytes(dir / "a.sin", Singles({1, 2, 3, 4}));
    RecordingMessages msgs;
    ListHost host(msgs);
    OpenNativeFile(dir / "m.txt", host);
    EXPECT_EQ(msgs.Texts(), c.messages) << c.text;
    EXPECT_TRUE(host.docs.empty()) << c.text;
  }
}

TEST(NativeHeaderFailures, SizeOf514IsAccepted) {
  RecordingMessages msgs;
  TLoadFiles l("", &msgs);
  std::string text = Header110({"FileDescBegin", "FileName : a.sin"});
  text.replace(text.find("xPixel     : 2"), 14, "xPixel : 514");
  text.replace(text.find("yPixel     : 2"), 14, "yPixel : 514");
  EXPECT_TRUE(l.ReadHeaderFrom(text));
  EXPECT_EQ(l.ScanPara.xPixel, 514);
  EXPECT_EQ(l.ScanPara.yPixel, 514);
  EXPECT_EQ(l.FileCount, 1);
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeHeaderFailures, AtMostSixteenChannels) {
  // The channels beyond the 16th are dropped without a box, but counted as data lost
  // (a batch run says so); exactly 16 lose nothing.
  const auto blocks = [](int count) {
    std::vector<std::string> b;
    for (int i = 1; i <= count; ++i) {
      b.push_back("FileDescBegin");
      std::string name = "FileName : c";
      name += std::to_string(i);
      name += ".sin";
      b.push_back(name);
      b.push_back("FileDescEnd");
    }
    return Header110(b);
  };
  const auto groups = [](int count) {
    std::vector<std::string> g = {"Version: 1", "Pixel in X : 1", "Pixel in Y : 1", "Files"};
    for (int i = 1; i <= count; ++i) {
      std::string name = "g";
      name += std::to_string(i);
      name += ".int";
      g.push_back(name);
      g.push_back("1");
      g.push_back("nm");
    }
    g.emplace_back(1, ';');
    return Lines(g);
  };
  RecordingMessages msgs;
  TLoadFiles l("", &msgs);
  EXPECT_TRUE(l.ReadHeaderFrom(blocks(16)));
  EXPECT_EQ(l.FileCount, 16);
  EXPECT_TRUE(l.ReadHeaderFrom(groups(16)));
  EXPECT_EQ(l.FileCount, 16);
  EXPECT_EQ(msgs.DataLossCount(), 0);

  EXPECT_TRUE(l.ReadHeaderFrom(blocks(18)));
  EXPECT_EQ(l.FileCount, 16);
  EXPECT_EQ(l.FileNames[16], "c16.sin");
  EXPECT_EQ(msgs.DataLossCount(), 1);
  EXPECT_TRUE(l.ReadHeaderFrom(groups(18)));
  EXPECT_EQ(l.FileCount, 16);
  EXPECT_EQ(l.FileNames[16], "g16.int");
  EXPECT_EQ(msgs.DataLossCount(), 2);
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeChannelFailures, MissingDataFileDiscardsItsWindowAndStops) {
  ScratchDir dir;
  WriteBytes(dir / "m.txt", Header110({"FileDescBegin", "FileName : a.sin", "FileDescEnd",
                                       "FileDescBegin", "FileName : gone.sin", "FileDescEnd",
                                       "FileDescBegin", "FileName : a.sin", "FileDescEnd"}));
  WriteBytes(dir / "a.sin", Singles({1, 2, 3, 4}));
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(dir / "m.txt", host);
  ASSERT_EQ(host.ready.size(), 1u);
  EXPECT_EQ(host.docs.size(), 1u);
  EXPECT_EQ(host.discarded, 1);
  EXPECT_EQ(msgs.Texts(),
            std::vector<std::string>{std::string("Cannot open file ") + (dir / "gone.sin")});
}

TEST(NativeChannelFailures, ShortDataFileLeavesZerosAndSaysSo) {
  ScratchDir dir;
  WriteBytes(dir / "m.txt",
             Header110({"FileDescBegin", "FileName : a.int", "Scale : 2", "FileDescEnd"}));
  WriteBytes(dir / "a.int", Int32s({5, 6, 7}) + "\x01\x02");  // 3 values and a torn one
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(dir / "m.txt", host);
  ASSERT_EQ(host.ready.size(), 1u);
  const TVKMPicture& p = *host.ready[0]->Picture;
  EXPECT_EQ(p.RowTable[1][0], 10.0f);
  EXPECT_EQ(p.RowTable[1][1], 12.0f);
  EXPECT_EQ(p.RowTable[0][0], 14.0f);
  EXPECT_EQ(p.RowTable[0][1], 0.0f);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{
                              "The data file a.int holds only 3 of 4 values; the others are set "
                              "to 0."});
  EXPECT_EQ(msgs.DataLossCount(), 1);  // data lost: a batch run fails the file
}

TEST(NativeChannelFailures, OtherExtensionsAndLongFilesReadSafely) {
  ScratchDir dir;
  WriteBytes(dir / "m.txt", Header110({"FileDescBegin", "FileName : a.SIN", "FileDescEnd",
                                       "FileDescBegin", "FileName : b.sin", "FileDescEnd"}));
  WriteBytes(dir / "a.SIN", Singles({1, 2, 3, 4}));
  WriteBytes(dir / "b.sin", Singles({1, 2, 3, 4, 5, 6, 7, 8}));
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(dir / "m.txt", host);
  ASSERT_EQ(host.ready.size(), 2u);
  // The type is chosen by the exact last three characters: "SIN" is not decoded.
  const TVKMPicture& a = *host.ready[0]->Picture;
  EXPECT_EQ(std::vector<float>(a.Data(), a.Data() + 4), std::vector<float>(4, 0.0f));
  // Values beyond the matrix are not read.
  const TVKMPicture& b = *host.ready[1]->Picture;
  EXPECT_EQ(std::vector<float>(b.Data(), b.Data() + 4), (std::vector<float>{1, 2, 3, 4}));
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeChannelFailures, LongDataFileIsReadOnlyAsFarAsTheMatrix) {
  ScratchDir dir;
  WriteBytes(dir / "m.txt", Header110({"FileDescBegin", "FileName : big.sin", "FileDescEnd"}));
  WriteBytes(dir / "big.sin", std::string(1 << 20, '\0'));
  RecordingMessages msgs;
  TLoadFiles l(dir / "m.txt", &msgs);
  ASSERT_TRUE(l.ReadHeader());
  TImageDoc doc;
  ASSERT_TRUE(l.ReadChannelV110(doc, 1));
  EXPECT_EQ(l.DataStream.Size(), 2u * 2u * 4u);
  EXPECT_TRUE(msgs.shown.empty());
}

TEST(NativeChannelFailures, RefusedWindowEndsTheLoopQuietly) {
  RecordingMessages msgs;
  ListHost host(msgs, 1);
  OpenNativeFile(kNative + "v110.txt", host);
  ASSERT_EQ(host.ready.size(), 1u);
  EXPECT_EQ(host.ready[0]->Caption, "v110_a.int - Topo");
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{"Too many Data!"});
}

TEST(NativeChannelFailures, MissingParameterFileIsReported) {
  ScratchDir dir;
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(dir / "none.txt", host);
  EXPECT_TRUE(host.docs.empty());
  EXPECT_EQ(msgs.Texts(),
            std::vector<std::string>{std::string("Cannot open file ") + (dir / "none.txt")});
}

TEST(NativeParameterText, CopyParameterTextSplitsAtLineFeeds) {
  ScratchDir dir;
  WriteBytes(dir / "p.par", "a\r\n\r\nb c\nlast");
  TLoadFiles l(dir / "p.par");
  TImageDoc doc;
  l.CopyParameterText(doc);
  EXPECT_EQ(doc.InfoText, (std::vector<std::string>{"a", "", "b c", "last"}));
}

TEST(NativeChannelDecoding, ProductsAreRoundedOnceToSingle) {
  ScratchDir dir;
  const float scale = 0.1f;  // a full 24-bit mantissa
  const std::vector<int32_t> raw = {(1 << 29) + 1, -2147483647 - 1, 123456789, -7};
  WriteBytes(dir / "m.txt",
             Header110({"FileDescBegin", "FileName : a.int", "Scale : 0.1", "FileDescEnd",
                        "FileDescBegin", "FileName : b.sin", "Scale : 0.1", "FileDescEnd"}));
  WriteBytes(dir / "a.int", Int32s(raw));
  const std::vector<float> singles = {3.3333333f, -1e30f, 1e-38f, 16777215.0f};
  WriteBytes(dir / "b.sin", Singles(singles));
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(dir / "m.txt", host);
  ASSERT_EQ(host.ready.size(), 2u);
  const TVKMPicture& a = *host.ready[0]->Picture;
  const TVKMPicture& b = *host.ready[1]->Picture;
  for (int k = 0; k < 4; ++k) {
    const int r = 1 - k / 2, c = k % 2;  // integers fill from the top row
    EXPECT_EQ(a.RowTable[r][c], static_cast<float>(static_cast<long double>(raw[k]) * scale));
    EXPECT_EQ(b.RowTable[k / 2][c],
              static_cast<float>(static_cast<long double>(singles[k]) * scale));
  }
}

TEST(NativeChannelFailures, EmptyDataFileNameNamesNoFile) {
  ScratchDir dir;
  WriteBytes(dir / "m.txt", Header110({"FileDescBegin", "FileName : ", "FileDescEnd"}));
  RecordingMessages msgs;
  ListHost host(msgs);
  OpenNativeFile(dir / "m.txt", host);
  EXPECT_TRUE(host.docs.empty());
  EXPECT_EQ(host.discarded, 1);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{std::string("Cannot open file ") + (dir / "")});
}
