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
