#include <gtest/gtest.h>

#include "formats/FileType.h"

TEST(FileType, ByExtensionCaseSensitive) {
  struct C {
    const char* name;
    TFileType type;
  };
  const C cases[] = {
      {"scan.txt", TFileType::Native},
      {"scan.TXT", TFileType::Unknown},
      {"scan.BMP", TFileType::Unknown},
      {"scan.bmp", TFileType::Bitmap},
      {"scan.img", TFileType::Burleigh},
      {"scan.IMG", TFileType::Burleigh},
      {"scan.Img", TFileType::Unknown},
      {"scan.par", TFileType::Omicron},
      {"scan.PAR", TFileType::Unknown},
      {"scan.tfp", TFileType::TopoMetrix},
      {"scan.1fp", TFileType::TopoMetrix},
      {"scan.xfp", TFileType::TopoMetrix},
      {"scan.TFP", TFileType::Unknown},
      {"a.b.bmp", TFileType::Bitmap},
      {"scan.", TFileType::Unknown},
      {"scan.t", TFileType::Unknown},
      {"scan.tf", TFileType::Unknown},
      {"C:\\x.bmp\\scan", TFileType::Bitmap},
      {"C:\\data\\scan", TFileType::Unknown},
      {"/d/x.bmp/scan", TFileType::Bitmap},
      {"scan.txtx", TFileType::Native},
      {"bmpfile", TFileType::Bitmap},
      {"", TFileType::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(FileTypeOf(c.name), c.type) << c.name;
}

TEST(FileType, Extension) {
  EXPECT_EQ(FileExtension("a.b.bmp"), "bmp");
  EXPECT_EQ(FileExtension("scan.tf"), "tf");
  EXPECT_EQ(FileExtension("C:\\data\\scan"), "C:\\");
  EXPECT_EQ(FileExtension("/data/x.y/scan"), "y/s");
}

TEST(FolderOf, LastSeparatorIncluded) {
  EXPECT_EQ(FolderOf("D:\\data\\x\\scan.txt"), "D:\\data\\x\\");
  EXPECT_EQ(FolderOf("/data/x/scan.txt"), "/data/x/");
  EXPECT_EQ(FolderOf("/data/x/"), "/data/");  // the search starts before the last character
  EXPECT_EQ(FolderOf("/data\\mixed/scan"), "/data\\mixed/");
  EXPECT_EQ(FolderOf("scan.txt"), "");
  EXPECT_EQ(FolderOf(""), "");
  EXPECT_EQ(FolderOf("/a"), "/");
}

TEST(FileNameParts, FilePartAfterLastSeparator) {
  EXPECT_EQ(FileNamePart("/data/x/scan.txt"), "scan.txt");
  EXPECT_EQ(FileNamePart("D:\\data\\scan.sin"), "scan.sin");
  EXPECT_EQ(FileNamePart("scan.int"), "scan.int");
  EXPECT_EQ(FileNamePart("/data/x/"), "");
}

TEST(FileNameParts, ExtensionOnlyInFilePart) {
  EXPECT_EQ(WithoutExtension("/m/scan.txt"), "/m/scan");
  EXPECT_EQ(WithoutExtension("/m/a.b.sin"), "/m/a.b");
  EXPECT_EQ(WithoutExtension("/m.v2/scan"), "/m.v2/scan");
  EXPECT_EQ(WithoutExtension("C:\\m.v2\\scan"), "C:\\m.v2\\scan");
  EXPECT_EQ(WithoutExtension("scan."), "scan");
  EXPECT_EQ(FilePartExtension("/m/a.b.sin"), "sin");
  EXPECT_EQ(FilePartExtension("/m.v2/scan"), "");
  EXPECT_EQ(FilePartExtension("scan."), "");
  EXPECT_EQ(FilePartExtension("scan.jpeg"), "jpeg");
}
