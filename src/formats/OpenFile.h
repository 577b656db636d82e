// Opening a file: choose the reader by name, create one image per channel through
// the host (the viewer makes windows, the CLI keeps a list), fill and render each.
#pragma once

#include <stdexcept>
#include <string>

#include "image/Messages.h"
#include "image/TImageDoc.h"

class TIniFile;

// Raised when no further image window may be created (16 child windows exist).
class TooManyData : public std::runtime_error {
 public:
  TooManyData() : std::runtime_error("Too many data!") {}
};

// What OpenFile needs of whoever shows the images.
class TDocumentHost {
 public:
  virtual ~TDocumentHost() = default;
  virtual Messages& Msgs() = 0;

  // Creates and registers a new image, gives it its slot and name (InitWindow) and
  // returns it. Throws TooManyData when refused; the host has then said "Too many
  // Data!" itself and nothing is left behind.
  virtual TImageDoc& NewImage(const std::string& name) = 0;

  // The image is filled: render it, show it, make it current.
  virtual void ImageReady(TImageDoc& doc) = 0;

  // A reader failed before the image got a matrix: remove it again, so that no
  // window is left without an image.
  virtual void DiscardImage(TImageDoc& doc) = 0;

  // The hourglass while an Omicron file is read.
  virtual void SetWaitCursor(bool /*on*/) {}

  // The Omicron question "Found %d topographic and%d spectroscopic image(s)":
  // the answer comes through Msgs().Ask.
};

// Opens one file. `settings` may be null (then "Save"/"Path" is not written).
void OpenFile(const std::string& fileName, TDocumentHost& host, TIniFile* settings);
