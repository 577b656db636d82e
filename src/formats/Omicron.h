// Omicron SPM Control measurements: a text parameter file that describes the scan and
// lists topographic and spectroscopy channels, each with a file of big-endian 16-bit
// samples. Every topographic channel becomes one image, every spectroscopy channel one
// image per spectroscopy point.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "formats/FileBytes.h"
#include "image/Messages.h"
#include "image/TImageDoc.h"

inline constexpr int kMaxOmicronChannels = 8;

class TLineReader;

// What both kinds of channel description hold.
struct ImageInfo {
  std::string FileName;  // DataDirectory + the name after ";Filename"
  char ChannelLetter = ' ';
  int32_t X = 0;  // columns
  int32_t Y = 0;  // rows
  float MaxRaw = 0;
  float MinRaw = 0;
  float MaxPhys = 0;
  float MinPhys = 0;
  uint8_t UnitFlag = 0;  // 1 for "nm", 0 for "nA", otherwise unchanged
  float Resolution = 0;  // physical value of one raw count
};

struct topographicInfo : ImageInfo {};

struct spectroscopicInfo : ImageInfo {
  int32_t PointCount = 0;
};

// The scan description; only the two image sizes are used further.
struct TScannerInfo {
  double FieldXSize = 0;
  double FieldYSize = 0;
  double ImageSizeX = 0;
  double ImageSizeY = 0;
  double IncrementX = 0;
  double IncrementY = 0;
  double ScanAngle = 0;
  double XOffset = 0;
  double YOffset = 0;
};

class TOmicron {
 public:
  explicit TOmicron(Messages& messages) : msg_(messages) {}

  // Reads the parameter file and asks whether spectroscopy data is wanted. False when
  // the file does not exist.
  bool OpenParameterFile(const std::string& FileName);

  // Kind 0: topographic channels; 1: spectroscopy channels to open.
  int ChannelCount(int Kind) const { return Kind == 0 ? topoCount_ : spectroCount_; }
  // Index 1..ChannelCount.
  const topographicInfo& Topographic(int Index) const { return topo_.at(Index - 1); }
  const spectroscopicInfo& Spectroscopic(int Index) const { return spectro_.at(Index - 1); }

  // Fills the window's picture (already sized) from the channel's data file. False
  // when the file cannot be opened.
  bool ReadTopographicData(int Index, TImageDoc& Window);

  bool OpenSpectroscopyFile(int Index);
  // Frames of the open spectroscopy file that can be shown: its point count, but no
  // more than the file holds samples for.
  int SpectroscopyFrameCount() const;
  // The next frame of the open spectroscopy file.
  bool ReadSpectroscopyFrame(int Index, TImageDoc& Window);
  void CloseSpectroscopyFile();

  std::string DataDirectory;
  TScannerInfo ScannerInfo;
  int32_t ImageSizeX = 0;
  int32_t ImageSizeY = 0;

 private:
  void CheckHeader(const std::string& FileName);
  bool ReadScannerInfo(TLineReader& lines);
  void ReadTopographicChannels(TLineReader& lines);
  void ReadSpectroscopicChannels(TLineReader& lines);
  // Reads Y rows of X samples from `stream` at `offset` into the window's picture.
  void ReadFrame(TFileBytes& stream, uint64_t offset, const ImageInfo& info, TImageDoc& Window);

  Messages& msg_;
  int topoCount_ = 0;
  int spectroCount_ = 0;
  bool sizesValid_ = false;  // both image sizes were whole numbers
  std::array<topographicInfo, kMaxOmicronChannels> topo_{};
  std::array<spectroscopicInfo, kMaxOmicronChannels> spectro_{};
  TFileBytes spectroStream_;
  int spectroIndex_ = 0;
  uint64_t spectroOffset_ = 0;
};
