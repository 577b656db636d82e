#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "formats/OpenFile.h"
#include "support/CollectingHost.h"

namespace fs = std::filesystem;

class OpenFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tarnisk_open_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(OpenFileTest, UnknownTypeSaysSoButStillTellsTheFolder) {
  CollectingHost host;
  OpenFile("/data/x/scan.TXT", host);
  ASSERT_EQ(host.messages.shown.size(), 1u);
  EXPECT_EQ(host.messages.shown[0].text, "Unknown file type");
  EXPECT_EQ(host.messages.shown[0].title, "Error");
  EXPECT_EQ(host.messages.shown[0].kind, TMsgDlgType::mtError);
  EXPECT_EQ(host.folders, std::vector<std::string>{"/data/x/"});
  EXPECT_EQ(host.created, 0);
}

TEST_F(OpenFileTest, RelativeNamesAreToldAsAbsoluteFolders) {
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  CollectingHost host;
  OpenFile("scan.xyz", host);
  OpenFile("sub/scan.xyz", host);
  OpenFile("C:\\m\\scan.xyz", host);
  fs::current_path(old);
  const std::vector<std::string> expected = {dir.string() + "/", dir.string() + "/sub/", "C:\\m\\"};
  EXPECT_EQ(host.folders, expected);
}

TEST_F(OpenFileTest, MissingNativeFileOpensNothing) {
  CollectingHost host;
  OpenFile((dir / "none.txt").string(), host);
  EXPECT_TRUE(host.docs.empty());
  EXPECT_EQ(host.Pending(), 0u);
  EXPECT_FALSE(host.messages.shown.empty());
  EXPECT_EQ(host.folders, std::vector<std::string>{dir.string() + "/"});
}
