// Saving an image window in the native format: the parameter file with one channel
// block and the channel's .sin or .int data file.
#pragma once

#include <string>

#include "image/Messages.h"
#include "image/TImageDoc.h"

// Single-precision values (save filter 2) or scaled 32-bit integers (filter 3).
enum class TNativeKind { Sin, Int };

// The save dialog's filter index: 3 is the integer variant, anything else singles.
inline TNativeKind NativeKindOfFilter(int filterIndex) {
  return filterIndex == 3 ? TNativeKind::Int : TNativeKind::Sin;
}

// The two files a save writes for the chosen name.
struct TNativeSaveNames {
  std::string ParamFile;  // the parameter text
  std::string DataFile;   // the channel's values, full path
};

// The parameter file is the chosen name; the data file is that name with its
// extension replaced by "sin" or "int" (appended when the file name has no ".",
// since a "." in a folder name is no extension). When the chosen name already ends
// in the data file's extension, the parameter file becomes name.txt instead, so
// that the data never overwrites it.
TNativeSaveNames NativeSaveNames(const std::string& FileName, TNativeKind Kind);

// A .int save keeps every value to within this part of the picture's value range.
inline constexpr long double kIntSaveTolerance = 1e-6L;

// The scale of a .int data file: the picture's Scale while every finite value, stored
// as round(value / Scale) in 32 bits, reads back within kIntSaveTolerance of the
// range (exactly for a flat picture); otherwise (Scale 0, quotients beyond 32 bits,
// a step too coarse) the finest power of two whose quotients fit, and Changed.
struct TIntScale {
  float Scale;
  bool Changed;
};
TIntScale IntegerScale(const TVKMPicture& picture);

// The parameter text written for the window, lines ended by CR LF. `dataName` is
// the data file's name without folder; `sep` the decimal separator of numbers. The
// .int variant names the scale IntegerScale gives, or `intScale`.
std::string NativeParameterText(const TImageDoc& window, const std::string& dataName,
                                TNativeKind Kind, char sep);
std::string NativeParameterText(const TImageDoc& window, const std::string& dataName,
                                TNativeKind Kind, char sep, float intScale);

// Writes the parameter file and the data file. Refuses an existing parameter file
// ("File exists! Abort!"); says once when a .int file needs a scale of its own; a
// value that cannot be stored ends the data file there ("Error during saving
// data-file!"). True when both files were written whole.
bool WriteNativeFiles(const TImageDoc& window, const std::string& FileName, TNativeKind Kind,
                      Messages& msgs);

// The name Save As proposes: the channel name without its extension (a "." in a
// folder name is not an extension).
std::string ProposedSaveName(const std::string& ChannelName);
