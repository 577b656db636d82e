#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/core/IniFile.h"
#include "formats/OpenFile.h"
#include "support/CollectingHost.h"

namespace fs = std::filesystem;

class OpenFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tarnisk_open_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    ini = std::make_unique<TIniFile>((dir / "t.ini").string());
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path() const { return ini->ReadString("Save", "Path", "?"); }
  fs::path dir;
  std::unique_ptr<TIniFile> ini;
};

TEST_F(OpenFileTest, UnknownTypeSaysSoButStillRemembersTheFolder) {
  CollectingHost host;
  OpenFile("/data/x/scan.TXT", host, ini.get());
  ASSERT_EQ(host.messages.shown.size(), 1u);
  EXPECT_EQ(host.messages.shown[0].text, "Unknown file type");
  EXPECT_EQ(host.messages.shown[0].title, "Error");
  EXPECT_EQ(host.messages.shown[0].kind, TMsgDlgType::mtError);
  EXPECT_EQ(Path(), "/data/x/");
  EXPECT_EQ(host.created, 0);
}

TEST_F(OpenFileTest, RelativeNamesAreRememberedAsAbsoluteFolders) {
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  CollectingHost host;
  OpenFile("scan.xyz", host, ini.get());
  EXPECT_EQ(Path(), dir.string() + "/");
  OpenFile("sub/scan.xyz", host, ini.get());
  EXPECT_EQ(Path(), dir.string() + "/sub/");
  OpenFile("C:\\m\\scan.xyz", host, ini.get());
  EXPECT_EQ(Path(), "C:\\m\\");
  fs::current_path(old);
}

TEST_F(OpenFileTest, MissingNativeFileOpensNothing) {
  CollectingHost host;
  OpenFile((dir / "none.txt").string(), host, ini.get());
  EXPECT_TRUE(host.docs.empty());
  EXPECT_EQ(host.Pending(), 0u);
  EXPECT_FALSE(host.messages.shown.empty());
}
