// The processing operations of `process --op`: their parsing and their application
// to an image, each as the viewer's command does it.
#pragma once

#include <string>

#include "image/Messages.h"
#include "image/TImageDoc.h"

struct TCliOperation {
  std::string Text;  // as given, for messages
  std::string Name;  // the text without its repeat suffix
  int Repeat = 1;    // "*K": press "do" K times
};

// Reads one --op text; throws CliUsageError("unknown operation: ...") for an
// operation this program does not have, or a malformed one.
TCliOperation ParseOperation(const std::string& text);

// Applies the operation to the image and refreshes it. False when the operation was
// refused (the reason has been said through `msgs`).
bool ApplyOperation(const TCliOperation& op, TImageDoc& doc, Messages& msgs, char sep);
