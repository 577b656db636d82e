#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("tarnisk_ini_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = (dir / "tarnisk.ini").string();
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string FileText() const {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  void Write(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
  fs::path dir;
  std::string path;
};

TEST_F(IniFileTest, MissingFileGivesDefaults) {
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("MainForm", "Width", 400), 400);
  EXPECT_EQ(ini.ReadString("Save", "Path", "x"), "x");
  EXPECT_FALSE(ini.ReadBool("Scale", "zScaleOn", false));
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(IniFileTest, EveryWriteReachesTheDiskAtOnce) {
  TIniFile ini(path);
  ini.WriteInteger("MainForm", "Top", 12);
  EXPECT_EQ(FileText(), "[MainForm]\nTop=12\n");
  ini.WriteBool("Scale", "zScaleOn", true);
  ini.WriteBool("Scale", "XYLabelOn", false);
  ini.WriteString("Save", "Path", "/data/x/");
  EXPECT_EQ(FileText(),
            "[MainForm]\nTop=12\n\n[Scale]\nzScaleOn=1\nXYLabelOn=0\n\n[Save]\nPath=/data/x/\n");
  TIniFile again(path);
  EXPECT_EQ(again.ReadInteger("MainForm", "Top", 0), 12);
  EXPECT_TRUE(again.ReadBool("Scale", "zScaleOn", false));
  EXPECT_FALSE(again.ReadBool("Scale", "XYLabelOn", true));
  EXPECT_EQ(again.ReadString("Save", "Path", ""), "/data/x/");
}

TEST_F(IniFileTest, OverwritingKeepsOneEntry) {
  TIniFile ini(path);
  ini.WriteInteger("Save", "Index", 1);
  ini.WriteInteger("Save", "Index", 3);
  EXPECT_EQ(FileText(), "[Save]\nIndex=3\n");
}

TEST_F(IniFileTest, MalformedAndEmptyFilesAreTolerated) {
  Write("");
  EXPECT_EQ(TIniFile(path).ReadInteger("MainForm", "Left", 0), 0);
  Write(
      "garbage without section\n[MainForm\nTop=5\n[MainForm]\nLeft=abc\nWidth=  640 \n=novalue\n"
      "Height=99999999999999\n[Font]\r\nSize=10\r\nName=Arial\r\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("MainForm", "Top", 0), 0);   // under a broken header
  EXPECT_EQ(ini.ReadInteger("MainForm", "Left", 7), 7);  // not a number
  EXPECT_EQ(ini.ReadInteger("MainForm", "Width", 400), 640);
  EXPECT_EQ(ini.ReadInteger("MainForm", "Height", 300), 300);  // out of range
  EXPECT_EQ(ini.ReadInteger("Font", "Size", 8), 10);           // CR LF file
  EXPECT_EQ(ini.ReadString("Font", "Name", ""), "Arial");
  EXPECT_EQ(ini.ReadInteger("font", "size", 8), 10);  // names ignore case
}

TEST_F(IniFileTest, BinaryJunkDoesNotCrash) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
  Write(junk);
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("MainForm", "Width", 400), 400);
  EXPECT_TRUE(ini.WriteInteger("MainForm", "Width", 500));
  EXPECT_EQ(TIniFile(path).ReadInteger("MainForm", "Width", 400), 500);
}

TEST_F(IniFileTest, WriteToMissingFolderFailsButKeepsValue) {
  TIniFile ini((dir / "no" / "such" / "folder" / "x.ini").string());
  EXPECT_FALSE(ini.WriteString("A", "B", "v"));
  EXPECT_EQ(ini.ReadString("A", "B", ""), "v");
}

TEST_F(IniFileTest, LineBreaksInValuesAreDropped) {
  TIniFile ini(path);
  ini.WriteString("Save", "Path", "a\nb\r\n");
  EXPECT_EQ(TIniFile(path).ReadString("Save", "Path", ""), "ab");
}

TEST_F(IniFileTest, SettingsPathBesideProgramWhenWritable) {
  const std::string folder = dir.string() + "/";
  EXPECT_EQ(settings::ChooseSettingsPath(folder, "/home/x"), folder + "tarnisk.ini");
}

TEST_F(IniFileTest, SettingsPathFallsBackToConfigFolder) {
  const std::string home = (dir / "home").string();
  // A folder that does not exist cannot be written.
  const std::string got = settings::ChooseSettingsPath("/nonexistent/bin/", home);
  EXPECT_EQ(got, home + "/.config/tarnisk/tarnisk.ini");
  EXPECT_TRUE(fs::is_directory(home + "/.config/tarnisk"));
}
