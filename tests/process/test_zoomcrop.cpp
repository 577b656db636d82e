#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/NativeTestSupport.h"
#include "formats/NativeWriter.h"
#include "formats/OpenReaders.h"
#include "process/ZoomCrop.h"

namespace {

// 8 columns x 6 rows, value 10 r + c (row 0 at the bottom).
void Grid(TVKMPicture& p) {
  p.SetSize(8, 6);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 8; ++c) p.RowTable[r][c] = static_cast<float>(10 * r + c);
}

std::vector<float> Values(const TVKMPicture& p) {
  return std::vector<float>(p.Data(), p.Data() + p.ValueCount());
}

TZoomSquare Dragged(int x, int y, int toX) {
  TZoomSquare z;
  ZoomStart(z, x, y);
  ZoomDragTo(z, toX);
  return z;
}

}  // namespace

TEST(ZoomCrop, TheSquareFollowsTheHorizontalDragOnly) {
  TZoomSquare z = Dragged(2, 1, 5);
  EXPECT_EQ(z.ZoomX1, 2);
  EXPECT_EQ(z.ZoomY1, 1);
  EXPECT_EQ(z.ZoomX2, 5);
  EXPECT_EQ(z.ZoomY2, 4);
  ZoomDragTo(z, 0);  // back past the start: negative extents
  EXPECT_EQ(z.ZoomX2, 0);
  EXPECT_EQ(z.ZoomY2, -1);
  EXPECT_EQ(ZoomOutline(z), (std::array<TPixel, 5>{TPixel{2, 1}, TPixel{2, -1}, TPixel{0, -1},
                                                   TPixel{0, 1}, TPixel{2, 1}}));
  EXPECT_EQ(ZoomHint(17, 203), "X= 17  Y= 203");
}

TEST(ZoomCrop, TheOutlineMeetsEveryPixelOnceSoDrawingItTwiceErasesIt) {
  // A 3 x 3 square from (1, 1): its border is the 12 pixels of the 4 x 4 block
  // 1..4 x 1..4 minus the inner 2 x 2, each once, in drawing order from (1, 1) down.
  TZoomSquare z{1, 1, 4, 4};
  std::vector<TPixel> px = ZoomOutlinePixels(z);
  ASSERT_EQ(px.size(), 12u);
  EXPECT_EQ(px[0], (TPixel{1, 1}));
  EXPECT_EQ(px[3], (TPixel{1, 4}));
  EXPECT_EQ(px[6], (TPixel{4, 4}));
  EXPECT_EQ(px[9], (TPixel{4, 1}));
  int grid[6][6] = {};
  for (const TPixel& p : px) ++grid[p.Y][p.X];
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool border =
          x >= 1 && x <= 4 && y >= 1 && y <= 4 && (x == 1 || x == 4 || y == 1 || y == 4);
      EXPECT_EQ(grid[y][x], border ? 1 : 0) << x << "," << y;
    }
  // Dragged up and left: the same kind of border, the corners given backwards.
  z = {3, 3, 1, 1};
  px = ZoomOutlinePixels(z);
  EXPECT_EQ(px.size(), 8u);
  EXPECT_EQ(px[0], (TPixel{3, 3}));
  EXPECT_EQ(px[2], (TPixel{3, 1}));
  // A click: nothing drawn, so nothing left behind by the erasing draw either.
  z = {5, 7, 5, 7};
  EXPECT_TRUE(ZoomOutlinePixels(z).empty());
}

TEST(ZoomCrop, CropsTheSquareAsSeenOnTheScreen) {
  TVKMPicture image, work;
  Grid(image);
  Grid(work);
  TZoomSquare z = Dragged(2, 1, 5);  // columns 2..4, bitmap lines 1..3 = rows 4..2
  ASSERT_TRUE(CropToSquare(image, z, work));
  EXPECT_EQ(work.Columns, 3);
  EXPECT_EQ(work.Rows, 3);
  EXPECT_EQ(Values(work), (std::vector<float>{22, 23, 24, 32, 33, 34, 42, 43, 44}));
}

TEST(ZoomCrop, RightToLeftCropsTheSameAreaAndPutsTheSquareInOrder) {
  TVKMPicture image, work;
  Grid(image);
  TZoomSquare z = Dragged(5, 4, 2);
  ASSERT_TRUE(CropToSquare(image, z, work));
  EXPECT_EQ(z.ZoomX1, 2);
  EXPECT_EQ(z.ZoomX2, 5);
  EXPECT_EQ(z.ZoomY1, 1);
  EXPECT_EQ(z.ZoomY2, 4);
  EXPECT_EQ(Values(work), (std::vector<float>{22, 23, 24, 32, 33, 34, 42, 43, 44}));
}

TEST(ZoomCrop, AClickCropsNothing) {
  TVKMPicture image, work;
  Grid(image);
  Grid(work);
  work.RowTable[0][0] = -1;
  TZoomSquare z = Dragged(3, 3, 3);
  EXPECT_FALSE(CropToSquare(image, z, work));
  EXPECT_EQ(work.Columns, 8);
  EXPECT_EQ(work.RowTable[0][0], -1.0f);
}

TEST(ZoomCrop, SquaresReachingOutsideAreCutToThePicture) {
  TVKMPicture image, work;
  Grid(image);
  // Right edge: columns 6..9 asked, 6..7 exist; lines 2..5 = rows 3..0.
  TZoomSquare z = Dragged(6, 2, 10);
  ASSERT_TRUE(CropToSquare(image, z, work));
  EXPECT_EQ(work.Columns, 2);
  EXPECT_EQ(work.Rows, 4);
  EXPECT_EQ(Values(work), (std::vector<float>{6, 7, 16, 17, 26, 27, 36, 37}));

  // Up and left of the picture: columns and lines -3..1 leave columns 0..1, lines 0..1.
  z = Dragged(-3, -3, 2);
  ASSERT_TRUE(CropToSquare(image, z, work));
  EXPECT_EQ(Values(work), (std::vector<float>{40, 41, 50, 51}));

  // Below the picture: lines 5..12 leave line 5 = row 0.
  z = Dragged(1, 5, 8);
  ASSERT_TRUE(CropToSquare(image, z, work));
  EXPECT_EQ(Values(work), (std::vector<float>{1, 2, 3, 4, 5, 6, 7}));

  // Wholly outside: nothing.
  Grid(work);
  z = Dragged(9, 0, 12);
  EXPECT_FALSE(CropToSquare(image, z, work));
  EXPECT_EQ(work.Columns, 8);
}

TEST(ZoomCrop, TheCropAlwaysReadsTheImage) {
  TVKMPicture image, work;
  Grid(image);
  TZoomSquare z = Dragged(2, 1, 5);
  ASSERT_TRUE(CropToSquare(image, z, work));
  // A second square measured on the crop's pixels is applied to the image.
  z = Dragged(0, 0, 2);
  ASSERT_TRUE(CropToSquare(image, z, work));
  EXPECT_EQ(Values(work), (std::vector<float>{40, 41, 50, 51}));
}

TEST(ZoomCrop, TakeOverScalesTheScanRangesWithTheCrop) {
  TVKMPicture image, work;
  Grid(image);
  image.ScanPara.XScanRange = 80;
  image.ScanPara.YScanRange = 60;
  image.ScanPara.xPixel = 512;
  image.ScanPara.yPixel = 256;
  image.ScanPara.PhysUnit = "nm";
  TZoomSquare z = Dragged(2, 1, 5);
  ASSERT_TRUE(CropToSquare(image, z, work));
  TakeOverCrop(image, work);
  EXPECT_EQ(image.Columns, 3);
  EXPECT_EQ(image.Rows, 3);
  EXPECT_EQ(Values(image), (std::vector<float>{22, 23, 24, 32, 33, 34, 42, 43, 44}));
  EXPECT_EQ(image.ScanPara.XScanRange, 30.0f);  // 80 / 8 * 3
  EXPECT_EQ(image.ScanPara.YScanRange, 30.0f);  // 60 / 6 * 3
  EXPECT_EQ(image.ScanPara.xPixel, 512);
  EXPECT_EQ(image.ScanPara.yPixel, 256);
  EXPECT_EQ(image.ScanPara.PhysUnit, "nm");
}

TEST(ZoomCrop, TakeOverScalesInSinglePrecisionAndLeavesAnUnchangedCountAlone) {
  // 1000 / 300 is 3.33333325 in single; times 100, 333.333313.
  TVKMPicture image, work;
  image.SetSize(300, 13);
  image.ScanPara.XScanRange = 1000;
  image.ScanPara.YScanRange = 1000;
  work.SetSize(100, 13);
  TakeOverCrop(image, work);
  EXPECT_EQ(image.ScanPara.XScanRange, 333.33331298828125f);
  // 1000 / 13 * 13 would be 1000.00006 in single; 13 rows stay 13 rows.
  EXPECT_EQ(image.ScanPara.YScanRange, 1000.0f);
}

TEST(ZoomCrop, ACropSavedAsNativeFileReadsBackAsTheCrop) {
  nativetest::ScratchDir dir;
  TImageDoc doc;
  doc.InitWindow(1, dir / "scan.sin");
  doc.CreatePicture(8, 6);
  Grid(*doc.Picture);
  TScanPara& sp = doc.Picture->ScanPara;
  sp.XScanRange = 800;
  sp.YScanRange = 600;
  sp.XPhysUnit = sp.YPhysUnit = sp.PhysUnit = "nm";
  sp.Scale = 1;
  sp.xPixel = 8;
  sp.yPixel = 6;

  TVKMPicture work;
  TZoomSquare z = Dragged(2, 1, 5);
  ASSERT_TRUE(CropToSquare(*doc.Picture, z, work));
  TakeOverCrop(*doc.Picture, work);
  doc.Render('.');

  for (TNativeKind kind : {TNativeKind::Sin, TNativeKind::Int}) {
    const std::string name = dir / (kind == TNativeKind::Sin ? "crop_s.txt" : "crop_i.txt");
    RecordingMessages msgs;
    ASSERT_TRUE(WriteNativeFiles(doc, name, kind, msgs));
    nativetest::ListHost host(msgs);
    OpenNativeFile(name, host);
    ASSERT_EQ(host.docs.size(), 1u);
    const TVKMPicture& back = *host.docs[0]->Picture;
    EXPECT_EQ(back.Columns, 3);
    EXPECT_EQ(back.Rows, 3);
    EXPECT_EQ(Values(back), (std::vector<float>{22, 23, 24, 32, 33, 34, 42, 43, 44}));
    EXPECT_EQ(back.ScanPara.XScanRange, 300.0f);
    EXPECT_EQ(back.ScanPara.YScanRange, 300.0f);
  }
}
