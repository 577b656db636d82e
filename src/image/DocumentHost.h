// What opening a file, arithmetic and the tool windows need of whoever shows the
// images: the viewer makes windows, the CLI keeps a list, tests record.
#pragma once

#include <stdexcept>
#include <string>

#include "image/Messages.h"
#include "image/TImageDoc.h"

// Raised when no further image window may be created (16 child windows exist).
class TooManyData : public std::runtime_error {
 public:
  TooManyData() : std::runtime_error("Too many data!") {}
};

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

  // A file is being opened from `folder` (absolute, with its trailing separator),
  // told before its type is known. The viewer remembers it for the next open
  // dialog; a host without dialogs ignores it.
  virtual void FolderOpened(const std::string& /*folder*/) {}

  // The Omicron question "Found %d topographic and%d spectroscopic image(s)":
  // the answer comes through Msgs().Ask.
};
