// The processing operations of `process --op`, as rows of one table: a name, whether
// it takes arguments, whether it may be repeated with "*K", how its arguments are
// read and how it is applied to an image, each as the viewer's command does it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "image/Messages.h"
#include "image/Progress.h"
#include "image/TImageDoc.h"

class CliMessages;

// What an operation may use while it runs.
struct TCliOpContext {
  CliMessages& Msgs;
  char Sep;         // the decimal separator of numbers in messages and labels
  Progress& Steps;  // progress of long work (stderr on a terminal)
};

// Applies a parsed operation to an image `repeat` times where that means anything
// (a workbench's "do" pressed K times before "take over"). False when the operation
// was refused; the reason has been said through the context's messages.
using TCliApply = std::function<bool(TImageDoc& doc, int repeat, TCliOpContext& ctx)>;

// How a row's name meets the text of --op.
enum class TCliOpArgs {
  None,      // the text is the name alone: "invert"
  Required,  // "name:ARGS": "rescale:1,2,3"
  Optional,  // either: "fft" or "fft:log"
};

struct TCliOpRow {
  const char* Name;
  TCliOpArgs Args;
  bool Repeatable;  // takes the "*K" suffix (K digits at the very end)
  // Reads ARGS (the text after "name:", empty for None); `text` is the whole --op
  // text for messages. Throws CliUsageError("malformed operation: " + text).
  TCliApply (*Parse)(const std::string& args, const std::string& text);
  // For an operation that reads a file of its own (arith's second operand, a
  // palette file): that file's name from ARGS. A batch whose outputs could be that
  // file runs its files one after the other.
  std::string (*InputFile)(const std::string& args) = nullptr;
};

// The pieces of an argument text between the `by` characters ("" is one empty piece).
std::vector<std::string> SplitArgs(const std::string& text, char by);
// Throws CliUsageError("malformed operation: " + text).
[[noreturn]] void MalformedOperation(const std::string& text);

// Every operation of the command line, in the order --help lists them.
const std::vector<TCliOpRow>& CliOperationTable();

struct TCliOperation {
  std::string Text;                // as given, for messages
  const TCliOpRow* Row = nullptr;  // its row of the table
  int Repeat = 1;                  // "*K": press "do" K times
  TCliApply Apply;                 // the parsed operation
  std::string InputFile;           // the file the operation reads, or empty
};

// Reads one --op text; throws CliUsageError("unknown operation: ...") for an
// operation this program does not have, or "malformed operation: ..." for a known
// one whose arguments cannot be read (a "*K" on an operation that takes none, too).
TCliOperation ParseOperation(const std::string& text);
// The same against another table (tests give rows of their own).
TCliOperation ParseOperation(const std::string& text, const std::vector<TCliOpRow>& table);

// Applies the operation to the image and refreshes it (renders it, so minimum and
// maximum are current for the next operation). False when the operation was refused
// (the reason has been said through the context's messages).
bool ApplyOperation(const TCliOperation& op, TImageDoc& doc, TCliOpContext& ctx);
