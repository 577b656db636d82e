// Bitmap import: palette indices of 8-bit bitmaps, red + green + blue of others.
#include <gtest/gtest.h>

#include "formats/FileBytes.h"
#include "formats/OpenReaders.h"
#include "image/ImageDecoder.h"
#include "support/CollectingHost.h"
#include "support/TempDir.h"

namespace {

// A bottom-up bitmap; `lines` are the stored lines (first = bottom), each already
// padded by the caller when `bits` is 8, otherwise padded here.
std::vector<uint8_t> Bmp(int32_t w, int32_t h, uint16_t bits, const std::vector<uint8_t>& pixels,
                         int paletteEntries = 0, bool reversedGrey = false) {
  std::vector<uint8_t> b = {'B', 'M'};
  PutU32LE(b, 0);  // file size, unused
  PutU32LE(b, 0);
  PutU32LE(b, static_cast<uint32_t>(54 + paletteEntries * 4));
  PutU32LE(b, 40);
  PutU32LE(b, static_cast<uint32_t>(w));
  PutU32LE(b, static_cast<uint32_t>(h));
  PutU16LE(b, 1);
  PutU16LE(b, bits);
  PutU32LE(b, 0);
  PutU32LE(b, static_cast<uint32_t>(pixels.size()));
  PutU32LE(b, 2835);
  PutU32LE(b, 2835);
  PutU32LE(b, static_cast<uint32_t>(paletteEntries));
  PutU32LE(b, 0);
  for (int i = 0; i < paletteEntries; ++i) {
    const uint8_t g = static_cast<uint8_t>(reversedGrey ? 255 - i : i);
    b.insert(b.end(), {g, g, g, 0});
  }
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

TImageDoc* Open(CollectingHost& host, const std::string& path) {
  OpenSingleImageFile(path, TFileType::Bitmap, host);
  EXPECT_EQ(host.Pending(), 0u);
  EXPECT_EQ(host.readyWithoutImage, 0);
  return host.docs.empty() ? nullptr : host.docs.front().get();
}

}  // namespace

TEST(Bitmap, EightBitLinesGiveRawIndicesAndSkipTheirPadding) {
  TempDir dir;
  // 3 x 2, each stored line padded to 4 bytes; the palette is reversed grey, so index
  // 0 is drawn white but still reads 0.
  const std::vector<uint8_t> px = {0, 1, 2, 99, 200, 255, 7, 99};
  const std::string path = dir.Write("a.bmp", Bmp(3, 2, 8, px, 256, true));
  CollectingHost host;
  TImageDoc* d = Open(host, path);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Caption, path);
  const TVKMPicture& p = *d->Picture;
  ASSERT_EQ(p.Columns, 3);
  ASSERT_EQ(p.Rows, 2);
  EXPECT_EQ(p.RowTable[0][0], 0);  // first stored line is row 0, the bottom
  EXPECT_EQ(p.RowTable[0][2], 2);
  EXPECT_EQ(p.RowTable[1][0], 200);
  EXPECT_EQ(p.RowTable[1][2], 7);
  EXPECT_EQ(p.ScanPara.XScanRange, 3);
  EXPECT_EQ(p.ScanPara.YScanRange, 2);
  EXPECT_EQ(p.ScanPara.Scale, 1);
  EXPECT_EQ(p.ScanPara.XPhysUnit, "Pixel");
  EXPECT_EQ(p.ScanPara.YPhysUnit, "Pixel");
  EXPECT_EQ(p.ScanPara.PhysUnit, "Pixel");
  EXPECT_TRUE(d->InfoText.empty());
  EXPECT_TRUE(host.messages.shown.empty());
}

TEST(Bitmap, TrueColourPixelsGiveTheSumOfTheirComponents) {
  TempDir dir;
  // 24 bits, 2 x 2: bottom line white, red; top line blue, (1,2,3). Lines padded to 8.
  const std::vector<uint8_t> px24 = {255, 255, 255, 0, 0, 255, 0, 0, 255, 0, 0, 3, 2, 1, 0, 0};
  // 32 bits, same picture, stored top-down by a negative height would be refused, so
  // bottom-up again.
  const std::vector<uint8_t> px32 = {255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0, 3, 2, 1, 0};
  for (const auto& [bits, px] : {std::pair<uint16_t, std::vector<uint8_t>>{24, px24},
                                 std::pair<uint16_t, std::vector<uint8_t>>{32, px32}}) {
    CollectingHost host;
    TImageDoc* d = Open(host, dir.Write("c.bmp", Bmp(2, 2, bits, px)));
    ASSERT_NE(d, nullptr) << bits;
    const TVKMPicture& p = *d->Picture;
    EXPECT_EQ(p.RowTable[0][0], 765) << bits;
    EXPECT_EQ(p.RowTable[0][1], 255) << bits;
    EXPECT_EQ(p.RowTable[1][0], 255) << bits;
    EXPECT_EQ(p.RowTable[1][1], 6) << bits;
    EXPECT_EQ(p.ScanPara.PhysUnit, "Pixel");
  }
}

TEST(Bitmap, LowerCaseMarkIsAcceptedAndOtherFilesAreNot) {
  TempDir dir;
  std::vector<uint8_t> lower = Bmp(1, 1, 8, {42, 0, 0, 0}, 256);
  lower[0] = 'b';
  lower[1] = 'm';
  CollectingHost host;
  TImageDoc* d = Open(host, dir.Write("l.bmp", lower));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Picture->RowTable[0][0], 42);

  for (const std::vector<uint8_t>& bytes :
       {std::vector<uint8_t>{}, std::vector<uint8_t>{'B'}, std::vector<uint8_t>{'P', 'K', 3, 4}}) {
    CollectingHost other;
    Open(other, dir.Write("x.bmp", bytes));
    EXPECT_TRUE(other.docs.empty());
    EXPECT_EQ(other.discarded, 1);
    EXPECT_EQ(other.messages.Texts(),
              std::vector<std::string>{"Not a Bitmap image! Convert canceled"});
  }
}

TEST(Bitmap, SizesBeyondThePictureAndDamagedFilesOpenNoWindow) {
  TempDir dir;
  const std::vector<std::vector<uint8_t>> files = {
      Bmp(3, -2, 8, std::vector<uint8_t>(8, 1), 256),       // top-down: "Picture too small!"
      Bmp(640, 480, 8, {}, 256),                            // beyond 514 columns
      Bmp(2, 0, 8, {}, 256),                                // no rows
      {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40},  // headers cut short
      Bmp(2, 2, 16, std::vector<uint8_t>(8, 0)),            // 16 bits: not decodable here
      Bmp(2, 2, 24, std::vector<uint8_t>(5, 0)),            // pixels missing
  };
  for (size_t i = 0; i < files.size(); ++i) {
    CollectingHost host;
    Open(host, dir.Write("d.bmp", files[i]));
    EXPECT_TRUE(host.docs.empty()) << i;
    EXPECT_EQ(host.discarded, 1) << i;
    EXPECT_EQ(host.messages.shown.size(), 1u) << i;
  }
  CollectingHost host;
  Open(host, dir.Write("d.bmp", files[0]));
  EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"Picture too small!"});
}

TEST(Bitmap, ShortEightBitFileKeepsWhatWasReadAndSaySo) {
  TempDir dir;
  CollectingHost host;
  // 2 x 2 needs two 4-byte lines; one line and one pixel are there.
  TImageDoc* d = Open(host, dir.Write("s.bmp", Bmp(2, 2, 8, {5, 6, 0, 0, 9}, 256)));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Picture->RowTable[0][1], 6);
  EXPECT_EQ(d->Picture->RowTable[1][0], 9);
  EXPECT_EQ(d->Picture->RowTable[1][1], 0);
  EXPECT_EQ(host.messages.Texts(),
            std::vector<std::string>{"The file " + dir.Path("s.bmp") +
                                     " ends too early: 3 of 4 points read, the rest are 0."});
  // Counted as data lost, so that a batch run fails the file.
  EXPECT_EQ(host.messages.DataLossCount(), 1);
}

namespace {
// Stands in for the platform's decoder: a fixed 2 x 1 image whatever the file.
class FixedDecoder : public ImageDecoder {
 public:
  int calls = 0;
  bool Decode(const uint8_t*, size_t, int32_t, TDecodedImage& out) override {
    ++calls;
    out.Width = 2;
    out.Height = 1;
    out.Rgb = {10, 20, 30, 1, 1, 1};
    return true;
  }
};
}  // namespace

TEST(Bitmap, OtherDepthsGoThroughTheInstalledDecoder) {
  TempDir dir;
  FixedDecoder decoder;
  SetImageDecoder(&decoder);
  CollectingHost host;
  TImageDoc* d = Open(host, dir.Write("r.bmp", Bmp(2, 1, 4, {0, 0, 0, 0}, 16)));
  TImageDoc* eight = nullptr;
  CollectingHost host8;
  eight = Open(host8, dir.Write("e.bmp", Bmp(2, 1, 8, {3, 4, 0, 0}, 256)));
  SetImageDecoder(nullptr);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(decoder.calls, 1);  // never for 8-bit files
  EXPECT_EQ(d->Picture->RowTable[0][0], 60);
  EXPECT_EQ(d->Picture->RowTable[0][1], 3);
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(eight->Picture->RowTable[0][1], 4);
}

namespace {
// Stands in for a lenient platform decoder: every pixel of the size in the headers is
// (10, 20, 30), however short the file.
class LenientDecoder : public ImageDecoder {
 public:
  bool Decode(const uint8_t* data, size_t, int32_t, TDecodedImage& out) override {
    out.Width = LoadI32LE(data + 18);
    out.Height = LoadI32LE(data + 22);
    out.Rgb.assign(static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height) * 3, 0);
    for (size_t i = 0; i < out.Rgb.size(); i += 3) {
      out.Rgb[i] = 10;
      out.Rgb[i + 1] = 20;
      out.Rgb[i + 2] = 30;
    }
    return true;
  }
};
}  // namespace

TEST(Bitmap, DecodedFileThatEndsTooEarlyKeepsOnlyWholePixelsAndSaysSo) {
  TempDir dir;
  LenientDecoder decoder;
  SetImageDecoder(&decoder);
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    std::vector<std::vector<float>> rows;  // expected, row 0 = bottom line
    std::string counts;                    // "n of m" points read; empty: no message
  };
  std::vector<uint8_t> rle = Bmp(3, 2, 4, {0, 0, 0, 0, 0}, 16);
  rle[30] = 2;  // run-length lines are shorter than plain ones by nature
  const std::vector<Case> cases = {
      // 24 bits, 2 x 2, lines of 8 bytes: the top line has 4 of them, one whole pixel.
      {"24 bits", Bmp(2, 2, 24, std::vector<uint8_t>(12, 1)), {{60, 60}, {60, 0}}, "3 of 4"},
      // 4 bits, 3 x 2, lines of 4 bytes: one byte of the top line holds two pixels.
      {"4 bits",
       Bmp(3, 2, 4, std::vector<uint8_t>(5, 1), 16),
       {{60, 60, 60}, {60, 60, 0}},
       "5 of 6"},
      // 32 bits, 1 x 2: the top pixel lacks its last byte.
      {"32 bits", Bmp(1, 2, 32, std::vector<uint8_t>(7, 1)), {{60}, {0}}, "1 of 2"},
      {"whole", Bmp(2, 2, 24, std::vector<uint8_t>(16, 1)), {{60, 60}, {60, 60}}, ""},
      {"run-length", rle, {{60, 60, 60}, {60, 60, 60}}, ""},
  };
  for (const Case& k : cases) {
    CollectingHost host;
    TImageDoc* d = Open(host, dir.Write("t.bmp", k.file));
    ASSERT_NE(d, nullptr) << k.what;
    for (size_t r = 0; r < k.rows.size(); ++r)
      for (size_t c = 0; c < k.rows[r].size(); ++c)
        EXPECT_EQ(d->Picture->RowTable[r][c], k.rows[r][c]) << k.what << " " << r << "," << c;
    if (k.counts.empty()) {
      EXPECT_TRUE(host.messages.shown.empty()) << k.what;
      EXPECT_EQ(host.messages.DataLossCount(), 0) << k.what;
    } else {
      EXPECT_EQ(host.messages.Texts(), std::vector<std::string>{"The file " + dir.Path("t.bmp") +
                                                                " ends too early: " + k.counts +
                                                                " points read, the rest are 0."})
          << k.what;
      EXPECT_EQ(host.messages.DataLossCount(), 1) << k.what;
    }
  }
  SetImageDecoder(nullptr);
}

TEST(BmpDecoder, PalettedDepthsAndTopDownLines) {
  // 4 bits, 3 x 2 top-down, palette entries 0..15 of grey i*16.
  std::vector<uint8_t> px = {0x12, 0x30, 0, 0, 0xF0, 0x00, 0, 0};
  std::vector<uint8_t> b = Bmp(3, -2, 4, px, 16);
  for (int i = 0; i < 16; ++i) {
    const uint8_t g = static_cast<uint8_t>(i * 16);
    b[54 + i * 4] = b[55 + i * 4] = b[56 + i * 4] = g;
  }
  BmpDecoder decoder;
  TDecodedImage img;
  ASSERT_TRUE(decoder.Decode(b.data(), b.size(), 514, img));
  ASSERT_EQ(img.Width, 3);
  ASSERT_EQ(img.Height, 2);
  EXPECT_EQ(img.Pixel(0, 0)[0], 16);   // top line first: index 1
  EXPECT_EQ(img.Pixel(2, 0)[1], 48);   // index 3
  EXPECT_EQ(img.Pixel(0, 1)[2], 240);  // index 15
  // Larger than allowed, cut short, or compressed: refused.
  EXPECT_FALSE(decoder.Decode(b.data(), b.size(), 2, img));
  EXPECT_FALSE(decoder.Decode(b.data(), b.size() - 1, 514, img));
  std::vector<uint8_t> rle = b;
  rle[30] = 2;
  EXPECT_FALSE(decoder.Decode(rle.data(), rle.size(), 514, img));
}
