// The processing operations of `process --op`: their parsing and their application
// to an image, each as the viewer's command does it.
#pragma once

#include <string>
#include <vector>

#include "image/Messages.h"
#include "image/TImageDoc.h"

class CliMessages;

struct TCliOperation {
  std::string Text;  // as given, for messages
  std::string Name;  // the text without its repeat suffix
  int Repeat = 1;    // "*K": press "do" K times
  // rescale: the three numbers and the units (empty: keep the image's).
  std::vector<std::string> Args;
  // arith: the operator character, the second file and the image in it (1-based).
  char Op = 0;
  std::string File2;
  int Image2 = 1;
};

// Reads one --op text; throws CliUsageError("unknown operation: ...") for an
// operation this program does not have, or "malformed operation: ..." for a known
// one whose arguments cannot be read.
TCliOperation ParseOperation(const std::string& text);

// Applies the operation to the image and refreshes it. False when the operation was
// refused (the reason has been said through `msgs`). An arithmetic result replaces
// the image, as "Use" of the arithmetic window makes it the current image.
bool ApplyOperation(const TCliOperation& op, TImageDoc& doc, CliMessages& msgs, char sep);
