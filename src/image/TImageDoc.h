// The document side of an image window: its picture, information text, names and
// value texts. Readers fill one of these; the viewer's TMDIChild and the CLI each
// hold one per image, so both see exactly the same data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/Messages.h"
#include "image/TVKMPicture.h"

class TImageDoc {
 public:
  explicit TImageDoc(Messages* messages = nullptr) : messages_(messages), serial_(NextSerial()) {}

  // A number no other document of this process has: tells a window that was closed
  // apart from a new one that took its slot (and perhaps its memory).
  uint64_t Serial() const { return serial_; }

  int Index = 0;                      // slot in the table of image windows
  std::string Caption;                // the window title
  std::string ChannelName;            // name given by InitWindow
  std::string ChannelCaption;         // caption of a native channel, else empty
  std::vector<std::string> InfoText;  // the information text, line by line
  std::unique_ptr<TVKMPicture> Picture;
  TBitmap8 Image1;               // the rendered bitmap
  std::string MinText, MaxText;  // value texts of the last rendering

  void InitWindow(int index, const std::string& name) {
    Index = index;
    ChannelName = name;
    Caption = name;
  }

  // A new picture of that size (SetSize reports its own failures); always true.
  bool CreatePicture(int columns, int rows);

  bool HasImage() const { return Picture && Picture->HasMatrix(); }

  // Render and the value texts (fixed form, 4 significant digits, 3 decimals).
  // Nothing without a picture or matrix. `sep` is the decimal separator.
  void Render(char sep);

  Messages& Msgs() const { return messages_ ? *messages_ : DefaultMessages(); }

 private:
  static uint64_t NextSerial();

  Messages* messages_;
  uint64_t serial_;
};
