// TLoadFiles: the loader of one open command. It holds the chosen file, its
// parameter text, the list of channel data files and the header's scan parameters,
// and carries the native, Burleigh, TopoMetrix and bitmap readers (each reader's
// code lives in the file of its format).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "image/Messages.h"
#include "image/TImageDoc.h"
#include "image/TVKMPicture.h"

inline constexpr int kMaxChannels = 16;

// A whole file held in memory with a read position (the parameter text, one data
// file at a time).
struct TByteStream {
  std::string Bytes;
  size_t Position = 0;

  size_t Size() const { return Bytes.size(); }
  bool AtEnd() const { return Position >= Bytes.size(); }
  // Replaces the contents by the file's bytes (at most `maxBytes` of them, from
  // its start), position 0; false when it cannot be opened or is no regular file.
  bool LoadFromFile(const std::string& path, size_t maxBytes = static_cast<size_t>(-1));
};

class TLoadFiles {
 public:
  explicit TLoadFiles(const std::string& FileName, Messages* messages = nullptr);

  // FileNames[1] is the chosen file; ReadHeader fills 1..FileCount with the
  // channel data files of a native parameter file.
  std::array<std::string, kMaxChannels + 1> FileNames;
  int FileCount = 0;
  std::string Version;        // "1", "1.01" or "1.10" after ReadHeader
  std::string Caption;        // caption of the channel read last, or empty
  TScanPara ScanPara;         // the header's scan parameters
  std::string FileName;       // full path of the chosen file
  std::string ParamFileName;  // the same path; the parameter text is loaded from it
  std::string Directory;      // FileName up to and including its last separator
  TByteStream ParamStream;    // the whole parameter file (ReadHeader)
  TByteStream DataStream;     // one whole data file at a time

  // Native format (NativeFormat.cpp). Each reader returns false when it failed
  // (after saying why); the window then has no usable image.
  bool ReadHeader();
  bool ReadChannelV1(TImageDoc& window, int i);
  bool ReadChannelV110(TImageDoc& window, int i);
  // Every line of the chosen file becomes a line of the window's information text.
  void CopyParameterText(TImageDoc& window);
  // ReadHeader on a parameter text already in memory (no file is read).
  bool ReadHeaderFrom(const std::string& text);

  // Scanning primitives on ParamStream (NativeFormat.cpp).
  bool FindText(const std::string& Key);
  std::string ReadLine();
  float ReadFloat();

  // Single-image formats, each in its own file.
  bool ReadBitmap(TImageDoc& window);      // Bitmap.cpp
  bool ReadBurleigh(TImageDoc& window);    // Burleigh.cpp
  bool ReadTopoMetrix(TImageDoc& window);  // TopoMetrix.cpp

  Messages& Msgs() const { return messages_ ? *messages_ : DefaultMessages(); }

 private:
  Messages* messages_;
  bool paramLoaded_ = false;

  bool ParseHeader();
  bool ReadOldHeader();
  bool ReadBlockHeader();
  // Said when a file names more channels than are read.
  void NoteChannelsDropped();
  bool ReadPixelCount(const std::string& key, const char* axis, int32_t& count);
  bool LoadDataFile(int i);
  bool FillChannel(TImageDoc& window, int i, float scale);
  void AddParameterLines(TImageDoc& window);
};
