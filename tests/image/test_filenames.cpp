#include <gtest/gtest.h>

#include "image/FileNames.h"

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

TEST(AbsoluteFolderOf, RelativeFoldersHangBelowTheCurrentOne) {
  EXPECT_EQ(AbsoluteFolderOf("scan.txt", "/home/u/"), "/home/u/");
  EXPECT_EQ(AbsoluteFolderOf("sub/scan.txt", "/home/u/"), "/home/u/sub/");
  EXPECT_EQ(AbsoluteFolderOf("/data/scan.txt", "/home/u/"), "/data/");
  EXPECT_EQ(AbsoluteFolderOf("\\\\server\\scan.txt", "/home/u/"), "\\\\server\\");
  EXPECT_EQ(AbsoluteFolderOf("D:\\m\\scan.txt", "/home/u/"), "D:\\m\\");
}
