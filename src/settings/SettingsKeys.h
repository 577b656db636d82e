// Every section and key of the settings file with its default, and where the
// viewer keeps the file.
#pragma once

#include <string>

namespace settings {

// "MainForm": position and size of the main window.
inline constexpr const char* kMainForm = "MainForm";
inline constexpr int kDefaultTop = 0, kDefaultLeft = 0, kDefaultWidth = 400, kDefaultHeight = 300;

// "Font": the font of the main window and of every image window.
inline constexpr const char* kFont = "Font";
inline constexpr const char* kDefaultFontName = "MS Sans Serif";
inline constexpr int kDefaultFontSize = 8;
inline constexpr int kDefaultFontColor = 0;

// "Save": the open dialog's folder and filter index; also the profile save folder.
inline constexpr const char* kSave = "Save";
inline constexpr int kDefaultSaveIndex = 0;

// "Scale": the display choices of the image windows (all default false).
inline constexpr const char* kScale = "Scale";

// "File": folder of the ASCII export.
inline constexpr const char* kFile = "File";

// "Filter": the processing workbench.
inline constexpr const char* kFilter = "Filter";
inline constexpr const char* kDefaultFilterEdit2 = "1";
inline constexpr const char* kDefaultKugel = "0";

// "AnaLine": the line profile window.
inline constexpr const char* kAnaLine = "AnaLine";
inline constexpr int kDefaultAnaDir = 0, kDefaultAnaWidth = 1;
inline constexpr const char* kDefaultAnaNumber = "1";
inline constexpr int kDefaultAnyPoint1X = 1, kDefaultAnyPoint1Y = 1, kDefaultAnyPoint2X = 10,
                     kDefaultAnyPoint2Y = 10;

// "S3D": the 3D view.
inline constexpr const char* kS3D = "S3D";
inline constexpr const char* kDefaultZGain = "10";
inline constexpr const char* kDefaultShift = "10";

// "Arithmetic": the operator of the arithmetic window.
inline constexpr const char* kArithmetic = "Arithmetic";
inline constexpr const char* kDefaultOp = "/";

inline constexpr const char* kFileName = "tarnisk.ini";

// The settings file beside the program when that folder is writable, otherwise
// <home>/.config/tarnisk/tarnisk.ini (the folder is created), so that an installed
// program still remembers its settings. `programFolder` ends with a separator.
std::string ChooseSettingsPath(const std::string& programFolder, const std::string& homeFolder);

}  // namespace settings
